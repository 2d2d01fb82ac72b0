// Steps around every change of the grid, Undo and Redo, which swap a step's quads in and draw
// the overlay afresh, and the display, zoom, tool and spot operations of one window.
#include "window/window_model.h"

#include <algorithm>

#include "base/core_error.h"
#include "grid/define_grid.h"
#include "grid/grid_file.h"
#include "grid/spot_walk.h"
#include "measure/spot_geometry.h"

namespace orvane {

bool WindowModel::Step(const std::string& name, const std::function<void()>& change) {
    history_.Begin(editor_.grid(), editor_.currentSlot());
    try {
        change();
    } catch (...) {
        history_.Commit(editor_.grid(), name);
        Notify(ModelChange::Stepped);
        throw;
    }
    const bool recorded = history_.Commit(editor_.grid(), name);
    Notify(ModelChange::Stepped);
    return recorded;
}

void WindowModel::BeginDrag(std::string name) {
    if (!editor_.dragging()) history_.Begin(editor_.grid(), editor_.currentSlot());
    dragStep_ = std::move(name);
}

void WindowModel::EndDrag() {
    history_.Commit(editor_.grid(), dragStep_);
    Notify(ModelChange::Stepped);
    Notify(ModelChange::SpotData);
}

void WindowModel::MarkSaved() {
    history_.MarkSaved();
    Notify(ModelChange::Saved);
}

bool WindowModel::GridUnsaved() const {
    if (!history_.Modified()) return false;
    // Undoing the first Define Grid leaves no grid to save.
    bool defined = false;
    ForEachQuad<WalkOrder::ByColumn>(editor_.grid(),
                                     [&](std::int32_t, std::int32_t, const GridQuad& q) {
                                         defined = defined || q.defined != 0;
                                     });
    return defined;
}

bool WindowModel::swap(bool undo) {
    if (editor_.dragging() || !(undo ? history_.CanUndo() : history_.CanRedo())) return false;
    editor_.HideOverlay(false);
    std::size_t current = editor_.currentSlot();
    if (undo)
        history_.Undo(editor_.grid(), current);
    else
        history_.Redo(editor_.grid(), current);
    editor_.RestoreCurrentSlot(current);
    // Undoing the first Define Grid leaves no grid: the grid tool has nothing to show then.
    if (editor_.tool() == ToolKind::Grid && editor_.currentQuad().defined == 0) {
        SelectionShape point = editor_.shape();
        point.tool = ToolKind::Point;
        editor_.SetShape(point);
    }
    editor_.ShowOverlay(false);
    Notify(ModelChange::Swapped);
    return true;
}

void WindowModel::SetParameters(const GridParameters& parameters) {
    Step("Grid Parameters", [&] { editor_.SetParameters(parameters); });
}

void WindowModel::DefineGrid(const GridParameters& parameters) {
    const LayeredImage* image = editor_.image();
    if (image == nullptr) throw CoreError("Please define / load grid.");
    Step("Define Grid", [&] {
        editor_.ReplaceGrid(
            [&] {
                editor_.grid().parameters = parameters;
                DefineGridLayout(editor_.grid(), *image);
            },
            true);
    });
    MarkSaved();
    Notify(ModelChange::SpotData);
}

void WindowModel::LoadGrid(const std::string& path) {
    Step("Load Grid",
         [&] { editor_.ReplaceGrid([&] { orvane::LoadGrid(path, editor_.grid()); }, true); });
    MarkSaved();
    Notify(ModelChange::SpotData);
}

void WindowModel::AdjustGrid(AdjustMethod method) {
    RequireGridDisplay(editor_.tool(), editor_.currentQuad());
    const LayeredImage* image = editor_.image();
    if (image == nullptr) return;
    const char* name = method == AdjustMethod::TwoDimensionalWindow   ? "Adjust Grid 2DW"
                       : method == AdjustMethod::OneDimensionalWindow ? "Adjust Grid 1DW"
                                                                      : "Adjust Grid CM";
    Step(name, [&] {
        editor_.ReplaceGrid(
            [&] { orvane::AdjustGrid(editor_.grid(), editor_.currentQuad(), *image, method); },
            false);
    });
    Notify(ModelChange::SpotData);
}

AutoPlaceResult WindowModel::AutoPlaceGrid() {
    RequireGridDisplay(editor_.tool(), editor_.currentQuad());
    AutoPlaceResult result;
    const LayeredImage* image = editor_.image();
    if (image == nullptr) return result;
    Step("Auto Place", [&] {
        editor_.ReplaceGrid([&] { result = orvane::AutoPlaceGrid(editor_.grid(), *image); }, false);
    });
    Notify(ModelChange::SpotData);
    return result;
}

std::int32_t WindowModel::FindGenes(const FindSettings& settings) {
    RequireAnnotatedGrid(editor_.overlayShown(), editor_.tool(), editor_.grid());
    std::int32_t count = 0;
    Step("Find Genes", [&] {
        count = orvane::FindGenes(editor_.grid(), settings);
        editor_.RedrawAllChangedSpots();
    });
    return count;
}

MarkNotFoundResult WindowModel::MarkSpotsNotFound(const SpotResults& results,
                                                  const NotFoundRule& rule) {
    MarkNotFoundResult marked;
    Step("Mark Spots Not Found", [&] {
        marked = orvane::MarkSpotsNotFound(editor_.grid(), results, rule);
        editor_.RedrawAllChangedSpots();
    });
    return marked;
}

void WindowModel::ChangeDisplay(const std::function<void(DisplayState&)>& change) {
    change(display_);
    Notify(ModelChange::Display);
}

void WindowModel::ResetPicture(std::int32_t width, std::int32_t height) {
    display_.imageWidth = width;
    display_.imageHeight = height;
    display_.logDisplay = true;
    zoom_ = previousZoom_ = ZoomScale();
    editor_.SetScale(1, 1);
}

void WindowModel::SetZoom(const ZoomScale& scale, std::optional<WindowPoint> anchor) {
    if (scale == zoom_) return;
    previousZoom_ = zoom_;
    zoom_ = scale;
    zoomAnchor_ = anchor;
    editor_.SetScale(scale.num(), scale.den());
    Notify(ModelChange::Zoom);
    zoomAnchor_.reset();
}

void WindowModel::SetWindowArea(std::int32_t width, std::int32_t height) {
    windowArea_ = {width, height};
}

ZoomScale WindowModel::fitScale() const {
    return ZoomScale::Fit(display_.imageWidth, display_.imageHeight, windowArea_.x, windowArea_.y);
}

void WindowModel::SelectTool(ToolKind tool) {
    try {
        editor_.SelectTool(tool);
    } catch (...) {
        Notify(ModelChange::Selection);
        throw;
    }
    Notify(ModelChange::Selection);
}

void WindowModel::SetSelection(const SelectionShape& shape) {
    editor_.SetShape(shape);
    Notify(ModelChange::Selection);
}

bool WindowModel::ShowSpot(const SpotIndex& spot) {
    if (editor_.tool() != ToolKind::Grid) {
        if (editor_.grid().quad(spot.qx, spot.qy).defined == 0) return false;
        SelectTool(ToolKind::Grid);
        if (editor_.tool() != ToolKind::Grid) return false;  // a drag is under way
    }
    if (!editor_.SelectSpot(spot.qx, spot.qy, spot.col, spot.row)) {
        Notify(ModelChange::Selection);
        return false;
    }
    CentreOn(*editor_.currentQuad().SpotCentre(spot.col, spot.row));
    Notify(ModelChange::Selection);
    return true;
}

void WindowModel::CentreOn(GridPoint point) {
    focus_ = point;
    Notify(ModelChange::Focus);
}

void WindowModel::SetVisibleArea(const Box& area) {
    if (area == visibleArea_) return;
    visibleArea_ = area;
    Notify(ModelChange::VisibleArea);
}

std::int32_t WindowModel::HighlightSpots(const std::vector<SpotIndex>& spots) {
    std::int32_t count = 0;
    Step("Highlight Spots", [&] {
        count = orvane::HighlightSpots(editor_.grid(), spots);
        editor_.RedrawAllChangedSpots();
    });
    return count;
}

int WindowModel::AddObserver(Observer observer) {
    observers_.emplace_back(nextObserver_, std::move(observer));
    return nextObserver_++;
}

void WindowModel::RemoveObserver(int handle) {
    std::erase_if(observers_, [handle](const auto& entry) { return entry.first == handle; });
}

void WindowModel::Notify(ModelChange change) const {
    // An observer may remove itself (or another) while it hears the change.
    const auto observers = observers_;
    for (const auto& entry : observers) entry.second(change);
}

}  // namespace orvane
