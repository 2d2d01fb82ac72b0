// The view's zoom: the four zoom commands, Ctrl + wheel about the pointer, and scrolling to an
// image point at any scale. The arithmetic is ZoomScale's.
#include <QScrollBar>
#include <QWheelEvent>

#include "app/orvane_doc.h"
#include "view/ui/orvane_view.h"

namespace orvane {

ZoomScale COrvaneView::fitScale() const {
    // The window without scroll bars: at the fit scale there are none.
    const QSize area = maximumViewportSize();
    return ZoomScale::Fit(display_.imageWidth, display_.imageHeight, area.width(), area.height());
}

QString COrvaneView::zoomText() const { return QString::fromStdString(zoom_.PercentText()); }

void COrvaneView::SetZoom(const ZoomScale& scale) {
    SetZoom(scale, QPoint(viewport()->width() / 2, viewport()->height() / 2));
}

void COrvaneView::SetZoom(const ZoomScale& scale, QPoint anchor) {
    if (scale == zoom_) return;
    const QPoint kept = toImage(anchor);
    zoom_ = scale;
    editor_.SetScale(scale.num(), scale.den());
    updateScrollBars();
    horizontalScrollBar()->setValue(static_cast<int>(
        ScrollKeeping(zoom_, kept.x(), anchor.x(), display_.imageWidth, viewport()->width())));
    verticalScrollBar()->setValue(static_cast<int>(
        ScrollKeeping(zoom_, kept.y(), anchor.y(), display_.imageHeight, viewport()->height())));
    invalidatePicture();
    repaintAll();
    emit visibleAreaChanged();
    emit stateChanged();
}

void COrvaneView::OnZoomIn() { SetZoom(zoom_.StepIn(fitScale())); }
void COrvaneView::OnZoomOut() { SetZoom(zoom_.StepOut(fitScale())); }
void COrvaneView::OnZoomFit() { SetZoom(fitScale(), QPoint(0, 0)); }
void COrvaneView::OnZoomActual() { SetZoom(ZoomScale()); }

void COrvaneView::OnUpdateZoom(CmdUi& ui) const { ui.enabled = document_->layerCount() != 0; }

void COrvaneView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier) || document_->layerCount() == 0) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    const int delta = event->angleDelta().y();
    if (delta != 0) {
        const ZoomScale fit = fitScale();
        SetZoom(delta > 0 ? zoom_.StepIn(fit) : zoom_.StepOut(fit), event->position().toPoint());
    }
    event->accept();
}

void COrvaneView::CentreOn(QPoint point) {
    horizontalScrollBar()->setValue(static_cast<int>(
        ScrollCentring(zoom_, point.x(), display_.imageWidth, viewport()->width())));
    verticalScrollBar()->setValue(static_cast<int>(
        ScrollCentring(zoom_, point.y(), display_.imageHeight, viewport()->height())));
}

void COrvaneView::EnsureVisible(QPoint point, int margin) {
    const QPoint at = toWindow(point);
    const QRect inner = viewport()->rect().adjusted(margin, margin, -margin, -margin);
    if (!inner.contains(at)) CentreOn(point);
}

}  // namespace orvane
