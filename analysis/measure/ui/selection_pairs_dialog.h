// The "Selected Data Pairs" dialog: layer 0 against layer 1 for every pixel of the selection.
#pragma once

#include <functional>

#include <QDialog>

#include "measure/selection_pairs.h"

class QPushButton;

namespace orvane {

class CSelectionPairsDialog : public QDialog {
    Q_OBJECT
public:
    CSelectionPairsDialog(const SelectionPairs& pairs, QWidget* parent = nullptr);

    void OnSaveData();
    // Asked before Save Data writes: true refuses the chosen file (the caller has told the user).
    void setRefuseTarget(std::function<bool(const QString&)> refuse) { refuseTarget_ = std::move(refuse); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::function<bool(const QString&)> refuseTarget_;
    const SelectionPairs& pairs_;
    QPushButton* saveData_;
    QPushButton* ok_;
};

}  // namespace orvane
