// Copies of the layers reduced by maxima of 2 x 2 blocks, repeated: what the view draws from
// below 1:1, so that a screen pixel shows the brightest sample it covers without reading them all.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "document/layered_image.h"

namespace orvane {

// The maximum of each factor x factor block of `source` (width x height samples, rows `width`
// apart) into `target`, ceil(width / factor) x ceil(height / factor) samples; the blocks at the
// right and bottom edges take the samples there are.
void ReduceByMaximum(const std::uint16_t* source, std::int32_t width, std::int32_t height,
                     std::int32_t factor, std::uint16_t* target);

// Levels 2 to 6 of every layer: level k holds the maximum of each 2^k x 2^k block. Level 1
// (half size, a quarter of the samples again) is not kept: the view reads 2 x 2 blocks of the
// layer itself at 1/2, which keeps the copies at a twelfth of the samples.
class ReducedLayers {
public:
    static constexpr int kFirstLevel = 2;
    static constexpr int kLastLevel = 6;

    struct Level {
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::unique_ptr<std::uint16_t[]> samples;
    };

    // Builds every level of every loaded layer (OutOfMemoryError when it cannot).
    void Build(const LayeredImage& image);
    void Clear();
    bool built() const { return layerCount_ > 0; }
    std::int32_t layerCount() const { return layerCount_; }
    // Level k (kFirstLevel .. kLastLevel) of layer i.
    const Level& level(int layer, int k) const {
        return levels_[static_cast<std::size_t>(layer)][static_cast<std::size_t>(k - kFirstLevel)];
    }

private:
    std::array<std::array<Level, kLastLevel - kFirstLevel + 1>, kMaxLayers> levels_;
    std::int32_t layerCount_ = 0;
};

}  // namespace orvane
