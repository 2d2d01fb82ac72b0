// Small RGB pictures for the QC report: a picture in memory, PNG encoding through libpng, and
// base64 for embedding the PNG in an HTML file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// Rows top first, 3 bytes a pixel, no padding.
struct RgbPicture {
    std::int32_t width = 0, height = 0;
    std::vector<std::uint8_t> pixels;

    RgbPicture() = default;
    RgbPicture(std::int32_t w, std::int32_t h, Rgb fill);
    // Pixels outside the picture are ignored, so shapes may reach over the edges.
    void set(std::int32_t x, std::int32_t y, Rgb c);
    Rgb at(std::int32_t x, std::int32_t y) const;
    void fillRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, Rgb c);
    void line(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, Rgb c);
};

// The picture as a PNG file's bytes (8-bit RGB, no interlace). Throws CoreError when libpng
// refuses (an empty picture).
std::string EncodePng(const RgbPicture& picture);

// Standard base64 with padding, as data: URLs take it.
std::string Base64(const std::string& bytes);

}  // namespace orvane
