// The window's grid history: steps recorded around every change of the grid, marks and
// highlights, and Undo and Redo, which swap a step's quads in and draw the overlay afresh.
#include "base/ui/shell_services.h"
#include "view/ui/orvane_view.h"

namespace orvane {

void COrvaneView::GridStep(const std::string& name, const std::function<void()>& change) {
    history_.Begin(editor_.grid(), editor_.currentSlot());
    try {
        change();
    } catch (...) {
        // Whatever a failed command changed before it failed can be taken back too.
        history_.Commit(editor_.grid(), name);
        emit stateChanged();
        throw;
    }
    history_.Commit(editor_.grid(), name);
    emit stateChanged();
}

void COrvaneView::MarkGridSaved() {
    history_.MarkSaved();
    emit stateChanged();
}

bool COrvaneView::GridUnsaved() const {
    if (!history_.Modified()) return false;
    // Undoing the first Define Grid leaves no grid to save.
    const SpotGrid& grid = editor_.grid();
    for (std::int32_t qx = 0; qx < grid.parameters.quadsX; ++qx)
        for (std::int32_t qy = 0; qy < grid.parameters.quadsY; ++qy)
            if (grid.InUse(qx, qy) && grid.quad(qx, qy).defined) return true;
    return false;
}

void COrvaneView::UndoGrid() { swapHistory(true); }
void COrvaneView::RedoGrid() { swapHistory(false); }

void COrvaneView::swapHistory(bool undo) {
    if (editor_.dragging() || !(undo ? history_.CanUndo() : history_.CanRedo())) return;
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
    showMessagePaneText("Ready");
    repaintAll();
    emit stateChanged();
    emit spotDataChanged();
}

}  // namespace orvane
