// The "Grid Parameters" dialog: the print layout in millimetres, the edit settings, the Zone
// rule, Load Map and Load GAL... It edits a copy of the GridParameters and hands it back.
#pragma once

#include <array>

#include <QDialog>

#include "grid/define_grid.h"
#include "grid/grid_parameters.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QPushButton;
class QWidget;

namespace orvane {

class CGridParametersDialog : public QDialog {
    Q_OBJECT
public:
    // Control ids of the dialog; each control's objectName is its id.
    enum ControlId : int {
        kCellsX = 1007,
        kCellsY = 1008,
        kOriginX = 1010,
        kOriginY = 1011,
        kStepX = 1012,
        kStepY = 1013,
        kDiamD = 1014,
        kDragFullGrid = 1015,
        kLoadMap = 1016,
        kRoundCells = 1017,
        kRelativeOffsets = 1018,
        kZone = 1019,
        kDiamBg = 1020,
        kQuadsX = 1023,
        kQuadsY = 1024,
        kQuadStepX = 1025,
        kQuadStepY = 1026,
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
    QLineEdit* makeEdit(int id, GridField field);
    QCheckBox* makeCheck(int id, const char* text, GridField field);
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
    QPushButton* loadMap_ = nullptr;
    QPushButton* loadGal_ = nullptr;
};

}  // namespace orvane
