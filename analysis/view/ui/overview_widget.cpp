// The slide overview: the reduced picture scaled once per change of picture or size, outlines
// and the visible rectangle drawn over it on each paint, clicks and drags turned into scrolling.
#include "view/ui/overview_widget.h"

#include <QMouseEvent>
#include <QPainter>

#include "grid/spot_walk.h"
#include "view/ui/window_picture.h"
#include "window/window_model.h"

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

COverviewWidget::COverviewWidget(QWidget* parent)
    : QWidget(parent),
      follower_(
          this,
          [this](ModelChange change) {
              // The outlines follow the grid and the tool, the frame the visible area.
              if (change == ModelChange::Picture)
                  rescalePicture();
              else
                  update();
          },
          [this] { rescalePicture(); }) {
    setMinimumSize(120, 90);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void COverviewWidget::setWindow(ImageWindow* window) {
    if (window == this->window()) return;
    follower_.Follow(window);
    rescalePicture();
}

OverviewMapping COverviewWidget::mapping() const {
    if (!window()) return {};
    const DisplayState& display = window()->model.display();
    return OverviewMapping::Fit(display.imageWidth, display.imageHeight, width(), height());
}

OverviewRect COverviewWidget::visibleRect() const {
    if (!window()) return {};
    const Box& shown = window()->model.visibleArea();
    if (shown.width() <= 0 || shown.height() <= 0) return {};
    return mapping().ToOverview({shown.left, shown.top, shown.right, shown.bottom});
}

std::vector<QPolygon> COverviewWidget::quadOutlines() const {
    std::vector<QPolygon> outlines;
    if (!window()) return outlines;
    const OverviewMapping m = mapping();
    const SpotGrid& grid = window()->model.editor().grid();
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
    const QImage source = window() ? window()->picture.reducedPicture() : QImage();
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
    if (!window()) return;
    // The image pixel under the point comes to the window's centre, at the window's zoom (at 1:1
    // this is OverviewMapping::ScrollFor).
    const OverviewPoint p = mapping().ToImage({overviewPoint.x(), overviewPoint.y()});
    window()->model.CentreOn({p.x, p.y});
}

void COverviewWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) scrollViewTo(event->position().toPoint());
}

void COverviewWidget::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) scrollViewTo(event->position().toPoint());
}

}  // namespace orvane
