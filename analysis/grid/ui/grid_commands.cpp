#include "grid/ui/grid_commands.h"

#include "grid/ui/grid_ui.h"

#include "base/ui/command_ids.h"
#include "base/ui/modal_dialog.h"
#include "base/ui/save_result.h"
#include "grid/grid_file.h"
#include "grid/ui/grid_parameters_dialog.h"
#include "view/ui/orvane_doc.h"
#include "window/window_model.h"

namespace orvane {
namespace {

const char* const kGridFilter = "Grid Definition Files (*.grd)";

}  // namespace

void RegisterGridCommands() {
    AddWindowCommands("grid",
                      [](ImageWindow& window) { return std::make_unique<CGridCommands>(window); });
}

CGridCommands::CGridCommands(ImageWindow& window) : window_(window) {
    window_.saveGrid = [this] { return SaveGridFile(); };
}

CGridCommands::~CGridCommands() { window_.saveGrid = nullptr; }

void CGridCommands::OnGridDefine() {
    CGridParametersDialog dialog(window_.model.editor().grid().parameters, &window_.widget);
    if (runModalDialog(dialog) == QDialog::Accepted) {
        WaitCursor wait;
        window_.model.DefineGrid(dialog.values());
    } else if (dialog.valuesChanged()) {
        // Load Map, Load GAL and the Zone rule change the fields at once; they stay after Cancel.
        window_.model.SetParameters(dialog.values());
    }
}

void CGridCommands::OnGridLoad() {
    const QString path = chooseFile({false, "grd", "grid_definition", kGridFilter});
    if (path.isEmpty()) return;
    WaitCursor wait;
    window_.model.LoadGrid(LocalPath(path));
}

void CGridCommands::OnGridSave() {
    window_.model.editor().CheckSaveGrid();
    SaveGridFile();
}

bool CGridCommands::SaveGridFile() {
    const SpotGrid& grid = window_.model.editor().grid();
    if (!WriteResultFile(*window_.document, {true, "grd", "grid_definition", kGridFilter},
                         [&](const std::string& path) { SaveGrid(grid, path); }))
        return false;
    window_.model.MarkSaved();
    return true;
}

void CGridCommands::adjustGrid(AdjustMethod method) {
    WaitCursor wait;
    window_.model.AdjustGrid(method);
}

void CGridCommands::OnGridAdjust2DW() { adjustGrid(AdjustMethod::TwoDimensionalWindow); }
void CGridCommands::OnGridAdjust1DW() { adjustGrid(AdjustMethod::OneDimensionalWindow); }
void CGridCommands::OnGridAdjustCM() { adjustGrid(AdjustMethod::CentreOfMass); }

void CGridCommands::OnEditUndo() { window_.model.Undo(); }
void CGridCommands::OnEditRedo() { window_.model.Redo(); }

void CGridCommands::OnUpdateEditUndo(CmdUi& ui) const {
    const GridHistory& history = window_.model.history();
    ui.enabled = history.CanUndo();
    ui.text = ui.enabled ? "&Undo " + history.UndoName() : std::string("&Undo");
}

void CGridCommands::OnUpdateEditRedo(CmdUi& ui) const {
    const GridHistory& history = window_.model.history();
    ui.enabled = history.CanRedo();
    ui.text = ui.enabled ? "&Redo " + history.RedoName() : std::string("&Redo");
}

void CGridCommands::OnGridAutoPlace() {
    AutoPlaceResult result;
    {
        WaitCursor wait;
        // A review dock measures (with progress texts) before the message below.
        result = window_.model.AutoPlaceGrid();
    }
    showMessagePaneText(QString::fromStdString(AutoPlaceMessage(result)));
}

std::span<const CommandEntry<CGridCommands>> CGridCommands::commandMap() {
    using C = CGridCommands;
    // Always enabled while a window is active: each command tells the user what it lacks.
    static const CommandEntry<C> map[] = {
        {kGridDefine, &C::OnGridDefine, nullptr},
        {kGridLoad, &C::OnGridLoad, nullptr},
        {kGridSave, &C::OnGridSave, nullptr},
        {kGridAdjust2DW, &C::OnGridAdjust2DW, nullptr},
        {kGridAdjust1DW, &C::OnGridAdjust1DW, nullptr},
        {kGridAdjustCM, &C::OnGridAdjustCM, nullptr},
        {kGridAutoPlace, &C::OnGridAutoPlace, nullptr},
        {kEditUndo, &C::OnEditUndo, &C::OnUpdateEditUndo},
        {kEditRedo, &C::OnEditRedo, &C::OnUpdateEditRedo},
    };
    return map;
}

}  // namespace orvane
