// Painting and the balance controls of the histogram dialog.
#include "measure/ui/histogram_dialog.h"

#include <algorithm>
#include <cmath>

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/ui/shell_services.h"
#include "measure/auto_balance.h"
#include "measure/ui/graph_painting.h"

namespace orvane {

CHistogramDialog::CHistogramDialog(SpotHistogram& histogram, QWidget* parent)
    : QDialog(parent), histogram_(histogram) {
    setWindowTitle("Dialog");
    resize(540, 540);  // 360 x 332 dialog units
    auto* rows = new QGridLayout;
    const char* buttons[] = {"Auto Balance", "Apply to Image", "Cancel"};
    for (int k = 0; k < kMaxLayers; ++k) {
        const auto i = static_cast<std::size_t>(k);
        offsets_[i] = new QLineEdit(this);
        gains_[i] = new QLineEdit(this);
        rows->addWidget(new QLabel(QString("Offset ch%1:").arg(k + 1)), k, 0);
        rows->addWidget(offsets_[i], k, 1);
        rows->addWidget(new QLabel(QString("Gain ch%1:").arg(k + 1)), k, 2);
        rows->addWidget(gains_[i], k, 3);
        auto* button = new QPushButton(buttons[k], this);
        rows->addWidget(button, k, 4);
        if (k == 0) {
            button->setDefault(true);
            connect(button, &QPushButton::clicked, this, &CHistogramDialog::OnAutoBalance);
        } else if (k == 1) {
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this, &CHistogramDialog::OnApplyToImage);
        } else {
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this, &QDialog::reject);
        }
    }
    auto* column = new QVBoxLayout(this);
    column->addStretch();
    column->addLayout(rows);
    fillFields();
}

void CHistogramDialog::fillFields() {
    for (std::size_t i = 0; i < kMaxLayers; ++i) {
        offsets_[i]->setText(QString::number(histogram_.offset[i], 'g', 6));
        gains_[i]->setText(QString::number(histogram_.gain[i], 'g', 6));
    }
}

bool CHistogramDialog::readFields() {
    std::array<float, kMaxLayers> offset{}, gain{};
    for (std::size_t i = 0; i < kMaxLayers; ++i) {
        bool okOffset = false, okGain = false;
        offset[i] = offsets_[i]->text().trimmed().toFloat(&okOffset);
        gain[i] = gains_[i]->text().trimmed().toFloat(&okGain);
        QLineEdit* bad = !okOffset || !std::isfinite(offset[i]) ? offsets_[i]
                         : (!okGain || !std::isfinite(gain[i])) ? gains_[i]
                                                                : nullptr;
        if (bad != nullptr) {
            OrvaneMessageBox("Please enter a number.");
            bad->setFocus(Qt::OtherFocusReason);
            bad->selectAll();
            return false;
        }
    }
    histogram_.offset = offset;
    histogram_.gain = gain;
    return true;
}

void CHistogramDialog::OnAutoBalance() {
    const ChannelBalance balance = AutoBalance(histogram_.means());
    histogram_.offset = balance.offset;
    histogram_.gain = balance.gain;
    fillFields();
}

void CHistogramDialog::OnApplyToImage() {
    if (readFields()) emit applyToImage();
}

void CHistogramDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width();
    const int h = height();
    const int yb = h - 110;
    const int ph = h - 120;
    const HistogramBins bins = histogram_.Bin(SpotHistogram::BinCount(w));
    // With no measured spot every counter is 0: the curves lie on the base line.
    const std::int64_t c = std::max(bins.largest, 1);
    // Heights on whole device pixels: the division truncates on purpose.
    auto height = [&](std::int64_t count) -> std::int64_t { return count * ph / c; };
    for (int k = 0; k < histogram_.means().layerCount; ++k) {
        const auto& counters = bins.counters[static_cast<std::size_t>(k)];
        QPainterPath path(QPointF(10, yb));
        for (int b = 0; b < bins.bins; ++b)
            path.lineTo(10 + 5 * b, yb - height(counters[static_cast<std::size_t>(b)]));
        painter.setPen(QPen(LayerColour(k), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
    }
}

}  // namespace orvane
