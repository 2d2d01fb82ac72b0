// Geometry of the overlay: pens, the outlines of a quad and of the selection tools.
#include "overlay_figure.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace orvane {

namespace {

std::int32_t clampToInt32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

OverlayPenKind penForFlags(std::uint8_t flags) {
    if (flags & Selected) return OverlayPenKind::Selected;
    if (flags & Highlighted) return OverlayPenKind::Highlight;
    return OverlayPenKind::Spot;
}

OverlayPrimitive boxFigure(OverlayShape shape, OverlayPenKind pen, std::int64_t cx, std::int64_t cy,
                           std::int64_t r) {
    return {shape,
            pen,
            clampToInt32(cx - r),
            clampToInt32(cy - r),
            clampToInt32(cx + r),
            clampToInt32(cy + r)};
}

OverlayPrimitive line(OverlayPenKind pen, std::int64_t x0, std::int64_t y0, std::int64_t x1,
                      std::int64_t y1) {
    return {OverlayShape::Line, pen, clampToInt32(x0), clampToInt32(y0), clampToInt32(x1),
            clampToInt32(y1)};
}

// The spot figure for the given flags: nothing for an excluded spot; the circle or square in
// the pen of its flags; the two diagonals of its box when Marked.
void appendSpot(const GridQuad& quad, GridPoint c, std::uint8_t flags, OverlayFigure& out) {
    if (flags & Excluded) return;
    const OverlayShape shape = quad.roundCells ? OverlayShape::Ellipse : OverlayShape::Rectangle;
    const OverlayPenKind pen = penForFlags(flags);
    const std::int64_t r = quad.spotRadius;
    out.primitives.push_back(boxFigure(shape, pen, c.x, c.y, r));
    if (flags & Marked) {
        out.primitives.push_back(line(pen, c.x - r, c.y - r, c.x + r, c.y + r));
        out.primitives.push_back(line(pen, c.x + r, c.y - r, c.x - r, c.y + r));
    }
}

// The quad's corner bounding box, enlarged by the larger radius and 3 pixels, against the
// clip box (right and bottom exclusive on both).
bool quadVisible(const GridQuad& quad, const OverlayClip& clip) {
    const std::int64_t margin =
        static_cast<std::int64_t>(std::max(quad.spotRadius, quad.backgroundRadius)) + 3;
    const std::int64_t left = std::min(quad.TL.x, quad.BL.x) - margin;
    const std::int64_t right = std::max(quad.TR.x, quad.BR.x) + margin;
    const std::int64_t top = std::min(quad.TL.y, quad.TR.y) - margin;
    const std::int64_t bottom = std::max(quad.BL.y, quad.BR.y) + margin;
    return left < clip.right && right > clip.left && top < clip.bottom && bottom > clip.top &&
           clip.left < clip.right && clip.top < clip.bottom;
}

bool onBorder(const GridQuad& quad, std::int32_t col, std::int32_t row) {
    return col < 1 || row < 1 || col >= quad.nx - 1 || row >= quad.ny - 1;
}

void appendCornerMarks(const GridQuad& q, OverlayFigure& out) {
    for (const CornerMark& mark : CornerMarksOf(q))
        for (const OverlayPrimitive& arm : mark.arms) out.primitives.push_back(arm);
}

std::size_t spotIndex(const GridQuad& q, std::int32_t col, std::int32_t row) {
    return static_cast<std::size_t>(col) +
           static_cast<std::size_t>(row) * static_cast<std::size_t>(q.nx);
}

}  // namespace

std::vector<CornerMark> CornerMarksOf(const GridQuad& q) {
    // Each mark is an "L" of two 8-pixel lines from a point 4 pixels outside the corner.
    const auto mark = [](GridPoint c, int sx, int sy) {
        const std::int64_t ox = static_cast<std::int64_t>(c.x) + 4 * sx;
        const std::int64_t oy = static_cast<std::int64_t>(c.y) + 4 * sy;
        return CornerMark{c,
                          {line(OverlayPenKind::Highlight, ox, oy, ox - 8 * sx, oy),
                           line(OverlayPenKind::Highlight, ox, oy, ox, oy - 8 * sy)}};
    };
    std::vector<CornerMark> marks = {mark(q.TL, -1, -1)};
    if (q.nx > 1) marks.push_back(mark(q.TR, 1, -1));
    if (q.ny > 1) marks.push_back(mark(q.BL, -1, 1));
    if (q.nx > 1 && q.ny > 1) marks.push_back(mark(q.BR, 1, 1));
    return marks;
}

OverlayPen PenOf(OverlayPenKind kind, bool inverted) {
    switch (kind) {
    case OverlayPenKind::Selection: return {0, 127, 255, 1};
    case OverlayPenKind::Spot:
        return inverted ? OverlayPen{255, 0, 0, 1} : OverlayPen{0, 255, 255, 1};
    case OverlayPenKind::Highlight:
        return inverted ? OverlayPen{0, 0, 255, 1} : OverlayPen{255, 255, 0, 1};
    case OverlayPenKind::Selected:
        return inverted ? OverlayPen{0, 0, 255, 2} : OverlayPen{255, 255, 0, 2};
    case OverlayPenKind::Background: return {192, 192, 192, 1};
    }
    return {};
}

Box OverlayFigure::Bounds() const {
    if (primitives.empty()) return {};
    std::int64_t left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
    for (const OverlayPrimitive& p : primitives) {
        left = std::min<std::int64_t>({left, p.x0, p.x1});
        top = std::min<std::int64_t>({top, p.y0, p.y1});
        right = std::max<std::int64_t>({right, p.x0, p.x1});
        bottom = std::max<std::int64_t>({bottom, p.y0, p.y1});
    }
    // Two pixels cover the 2-pixel pen on either side of the outline.
    return {clampToInt32(left - 2), clampToInt32(top - 2), clampToInt32(right + 3),
            clampToInt32(bottom + 3)};
}

int DrawQuad(GridQuad& quad, const OverlayClip& clip, OverlayFigure& out) {
    if (quad.nx < 1 || quad.ny < 1 || !quad.defined) return 0;
    if (!quadVisible(quad, clip)) return 1;
    const OverlayShape shape = quad.roundCells ? OverlayShape::Ellipse : OverlayShape::Rectangle;
    for (std::int32_t col = 0; col < quad.nx; ++col) {
        for (std::int32_t row = 0; row < quad.ny; ++row) {
            if (quad.fullDisplay == 0 && !onBorder(quad, col, row)) continue;
            const GridPoint c = *quad.SpotCentre(col, row);
            const std::uint8_t flags = quad.Flags(col, row);
            if (!(flags & Excluded) && quad.fullDisplay == 1)
                out.primitives.push_back(
                    boxFigure(shape, OverlayPenKind::Background, c.x, c.y, quad.backgroundRadius));
            appendSpot(quad, c, flags, out);
            quad.shownFlags[spotIndex(quad, col, row)] = flags;
        }
    }
    appendCornerMarks(quad, out);
    return 1;
}

int RedrawChangedSpots(GridQuad& quad, const OverlayClip& clip, OverlayFigure& out) {
    if (quad.nx < 1 || quad.ny < 1 || !quad.defined) return 0;
    if (!quadVisible(quad, clip)) return 1;
    for (std::int32_t col = 0; col < quad.nx; ++col) {
        for (std::int32_t row = 0; row < quad.ny; ++row) {
            const std::size_t i = spotIndex(quad, col, row);
            if (quad.flags[i] == quad.shownFlags[i]) continue;
            const GridPoint c = *quad.SpotCentre(col, row);
            // First the figure as shown (which erases it), then the figure of the new flags.
            appendSpot(quad, c, quad.shownFlags[i], out);
            quad.shownFlags[i] = quad.flags[i];
            quad.prevSelCol = quad.selCol;
            quad.prevSelRow = quad.selRow;
            appendSpot(quad, c, quad.shownFlags[i], out);
        }
    }
    return 1;
}

void DrawSelectionFigure(const SelectionShape& s, OverlayFigure& out) {
    const std::int64_t dx = static_cast<std::int64_t>(s.x1) - s.x0;
    const std::int64_t dy = static_cast<std::int64_t>(s.y1) - s.y0;
    const auto length = [&] {
        return static_cast<std::int64_t>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
    };
    switch (s.tool) {
    case ToolKind::Rectangle:
        out.primitives.push_back(
            {OverlayShape::Rectangle, OverlayPenKind::Selection, s.x0, s.y0, s.x1, s.y1});
        break;
    case ToolKind::CircleByDiameter: {
        // Each coordinate of the centre truncates toward zero on its own.
        const std::int64_t cx = (static_cast<std::int64_t>(s.x0) + s.x1) / 2;
        const std::int64_t cy = (static_cast<std::int64_t>(s.y0) + s.y1) / 2;
        out.primitives.push_back(
            boxFigure(OverlayShape::Ellipse, OverlayPenKind::Selection, cx, cy, length() / 2));
        break;
    }
    case ToolKind::CircleByRadius:
        out.primitives.push_back(
            boxFigure(OverlayShape::Ellipse, OverlayPenKind::Selection, s.x0, s.y0, length()));
        break;
    case ToolKind::Point:
    case ToolKind::Grid: break;
    }
}

}  // namespace orvane
