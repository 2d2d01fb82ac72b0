// The toolbar's button images: 16 x 15 pixels each, drawn with a few strokes so that they stay
// sharp at their size and need no image files.
#include "app/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "base/ui/command_ids.h"

namespace orvane {
namespace {

constexpr int kWidth = 16;
constexpr int kHeight = 15;

void drawPoint(QPainter& p) {
    p.drawLine(7, 2, 7, 12);
    p.drawLine(2, 7, 12, 7);
    p.fillRect(6, 6, 3, 3, Qt::red);
}

void drawRectangle(QPainter& p) {
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.drawRect(2, 3, 11, 8);
}

void drawCircleDiameter(QPainter& p) {
    p.drawEllipse(2, 2, 11, 11);
    p.setPen(Qt::red);
    p.drawLine(2, 7, 13, 7);
}

void drawCircleRadius(QPainter& p) {
    p.drawEllipse(2, 2, 11, 11);
    p.setPen(Qt::red);
    p.drawLine(7, 7, 13, 7);
    p.fillRect(7, 7, 2, 2, Qt::red);
}

void drawGrid(QPainter& p) {
    p.setPen(Qt::blue);
    p.drawRect(1, 1, 13, 12);
    p.setPen(Qt::black);
    for (int y = 3; y <= 11; y += 4) {
        for (int x = 3; x <= 12; x += 4) p.drawEllipse(x, y, 2, 2);
    }
}

void drawStatistics(QPainter& p) {
    p.drawLine(1, 13, 14, 13);
    p.fillRect(2, 8, 3, 5, Qt::darkBlue);
    p.fillRect(6, 3, 3, 10, Qt::darkBlue);
    p.fillRect(10, 6, 3, 7, Qt::darkBlue);
}

void drawPairs(QPainter& p) {
    p.drawLine(1, 1, 1, 13);
    p.drawLine(1, 13, 14, 13);
    p.setPen(Qt::darkGreen);
    const QPoint dots[] = {{4, 10}, {6, 9}, {7, 7}, {9, 6}, {11, 4}, {12, 2}, {5, 7}, {10, 8}};
    for (QPoint d : dots) p.drawRect(d.x(), d.y(), 1, 1);
}

void drawAxes(QPainter& p) {
    p.drawLine(1, 1, 1, 13);
    p.drawLine(1, 13, 14, 13);
}

void drawLinear(QPainter& p) {
    drawAxes(p);
    p.setPen(Qt::red);
    p.drawLine(2, 12, 14, 1);
}

void drawLog(QPainter& p) {
    drawAxes(p);
    p.setPen(Qt::red);
    QPainterPath curve(QPointF(2, 12));
    curve.cubicTo(QPointF(3, 3), QPointF(7, 2), QPointF(14, 1.5));
    p.setRenderHint(QPainter::Antialiasing);
    p.drawPath(curve);
}

void drawInverted(QPainter& p) {
    p.fillRect(1, 1, 7, 13, Qt::black);
    p.fillRect(8, 1, 7, 13, Qt::white);
    p.drawRect(1, 1, 13, 12);
    p.fillRect(3, 5, 3, 5, Qt::white);
    p.fillRect(10, 5, 3, 5, Qt::black);
}

// A magnifier with a plus, a minus, a frame (fit) or "1" (actual pixels) in its lens.
void drawZoom(QPainter& p, int commandId) {
    p.drawEllipse(1, 1, 9, 9);
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(10, 10, 14, 14);
    p.setPen(Qt::black);
    switch (commandId) {
    case kZoomIn:
        p.drawLine(3, 6, 8, 6);
        p.drawLine(5, 4, 5, 8);
        break;
    case kZoomOut: p.drawLine(3, 6, 8, 6); break;
    case kZoomFit: p.drawRect(3, 4, 5, 4); break;
    default:
        p.drawLine(6, 3, 6, 8);
        p.drawLine(5, 4, 6, 3);
        break;
    }
}

void drawChannel(QPainter& p, QColor colour, int number) {
    p.setBrush(colour);
    p.drawEllipse(1, 1, 13, 12);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setPixelSize(10);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(0, 0, kWidth, kHeight), Qt::AlignCenter, QString::number(number));
}

}  // namespace

QIcon toolbarIcon(int commandId) {
    QPixmap pixmap(kWidth, kHeight);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(Qt::black);
    switch (commandId) {
    case kSelectPoint: drawPoint(p); break;
    case kSelectRectangle: drawRectangle(p); break;
    case kSelectCircleDiameter: drawCircleDiameter(p); break;
    case kSelectCircleRadius: drawCircleRadius(p); break;
    case kSelectGrid: drawGrid(p); break;
    case kToolbarStatistics: drawStatistics(p); break;
    case kToolbarPairs: drawPairs(p); break;
    case kDisplayLinear: drawLinear(p); break;
    case kDisplayLog: drawLog(p); break;
    case kDisplayInverted: drawInverted(p); break;
    case kChannel1: drawChannel(p, QColor(200, 0, 0), 1); break;
    case kChannel2: drawChannel(p, QColor(0, 150, 0), 2); break;
    case kChannel3: drawChannel(p, QColor(0, 0, 200), 3); break;
    case kZoomIn:
    case kZoomOut:
    case kZoomFit:
    case kZoomActual: drawZoom(p, commandId); break;
    default: break;
    }
    p.end();
    return QIcon(pixmap);
}

}  // namespace orvane
