// The Image menu's operations on every loaded layer: the square mean and median filters and
// the subtraction of a background level measured in a rectangle.
#pragma once

#include <array>
#include <cstdint>

#include "layered_image.h"

namespace orvane {

inline constexpr const char* kSelectBackgroundMessage =
    "Please select rectangle backgound area first";

// Each output sample is the mean (fraction dropped) of the window of half-width r around it,
// cut off at the image edge. Every loaded layer gets a new buffer of exactly width x height
// samples. Throws std::invalid_argument for r < 0 and OutOfMemoryError, in which case the
// layers already filtered stay filtered and the others keep their samples.
void MeanFilter(LayeredImage& image, std::int32_t r);

// As MeanFilter, with the value of rank n / 2 (counting from 0, ascending) of the window's n
// samples: for even n the upper of the two middle values.
void MedianFilter(LayeredImage& image, std::int32_t r);

// Subtracts from every sample of each loaded layer that layer's mean level (fraction dropped)
// over the columns x0..x1-1 and rows y0..y1-1 that lie inside the image, after swapping ends
// so that x0 <= x1 and y0 <= y1; results below 0 become 0. An empty box subtracts nothing.
// Returns the level subtracted from each layer (0 for layers not loaded).
std::array<std::uint16_t, kMaxLayers> SubtractBackground(LayeredImage& image, std::int32_t x0,
                                                         std::int32_t y0, std::int32_t x1,
                                                         std::int32_t y1);

}  // namespace orvane
