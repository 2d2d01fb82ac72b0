// The display state of one view and the mapping of the 16-bit layers to the 24-bit colour
// DisplayRaster: linear or logarithmic intensity, normal or inverted colours, channels on/off.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "base/progress.h"
#include "document/layered_image.h"

namespace orvane {

// One set per view; the initial values are those of a new view.
struct DisplayState {
    bool logDisplay = true;
    bool invertedDisplay = true;
    std::array<bool, kMaxLayers> channelOn{true, false, false};
    std::int32_t imageWidth = 0;
    std::int32_t imageHeight = 0;
    // Channel balance (the histogram dialog's Apply to Image): each shown sample v of layer k
    // becomes offset[k] + gain[k] x v, rounded and clamped to 0..65535, before the mapping.
    // Offset 0 and gain 1 leave the samples, and so the picture, exactly as they are.
    std::array<float, kMaxLayers> channelOffset{0.0f, 0.0f, 0.0f};
    std::array<float, kMaxLayers> channelGain{1.0f, 1.0f, 1.0f};

    bool balanced() const {
        for (int k = 0; k < kMaxLayers; ++k)
            if (channelOffset[static_cast<std::size_t>(k)] != 0.0f ||
                channelGain[static_cast<std::size_t>(k)] != 1.0f)
                return true;
        return false;
    }
};

// Bytes from one raster row to the next: 3 x width rounded up to a multiple of 4.
std::int64_t RasterStride(std::int32_t width);

// Maps columns x0..x1-1 and rows y0..y1-1 into `buffer` (row r = image row y0 + r), after
// clipping to layer 0's size; does nothing at all when the clipped box is empty. The whole
// image is x0 = y0 = 0, x1 = y1 = 2147483647. The buffer holds stride x (y1 - y0) bytes of the
// clipped box. Bitmap order is blue, green, red (screen, printer); otherwise red, green, blue
// (TIFF export). Reports "Processing Tiff File, %02d%% completed ..." and "Ready".
void BuildRaster(const LayeredImage& image, const DisplayState& state, std::uint8_t* buffer,
                 std::int64_t stride, bool bitmapOrder, std::int32_t x0, std::int32_t x1,
                 std::int32_t y0, std::int32_t y1, Progress& progress);

// The whole image as BuildRaster maps it, into 32-bit pixels 0xffRRGGBB (the screen's pixel
// format) `pixelsPerRow` apart: the same colours and progress texts, with no 3-byte raster of
// the whole image in between. Each pixel's top byte is 255.
void BuildRaster32(const LayeredImage& image, const DisplayState& state, std::uint32_t* pixels,
                   std::int64_t pixelsPerRow, Progress& progress);

// A whole-image raster, top row first.
struct DisplayRaster {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int64_t stride = 0;
    std::unique_ptr<std::uint8_t[]> bytes;

    const std::uint8_t* row(std::int32_t y) const { return bytes.get() + stride * y; }
};

// Allocates a raster of layer 0's size (OutOfMemoryError when it cannot) and builds the whole
// image into it. With no layer loaded the raster is empty.
DisplayRaster BuildDisplayRaster(const LayeredImage& image, const DisplayState& state,
                                 bool bitmapOrder, Progress& progress);

// The colour of one pixel as red, green, blue; what BuildRaster stores for it.
std::array<std::uint8_t, 3> MapPixel(const LayeredImage& image, const DisplayState& state,
                                     std::int32_t x, std::int32_t y);

// The state of the view in which the file was opened and every overlay added, after its
// initial update: logarithmic, inverted, the channel of each loaded layer on (Overlay turns on
// the channel it adds), the image size copied from layer 0.
DisplayState DisplayStateAfterLoading(const LayeredImage& image);

}  // namespace orvane
