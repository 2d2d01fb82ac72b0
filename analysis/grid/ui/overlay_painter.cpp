// NOT-XOR painting of overlay figures onto a QImage.
#include "grid/ui/overlay_painter.h"

#include <algorithm>

#include <QPainter>
#include <QPen>

namespace orvane {
namespace {

// The outline of the box (x0, y0)-(x1, y1) with the right and bottom edges exclusive: a
// one-pixel Qt outline of QRect(l, t, w, h) covers l ... l + w, so w is one less than the span.
QRect outlineRect(const OverlayPrimitive& p) {
    const int left = std::min(p.x0, p.x1);
    const int top = std::min(p.y0, p.y1);
    const int width = std::max(0, std::max(p.x0, p.x1) - left - 1);
    const int height = std::max(0, std::max(p.y0, p.y1) - top - 1);
    return QRect(left, top, width, height);
}

QPen qtPen(OverlayPenKind kind, bool inverted) {
    const OverlayPen pen = PenOf(kind, inverted);
    QPen q(QColor(pen.red, pen.green, pen.blue));
    q.setWidth(pen.width);
    q.setCapStyle(Qt::FlatCap);
    q.setJoinStyle(Qt::MiterJoin);
    return q;
}

}  // namespace

void PaintOverlayFigure(QImage& picture, const OverlayFigure& figure, bool inverted) {
    if (picture.isNull() || figure.empty()) return;
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    painter.setBrush(Qt::NoBrush);
    OverlayPenKind current = figure.primitives.front().pen;
    painter.setPen(qtPen(current, inverted));
    for (const OverlayPrimitive& p : figure.primitives) {
        if (p.pen != current) {
            current = p.pen;
            painter.setPen(qtPen(current, inverted));
        }
        switch (p.shape) {
        case OverlayShape::Line: painter.drawLine(p.x0, p.y0, p.x1, p.y1); break;
        case OverlayShape::Ellipse: painter.drawEllipse(outlineRect(p)); break;
        case OverlayShape::Rectangle: painter.drawRect(outlineRect(p)); break;
        }
    }
}

void PictureOverlaySurface::PaintFigure(const OverlayFigure& figure, bool invertedDisplay) {
    PaintOverlayFigure(*picture_, figure, invertedDisplay);
    if (!changed_ || figure.empty()) return;
    const Box b = figure.Bounds();
    changed_(QRect(QPoint(b.left, b.top), QPoint(b.right, b.bottom)));
}

OverlayClip PictureOverlaySurface::ClipBox() const {
    return {0, 0, picture_->width(), picture_->height()};
}

}  // namespace orvane
