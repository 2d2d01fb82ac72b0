// The "Find Spots by UID / Description" dialog: the pattern and its four options.
#pragma once

#include <QDialog>

#include "measure/find_genes.h"

class QCheckBox;
class QLineEdit;

namespace orvane {

class CFindDialog : public QDialog {
    Q_OBJECT
public:
    CFindDialog(const FindSettings& settings, QWidget* parent = nullptr);

    // The settings as the controls show them.
    FindSettings settings() const;

    QLineEdit* patternEdit() const { return pattern_; }

private:
    QLineEdit* pattern_;
    QCheckBox* matchCase_;
    QCheckBox* wholeWord_;
    QCheckBox* uidField_;
    QCheckBox* descrField_;
};

}  // namespace orvane
