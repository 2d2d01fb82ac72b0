// Painting of the pairs dialog.
#include "measure/ui/selection_pairs_dialog.h"

#include <algorithm>
#include <vector>

#include <QPainter>

#include "measure/ui/graph_painting.h"

namespace orvane {

CSelectionPairsDialog::CSelectionPairsDialog(const SelectionPairs& pairs,
                                             const OpenedScans& document, QWidget* parent)
    : CSelectionDataDialog(
          "Selected Data Pairs", "selection_pairs",
          [&pairs](const std::string& path) { pairs.SaveData(path); }, document, parent),
      pairs_(pairs) {}

void CSelectionPairsDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width();
    const int h = height();
    const int yb = h - 75;
    const int ph = h - 85;
    const std::int64_t pw = w - 20;
    // A zero maximum (an all-dark channel) puts its points on the axis instead of dividing by 0.
    const std::int64_t xmax = std::max<std::int64_t>(pairs_.Xmax(), 1);
    const std::int64_t ymax = std::max<std::int64_t>(pairs_.Ymax(), 1);
    std::vector<QPoint> points;
    points.reserve(static_cast<std::size_t>(std::min<std::int64_t>(pairs_.n(), 1 << 20)) * 5);
    painter.setPen(QColor(255, 0, 0));
    for (std::int64_t i = 0; i < pairs_.n(); ++i) {
        const int x = 10 + static_cast<int>(pw * pairs_.x()[i] / xmax);
        const int y = yb - static_cast<int>(pairs_.y()[i] * std::int64_t{ph} / ymax);
        for (const QPoint& p :
             {QPoint(x, y), QPoint(x + 1, y), QPoint(x - 1, y), QPoint(x, y + 1), QPoint(x, y - 1)})
            points.push_back(p);
        if (points.size() >= (1u << 20)) {
            painter.drawPoints(points.data(), static_cast<int>(points.size()));
            points.clear();
        }
    }
    if (!points.empty()) painter.drawPoints(points.data(), static_cast<int>(points.size()));
    DrawGraphFrame(painter, w, yb, ph, pairs_.Ymax(), pairs_.Xmax());
    DrawTextAt(painter, w - 10, yb + 1, QString::number(pairs_.Xmax()),
               MaximumLabelColour(pairs_.Xmax()));
    DrawTextAt(painter, 11, yb - ph, QString::number(pairs_.Ymax()),
               MaximumLabelColour(pairs_.Ymax()));
    DrawTextAt(painter, 10, h - 57, QString("N of samples %1").arg(pairs_.n()), Qt::black);
}

}  // namespace orvane
