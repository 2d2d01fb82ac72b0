// Small in-memory images and result-file helpers for the measurement tests.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

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

// A path in this process's own folder below the temporary directory, one folder per suite.
inline std::string tempPath(const std::string& suite, const std::string& name) {
    const auto dir =
        std::filesystem::temp_directory_path() / (suite + "_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

// Lines without their CR LF or LF.
inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace orvane::testing_support
