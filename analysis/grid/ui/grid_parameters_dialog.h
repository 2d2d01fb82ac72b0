// The "Grid Parameters" dialog: the print layout in millimetres, the edit settings, the Zone
// rule, Load Map and Load GAL... It edits a copy of the GridParameters and hands it back.
#pragma once

#include <array>
#include <initializer_list>
#include <utility>
#include <vector>

#include <QDialog>

#include "grid/define_grid.h"
#include "grid/grid_parameters.h"

class QCheckBox;
class QGridLayout;
class QLineEdit;
class QRadioButton;
class QPushButton;
class QWidget;

namespace orvane {

class CGridParametersDialog : public QDialog {
    Q_OBJECT
public:
    // Control ids of the dialog; each control's objectName is its id. A field's id comes from
    // its table row; the names here are for the code that finds a control by its id.
    enum ControlId : int {
        kCellsX = SpecOf(GridField::cellsX).controlId,
        kCellsY = SpecOf(GridField::cellsY).controlId,
        kOriginX = SpecOf(GridField::originX).controlId,
        kOriginY = SpecOf(GridField::originY).controlId,
        kStepX = SpecOf(GridField::stepXmm).controlId,
        kStepY = SpecOf(GridField::stepYmm).controlId,
        kDiamD = SpecOf(GridField::spotDiameter).controlId,
        kDragFullGrid = SpecOf(GridField::dragFullGrid).controlId,
        kRoundCells = SpecOf(GridField::roundCells).controlId,
        kRelativeOffsets = SpecOf(GridField::relativeOffsets).controlId,
        kZone = SpecOf(GridField::zone).controlId,
        kDiamBg = SpecOf(GridField::backgroundDiameter).controlId,
        kQuadsX = SpecOf(GridField::quadsX).controlId,
        kQuadsY = SpecOf(GridField::quadsY).controlId,
        kQuadStepX = SpecOf(GridField::quadStepX).controlId,
        kQuadStepY = SpecOf(GridField::quadStepY).controlId,
        kLoadMap = 1016,
        kQuadLocked = 1029,
        kQuadPinLock = 1030,
        kQuadUnlocked = 1031,
        kLoadGal = 1032,
    };

    explicit CGridParametersDialog(const GridParameters& values, QWidget* parent = nullptr);

    // The dialog's values: those accepted by OK, or changed by Load Map, Load GAL and the Zone
    // rule (which stay even when the dialog is cancelled).
    const GridParameters& values() const { return values_; }
    // Whether Load Map, Load GAL or the Zone rule changed the values during this run.
    bool valuesChanged() const { return valuesChanged_; }

    // The control that shows `field`.
    QWidget* control(GridField field) const;

    // Reads and validates every field as OK does; the first failing one is reported and gets
    // the focus. Public so that tests can drive it like the OK button.
    bool readAndValidate();

public slots:
    void accept() override;
    void OnLoadMap();
    // Reads a GenePix Array List: the grid geometry and the slide map, as Load Map sets them.
    void OnLoadGal();

private:
    void build();
    QWidget* buildQuadGridGroup();
    QWidget* buildTemplateGroup();
    QWidget* buildOffsetsGroup();
    QWidget* buildEditSettingsGroup();
    // One row of a group: its static text ("Cells"), then each edit after its own ("X:").
    void addEditRow(QGridLayout* grid, int row, const char* label,
                    std::initializer_list<std::pair<const char*, GridField>> edits);
    QLineEdit* makeEdit(GridField field);
    QCheckBox* makeCheck(GridField field);
    void setTabOrder();
    void fillControls();
    GridFieldTexts controlTexts() const;
    void reportFieldError(const FieldError& error);
    void OnZoneChanged();

    GridParameters values_;
    bool valuesChanged_ = false;
    std::array<QLineEdit*, kGridFieldCount> edits_{};
    std::array<QCheckBox*, kGridFieldCount> checks_{};
    std::array<QRadioButton*, 3> lockButtons_{};
    std::vector<QWidget*> fieldControls_;  // in the order they were made: the tab order
    QPushButton* loadMap_ = nullptr;
    QPushButton* loadGal_ = nullptr;
};

}  // namespace orvane
