// The visible part of the picture at any zoom: only the screen pixels asked for are mapped, so
// that the cost follows the window, not the scan.
#pragma once

#include <cstdint>

#include "base/progress.h"
#include "document/layered_image.h"
#include "view/display_raster.h"
#include "view/reduced_layers.h"
#include "view/zoom_scale.h"

namespace orvane {

// A rectangle of screen pixels in content coordinates (ZoomScale), right and bottom exclusive.
struct ScreenBox {
    std::int64_t left = 0, top = 0, right = 0, bottom = 0;
};

// The part of `box` that shows the image at `scale` (the rest is the grey beside the picture).
ScreenBox ContentPart(const ZoomScale& scale, std::int32_t imageWidth, std::int32_t imageHeight,
                      const ScreenBox& box);

// Maps the screen pixels of `box` (inside ContentPart) into 32-bit pixels 0xffRRGGBB, pixel
// (sx, sy) at pixels[(sy - box.top) * pixelsPerRow + (sx - box.left)]. At 1:1 and above each
// screen pixel shows its image pixel exactly as BuildRaster32 maps it. Below 1:1 it shows the
// mapping of the maximum, layer by layer, of the samples it covers: at 1/2^k exactly those; at
// a fit scale in between, the 2^k x 2^k blocks (k the next power below) whose first sample it
// covers, so that no sample is left out. `reduced` serves 1/4 and below when built; without it
// the layers themselves are read. Progress goes through BuildRaster's texts.
void BuildZoomed32(const LayeredImage& image, const ReducedLayers* reduced,
                   const DisplayState& state, const ZoomScale& scale, const ScreenBox& box,
                   std::uint32_t* pixels, std::int64_t pixelsPerRow, Progress& progress);

// The level 2^k of the blocks read at a scale below 1:1: the largest k <= 6 with 2^k <= 1 / s.
int ReductionLevel(const ZoomScale& scale);

}  // namespace orvane
