// Automatic grid adjustment: each spot's search box of one pitch is searched for its signal by
// a centre of mass, a one-dimensional window or a two-dimensional window, and the spot's
// offsets move by the displacement found.
#pragma once

#include <cstdint>
#include <optional>

#include "base/box.h"
#include "document/layered_image.h"
#include "grid/spot_grid.h"

namespace orvane {

enum class AdjustMethod { CentreOfMass, OneDimensionalWindow, TwoDimensionalWindow };

struct Displacement {
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    friend bool operator==(const Displacement&, const Displacement&) = default;
};

// Each method reads every loaded layer inside the search box clipped to the image; indices are
// relative to the box's top-left corner. Sums are 64-bit.

// Intensity-weighted mean column and row, minus half the box. The 1 added to each denominator
// keeps an empty box from dividing by zero (it gives (-W/2, -H/2)).
Displacement CentreOfMass(const LayeredImage& image, const Box& search);

// Brightest window of wx columns on the column profile and of wy rows on the row profile, by
// running sums; ties keep the first position, partial windows at the start compete too.
Displacement OneDimensionalWindow(const LayeredImage& image, const Box& search, std::int32_t wx,
                                  std::int32_t wy);

// Brightest full wx x wy window of the compressed intensity sum(floor(v^0.33 x 10)), by running
// sums. Nothing when the box lacks contrast (4 x darkest >= 3 x brightest) or holds no full
// window: the spot then stays where it is.
std::optional<Displacement> TwoDimensionalWindow(const LayeredImage& image, const Box& search,
                                                 std::int32_t wx, std::int32_t wy);

// Moves every non-excluded spot of every defined quad in use onto its signal. The pitch and
// window size come from `currentQuad`: search box centre +- stepX/2, stepY/2; window 2 x
// spotRadius. Only offsets change. The caller has checked the grid display (RequireGridDisplay).
void AdjustGrid(SpotGrid& grid, const GridQuad& currentQuad, const LayeredImage& image,
                AdjustMethod method);

}  // namespace orvane
