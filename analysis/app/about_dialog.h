// CAboutDialog: the modal About box with the program's name, version and credits.
#pragma once

#include <QDialog>

namespace orvane {

class CAboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDialog(QWidget* parent = nullptr);
};

}  // namespace orvane
