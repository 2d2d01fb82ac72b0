// The view's zoom: following the model's scale about an anchor, Ctrl + wheel about the pointer,
// and scrolling to an image point at any scale. The arithmetic is ZoomScale's.
#include <algorithm>

#include <QScrollBar>
#include <QWheelEvent>

#include "view/ui/orvane_doc.h"
#include "view/ui/orvane_view.h"

namespace orvane {

void COrvaneView::zoomChanged() {
    const ZoomScale& zoom = model_->zoom();
    const DisplayState& display = model_->display();
    // Before the new scroll ranges: the image point under the anchor at the old scale.
    const QPoint anchor = model_->zoomAnchor()
                              ? QPoint(model_->zoomAnchor()->x, model_->zoomAnchor()->y)
                              : QPoint(viewport()->width() / 2, viewport()->height() / 2);
    const ZoomScale& old = model_->previousZoom();
    QPoint kept(
        static_cast<int>(old.ToImage(std::int64_t{anchor.x()} + horizontalScrollBar()->value())),
        static_cast<int>(old.ToImage(std::int64_t{anchor.y()} + verticalScrollBar()->value())));
    if (!model_->zoomAnchor()) {
        // The window's centre may lie on the glass beside a fitted picture: the scan's nearest
        // point is kept there instead, so that the new scale shows the scan.
        kept = QPoint(std::clamp(kept.x(), 0, std::max(0, display.imageWidth - 1)),
                      std::clamp(kept.y(), 0, std::max(0, display.imageHeight - 1)));
    }
    updateScrollBars();
    horizontalScrollBar()->setValue(static_cast<int>(
        ScrollKeeping(zoom, kept.x(), anchor.x(), display.imageWidth, viewport()->width())));
    verticalScrollBar()->setValue(static_cast<int>(
        ScrollKeeping(zoom, kept.y(), anchor.y(), display.imageHeight, viewport()->height())));
    picture_.Invalidate();
    viewport()->update();
    reportVisibleArea();
}

void COrvaneView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier) || GetDocument()->layerCount() == 0) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    const int delta = event->angleDelta().y();
    if (delta != 0) {
        const ZoomScale fit = model_->fitScale();
        const ZoomScale& zoom = model_->zoom();
        const QPoint at = event->position().toPoint();
        model_->SetZoom(delta > 0 ? zoom.StepIn(fit) : zoom.StepOut(fit),
                        WindowPoint{at.x(), at.y()});
    }
    event->accept();
}

void COrvaneView::CentreOn(QPoint point) {
    const ZoomScale& zoom = model_->zoom();
    const DisplayState& display = model_->display();
    horizontalScrollBar()->setValue(
        static_cast<int>(ScrollCentring(zoom, point.x(), display.imageWidth, viewport()->width())));
    verticalScrollBar()->setValue(static_cast<int>(
        ScrollCentring(zoom, point.y(), display.imageHeight, viewport()->height())));
}

void COrvaneView::EnsureVisible(QPoint point, int margin) {
    const QPoint at = toWindow(point);
    const QRect inner = viewport()->rect().adjusted(margin, margin, -margin, -margin);
    if (!inner.contains(at)) CentreOn(point);
}

}  // namespace orvane
