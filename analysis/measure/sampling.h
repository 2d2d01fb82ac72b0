// Pixel sampling of one image layer inside a rectangle or a disc: the two operations through
// which every measurement reads pixels (sum mode and list mode), over base/box.h's boxes.
#pragma once

#include <cstdint>

#include "base/box.h"
#include "document/layered_image.h"

namespace orvane {

// Sum mode: `sum` is set to 0, then every visited sample of `layer` is added. The sum is 64-bit:
// about 32768 full-scale pixels already pass the 32-bit range. Returns the number visited.
std::int64_t SampleArea(std::int64_t& sum, const LayeredImage& image, const Box& box, int layer,
                        ShapeKind kind);

// List mode: each visited sample is written to the next entry of `list`, in visiting order (top
// row first, left to right). The list is not cleared. It must hold at least
// (width + 1) x (height + 1) entries of the box (SampleListCapacity), which covers every shape.
std::int64_t SampleArea(std::int32_t* list, const LayeredImage& image, const Box& box, int layer,
                        ShapeKind kind);

// The coordinates of the pixels that SampleArea visits, in the same order (list-mode capacity).
std::int64_t SamplePositions(PixelPosition* positions, const LayeredImage& image, const Box& box,
                             ShapeKind kind);

// Entries a list-mode buffer needs for `box` (0 for an empty box).
std::int64_t SampleListCapacity(const Box& box);

// Sum of the samples of `layer` inside `outer` but outside the centre `inner` (a square or the
// disc inscribed by the width of `inner`). `sum` is set to 0 first. Returns the number visited.
std::int64_t SampleBackground(std::int64_t& sum, const LayeredImage& image, const Box& outer,
                              const Box& inner, int layer, ShapeKind kind);

// List mode of the same: the visited samples go to the next entries of `list`, in visiting
// order, which needs at most SampleListCapacity(outer) entries. Returns the number visited.
std::int64_t SampleBackground(std::int32_t* list, const LayeredImage& image, const Box& outer,
                              const Box& inner, int layer, ShapeKind kind);

}  // namespace orvane
