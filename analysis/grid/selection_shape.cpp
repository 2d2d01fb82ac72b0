// GetSelectionArea: rectangle, circle by diameter, circle by radius and grid spot to a box.
#include "selection_shape.h"

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

// floor of the length of (dx, dy); the products are 64-bit so that far-apart points cannot wrap.
std::int64_t flooredLength(std::int64_t dx, std::int64_t dy) {
    return static_cast<std::int64_t>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
}

std::int32_t clampToInt32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

Box aroundCentre(std::int64_t cx, std::int64_t cy, std::int64_t r) {
    return {clampToInt32(cx - r), clampToInt32(cy - r), clampToInt32(cx + r), clampToInt32(cy + r)};
}

}  // namespace

std::optional<SelectedSpot> SelectedSpotOf(const GridQuad& quad) {
    if (!quad.HasSelection()) return std::nullopt;
    const std::optional<GridPoint> centre = quad.SpotCentre(quad.selCol, quad.selRow);
    if (!centre) return std::nullopt;
    return SelectedSpot{centre->x, centre->y, quad.spotRadius, quad.roundCells == 1};
}

std::optional<SelectionArea> GetSelectionArea(const SelectionShape& s,
                                              const std::optional<SelectedSpot>& gridSpot) {
    const std::int64_t dx = static_cast<std::int64_t>(s.x1) - s.x0;
    const std::int64_t dy = static_cast<std::int64_t>(s.y1) - s.y0;
    switch (s.tool) {
    case ToolKind::Rectangle:
        return SelectionArea{{std::min(s.x0, s.x1), std::min(s.y0, s.y1), std::max(s.x0, s.x1),
                              std::max(s.y0, s.y1)},
                             ShapeKind::Rectangle};
    case ToolKind::CircleByDiameter: {
        const std::int64_t r = flooredLength(dx, dy) / 2;
        // Each coordinate of the centre truncates toward zero on its own.
        const std::int64_t cx = (static_cast<std::int64_t>(s.x0) + s.x1) / 2;
        const std::int64_t cy = (static_cast<std::int64_t>(s.y0) + s.y1) / 2;
        return SelectionArea{aroundCentre(cx, cy, r), ShapeKind::Disc};
    }
    case ToolKind::CircleByRadius:
        return SelectionArea{aroundCentre(s.x0, s.y0, flooredLength(dx, dy)), ShapeKind::Disc};
    case ToolKind::Grid:
        if (!gridSpot) return std::nullopt;
        return SelectionArea{aroundCentre(gridSpot->cx, gridSpot->cy, gridSpot->spotRadius),
                             gridSpot->roundCells ? ShapeKind::Disc : ShapeKind::Rectangle};
    case ToolKind::Point: break;
    }
    return std::nullopt;
}

}  // namespace orvane
