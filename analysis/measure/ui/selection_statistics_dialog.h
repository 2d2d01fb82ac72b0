// The "Selected Data Statistics" dialog: the sorted intensity curve of each layer over a
// ten-step scale, a statistics line per layer, and Save Data.
#pragma once

#include "measure/selection_statistics.h"
#include "measure/ui/selection_data_dialog.h"

namespace orvane {

class CSelectionStatisticsDialog : public CSelectionDataDialog {
    Q_OBJECT
public:
    CSelectionStatisticsDialog(const SelectionStatistics& statistics, const OpenedScans& document,
                               QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const SelectionStatistics& statistics_;
};

}  // namespace orvane
