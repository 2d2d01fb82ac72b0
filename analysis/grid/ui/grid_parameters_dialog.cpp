// The Grid Parameters dialog: its four groups, validation with the dialog's messages and focus,
// the Zone rule and the Load Map and Load GAL... buttons.
#include "grid/ui/grid_parameters_dialog.h"

#include <iostream>

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/core_error.h"
#include "base/ui/shell_services.h"
#include "grid/layout_files.h"
#include "printjob/load_map.h"
#include "printjob/print_job_parameters.h"

namespace orvane {
namespace {

std::size_t at(GridField field) { return static_cast<std::size_t>(field); }

}  // namespace

CGridParametersDialog::CGridParametersDialog(const GridParameters& values, QWidget* parent)
    : QDialog(parent), values_(values) {
    setWindowTitle("Grid Parameters");
    build();
    fillControls();
}

QLineEdit* CGridParametersDialog::makeEdit(GridField field) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(SpecOf(field).controlId));
    edit->setMaximumWidth(90);
    edits_[at(field)] = edit;
    fieldControls_.push_back(edit);
    return edit;
}

QCheckBox* CGridParametersDialog::makeCheck(GridField field) {
    auto* check = new QCheckBox(SpecOf(field).label, this);
    check->setObjectName(QString::number(SpecOf(field).controlId));
    checks_[at(field)] = check;
    fieldControls_.push_back(check);
    return check;
}

void CGridParametersDialog::addEditRow(
    QGridLayout* grid, int row, const char* label,
    std::initializer_list<std::pair<const char*, GridField>> edits) {
    grid->addWidget(new QLabel(label), row, 0);
    int column = 1;
    for (const auto& [text, field] : edits) {
        grid->addWidget(new QLabel(text), row, column++);
        grid->addWidget(makeEdit(field), row, column++);
    }
}

QWidget* CGridParametersDialog::buildQuadGridGroup() {
    auto* group = new QGroupBox("Quad Grid Parameters", this);
    auto* grid = new QGridLayout(group);
    addEditRow(grid, 0, "Cells", {{"X:", GridField::cellsX}, {"Y:", GridField::cellsY}});
    addEditRow(grid, 1, "Step", {{"X:", GridField::stepXmm}, {"Y:", GridField::stepYmm}});
    addEditRow(grid, 2, "Diam",
               {{"D:", GridField::spotDiameter}, {"Bg:", GridField::backgroundDiameter}});
    grid->addWidget(makeCheck(GridField::roundCells), 3, 0, 1, 5);
    return group;
}

QWidget* CGridParametersDialog::buildTemplateGroup() {
    auto* group = new QGroupBox("Quad Template", this);
    auto* grid = new QGridLayout(group);
    addEditRow(grid, 0, "Quads", {{"X:", GridField::quadsX}, {"Y:", GridField::quadsY}});
    addEditRow(grid, 1, "Step", {{"X:", GridField::quadStepX}, {"Y:", GridField::quadStepY}});
    return group;
}

QWidget* CGridParametersDialog::buildOffsetsGroup() {
    auto* group = new QGroupBox("Offsets", this);
    auto* grid = new QGridLayout(group);
    addEditRow(grid, 0, "Origin", {{"X:", GridField::originX}, {"Y:", GridField::originY}});
    grid->addWidget(new QLabel("Zone"), 1, 0);
    grid->addWidget(makeEdit(GridField::zone), 1, 2);
    grid->addWidget(makeCheck(GridField::relativeOffsets), 2, 0, 1, 5);
    connect(edits_[at(GridField::zone)], &QLineEdit::textEdited, this,
            &CGridParametersDialog::OnZoneChanged);
    return group;
}

QWidget* CGridParametersDialog::buildEditSettingsGroup() {
    auto* group = new QGroupBox("Grid Edit Settings", this);
    auto* column = new QVBoxLayout(group);
    column->addWidget(makeCheck(GridField::dragFullGrid));
    // The radio group's values 0, 1, 2 in this order.
    const std::array<std::pair<int, const char*>, 3> locks = {{{kQuadUnlocked, "Quad Unlocked"},
                                                               {kQuadLocked, "Quad Locked"},
                                                               {kQuadPinLock, "Quad Pin Lock"}}};
    for (std::size_t i = 0; i < locks.size(); ++i) {
        auto* radio = new QRadioButton(locks[i].second, this);
        radio->setObjectName(QString::number(locks[i].first));
        lockButtons_[i] = radio;
        fieldControls_.push_back(radio);
        column->addWidget(radio);
    }
    return group;
}

void CGridParametersDialog::build() {
    auto* groups = new QGridLayout;
    groups->addWidget(buildQuadGridGroup(), 0, 0);
    groups->addWidget(buildTemplateGroup(), 0, 1);
    groups->addWidget(buildOffsetsGroup(), 1, 0);
    groups->addWidget(buildEditSettingsGroup(), 1, 1);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("1");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("2");
    loadMap_ = new QPushButton("Load Map", this);
    loadMap_->setObjectName(QString::number(kLoadMap));
    loadMap_->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &CGridParametersDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &CGridParametersDialog::reject);
    connect(loadMap_, &QPushButton::clicked, this, &CGridParametersDialog::OnLoadMap);
    loadGal_ = new QPushButton("Load GAL...", this);
    loadGal_->setObjectName(QString::number(kLoadGal));
    loadGal_->setAutoDefault(false);
    connect(loadGal_, &QPushButton::clicked, this, &CGridParametersDialog::OnLoadGal);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addSpacing(12);
    buttons->addWidget(loadMap_);
    buttons->addWidget(loadGal_);
    buttons->addStretch();

    auto* top = new QHBoxLayout(this);
    top->addLayout(groups);
    top->addLayout(buttons);
    setTabOrder();
}

// Tab order follows the groups as they were built: the layout, the template, the offsets, the
// edit settings, then the buttons, the two layout files last.
void CGridParametersDialog::setTabOrder() {
    QWidget* previous = nullptr;
    const auto chain = [&](QWidget* next) {
        if (previous != nullptr) QWidget::setTabOrder(previous, next);
        previous = next;
    };
    for (QWidget* control : fieldControls_) chain(control);
    chain(findChild<QPushButton*>("1"));
    chain(findChild<QPushButton*>("2"));
    chain(loadMap_);
    chain(loadGal_);
}

QWidget* CGridParametersDialog::control(GridField field) const {
    if (field == GridField::lockMode) return lockButtons_[0];
    if (edits_[at(field)] != nullptr) return edits_[at(field)];
    return checks_[at(field)];
}

void CGridParametersDialog::fillControls() {
    const GridFieldTexts texts = FormatGridFields(values_);
    for (std::size_t i = 0; i < kGridFieldCount; ++i) {
        if (edits_[i] != nullptr) edits_[i]->setText(QString::fromStdString(texts[i]));
        if (checks_[i] != nullptr) checks_[i]->setChecked(texts[i] != "0");
    }
    const int lock = values_.lockMode;
    for (std::size_t i = 0; i < lockButtons_.size(); ++i)
        lockButtons_[i]->setChecked(static_cast<int>(i) == lock);
}

GridFieldTexts CGridParametersDialog::controlTexts() const {
    GridFieldTexts texts;
    for (std::size_t i = 0; i < kGridFieldCount; ++i) {
        if (edits_[i] != nullptr) texts[i] = edits_[i]->text().toStdString();
        if (checks_[i] != nullptr) texts[i].assign(1, checks_[i]->isChecked() ? '1' : '0');
    }
    // No radio checked reads as the first one, as an unset radio group does.
    int lock = 0;
    for (std::size_t i = 0; i < lockButtons_.size(); ++i)
        if (lockButtons_[i]->isChecked()) lock = static_cast<int>(i);
    texts[at(GridField::lockMode)] = std::to_string(lock);
    return texts;
}

void CGridParametersDialog::reportFieldError(const FieldError& error) {
    OrvaneMessageBox(QString::fromStdString(error.message));
    QWidget* field = control(error.field);
    field->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
}

bool CGridParametersDialog::readAndValidate() {
    if (auto error = ValidateGridFields(controlTexts(), values_)) {
        reportFieldError(*error);
        return false;
    }
    return true;
}

void CGridParametersDialog::accept() {
    if (readAndValidate()) QDialog::accept();
}

void CGridParametersDialog::OnZoneChanged() {
    if (auto error = ApplyZoneChange(controlTexts(), values_, processPrintJobParameters())) {
        reportFieldError(*error);
        return;
    }
    valuesChanged_ = true;
    fillControls();
}

void CGridParametersDialog::OnLoadMap() {
    const QString path = chooseFile({false, "txt", "slide_map_data", "ASCII Text Files (*.txt)"});
    if (path.isEmpty()) return;
    std::vector<std::string> pinMessages;
    const GridParameters before = values_;
    runReportingErrors([&] {
        WaitCursor wait;
        pinMessages = LoadMapFile(LocalPath(path), values_, processPrintJobParameters(), std::cout);
    });
    for (const std::string& message : pinMessages)
        OrvaneMessageBox(QString::fromStdString(message));
    // An out-of-memory abandon still leaves the new geometry set, so compare rather than trust
    // the outcome.
    if (values_.slideMap != before.slideMap ||
        FormatGridFields(values_) != FormatGridFields(before))
        valuesChanged_ = true;
    fillControls();
}

void CGridParametersDialog::OnLoadGal() {
    const QString path = chooseFile({false, "gal", "", "GenePix Array List Files (*.gal)"});
    if (path.isEmpty()) return;
    // A refused file leaves every field as it was; the message is the reader's own.
    const bool loaded = runReportingErrors([&] {
        WaitCursor wait;
        LoadGalFile(LocalPath(path), values_);
    });
    if (!loaded) return;
    valuesChanged_ = true;
    fillControls();
}

}  // namespace orvane
