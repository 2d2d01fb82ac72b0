// Boxes of image pixels and the shape kinds a box can stand for: the vocabulary in which the
// grid, the selections and the measurements name image areas.
#pragma once

#include <cstdint>

namespace orvane {

// Image pixels; left and top inclusive, right and bottom exclusive. May reach outside the image.
struct Box {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    bool operator==(const Box&) const = default;
};

// Any value other than these two samples nothing.
enum class ShapeKind : std::int32_t { Rectangle = 0, Disc = 1 };

// One image pixel.
struct PixelPosition {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

}  // namespace orvane
