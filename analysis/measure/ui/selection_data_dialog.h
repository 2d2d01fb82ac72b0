// What the statistics and pairs dialogs share: the Save Data and OK buttons at the right edge and
// a Save Data that asks for a file, refuses the document's opened scans, and reports a failed
// write.
#pragma once

#include <functional>
#include <string>

#include <QDialog>

class QPushButton;

namespace orvane {

class OpenedScans;

class CSelectionDataDialog : public QDialog {
    Q_OBJECT
public:
    CSelectionDataDialog(const QString& title, const QString& defaultName,
                         std::function<void(const std::string&)> writeData,
                         const OpenedScans& document, QWidget* parent);

    // Writes the Save Data file after its save dialog; cancelling writes nothing.
    void OnSaveData();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QString defaultName_;
    std::function<void(const std::string&)> writeData_;
    const OpenedScans& document_;
    QPushButton* saveData_;
    QPushButton* ok_;
};

}  // namespace orvane
