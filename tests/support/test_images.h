// The in-memory test images, built one way: each layer's samples from a function of (layer, x,
// y), in a buffer from the core's allocator as the loader's are.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "base/allocator.h"
#include "document/layered_image.h"

namespace orvane::testing_support {

// A width x height image of `layers` layers whose sample (x, y) of layer k is value(k, x, y).
// `loaderSpare` adds the loader's spare row and column (left 0) behind the samples, as a
// freshly loaded layer has them.
inline LayeredImage makeImage(int width, int height, int layers,
                              const std::function<std::uint16_t(int, int, int)>& value,
                              bool loaderSpare = false) {
    LayeredImage image;
    image.layerCount = layers;
    const std::uint64_t count =
        loaderSpare ? static_cast<std::uint64_t>(width + 1) * (height + 1)
                    : static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    for (int k = 0; k < layers; ++k) {
        ImageLayer& l = image.layers[static_cast<std::size_t>(k)];
        l.width = width;
        l.height = height;
        l.samples = allocateBuffer<std::uint16_t>(count);
        std::fill_n(l.samples.get(), count, std::uint16_t{0});
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                l.samples[static_cast<std::size_t>(y) * width + x] = value(k, x, y);
    }
    return image;
}

inline LayeredImage uniformImage(int width, int height, int layers, std::uint16_t v) {
    return makeImage(width, height, layers, [v](int, int, int) { return v; });
}

// An image of the given layers' row-major samples.
inline LayeredImage imageOf(int width, int height,
                            const std::vector<std::vector<std::uint16_t>>& layers,
                            bool loaderSpare = false) {
    return makeImage(
        width, height, static_cast<int>(layers.size()),
        [&](int k, int x, int y) {
            return layers[static_cast<std::size_t>(k)][static_cast<std::size_t>(y) * width + x];
        },
        loaderSpare);
}

// Random samples: half uniform over 0..65535, half small (where the logarithm is steepest),
// with the extremes 0 and 65535 sprinkled in.
inline LayeredImage randomImage(std::int32_t width, std::int32_t height, int layers,
                                std::uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> full(0, 65535), small(0, 600), pick(0, 9);
    return makeImage(width, height, layers, [&](int, int, int) {
        const int choice = pick(random);
        return static_cast<std::uint16_t>(choice == 0   ? 0
                                          : choice == 1 ? 65535
                                          : choice < 6  ? full(random)
                                                        : small(random));
    });
}

}  // namespace orvane::testing_support
