// The contents of the "Spot Plot" dock: M against A of every measured spot of the active window,
// marked spots in another colour, the selected spot ringed. A click picks the nearest spot, a
// dragged rectangle highlights the spots inside. The arithmetic is spot_plot.h's.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <QPoint>
#include <QRect>
#include <QWidget>

#include "measure/spot_plot.h"

namespace orvane {

class CSpotPlotWidget : public QWidget {
    Q_OBJECT
public:
    explicit CSpotPlotWidget(QWidget* parent = nullptr);

    // Plots these results (none: an empty plot). The flags are read at each paint.
    void setResults(std::shared_ptr<const SpotResults> results);
    // The spot (index into the results) to ring; none for no ring.
    void setSelectedSpot(std::optional<std::size_t> spot);
    std::optional<std::size_t> selectedSpot() const { return selected_; }
    const SpotPlotData& plotData() const { return data_; }

    // The plot's frame in widget pixels, and the conversion of a point of it to (A, M).
    QRect plotRect() const;
    QPoint toWidget(const SpotMA& ma) const;

    QSize sizeHint() const override { return {360, 300}; }
    QSize minimumSizeHint() const override { return {200, 160}; }

signals:
    // A click picked spot `index` of the results.
    void spotClicked(std::size_t index);
    // A dragged rectangle enclosed these spots (indices into the results).
    void spotsEnclosed(const std::vector<std::size_t>& indices);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    double aAt(int x) const;
    double mAt(int y) const;
    void drawAxes(QPainter& painter, const QRect& frame) const;

    std::shared_ptr<const SpotResults> results_;
    SpotPlotData data_;
    std::optional<std::size_t> selected_;
    std::optional<QPoint> pressAt_;
    QRect band_;  // the rectangle being dragged, empty when none
};

}  // namespace orvane
