// Small in-memory images for the measurement tests.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "document/layered_image.h"

namespace orvane::testing_support {

// A width x height image of `layers` layers whose sample (x, y) of layer k is value(k, x, y).
inline LayeredImage makeImage(int width, int height, int layers,
                              const std::function<std::uint16_t(int, int, int)>& value) {
    LayeredImage image;
    image.layerCount = layers;
    for (int k = 0; k < layers; ++k) {
        ImageLayer& l = image.layers[static_cast<std::size_t>(k)];
        l.width = width;
        l.height = height;
        l.samples.reset(new std::uint16_t[static_cast<std::size_t>(width) * height]);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                l.samples[static_cast<std::size_t>(y) * width + x] = value(k, x, y);
    }
    return image;
}

inline LayeredImage uniformImage(int width, int height, int layers, std::uint16_t v) {
    return makeImage(width, height, layers, [v](int, int, int) { return v; });
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace orvane::testing_support
