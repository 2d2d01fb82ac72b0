// What the statistics and pairs dialogs share: the Save Data and OK buttons at the right edge and
// a Save Data that asks for a file, lets the caller refuse it, and reports a failed write.
#pragma once

#include <functional>
#include <string>

#include <QDialog>

class QPushButton;

namespace orvane {

class CSelectionDataDialog : public QDialog {
    Q_OBJECT
public:
    CSelectionDataDialog(const QString& title, const QString& defaultName,
                         std::function<void(const std::string&)> writeData, QWidget* parent);

    // Writes the Save Data file after its save dialog; cancelling writes nothing.
    void OnSaveData();
    // Asked before Save Data writes: true refuses the chosen file (the caller has told the user).
    void setRefuseTarget(std::function<bool(const QString&)> refuse) {
        refuseTarget_ = std::move(refuse);
    }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QString defaultName_;
    std::function<void(const std::string&)> writeData_;
    std::function<bool(const QString&)> refuseTarget_;
    QPushButton* saveData_;
    QPushButton* ok_;
};

}  // namespace orvane
