// The grid data histogram dialog: one curve of spot means per layer over a logarithmic axis,
// and the channel balance: offset and gain per channel, Auto Balance and Apply to Image.
#pragma once

#include <array>

#include <QDialog>

#include "measure/spot_histogram.h"

class QLineEdit;
class QPushButton;

namespace orvane {

class CHistogramDialog : public QDialog {
    Q_OBJECT
public:
    // The histogram and its balance fields belong to the view and outlive the dialog.
    CHistogramDialog(SpotHistogram& histogram, QWidget* parent = nullptr);

    // Proposes offsets and gains that bring every channel's spot means onto channel 1's and
    // shows them in the fields (nothing is applied yet).
    void OnAutoBalance();
    // Reads the six fields into the balance; on success emits applyToImage.
    void OnApplyToImage();

    QLineEdit* offsetEdit(int channel) const { return offsets_[static_cast<std::size_t>(channel)]; }
    QLineEdit* gainEdit(int channel) const { return gains_[static_cast<std::size_t>(channel)]; }

signals:
    // The balance fields hold new values for the view's display mapping.
    void applyToImage();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fillFields();
    bool readFields();

    SpotHistogram& histogram_;
    std::array<QLineEdit*, kMaxLayers> offsets_{};
    std::array<QLineEdit*, kMaxLayers> gains_{};
};

}  // namespace orvane
