// Loading 16-bit grey-scale TIFF scans into the layers of a LayeredImage, with the checks and
// message texts the user sees, and the SCANINFO and base-name rules of the caption.
#pragma once

#include <optional>
#include <string>

#include "base/progress.h"
#include "layered_image.h"

namespace orvane {

inline constexpr const char* kCannotOpenMessage = "Can not open requested file: %s";
inline constexpr const char* kUnsupportedFormatMessage =
    "Sorry, this version supports only 16-bit gray scale TIFF format.";
inline constexpr const char* kOverlaySizeMessage =
    "Only images with identical dimentions / color depth can be overlayed.";

// Reads one file into layers[image.layerCount] (which must be 0 to 2); the caller raises
// layerCount afterwards. Without a reference layer (the first file) it also takes the
// resolution tags, the description and the scan origin. On success it appends the base name and
// the colour suffix to the caption. Progress shows "Loading Tiff File ...".
//
// Throws CoreError with the message to show for a file that cannot be opened, a format other
// than 16-bit min-is-black contiguous grey, or an overlay of another size; TiffReadError with
// libtiff's text when the pixel data cannot be read (truncated, tiled); OutOfMemoryError.
// On any failure the image is left exactly as it was.
void LoadLayer(LayeredImage& image, const std::string& path, const ImageLayer* reference,
               Progress& progress);

// Open (layerCount 0) and Overlay (1 or 2) in one: loads the file as the next layer, with
// layer 0 as the reference once there is one, then raises layerCount.
// Throws std::invalid_argument when three layers are loaded already.
void AppendLayer(LayeredImage& image, const std::string& path, Progress& progress);

// The base name of a path for the caption: the file-name part up to its first ".", so that
// "/data/scan.raw.tif" gives "scan".
std::string CaptionBaseName(const std::string& path);

// Matches a description against the SCANINFO pattern with C scanf semantics and stores the
// third and fourth values as the scan origin; values the match does not reach stay unchanged.
void ParseScanInfo(const std::string& description, double& scanOriginX, double& scanOriginY);

// Multi-page files (one page a channel, as many scanners write them).
inline constexpr const char* kMultiPageQuestion =
    "This file holds %d images. Load them all as layers?";
inline constexpr const char* kPagesDifferMessage =
    "The images of this file differ in size or format; only 16-bit grey images of one size can be "
    "layers.";
// Pages beyond this are not counted: a file of one image a channel has a handful.
inline constexpr int kMaxTiffPages = 1000;

// LoadLayer and AppendLayer of page `page` (0-based) of a multi-page file; with a page the
// caption names it as "name[N]" (N 1-based). A page the file does not have is refused
// (CoreError) with the number of pages it has.
void LoadLayer(LayeredImage& image, const std::string& path, const ImageLayer* reference,
               Progress& progress, std::optional<int> page);
void AppendLayer(LayeredImage& image, const std::string& path, Progress& progress,
                 std::optional<int> page);

// The pages of a file: how many (up to kMaxTiffPages) and whether every one is a 16-bit grey
// image of the first page's size. "Can not open requested file: %s" when libtiff cannot open it.
struct TiffPages {
    int count = 0;
    bool alike = true;
};
TiffPages InspectTiffPages(const std::string& path);

// Loads the first three pages (or fewer) of a file into an empty image as layers 0, 1, 2, as
// Open and Overlay would, captioned "name[1] (red)", "name[2] (green)"... Refuses
// (kPagesDifferMessage) a file whose pages differ in size or format; on any failure the image
// stays empty.
void LoadPagesAsLayers(LayeredImage& image, const std::string& path, Progress& progress);

// " (red)", " (green)" or " (blue)" for layer 0, 1, 2.
const char* ChannelSuffix(int layerIndex);

}  // namespace orvane
