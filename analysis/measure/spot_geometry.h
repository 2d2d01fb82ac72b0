// How a grid spot becomes a data area and a background area, the spot-mean measurement of a
// clicked spot, and the check every grid measurement makes first.
#pragma once

#include <array>
#include <cstdint>

#include "document/layered_image.h"
#include "grid/grid_quad.h"
#include "grid/selection_shape.h"
#include "measure/sampling.h"

namespace orvane {

// The four whole-pixel quantities of the measurement: spot radius R, background radius S and
// the halved spot pitch (hx, hy), taken from one quad.
struct SpotGeometry {
    std::int32_t spotRadius = 0;
    std::int32_t backgroundRadius = 0;
    std::int32_t halfStepX = 0;
    std::int32_t halfStepY = 0;

    static SpotGeometry Of(const GridQuad& quad) {
        return {quad.spotRadius, quad.backgroundRadius, quad.stepX / 2, quad.stepY / 2};
    }
};

struct SpotAreas {
    Box data;        // centre +- R
    Box background;  // the spot's cell: centre +- (hx, hy)
    Box inner;       // excluded from the background: centre +- S
    ShapeKind kind = ShapeKind::Disc;
};

// The areas of a spot centred at `centre`; `roundCells` of the spot's own quad gives the kind.
SpotAreas SpotAreasAt(GridPoint centre, const SpotGeometry& geometry, std::int32_t roundCells);

// Where a spot's data area lies against the scans: wholly inside, reaching beyond their edge, or
// with no pixel inside them (nothing can be measured there).
enum class ScanCover : std::uint8_t { Inside, Partly, Outside };
ScanCover ScanCoverOf(const LayeredImage& image, const SpotAreas& areas);

// Throws CoreError("Please define / load grid and select grid display.") unless the tool is
// Grid and the current quad is defined.
void RequireGridDisplay(ToolKind tool, const GridQuad& currentQuad);

// Mean intensity of each layer inside a spot and in its background ring (integer division, 0
// when an area has no pixel); layers the image does not have are 0.
struct SpotIntensity {
    std::array<std::int32_t, kMaxLayers> spotMean = {0, 0, 0};
    std::array<std::int32_t, kMaxLayers> backgroundMean = {0, 0, 0};
};

// The spot intensities shown when a spot of `quad` is clicked: its own radii, pitch and shape.
// All zero for a spot outside the quad.
SpotIntensity MeasureSpot(const LayeredImage& image, const GridQuad& quad, std::int32_t col,
                          std::int32_t row);

// Sum-mode data and background means of one spot on one layer.
void SpotAreaMeans(const LayeredImage& image, const SpotAreas& areas, int layer,
                   std::int32_t& dataMean, std::int32_t& backgroundMean);

}  // namespace orvane
