// Steps around every change of the grid, and Undo and Redo, which swap a step's quads in and
// draw the overlay afresh.
#include "window/window_model.h"

#include "grid/spot_walk.h"

namespace orvane {

bool WindowModel::Step(const std::string& name, const std::function<void()>& change) {
    history_.Begin(editor_.grid(), editor_.currentSlot());
    try {
        change();
    } catch (...) {
        history_.Commit(editor_.grid(), name);
        notify(ModelChange::Stepped);
        throw;
    }
    const bool recorded = history_.Commit(editor_.grid(), name);
    notify(ModelChange::Stepped);
    return recorded;
}

void WindowModel::BeginDrag(std::string name) {
    if (!editor_.dragging()) history_.Begin(editor_.grid(), editor_.currentSlot());
    dragStep_ = std::move(name);
}

void WindowModel::EndDrag() { history_.Commit(editor_.grid(), dragStep_); }

void WindowModel::MarkSaved() {
    history_.MarkSaved();
    notify(ModelChange::Saved);
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
    notify(ModelChange::Swapped);
    return true;
}

void WindowModel::notify(ModelChange change) const {
    for (const Observer& observer : observers_) observer(change);
}

}  // namespace orvane
