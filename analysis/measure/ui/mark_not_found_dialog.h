// The "Mark Spots Not Found" dialog: the threshold P and whether every or any layer must fall
// below it.
#pragma once

#include <QDialog>

#include "measure/spot_results.h"

class QRadioButton;
class QSpinBox;

namespace orvane {

class CMarkNotFoundDialog : public QDialog {
    Q_OBJECT
public:
    CMarkNotFoundDialog(const NotFoundRule& rule, QWidget* parent = nullptr);

    // The rule as the controls show it.
    NotFoundRule rule() const;

    QSpinBox* percentBox() const { return percent_; }
    QRadioButton* anyLayerButton() const { return anyLayer_; }

private:
    QSpinBox* percent_;
    QRadioButton* everyLayer_;
    QRadioButton* anyLayer_;
};

}  // namespace orvane
