// NOT-XOR painting of overlay figures onto a QImage, at 1:1 or through a zoom.
#include "view/ui/overlay_painter.h"

#include <algorithm>
#include <cstdlib>

#include <QPainter>
#include <QPen>
#include <QPolygon>

#include "grid/spot_walk.h"

namespace orvane {
namespace {

// The outline of the box (x0, y0)-(x1, y1) with the right and bottom edges exclusive: a
// one-pixel Qt outline of QRect(l, t, w, h) covers l ... l + w, so w is one less than the span.
QRect outlineRect(int x0, int y0, int x1, int y1) {
    const int left = std::min(x0, x1);
    const int top = std::min(y0, y1);
    const int width = std::max(0, std::max(x0, x1) - left - 1);
    const int height = std::max(0, std::max(y0, y1) - top - 1);
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

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// Far outside any picture, but still drawable by Qt's integer geometry.
std::int32_t clampCoordinate(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -(1 << 24), 1 << 24));
}

// A painter set up for NOT-XOR outlines, switching pens only when the kind changes.
class XorPainter {
public:
    XorPainter(QImage& target, bool inverted) : painter_(&target), inverted_(inverted) {
        painter_.setRenderHint(QPainter::Antialiasing, false);
        painter_.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        painter_.setBrush(Qt::NoBrush);
    }
    void pen(OverlayPenKind kind) {
        if (hasPen_ && kind == current_) return;
        current_ = kind;
        hasPen_ = true;
        painter_.setPen(qtPen(kind, inverted_));
    }
    void draw(OverlayShape shape, int x0, int y0, int x1, int y1) {
        switch (shape) {
        case OverlayShape::Line: painter_.drawLine(x0, y0, x1, y1); break;
        case OverlayShape::Ellipse: painter_.drawEllipse(outlineRect(x0, y0, x1, y1)); break;
        case OverlayShape::Rectangle: painter_.drawRect(outlineRect(x0, y0, x1, y1)); break;
        }
    }
    QPainter& painter() { return painter_; }

private:
    QPainter painter_;
    bool inverted_;
    OverlayPenKind current_ = OverlayPenKind::Spot;
    bool hasPen_ = false;
};

constexpr int kSmallest = 3;  // below 1:1, figures smaller than this many pixels are left out

}  // namespace

std::int32_t OverlayTransform::x(std::int64_t imageX) const {
    return clampCoordinate(floorDiv(imageX * num, den) - originX);
}
std::int32_t OverlayTransform::y(std::int64_t imageY) const {
    return clampCoordinate(floorDiv(imageY * num, den) - originY);
}

void PaintOverlayFigure(QImage& picture, const OverlayFigure& figure, bool inverted) {
    if (picture.isNull() || figure.empty()) return;
    XorPainter painter(picture, inverted);
    for (const OverlayPrimitive& p : figure.primitives) {
        painter.pen(p.pen);
        painter.draw(p.shape, p.x0, p.y0, p.x1, p.y1);
    }
}

void PaintShownOverlay(QImage& target, const ShownOverlay& shown, bool inverted,
                       const OverlayTransform& t) {
    if (target.isNull() || shown.empty()) return;
    XorPainter painter(target, inverted);
    const bool reduced = t.num < t.den;
    // Two pixels of margin for the selected pen's width and the small squares.
    const QRect area = QRect(QPoint(0, 0), target.size()).adjusted(-4, -4, 4, 4);
    shown.forEach([&](const OverlayPrimitive& p) {
        int x0 = t.x(p.x0), y0 = t.y(p.y0), x1 = t.x(p.x1), y1 = t.y(p.y1);
        if (std::max(x0, x1) < area.left() || std::min(x0, x1) > area.right() ||
            std::max(y0, y1) < area.top() || std::min(y0, y1) > area.bottom())
            return;
        if (reduced && std::abs(x1 - x0) < kSmallest && std::abs(y1 - y0) < kSmallest) {
            if (p.shape == OverlayShape::Line ||
                (p.pen != OverlayPenKind::Selected && p.pen != OverlayPenKind::Highlight))
                return;
            // A spot that matters stays visible as a small square around its centre.
            const int half = p.pen == OverlayPenKind::Selected ? 3 : 2;
            const int cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
            x0 = cx - half;
            y0 = cy - half;
            x1 = cx + half + 1;
            y1 = cy + half + 1;
            painter.pen(p.pen);
            painter.draw(OverlayShape::Rectangle, x0, y0, x1, y1);
            return;
        }
        painter.pen(p.pen);
        painter.draw(p.shape, x0, y0, x1, y1);
    });
}

void PaintQuadOutlines(QImage& target, const SpotGrid& grid, bool inverted,
                       const OverlayTransform& t) {
    if (target.isNull() || t.num >= t.den) return;
    XorPainter painter(target, inverted);
    painter.pen(OverlayPenKind::Highlight);
    ForEachQuad<WalkOrder::ByColumn>(grid, [&](std::int32_t, std::int32_t, const GridQuad& q) {
        if (q.defined == 0 || q.nx < 1 || q.ny < 1) return;
        // Only where the spots themselves are too small to be drawn.
        if (std::int64_t{2} * q.spotRadius * t.num >= std::int64_t{kSmallest} * t.den) return;
        const QPolygon outline({QPoint(t.x(q.TL.x), t.y(q.TL.y)), QPoint(t.x(q.TR.x), t.y(q.TR.y)),
                                QPoint(t.x(q.BR.x), t.y(q.BR.y)),
                                QPoint(t.x(q.BL.x), t.y(q.BL.y))});
        painter.painter().drawPolygon(outline);
    });
}

void PictureOverlaySurface::PaintFigure(const OverlayFigure& figure, bool) {
    if (figure.empty()) return;
    shown_.Toggle(figure);
    if (!changed_) return;
    const Box b = figure.Bounds();
    changed_(QRect(QPoint(b.left, b.top), QPoint(b.right, b.bottom)));
}

OverlayClip PictureOverlaySurface::ClipBox() const {
    const QSize size = imageSize_ ? imageSize_() : QSize();
    return {0, 0, size.width(), size.height()};
}

}  // namespace orvane
