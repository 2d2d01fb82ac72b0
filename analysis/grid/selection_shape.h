// The view's mouse tool and selection shape, and how they become a sampling box and shape kind
// for the measurement commands (GetSelectionArea).
#pragma once

#include <cstdint>
#include <optional>

#include "base/box.h"
#include "grid/grid_quad.h"

namespace orvane {

enum class ToolKind : std::int32_t {
    Point = 0,
    Rectangle = 1,
    CircleByDiameter = 2,
    CircleByRadius = 3,
    Grid = 4,
};

// Anchor (where the left button went down) and end point (where the mouse was last dragged),
// in image pixels.
struct SelectionShape {
    ToolKind tool = ToolKind::Point;
    std::int32_t x0 = 0;
    std::int32_t y0 = 0;
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;
};

struct SelectionArea {
    Box box;
    ShapeKind kind = ShapeKind::Rectangle;
};

// The spot the grid tool has selected in the current quad: its centre, radius and cell shape.
struct SelectedSpot {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
    std::int32_t spotRadius = 0;
    bool roundCells = true;
};

// The current quad's selected spot as the grid tool measures it; none without a selection.
std::optional<SelectedSpot> SelectedSpotOf(const GridQuad& currentQuad);

// The sampling box and kind of the selection. Nothing for the Point tool (it has no area) and
// for the Grid tool without a selected spot; the measurement commands refuse both before asking.
std::optional<SelectionArea> GetSelectionArea(const SelectionShape& shape,
                                              const std::optional<SelectedSpot>& gridSpot = {});

}  // namespace orvane
