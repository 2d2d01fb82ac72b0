// The layered 16-bit image of one document: up to three same-sized scans shown as red, green
// and blue, with the first file's resolution, scan origin and the length conversions.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace orvane {

struct ImageLayer {
    std::int32_t height = 0;
    std::int32_t width = 0;
    // Row-major, sample (x, y) at y * width + x. The loader allocates (height+1) x (width+1)
    // samples; the filters replace it with exactly width x height.
    std::unique_ptr<std::uint16_t[]> samples;

    bool loaded() const { return samples != nullptr; }
    std::uint16_t at(std::int32_t x, std::int32_t y) const {
        return samples[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                       static_cast<std::size_t>(x)];
    }
};

inline constexpr int kMaxLayers = 3;
inline constexpr std::size_t kMaxTextLength = 1023;
inline constexpr std::uint16_t kResolutionUnitInch = 2;
inline constexpr std::uint16_t kResolutionUnitCentimetre = 3;

struct LayeredImage {
    std::array<ImageLayer, kMaxLayers> layers;
    std::int32_t layerCount = 0;
    float xResolution = 0.0f;
    float yResolution = 0.0f;
    std::uint16_t resolutionUnit = 0;
    double scanOriginX = 0.0;
    double scanOriginY = 0.0;
    std::string caption;
    std::string imageDescription;

    // Dimensions of layer 0, which every loaded layer shares.
    std::int32_t width() const { return layers[0].width; }
    std::int32_t height() const { return layers[0].height; }

    // Millimetres to pixels, truncating toward zero, and back.
    std::int32_t LengthToPixelsX(double millimetres) const;
    std::int32_t LengthToPixelsY(double millimetres) const;
    double PixelsToLengthX(std::int32_t pixels) const;
    double PixelsToLengthY(std::int32_t pixels) const;

    // Releases every layer and empties the caption, as closing the document does.
    void clear();
};

}  // namespace orvane
