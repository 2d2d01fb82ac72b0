// PNG encoding into memory. libpng reports errors through longjmp; the jump lands in this file's
// own frame before any C++ object with a destructor is live in it, and the error becomes a
// CoreError after the jump.
#include "measure/png_image.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>

#include "base/core_error.h"

namespace orvane {

RgbPicture::RgbPicture(std::int32_t w, std::int32_t h, Rgb fill)
    : width(std::max(0, w)), height(std::max(0, h)) {
    pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    for (std::size_t i = 0; i < pixels.size(); i += 3) {
        pixels[i] = fill.r;
        pixels[i + 1] = fill.g;
        pixels[i + 2] = fill.b;
    }
}

void RgbPicture::set(std::int32_t x, std::int32_t y, Rgb c) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                           static_cast<std::size_t>(x)) *
                          3;
    pixels[i] = c.r;
    pixels[i + 1] = c.g;
    pixels[i + 2] = c.b;
}

Rgb RgbPicture::at(std::int32_t x, std::int32_t y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                           static_cast<std::size_t>(x)) *
                          3;
    return {pixels[i], pixels[i + 1], pixels[i + 2]};
}

void RgbPicture::fillRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                          Rgb c) {
    for (std::int32_t y = std::max(0, y0); y < std::min(height, y1); ++y)
        for (std::int32_t x = std::max(0, x0); x < std::min(width, x1); ++x) set(x, y, c);
}

void RgbPicture::line(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, Rgb c) {
    // Bresenham, both ends included.
    const std::int32_t dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const std::int32_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    std::int32_t error = dx + dy;
    for (;;) {
        set(x0, y0, c);
        if (x0 == x1 && y0 == y1) return;
        const std::int32_t e2 = 2 * error;
        if (e2 >= dy) {
            error += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::string*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), length);
}

void noFlush(png_structp) {}

// Returns false when libpng failed; `out` then holds a part of the file.
bool encode(const RgbPicture& picture, std::string& out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, appendBytes, noFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width),
                 static_cast<png_uint_32>(picture.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Fast compression: the report's pictures are small and the report is wanted quickly.
    png_set_compression_level(png, 6);
    png_write_info(png, info);
    const std::size_t stride = static_cast<std::size_t>(picture.width) * 3;
    for (std::int32_t y = 0; y < picture.height; ++y)
        png_write_row(png, const_cast<png_bytep>(picture.pixels.data() + stride * y));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

std::string EncodePng(const RgbPicture& picture) {
    if (picture.width < 1 || picture.height < 1)
        throw CoreError("An empty picture cannot be written as PNG.");
    std::string out;
    if (!encode(picture, out)) throw CoreError("The PNG picture could not be encoded.");
    return out;
}

std::string Base64(const std::string& bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const std::uint32_t v = static_cast<std::uint8_t>(bytes[i]) << 16 |
                                static_cast<std::uint8_t>(bytes[i + 1]) << 8 |
                                static_cast<std::uint8_t>(bytes[i + 2]);
        for (int s = 18; s >= 0; s -= 6) out += kAlphabet[(v >> s) & 63];
    }
    if (i < bytes.size()) {
        std::uint32_t v = static_cast<std::uint8_t>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) v |= static_cast<std::uint8_t>(bytes[i + 1]) << 8;
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

}  // namespace orvane
