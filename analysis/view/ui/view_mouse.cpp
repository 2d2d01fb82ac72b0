// The view's mouse and key handling: events are converted to image points and handed to the
// grid editor, which changes the grid and selection and inverts the overlay into the picture.
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include "base/ui/shell_services.h"
#include "view/ui/orvane_view.h"

namespace orvane {

ViewScroll COrvaneView::viewScroll() const {
    // Scroll limits count screen pixels: the image's size at the view's zoom.
    return {horizontalScrollBar()->value(),
            verticalScrollBar()->value(),
            viewport()->width(),
            viewport()->height(),
            static_cast<std::int32_t>(model_->zoom().ContentSize(model_->display().imageWidth)),
            static_cast<std::int32_t>(model_->zoom().ContentSize(model_->display().imageHeight))};
}

void COrvaneView::mousePressEvent(QMouseEvent* event) {
    const QPoint p = toImage(event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        // Qt keeps the mouse with this widget until the button comes up. A drag that starts
        // here becomes one step of the history when the button comes up (a click, which only
        // selects, none).
        const bool shift = event->modifiers() & Qt::ShiftModifier;
        model_->BeginDrag(shift ? "Move Quad" : "Move Corner");
        editor_.LeftButtonDown(p.x(), p.y(), shift);
        model_->Notify(ModelChange::Selection);
    } else if (event->button() == Qt::MiddleButton) {
        editor_.MiddleButtonDown(p.x(), p.y());
        viewport()->setCursor(Qt::SizeAllCursor);
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void COrvaneView::mouseMoveEvent(QMouseEvent* event) {
    const Qt::MouseButtons held = event->buttons();
    const MouseButtons buttons{(held & Qt::LeftButton) != 0, (held & Qt::MiddleButton) != 0,
                               (held & Qt::RightButton) != 0};
    if (!buttons.left && !buttons.middle && !buttons.right) return;
    const QPoint w = event->position().toPoint();
    const QPoint p = toImage(w);
    if (const auto scroll = editor_.MouseMove(w.x(), w.y(), p.x(), p.y(), buttons, viewScroll())) {
        horizontalScrollBar()->setValue(scroll->x);
        verticalScrollBar()->setValue(scroll->y);
    }
    if (buttons.left && editor_.tool() == ToolKind::Grid) model_->Notify(ModelChange::Dragged);
    QAbstractScrollArea::mouseMoveEvent(event);
}

void COrvaneView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const bool dragged = editor_.dragging();
        editor_.LeftButtonUp();
        if (dragged) model_->EndDrag();
        model_->Notify(ModelChange::Selection);
    } else if (event->button() == Qt::MiddleButton) {
        editor_.MiddleButtonUp();
        viewport()->setCursor(Qt::ArrowCursor);
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void COrvaneView::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (text.size() == 1 && text[0].unicode() < 128) {
        const char key = static_cast<char>(text[0].unicode());
        const bool remove = key == 'r' || key == 'R';
        // Only R and X change the grid: no other key costs a copy of it for the history.
        if (remove || key == 'x' || key == 'X') {
            bool used = false;
            model_->Step(remove ? "Remove Marks" : "Mark Spot",
                         [&] { used = editor_.CharKey(key); });
            // They change the marks and highlights that the last result message counted.
            if (used) showMessagePaneText("Ready");
        } else {
            editor_.CharKey(key);
        }
    }
    QAbstractScrollArea::keyPressEvent(event);
}

}  // namespace orvane
