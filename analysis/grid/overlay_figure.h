// The overlay drawn over the image as a list of invertible primitives: the pens, a quad's spots
// and corner marks (DrawQuad, RedrawChangedSpots) and the selection figures of the mouse tools.
#pragma once

#include <cstdint>
#include <vector>

#include "base/box.h"
#include "grid/grid_quad.h"
#include "grid/selection_shape.h"

namespace orvane {

enum class OverlayPenKind : std::uint8_t {
    Selection,   // rectangle and circle tools
    Spot,        // spots with neither Highlighted nor Selected
    Highlight,   // Highlighted spots and the corner marks
    Selected,    // the selected spot, two pixels wide
    Background,  // background circles or squares
};

struct OverlayPen {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::int32_t width = 1;
    friend bool operator==(const OverlayPen&, const OverlayPen&) = default;
};

// The pen's colour in the normal or the inverted display. Painted with NOT-XOR, the spot pen
// shows red on black and on white alike, the highlight pen blue.
OverlayPen PenOf(OverlayPenKind kind, bool invertedDisplay);

enum class OverlayShape : std::uint8_t { Line, Ellipse, Rectangle };

// One outline. Ellipses and rectangles fill the box (x0, y0)-(x1, y1) with the right and
// bottom edges exclusive; a line runs from (x0, y0) to (x1, y1), its end point excluded.
struct OverlayPrimitive {
    OverlayShape shape = OverlayShape::Line;
    OverlayPenKind pen = OverlayPenKind::Spot;
    std::int32_t x0 = 0;
    std::int32_t y0 = 0;
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;
    friend bool operator==(const OverlayPrimitive&, const OverlayPrimitive&) = default;
};

// What one overlay call draws. Every primitive is painted with the NOT-XOR raster operation,
// so painting the same figure a second time restores the pixels beneath it.
struct OverlayFigure {
    std::vector<OverlayPrimitive> primitives;

    bool empty() const { return primitives.empty(); }
    void clear() { primitives.clear(); }
    // The pixels the figure may touch, widened by the pen width; an empty box when empty.
    Box Bounds() const;
};

// The image area the overlay is drawn on; quads whose enlarged bounding box misses it are
// skipped, their shownFlags untouched.
using OverlayClip = Box;

// The corner marks of a quad that DrawQuad draws: the corner and the two lines of its "L".
struct CornerMark {
    GridPoint corner;
    OverlayPrimitive arms[2];
};
std::vector<CornerMark> CornerMarksOf(const GridQuad& quad);

// Appends the quad's outlines: spots (border spots only when fullDisplay is 0), backgrounds when
// fullDisplay is 1, the Marked crosses and the corner marks, and records each drawn spot's flags
// in shownFlags. Returns 0 for a quad without spots, else 1 (also when clipped away).
int DrawQuad(GridQuad& quad, const OverlayClip& clip, OverlayFigure& out);

// Appends what brings the window up to date after flag changes: each changed spot's figure as
// shown (erasing it) and as it now is; shownFlags follow the flags. Same result rule.
int RedrawChangedSpots(GridQuad& quad, const OverlayClip& clip, OverlayFigure& out);

// Appends the selection figure of the rectangle and circle tools; nothing for Point and Grid.
void DrawSelectionFigure(const SelectionShape& shape, OverlayFigure& out);

}  // namespace orvane
