// Export GenePix Results: the grid's spots measured on two layers (or one: a single-channel file)
// and written as a GenePix Results file (Axon Text File), the format limma and other tools read.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "base/progress.h"
#include "document/layered_image.h"
#include "grid/spot_grid.h"

namespace orvane {

inline constexpr const char* kLayerRequiredMessage = "A layer is required for this export";
inline constexpr std::size_t kGenePixColumnCount = 56;

// The standard columns of GenePix Pro 6.1 results, in their order and spelling.
const std::array<const char*, kGenePixColumnCount>& GenePixColumnNames();
// The columns written for `layerCount` layers, as indices into GenePixColumnNames: all of them
// for two or more, the 30 without 532 or a ratio for one (a single-channel file of 635).
std::vector<std::size_t> GenePixWrittenColumns(int layerCount);

// Flags column values.
inline constexpr int kGenePixFlagGood = 0;
inline constexpr int kGenePixFlagBad = -100;      // a marked spot, or a saturated one when flagged
inline constexpr int kGenePixFlagAbsent = -75;    // an excluded spot (no well)
inline constexpr int kGenePixFlagNotFound = -50;  // a spot with a well but no pixel in the scans

struct GenePixImageFile {
    std::string path;
    int page = 0;  // 0-based page of a multi-page TIFF
};

struct GenePixExportInfo {
    std::vector<GenePixImageFile> imageFiles;    // the scans of layer 0 (635) and layer 1 (532)
    std::string dateTime;                        // "YYYY/MM/DD hh:mm:ss"; empty: the local time now
    std::optional<double> flagSaturatedPercent;  // flag saturated spots Bad (FlagSaturatedSpots)
};

// Writes the results of every spot of every quad in use (quads row by row, spots row by row;
// excluded spots too, flagged absent) to `path`, layer 0 as 635 and layer 1 as 532; with one
// layer a single-channel file whose values equal the 635 columns of the two-layer file. The areas
// are those of Extract Grid Data: the radii and pitch of `currentQuad`, each quad's own shape.
// Throws CoreError(kLayerRequiredMessage) without a layer, before touching the file; "Unable to
// open file." or a write error (CoreError); OutOfMemoryError for the buffers. The file appears
// complete or not at all. The caller has checked the grid display.
void WriteGenePixResults(const std::string& path, const LayeredImage& image, const SpotGrid& grid,
                         const GridQuad& currentQuad, const GenePixExportInfo& info,
                         Progress& progress);

// A text as an ATF string field: quotes become apostrophes and tabs and line breaks blanks, so
// that a description can never end its field or its row.
std::string GenePixQuoted(const std::string& text);

}  // namespace orvane
