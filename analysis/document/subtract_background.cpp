// Subtract Background: each layer loses its own mean level over a selected rectangle.
//
// The rectangle's columns x0..x1-1 and rows y0..y1-1 (ends swapped first so that x0 <= x1 and
// y0 <= y1) are clipped to the image; the level is the exact mean of what remains, fraction
// dropped, and 0 for an empty box.
#include <algorithm>

#include "image_processing.h"

namespace orvane {

namespace {

std::uint16_t meanLevel(const ImageLayer& layer, std::int32_t width, std::int32_t left,
                        std::int32_t top, std::int32_t right, std::int32_t bottom) {
    std::uint64_t sum = 0;
    std::uint64_t n = 0;
    for (std::int32_t y = top; y < bottom; ++y) {
        const std::uint16_t* row =
            layer.samples.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        for (std::int32_t x = left; x < right; ++x) sum += row[x];
        n += static_cast<std::uint64_t>(right - left);
    }
    return n == 0 ? 0 : static_cast<std::uint16_t>(sum / n);
}

}  // namespace

std::array<std::uint16_t, kMaxLayers> SubtractBackground(LayeredImage& image, std::int32_t x0,
                                                         std::int32_t y0, std::int32_t x1,
                                                         std::int32_t y1) {
    if (x0 > x1) std::swap(x0, x1);
    if (y0 > y1) std::swap(y0, y1);
    const std::int32_t width = image.width();
    const std::int32_t height = image.height();
    const std::int32_t left = std::clamp(x0, 0, width), right = std::clamp(x1, 0, width);
    const std::int32_t top = std::clamp(y0, 0, height), bottom = std::clamp(y1, 0, height);
    std::array<std::uint16_t, kMaxLayers> levels{};
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (std::int32_t i = 0; i < image.layerCount; ++i) {
        ImageLayer& layer = image.layers[static_cast<std::size_t>(i)];
        const std::uint16_t level = meanLevel(layer, width, left, top, right, bottom);
        levels[static_cast<std::size_t>(i)] = level;
        std::uint16_t* s = layer.samples.get();
        for (std::size_t k = 0; k < count; ++k)
            s[k] = s[k] > level ? static_cast<std::uint16_t>(s[k] - level) : 0;
    }
    return levels;
}

}  // namespace orvane
