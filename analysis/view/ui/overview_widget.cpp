// The slide overview: the reduced picture scaled once per change of picture or size, outlines
// and the visible rectangle drawn over it on each paint, clicks and drags turned into scrolling.
#include "view/ui/overview_widget.h"

#include <QMouseEvent>
#include <QPainter>

#include "grid/spot_walk.h"

namespace orvane {
namespace {

const QColor kBackground(128, 128, 128);  // the grey beside the picture, as in the image view
const QColor kVisibleArea(255, 0, 255);   // stands out on pale and on inverted (dark) pictures
const QColor kQuadOutline(0, 255, 0);

// The outline of an exclusive rectangle on its own border pixels: a one-pixel pen strokes a
// QRect one pixel wider and higher than the rectangle itself.
QRect outlineRect(const OverviewRect& r) {
    return QRect(r.left, r.top, r.right - r.left - 1, r.bottom - r.top - 1);
}

}  // namespace

COverviewWidget::COverviewWidget(QWidget* parent) : QWidget(parent) {
    setMinimumSize(120, 90);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void COverviewWidget::setView(COrvaneView* view) {
    if (view == view_) return;
    if (view_) disconnect(view_, nullptr, this, nullptr);
    view_ = view;
    if (view_) {
        connect(view_, &COrvaneView::pictureChanged, this, &COverviewWidget::rescalePicture);
        connect(view_, &COrvaneView::visibleAreaChanged, this, qOverload<>(&QWidget::update));
        // Grid and tool changes: the outlines follow.
        connect(view_, &COrvaneView::stateChanged, this, qOverload<>(&QWidget::update));
        connect(view_, &COrvaneView::gridDragged, this, qOverload<>(&QWidget::update));
        connect(view_, &QObject::destroyed, this, &COverviewWidget::viewDestroyed);
    }
    rescalePicture();
}

void COverviewWidget::viewDestroyed() {
    view_ = nullptr;
    rescalePicture();
}

OverviewMapping COverviewWidget::mapping() const {
    if (!view_) return {};
    return OverviewMapping::Fit(view_->model().display().imageWidth,
                                view_->model().display().imageHeight, width(), height());
}

OverviewRect COverviewWidget::visibleRect() const {
    if (!view_) return {};
    const QRect shown = view_->visibleImageRect();
    if (shown.isEmpty()) return {};
    return mapping().ToOverview(
        {shown.left(), shown.top(), shown.left() + shown.width(), shown.top() + shown.height()});
}

std::vector<QPolygon> COverviewWidget::quadOutlines() const {
    std::vector<QPolygon> outlines;
    if (!view_) return outlines;
    const OverviewMapping m = mapping();
    const SpotGrid& grid = view_->model().editor().grid();
    const auto at = [&](GridPoint p, std::int32_t dx, std::int32_t dy) {
        const OverviewRect r = m.ToOverview({p.x + dx, p.y + dy, p.x + dx, p.y + dy});
        return QPoint(r.left, r.top);
    };
    ForEachQuad<WalkOrder::ByRow>(grid, [&](std::int32_t, std::int32_t, const GridQuad& q) {
        if (q.defined == 0) return;
        // The corner spots' centres widened by a spot radius: the block as printed.
        const std::int32_t r = q.spotRadius;
        outlines.push_back(
            QPolygon({at(q.TL, -r, -r), at(q.TR, r, -r), at(q.BR, r, r), at(q.BL, -r, r)}));
    });
    return outlines;
}

void COverviewWidget::rescalePicture() {
    shown_ = QImage();
    const QImage source = view_ ? view_->reducedPicture() : QImage();
    const OverviewRect place = mapping().pictureRect();
    const QSize size(place.right - place.left, place.bottom - place.top);
    if (!source.isNull() && !size.isEmpty())
        shown_ = source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    update();
}

void COverviewWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    rescalePicture();
}

void COverviewWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    if (shown_.isNull()) return;
    const OverviewRect place = mapping().pictureRect();
    painter.drawImage(QPoint(place.left, place.top), shown_);
    painter.setPen(QPen(kQuadOutline, 0));
    for (const QPolygon& outline : quadOutlines()) painter.drawPolygon(outline);
    const OverviewRect visible = visibleRect();
    if (visible.right > visible.left && visible.bottom > visible.top) {
        painter.setPen(QPen(kVisibleArea, 0));
        painter.drawRect(outlineRect(visible));
    }
}

void COverviewWidget::scrollViewTo(QPoint overviewPoint) {
    if (!view_) return;
    // The image pixel under the point comes to the window's centre, at the view's zoom (at 1:1
    // this is OverviewMapping::ScrollFor).
    const OverviewPoint p = mapping().ToImage({overviewPoint.x(), overviewPoint.y()});
    view_->CentreOn(QPoint(p.x, p.y));
}

void COverviewWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) scrollViewTo(event->position().toPoint());
}

void COverviewWidget::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) scrollViewTo(event->position().toPoint());
}

}  // namespace orvane
