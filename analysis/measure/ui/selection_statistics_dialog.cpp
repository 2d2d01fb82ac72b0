// Painting of the statistics dialog.
#include "measure/ui/selection_statistics_dialog.h"

#include <algorithm>

#include <QPainter>
#include <QPainterPath>

#include "measure/ui/graph_painting.h"

namespace orvane {

CSelectionStatisticsDialog::CSelectionStatisticsDialog(const SelectionStatistics& statistics,
                                                       const OpenedScans& document, QWidget* parent)
    : CSelectionDataDialog(
          "Selected Data Statistics", "selection_data",
          [&statistics](const std::string& path) { statistics.SaveData(path); }, document, parent),
      statistics_(statistics) {}

void CSelectionStatisticsDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width();
    const int h = height();
    const int ph = h - 75;
    const int yb = h - 65;
    const int pw = w - 20;
    const std::int64_t n = statistics_.n();
    // A scale maximum of 0 (an all-dark selection) draws the curves on the base line rather than
    // dividing by zero; without samples there is no curve at all.
    const std::int64_t m = std::max<std::int64_t>(statistics_.M(), 1);
    // Sample indices and heights on whole numbers: both divisions truncate on purpose.
    auto height = [&](std::int64_t sample) -> std::int64_t { return sample * ph / m; };
    for (int k = 0; k < statistics_.layerCount() && n > 0 && pw > 0; ++k) {
        const std::int32_t* s = statistics_.sorted(k);
        QPainterPath path(QPointF(10, yb));
        for (int j = 0; j < pw; ++j) {
            const std::int64_t index = static_cast<std::int64_t>(j) * n / pw;
            path.lineTo(10 + j, yb - height(s[index]));
        }
        path.lineTo(w - 10, yb - height(s[n - 1]));
        painter.setPen(QPen(LayerColour(k), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
    }
    DrawGraphFrame(painter, w, yb, ph, statistics_.M());
    DrawTextAt(painter, 11, yb - ph, QString::number(statistics_.M()),
               MaximumLabelColour(statistics_.M()));
    DrawTextAt(painter, 10, h - 57, QString("N of samples %1").arg(n), Qt::black);
    for (int k = 0; k < statistics_.layerCount(); ++k)
        DrawTextAt(painter, 10, h - 45 + 12 * k,
                   QString::fromStdString(statistics_.StatisticsLine(k)), LayerColour(k));
}

}  // namespace orvane
