// The "Selected Data Statistics" dialog: the sorted intensity curve of each layer over a
// ten-step scale, a statistics line per layer, and Save Data.
#pragma once

#include <functional>

#include <QDialog>

#include "measure/selection_statistics.h"

class QPushButton;

namespace orvane {

class CSelectionStatisticsDialog : public QDialog {
    Q_OBJECT
public:
    CSelectionStatisticsDialog(const SelectionStatistics& statistics, QWidget* parent = nullptr);

    // Writes the Save Data file after its save dialog; cancelling writes nothing.
    void OnSaveData();
    // Asked before Save Data writes: true refuses the chosen file (the caller has told the user).
    void setRefuseTarget(std::function<bool(const QString&)> refuse) { refuseTarget_ = std::move(refuse); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::function<bool(const QString&)> refuseTarget_;
    const SelectionStatistics& statistics_;
    QPushButton* saveData_;
    QPushButton* ok_;
};

}  // namespace orvane
