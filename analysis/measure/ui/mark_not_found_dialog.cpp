// The Mark Spots Not Found dialog's controls. The spin box keeps P within 0 to 100.
#include "measure/ui/mark_not_found_dialog.h"

#include <cmath>

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace orvane {

CMarkNotFoundDialog::CMarkNotFoundDialog(const NotFoundRule& rule, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("Mark Spots Not Found");
    percent_ = new QSpinBox(this);
    percent_->setRange(static_cast<int>(kMinNotFoundPercent),
                       static_cast<int>(kMaxNotFoundPercent));
    percent_->setSuffix(" %");
    percent_->setValue(static_cast<int>(std::lround(rule.minPercent)));
    everyLayer_ = new QRadioButton("in every layer", this);
    anyLayer_ = new QRadioButton("in any layer", this);
    (rule.anyLayer ? anyLayer_ : everyLayer_)->setChecked(true);

    auto* explanation = new QLabel(
        "Marks every measured spot whose share of pixels above its background + 2 SD is "
        "below P:",
        this);
    explanation->setWordWrap(true);
    auto* form = new QFormLayout;
    form->addRow("P:", percent_);
    form->addRow("", everyLayer_);
    form->addRow("", anyLayer_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

NotFoundRule CMarkNotFoundDialog::rule() const {
    return {static_cast<double>(percent_->value()), anyLayer_->isChecked()};
}

}  // namespace orvane
