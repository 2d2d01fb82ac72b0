// The Spot Plot's drawing and mouse handling.
#include "measure/ui/spot_plot_widget.h"

#include <cmath>

#include <QMouseEvent>
#include <QPainter>

namespace orvane {

namespace {

constexpr int kLeftMargin = 46, kRightMargin = 10, kTopMargin = 10, kBottomMargin = 66;
constexpr int kDragThreshold = 3;  // pixels the mouse moves before a press becomes a drag
const QColor kPointColour(0, 70, 170);
const QColor kMarkedColour(220, 40, 20);
const QColor kHighlightColour(250, 160, 0);
const QColor kRingColour(0, 0, 0);

QString tickText(double v) { return QString::number(v, 'g', 4); }

}  // namespace

CSpotPlotWidget::CSpotPlotWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
}

void CSpotPlotWidget::setResults(std::shared_ptr<const SpotResults> results) {
    results_ = std::move(results);
    data_ = results_ ? SpotPlotDataOf(*results_) : SpotPlotData{};
    update();
}

void CSpotPlotWidget::setSelectedSpot(std::optional<std::size_t> spot) {
    if (spot == selected_) return;
    selected_ = spot;
    update();
}

QRect CSpotPlotWidget::plotRect() const {
    return QRect(kLeftMargin, kTopMargin, std::max(1, width() - kLeftMargin - kRightMargin),
                 std::max(1, height() - kTopMargin - kBottomMargin));
}

QPoint CSpotPlotWidget::toWidget(const SpotMA& ma) const {
    const QRect r = plotRect();
    const double x = r.left() + (ma.a - data_.a.min) / (data_.a.max - data_.a.min) * r.width();
    const double y = r.bottom() - (ma.m - data_.m.min) / (data_.m.max - data_.m.min) * r.height();
    return QPoint(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
}

double CSpotPlotWidget::aAt(int x) const {
    const QRect r = plotRect();
    return data_.a.min + (x - r.left()) * (data_.a.max - data_.a.min) / r.width();
}

double CSpotPlotWidget::mAt(int y) const {
    const QRect r = plotRect();
    return data_.m.min + (r.bottom() - y) * (data_.m.max - data_.m.min) / r.height();
}

void CSpotPlotWidget::drawAxes(QPainter& painter, const QRect& frame) const {
    painter.setPen(palette().color(QPalette::Text));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    const QFontMetrics metrics = painter.fontMetrics();
    for (double a : PlotTicks(data_.a, std::max(kFewestPlotTicks, frame.width() / 70))) {
        const int x = toWidget({0.0, a}).x();
        painter.drawLine(x, frame.bottom(), x, frame.bottom() + 4);
        const QString text = tickText(a);
        painter.drawText(x - metrics.horizontalAdvance(text) / 2,
                         frame.bottom() + 5 + metrics.ascent(), text);
    }
    for (double m : PlotTicks(data_.m, std::max(kFewestPlotTicks, frame.height() / 40))) {
        const int y = toWidget({m, data_.a.min}).y();
        painter.drawLine(frame.left() - 4, y, frame.left(), y);
        const QString text = tickText(m);
        painter.drawText(frame.left() - 6 - metrics.horizontalAdvance(text),
                         y + metrics.ascent() / 2 - 1, text);
    }
    // One definition a line: side by side they are wider than the dock.
    const int labelY = frame.bottom() + 6 + 2 * metrics.height();
    painter.drawText(frame.left(), labelY, "A = \u00bd log2 (F1 - B1)(F2 - B2)");
    painter.drawText(frame.left(), labelY + metrics.height(), "M = log2 (F1 - B1) / (F2 - B2)");
    painter.save();
    painter.translate(12, frame.center().y());
    painter.rotate(-90);
    painter.drawText(-metrics.horizontalAdvance("M") / 2, 0, "M");
    painter.restore();
}

void CSpotPlotWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    if (!results_ || results_->layerCount < 2) {
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap,
                         results_ ? "The spot plot needs two or more layers." : "No spot results.");
        return;
    }
    const QRect frame = plotRect();
    drawAxes(painter, frame);
    const int zero = toWidget({0.0, data_.a.min}).y();
    painter.setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DashLine));
    painter.drawLine(frame.left(), zero, frame.right(), zero);

    painter.setClipRect(frame);
    // Highlighted and marked spots last, so that they stay visible in a dense cloud; a
    // highlighted point is larger, a marked one red whether highlighted or not.
    const auto kindOf = [this](const SpotPlotData::Point& p) {
        const std::uint8_t flags = results_->spots[p.spot].flags;
        return (flags & Marked) != 0 ? 2 : (flags & Highlighted) != 0 ? 1 : 0;
    };
    painter.setPen(Qt::NoPen);
    for (const int kind : {0, 1, 2}) {
        painter.setBrush(kind == 2 ? kMarkedColour : kind == 1 ? kHighlightColour : kPointColour);
        for (const SpotPlotData::Point& p : data_.points) {
            if (kindOf(p) != kind) continue;
            const QPoint w = toWidget(p.ma);
            const int half = (results_->spots[p.spot].flags & Highlighted) != 0 ? 2 : 1;
            painter.drawRect(w.x() - half, w.y() - half, 2 * half + 1, 2 * half + 1);
        }
    }
    painter.setBrush(Qt::NoBrush);
    for (const SpotPlotData::Point& p : data_.points)
        if (selected_ && p.spot == *selected_) {
            painter.setPen(QPen(kRingColour, 2));
            painter.drawEllipse(toWidget(p.ma), 6, 6);
        }
    if (!band_.isEmpty()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DashLine));
        painter.drawRect(band_);
    }
    painter.setClipping(false);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(frame.left(), height() - 4,
                     QString("%1 spots plotted, %2 without M or A")
                         .arg(data_.points.size())
                         .arg(data_.undefined));
}

void CSpotPlotWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || data_.points.empty()) return;
    pressAt_ = event->position().toPoint();
    band_ = {};
}

void CSpotPlotWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!pressAt_) return;
    const QPoint at = event->position().toPoint();
    if (band_.isEmpty() && (at - *pressAt_).manhattanLength() < kDragThreshold) return;
    band_ = QRect(*pressAt_, at).normalized();
    update();
}

void CSpotPlotWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressAt_) return;
    const QPoint at = event->position().toPoint();
    if (!band_.isEmpty()) {
        const QRect r = QRect(*pressAt_, at).normalized();
        band_ = {};
        update();
        emit spotsEnclosed(PlotPointsInside(data_, {aAt(r.left()), aAt(r.right())},
                                            {mAt(r.bottom()), mAt(r.top())}));
    } else {
        const QRect frame = plotRect();
        if (const std::optional<std::size_t> nearest = NearestPlotPoint(
                data_, aAt(at.x()), mAt(at.y()), frame.width() / (data_.a.max - data_.a.min),
                frame.height() / (data_.m.max - data_.m.min)))
            emit spotClicked(*nearest);
    }
    pressAt_.reset();
}

}  // namespace orvane
