// The "Selected Data Pairs" dialog: layer 0 against layer 1 for every pixel of the selection.
#pragma once

#include "measure/selection_pairs.h"
#include "measure/ui/selection_data_dialog.h"

namespace orvane {

class CSelectionPairsDialog : public CSelectionDataDialog {
    Q_OBJECT
public:
    CSelectionPairsDialog(const SelectionPairs& pairs, const OpenedScans& document,
                          QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const SelectionPairs& pairs_;
};

}  // namespace orvane
