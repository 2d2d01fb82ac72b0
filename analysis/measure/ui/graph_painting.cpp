// The frame, scale and labels of the measurement graphs.
#include "measure/ui/graph_painting.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPen>

namespace orvane {

QColor LayerColour(int layer) {
    switch (layer) {
    case 0: return QColor(128, 0, 0);
    case 1: return QColor(0, 128, 0);
    default: return QColor(0, 0, 128);
    }
}

QColor MaximumLabelColour(std::int64_t maximum) {
    return maximum >= 65534 ? QColor(196, 0, 0) : QColor(96, 96, 96);
}

void DrawTextAt(QPainter& painter, int x, int y, const QString& text, const QColor& colour) {
    painter.setPen(colour);
    painter.drawText(QRect(x, y, 2000, 100), Qt::AlignLeft | Qt::AlignTop, text);
}

void DrawGraphFrame(QPainter& painter, int w, int yb, int ph, std::int64_t yMax,
                    std::int64_t xMax) {
    const int pw = w - 20;
    const QColor grey(96, 96, 96);
    QPen dotted(grey);
    dotted.setStyle(Qt::DotLine);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(dotted);
    // (10, yb - ph) to (w - 9, yb + 1), right and bottom exclusive.
    painter.drawRect(QRect(QPoint(10, yb - ph), QPoint(w - 10, yb)));
    for (int k = 1; k <= 9; ++k) {
        const int x = 10 + static_cast<int>(static_cast<std::int64_t>(k) * pw / 10);
        painter.setPen(dotted);
        painter.drawLine(x, yb, x, yb - ph);
        if (xMax >= 0) DrawTextAt(painter, x, yb + 1, QString::number(k * xMax / 10), grey);
    }
    for (int k = 1; k <= 9; ++k) {
        const int y = yb - static_cast<int>(static_cast<std::int64_t>(k) * ph / 10);
        painter.setPen(dotted);
        painter.drawLine(10, y, w - 10, y);
        DrawTextAt(painter, 11, y, QString::number(k * yMax / 10), grey);
    }
}

}  // namespace orvane
