// The reduced copies: block maxima, rows in parallel, each level from the one before it.
#include "reduced_layers.h"

#include <algorithm>
#include <vector>

#include "base/allocator.h"

namespace orvane {

void ReduceByMaximum(const std::uint16_t* source, std::int32_t width, std::int32_t height,
                     std::int32_t factor, std::uint16_t* target) {
    if (width <= 0 || height <= 0 || factor <= 0) return;
    const std::int32_t outWidth = (width + factor - 1) / factor;
    const std::int32_t outHeight = (height + factor - 1) / factor;
    const auto w = static_cast<std::size_t>(width);
#pragma omp parallel if (std::int64_t{width} * height >= 65536)
    {
        // The maximum of the block's rows first (a loop the compiler vectorises), then of each
        // block's columns.
        std::vector<std::uint16_t> rowMax(w);
#pragma omp for schedule(static)
        for (std::int32_t oy = 0; oy < outHeight; ++oy) {
            const std::int32_t y0 = oy * factor, y1 = std::min(height, y0 + factor);
            const std::uint16_t* first = source + static_cast<std::size_t>(y0) * w;
            std::copy(first, first + w, rowMax.begin());
            for (std::int32_t y = y0 + 1; y < y1; ++y) {
                const std::uint16_t* row = source + static_cast<std::size_t>(y) * w;
                for (std::size_t x = 0; x < w; ++x) rowMax[x] = std::max(rowMax[x], row[x]);
            }
            std::uint16_t* out = target + static_cast<std::size_t>(oy) * outWidth;
            for (std::int32_t ox = 0; ox < outWidth; ++ox) {
                const std::int32_t x0 = ox * factor, x1 = std::min(width, x0 + factor);
                std::uint16_t m = rowMax[static_cast<std::size_t>(x0)];
                for (std::int32_t x = x0 + 1; x < x1; ++x)
                    m = std::max(m, rowMax[static_cast<std::size_t>(x)]);
                out[ox] = m;
            }
        }
    }
}

void ReducedLayers::Clear() {
    for (auto& layer : levels_)
        for (Level& level : layer) level = Level{};
    layerCount_ = 0;
}

void ReducedLayers::Build(const LayeredImage& image) {
    Clear();
    for (int i = 0; i < image.layerCount; ++i) {
        const ImageLayer& layer = image.layers[static_cast<std::size_t>(i)];
        const std::uint16_t* source = layer.samples.get();
        std::int32_t width = layer.width, height = layer.height;
        // Level 2 straight from the layer (4 x 4 blocks), each further level from the last.
        std::int32_t factor = 1 << kFirstLevel;
        for (int k = kFirstLevel; k <= kLastLevel; ++k) {
            Level& level =
                levels_[static_cast<std::size_t>(i)][static_cast<std::size_t>(k - kFirstLevel)];
            level.width = (width + factor - 1) / factor;
            level.height = (height + factor - 1) / factor;
            level.samples =
                allocateBuffer<std::uint16_t>(checkedCount(level.width, level.height, 2));
            ReduceByMaximum(source, width, height, factor, level.samples.get());
            source = level.samples.get();
            width = level.width;
            height = level.height;
            factor = 2;
        }
    }
    layerCount_ = image.layerCount;
}

}  // namespace orvane
