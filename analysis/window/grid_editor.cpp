// The view's grid editor: tools, overlay state, mouse and key handling and the grid commands.
#include "window/grid_editor.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "base/core_error.h"
#include "grid/spot_walk.h"
#include "measure/find_genes.h"
#include "measure/spot_geometry.h"

namespace orvane {

namespace {

constexpr OverlayClip kUnclipped = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};

std::int32_t addClamped(std::int32_t a, std::int64_t b) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(a + b, INT32_MIN, INT32_MAX));
}

std::string pairText(const char* format, std::int32_t a, std::int32_t b) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

// Runs `step`; when it throws, `restore` runs before the error goes on, so a failed command
// never leaves the grid erased from the window.
template <typename Step, typename Restore>
void withRestore(Step step, Restore restore) {
    try {
        step();
    } catch (...) {
        restore();
        throw;
    }
}

}  // namespace

std::optional<SelectedSpot> GridEditor::SelectedGridSpot() const {
    const GridQuad& q = currentQuad();
    if (!q.HasSelection()) return std::nullopt;
    const std::optional<GridPoint> c = q.SpotCentre(q.selCol, q.selRow);
    if (!c) return std::nullopt;
    return SelectedSpot{c->x, c->y, q.spotRadius, q.roundCells == 1};
}

std::optional<SelectionArea> GridEditor::SelectionAreaOf() const {
    return GetSelectionArea(shape_, SelectedGridSpot());
}

// --- Overlay -----------------------------------------------------------------------------------

void GridEditor::paint(const OverlayFigure& figure) {
    if (surface_ != nullptr && !figure.empty()) surface_->PaintFigure(figure, inverted_);
}

void GridEditor::DrawOverlay(bool onlyCurrent) {
    const OverlayClip clip = surface_ != nullptr ? surface_->ClipBox() : kUnclipped;
    OverlayFigure figure;
    if (shape_.tool == ToolKind::Grid) {
        if (onlyCurrent) {
            DrawQuad(currentQuad(), clip, figure);
        } else {
            ForEachQuad<WalkOrder::ByColumn>(
                grid_, [&](std::int32_t, std::int32_t, GridQuad& q) { DrawQuad(q, clip, figure); });
        }
    } else {
        DrawSelectionFigure(shape_, figure);
    }
    paint(figure);
}

void GridEditor::ShowOverlay(bool onlyCurrent) {
    if (overlayShown_) return;
    DrawOverlay(onlyCurrent);
    overlayShown_ = true;
}

void GridEditor::HideOverlay(bool onlyCurrent) {
    if (!overlayShown_) return;
    DrawOverlay(onlyCurrent);
    overlayShown_ = false;
}

void GridEditor::PictureRenewed() {
    DrawOverlay(false);
    overlayShown_ = true;
}

void GridEditor::redrawChangedSpots(GridQuad& quad) {
    // With the overlay off the window the next ShowOverlay draws the quad as its flags are; an
    // incremental redraw now would leave figures behind on the picture.
    if (!overlayShown_) return;
    OverlayFigure figure;
    RedrawChangedSpots(quad, surface_ != nullptr ? surface_->ClipBox() : kUnclipped, figure);
    paint(figure);
}

void GridEditor::RedrawAllChangedSpots() {
    ForEachQuad<WalkOrder::ByColumn>(
        grid_, [&](std::int32_t, std::int32_t, GridQuad& q) { redrawChangedSpots(q); });
}

// --- Tools -------------------------------------------------------------------------------------

void GridEditor::SelectTool(ToolKind tool) {
    if (dragging()) return;  // the drag owns the overlay until the button comes up
    if (tool == ToolKind::Grid && currentQuad().defined == 0)
        throw CoreError("Please define / load grid.");
    HideOverlay(false);
    shape_.tool = tool;
    if (tool != ToolKind::Point) ShowOverlay(false);
}

void GridEditor::SetShape(const SelectionShape& shape) {
    if (dragging()) return;
    HideOverlay(false);
    shape_ = shape;
    if (shape.tool != ToolKind::Point) ShowOverlay(false);
}

// --- Mouse ---------------------------------------------------------------------------------------

void GridEditor::makeCurrent(std::int32_t qx, std::int32_t qy) {
    GridQuad& old = currentQuad();
    old.ClearSelection();
    redrawChangedSpots(old);
    selectedQuadX_ = qx;
    selectedQuadY_ = qy;
}

namespace {

// The distance in screen pixels from image pixel (x, y) to a corner mark's line at `scale`
// screen pixels per image pixel.
double screenDistance(const OverlayPrimitive& line, std::int32_t x, std::int32_t y, double scale) {
    const auto along = [](double v, std::int32_t a, std::int32_t b) {
        return std::clamp(v, static_cast<double>(std::min(a, b)),
                          static_cast<double>(std::max(a, b)));
    };
    const double px = x, py = y;
    const double dx = px - along(px, line.x0, line.x1), dy = py - along(py, line.y0, line.y1);
    return std::sqrt(dx * dx + dy * dy) * scale;
}

}  // namespace

GridPoint* GridEditor::hitCorner(GridQuad& quad, std::int32_t x, std::int32_t y) const {
    if (GridPoint* corner = quad.HitCorner(x, y, scaleNum_, scaleDen_)) return corner;
    // At 1:1 every mark lies within the corner's own reach, and below it the marks shrink into
    // it. Above 1:1 a mark is drawn apart from its corner (16 screen pixels at 4x), and pressing
    // it must grab the corner. The press is known to an image pixel only: a pixel's diagonal on
    // the screen is allowed for that.
    if (scaleNum_ <= scaleDen_ || quad.nx < 1 || quad.ny < 1) return nullptr;
    const double scale = static_cast<double>(scaleNum_) / static_cast<double>(scaleDen_);
    const double reach = kCornerGrabPixels + std::sqrt(2.0) * scale;
    for (const CornerMark& mark : CornerMarksOf(quad))
        for (const OverlayPrimitive& arm : mark.arms)
            if (screenDistance(arm, x, y, scale) <= reach)
                for (GridPoint* corner : {&quad.TL, &quad.TR, &quad.BL, &quad.BR})
                    if (*corner == mark.corner) return corner;
    return nullptr;
}

bool GridEditor::startCornerDrag(std::int32_t x, std::int32_t y, bool shift) {
    for (std::int32_t qx = 0; qx < grid_.parameters.quadsX && qx < kMaxQuadsX; ++qx) {
        for (std::int32_t qy = 0; qy < grid_.parameters.quadsY && qy < kMaxQuadsY; ++qy) {
            GridPoint* corner = hitCorner(grid_.quad(qx, qy), x, y);
            if (corner == nullptr) continue;
            makeCurrent(qx, qy);
            HideOverlay(true);
            // Border-only while dragging unless "Drag Full Grid" is on.
            currentQuad().fullDisplay = grid_.parameters.dragFullGrid;
            // At 1:1 the corner jumps to the pointer, as it always has. At other zooms a screen
            // pixel is not an image pixel, and a jump of the grab distance would move the quad
            // by many image pixels: the corner keeps its offset from the pointer instead.
            const GridPoint press{x, y};
            if (shift) {
                quadDrag_ = corner;
                dragLast_ = oneToOne() ? *corner : press;
            } else {
                cornerDrag_ = corner;
                grabOffset_ = oneToOne() ? GridPoint{} : GridPoint{corner->x - x, corner->y - y};
                *corner = {addClamped(x, grabOffset_.x), addClamped(y, grabOffset_.y)};
            }
            ShowOverlay(true);
            return true;
        }
    }
    return false;
}

void GridEditor::selectSpotAt(std::int32_t x, std::int32_t y) {
    for (std::int32_t qx = 0; qx < grid_.parameters.quadsX && qx < kMaxQuadsX; ++qx) {
        for (std::int32_t qy = 0; qy < grid_.parameters.quadsY && qy < kMaxQuadsY; ++qy) {
            const SpotHit hit = grid_.quad(qx, qy).HitSpot(x, y);
            if (hit.inside && SelectSpot(qx, qy, hit.col, hit.row)) return;
        }
    }
}

bool GridEditor::SelectSpot(std::int32_t qx, std::int32_t qy, std::int32_t col, std::int32_t row) {
    if (!grid_.InUse(qx, qy)) return false;
    const GridQuad& quad = grid_.quad(qx, qy);
    if (!quad.ValidSpot(col, row) || (quad.Flags(col, row) & Excluded)) return false;
    makeCurrent(qx, qy);
    GridQuad& current = currentQuad();
    current.SelectSpot(col, row);
    redrawChangedSpots(current);
    const SpotIntensity measured =
        image_ != nullptr ? MeasureSpot(*image_, current, col, row) : SpotIntensity{};
    spotMean_ = measured.spotMean;
    backgroundMean_ = measured.backgroundMean;
    return true;
}

void GridEditor::LeftButtonDown(std::int32_t x, std::int32_t y, bool shift) {
    if (dragging()) return;
    if (shape_.tool == ToolKind::Grid) {
        if (!startCornerDrag(x, y, shift)) selectSpotAt(x, y);
        return;
    }
    HideOverlay(false);
    shape_.x0 = shape_.x1 = x;
    shape_.y0 = shape_.y1 = y;
    ShowOverlay(false);
}

ScrollPosition GridEditor::autoScroll(std::int32_t wx, std::int32_t wy, ScrollPosition s,
                                      const ViewScroll& view) const {
    const std::int64_t maxX = static_cast<std::int64_t>(view.imageWidth) - view.clientWidth;
    const std::int64_t maxY = static_cast<std::int64_t>(view.imageHeight) - view.clientHeight;
    if (wx > view.clientWidth && s.x <= maxX)
        s.x = addClamped(s.x, static_cast<std::int64_t>(wx) - view.clientWidth);
    else if (wx < 0 && s.x > 0)
        s.x = addClamped(s.x, wx);
    if (wy > view.clientHeight && s.y <= maxY)
        s.y = addClamped(s.y, static_cast<std::int64_t>(wy) - view.clientHeight);
    else if (wy < 0 && s.y > 0)
        s.y = addClamped(s.y, wy);
    return s;
}

std::optional<ScrollPosition> GridEditor::MouseMove(std::int32_t wx, std::int32_t wy,
                                                    const MouseButtons& buttons,
                                                    const ViewScroll& view) {
    return MouseMove(wx, wy, addClamped(wx, view.scrollX), addClamped(wy, view.scrollY), buttons,
                     view);
}

std::optional<ScrollPosition> GridEditor::MouseMove(std::int32_t wx, std::int32_t wy,
                                                    std::int32_t x, std::int32_t y,
                                                    const MouseButtons& buttons,
                                                    const ViewScroll& view) {
    if (!buttons.left && !buttons.middle && !buttons.right) return std::nullopt;
    const ScrollPosition current{view.scrollX, view.scrollY};
    ScrollPosition s = current;
    if (buttons.middle) {
        // Panning keeps the image point under the cursor where the middle button went down;
        // the scroll position counts screen pixels, so the image distance is scaled.
        if (panning_) {
            s.x = addClamped(
                s.x, -(static_cast<std::int64_t>(x) - panAnchor_.x) * scaleNum_ / scaleDen_);
            s.y = addClamped(
                s.y, -(static_cast<std::int64_t>(y) - panAnchor_.y) * scaleNum_ / scaleDen_);
        }
    } else {
        s = autoScroll(wx, wy, s, view);
        if (!(shape_.tool == ToolKind::Grid && !dragging())) HideOverlay(true);
        if (shape_.tool != ToolKind::Point) {
            shape_.x1 = x;
            shape_.y1 = y;
        }
        if (cornerDrag_ != nullptr)
            *cornerDrag_ = {addClamped(x, grabOffset_.x), addClamped(y, grabOffset_.y)};
        if (quadDrag_ != nullptr) {
            const std::int64_t dx = static_cast<std::int64_t>(x) - dragLast_.x;
            const std::int64_t dy = static_cast<std::int64_t>(y) - dragLast_.y;
            GridQuad& q = currentQuad();
            for (GridPoint* corner : {&q.TL, &q.TR, &q.BL, &q.BR})
                *corner = {addClamped(corner->x, dx), addClamped(corner->y, dy)};
            dragLast_ = {x, y};
        }
    }
    // A window larger than the picture has no room to scroll: the limit is then 0.
    const std::int32_t maxX = std::max(0, view.imageWidth - view.clientWidth);
    const std::int32_t maxY = std::max(0, view.imageHeight - view.clientHeight);
    s.x = std::min(std::max(s.x, 0), maxX);
    s.y = std::min(std::max(s.y, 0), maxY);
    ShowOverlay(true);
    if (s == current) return std::nullopt;
    return s;
}

void GridEditor::finishGridDrag() {
    HideOverlay(true);
    GridQuad& q = currentQuad();
    q.fullDisplay = 1;
    ShowOverlay(true);
    GridParameters& p = grid_.parameters;
    if (image_ != nullptr) {
        // The origin follows quad [0][0] whichever quad moved: the inverse of Define Grid.
        const GridQuad& first = grid_.quad(0, 0);
        p.originX = image_->PixelsToLengthX(first.TL.x);
        p.originY = image_->PixelsToLengthY(first.TL.y);
        if (p.relativeOffsets == 0) {
            p.originX += image_->scanOriginX + 1.6;
            p.originY += image_->scanOriginY + 0.9;
        }
        if (cornerDrag_ != nullptr) {
            p.stepXmm = q.nx < 2 ? 0.0 : image_->PixelsToLengthX(q.BR.x - q.TL.x) / (q.nx - 1);
            p.stepYmm = q.ny < 2 ? 0.0 : image_->PixelsToLengthY(q.BR.y - q.TL.y) / (q.ny - 1);
        }
    }
    cornerDrag_ = quadDrag_ = nullptr;
}

void GridEditor::LeftButtonUp() {
    if (shape_.tool == ToolKind::Grid && dragging()) finishGridDrag();
}

void GridEditor::MiddleButtonDown(std::int32_t x, std::int32_t y) {
    panAnchor_ = {x, y};
    panning_ = true;
    cursor_ = EditorCursor::Move;
}

void GridEditor::MiddleButtonUp() {
    panning_ = false;
    cursor_ = EditorCursor::Arrow;
}

// --- Keys ----------------------------------------------------------------------------------------

bool GridEditor::CharKey(char c) {
    // During a drag only the border of the current quad is on the window; an incremental redraw
    // of its inner spots would leave figures behind, so keys wait for the button to come up.
    if (!overlayShown_ || shape_.tool != ToolKind::Grid || dragging()) return false;
    const char key = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    if (key == 'R') {
        ForEachQuad<WalkOrder::ByColumn>(grid_, [&](std::int32_t, std::int32_t, GridQuad& q) {
            q.ClearFlags(Highlighted | Marked);
            redrawChangedSpots(q);
        });
    } else if (key == 'X') {
        GridQuad& q = currentQuad();
        if (q.HasSelection() && q.ValidSpot(q.selCol, q.selRow))
            q.Flags(q.selCol, q.selRow) ^= Marked;
    }
    redrawChangedSpots(currentQuad());
    return key == 'R' || key == 'X';
}

// --- Panes ---------------------------------------------------------------------------------------

GridPaneTexts GridEditor::PaneTexts() const {
    const GridQuad& q = currentQuad();
    if (!q.HasSelection() || !q.ValidSpot(q.selCol, q.selRow)) {
        const std::string none = "Not Selected.";
        return {none, none, none, none, none};
    }
    GridPaneTexts texts;
    texts.quad = pairText("Quad: (%d, %d)", selectedQuadX_ + 1, selectedQuadY_ + 1);
    texts.spot = pairText("Spot: (%d, %d)", q.selCol + 1, q.selRow + 1);
    const SlideMapRecord* record =
        grid_.parameters.GetSpotRecord(selectedQuadX_, selectedQuadY_, q.selCol, q.selRow);
    texts.uid = "UID: " + std::string(record != nullptr ? record->Uid() : "NA");
    texts.description = "Descr: " + std::string(record != nullptr ? record->Description() : "NA");
    char ia[160];
    std::snprintf(ia, sizeof ia, "IA: (%d/%d, %d/%d, %d/%d)", spotMean_[0], backgroundMean_[0],
                  spotMean_[1], backgroundMean_[1], spotMean_[2], backgroundMean_[2]);
    texts.intensity = ia;
    return texts;
}

// --- Grid commands -------------------------------------------------------------------------------

void GridEditor::SetParameters(const GridParameters& parameters) {
    const bool shown = overlayShown_;
    HideOverlay(false);
    grid_.parameters = parameters;
    if (shown) ShowOverlay(false);
}

void GridEditor::ReplaceGrid(const std::function<void()>& change, bool gridTool) {
    HideOverlay(false);
    withRestore(change, [&] { ShowOverlay(false); });
    if (gridTool) shape_.tool = ToolKind::Grid;
    ShowOverlay(false);
}

void GridEditor::CheckSaveGrid() const {
    if (shape_.tool != ToolKind::Grid) throw CoreError("Please define / select grid.");
}

}  // namespace orvane
