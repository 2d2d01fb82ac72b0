// The buttons and Save Data of the statistics and pairs dialogs.
#include "measure/ui/selection_data_dialog.h"

#include <QPushButton>

#include "base/ui/save_result.h"

namespace orvane {

CSelectionDataDialog::CSelectionDataDialog(const QString& title, const QString& defaultName,
                                           std::function<void(const std::string&)> writeData,
                                           const OpenedScans& document, QWidget* parent)
    : QDialog(parent),
      defaultName_(defaultName),
      writeData_(std::move(writeData)),
      document_(document) {
    setWindowTitle(title);
    resize(492, 453);  // 328 x 279 dialog units
    saveData_ = new QPushButton("Save Data", this);
    ok_ = new QPushButton("OK", this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(saveData_, &QPushButton::clicked, this, &CSelectionDataDialog::OnSaveData);
}

void CSelectionDataDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // 50 x 14 units at the right edge, Save Data above OK.
    saveData_->setGeometry(width() - 85, 10, 75, 23);
    ok_->setGeometry(width() - 85, 40, 75, 23);
}

void CSelectionDataDialog::OnSaveData() {
    runReportingErrors([&] {
        WriteResultFile(document_, {true, "txt", defaultName_, "ASCII Text Files (*.txt)"},
                        writeData_);
    });
}

}  // namespace orvane
