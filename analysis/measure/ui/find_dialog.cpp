// The find dialog's controls.
#include "measure/ui/find_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

namespace orvane {

CFindDialog::CFindDialog(const FindSettings& settings, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Find Spots by UID / Description");
    pattern_ = new QLineEdit(QString::fromStdString(settings.pattern), this);
    pattern_->setMaxLength(static_cast<int>(kMaxFindPatternLength));
    matchCase_ = new QCheckBox("Match Case", this);
    wholeWord_ = new QCheckBox("Match Whole Word", this);
    uidField_ = new QCheckBox("UID field", this);
    descrField_ = new QCheckBox("Descr field", this);
    matchCase_->setChecked(settings.matchCase);
    wholeWord_->setChecked(settings.matchWholeWord);
    uidField_->setChecked(settings.uidField);
    descrField_->setChecked(settings.descrField);
    auto* find = new QPushButton("Find", this);
    find->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    connect(find, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(pattern_, 0, 0, 1, 2);
    grid->addWidget(matchCase_, 1, 0);
    grid->addWidget(uidField_, 1, 1);
    grid->addWidget(wholeWord_, 2, 0);
    grid->addWidget(descrField_, 2, 1);
    grid->addWidget(find, 0, 2);
    grid->addWidget(cancel, 1, 2);
}

FindSettings CFindDialog::settings() const {
    FindSettings s;
    s.pattern = pattern_->text().toStdString();
    s.matchCase = matchCase_->isChecked();
    s.matchWholeWord = wholeWord_->isChecked();
    s.uidField = uidField_->isChecked();
    s.descrField = descrField_->isChecked();
    return s;
}

}  // namespace orvane
