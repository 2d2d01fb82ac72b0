// The view's zoom: the four zoom commands, Ctrl + wheel about the pointer, and scrolling to an
// image point at any scale. The arithmetic is ZoomScale's.
#include <algorithm>

#include <QScrollBar>
#include <QWheelEvent>

#include "view/ui/orvane_doc.h"
#include "view/ui/orvane_view.h"

namespace orvane {

ZoomScale COrvaneView::fitScale() const {
    // The window without scroll bars: at the fit scale there are none.
    const QSize area = maximumViewportSize();
    return ZoomScale::Fit(display_.imageWidth, display_.imageHeight, area.width(), area.height());
}

QString COrvaneView::zoomText() const { return QString::fromStdString(zoom_.PercentText()); }

void COrvaneView::SetZoom(const ZoomScale& scale) {
    // The window's centre may lie on the glass beside a fitted picture: the scan's nearest
    // point is kept there instead, so that the new scale shows the scan.
    const QPoint centre(viewport()->width() / 2, viewport()->height() / 2);
    const QPoint at = toImage(centre);
    keepAt(scale,
           QPoint(std::clamp(at.x(), 0, std::max(0, display_.imageWidth - 1)),
                  std::clamp(at.y(), 0, std::max(0, display_.imageHeight - 1))),
           centre);
}

void COrvaneView::SetZoom(const ZoomScale& scale, QPoint anchor) {
    keepAt(scale, toImage(anchor), anchor);
}

void COrvaneView::keepAt(const ZoomScale& scale, QPoint kept, QPoint anchor) {
    if (scale == zoom_) return;
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
