#include "grid/ui/grid_commands.h"

#include "base/ui/command_ids.h"
#include "base/ui/modal_dialog.h"
#include "base/ui/save_result.h"
#include "grid/grid_file.h"
#include "grid/ui/grid_parameters_dialog.h"
#include "view/ui/orvane_doc.h"
#include "view/ui/orvane_view.h"

namespace orvane {
namespace {

const char* const kGridFilter = "Grid Definition Files (*.grd)";

}  // namespace

void CGridCommands::OnGridDefine() {
    GridEditor& editor = view_.gridEditor();
    CGridParametersDialog dialog(editor.grid().parameters, &view_);
    const bool accepted = runModalDialog(dialog) == QDialog::Accepted;
    if (accepted) {
        WaitCursor wait;
        view_.model().Step("Define Grid", [&] { editor.DefineGrid(dialog.values()); });
        view_.model().MarkSaved();
        view_.NotifySpotDataChanged();
    } else if (dialog.valuesChanged()) {
        // Load Map, Load GAL and the Zone rule change the fields at once; they stay after Cancel.
        view_.model().Step("Grid Parameters", [&] { editor.SetParameters(dialog.values()); });
    }
    view_.NotifyGridChanged();
}

void CGridCommands::OnGridLoad() {
    const QString path = chooseFile({false, "grd", "grid_definition", kGridFilter});
    if (path.isEmpty()) return;
    {
        WaitCursor wait;
        view_.model().Step("Load Grid", [&] { view_.gridEditor().LoadGrid(LocalPath(path)); });
        view_.model().MarkSaved();
    }
    view_.NotifyGridChanged();
    view_.NotifySpotDataChanged();
}

void CGridCommands::OnGridSave() {
    view_.gridEditor().CheckSaveGrid();
    SaveGridFile();
}

bool CGridCommands::SaveGridFile() {
    const SpotGrid& grid = view_.gridEditor().grid();
    if (!WriteResultFile(*view_.GetDocument(), {true, "grd", "grid_definition", kGridFilter},
                         [&](const std::string& path) { SaveGrid(grid, path); }))
        return false;
    view_.model().MarkSaved();
    return true;
}

void CGridCommands::adjustGrid(AdjustMethod method, const char* name) {
    {
        WaitCursor wait;
        view_.model().Step(name, [&] { view_.gridEditor().AdjustGrid(method); });
    }
    view_.NotifyGridChanged();
    view_.NotifySpotDataChanged();
}

void CGridCommands::OnGridAdjust2DW() {
    adjustGrid(AdjustMethod::TwoDimensionalWindow, "Adjust Grid 2DW");
}
void CGridCommands::OnGridAdjust1DW() {
    adjustGrid(AdjustMethod::OneDimensionalWindow, "Adjust Grid 1DW");
}
void CGridCommands::OnGridAdjustCM() { adjustGrid(AdjustMethod::CentreOfMass, "Adjust Grid CM"); }

void CGridCommands::OnEditUndo() { view_.model().Undo(); }
void CGridCommands::OnEditRedo() { view_.model().Redo(); }

void CGridCommands::OnUpdateEditUndo(CmdUi& ui) const {
    const GridHistory& history = view_.model().history();
    ui.enabled = history.CanUndo();
    ui.text = ui.enabled ? "&Undo " + history.UndoName() : std::string("&Undo");
}

void CGridCommands::OnUpdateEditRedo(CmdUi& ui) const {
    const GridHistory& history = view_.model().history();
    ui.enabled = history.CanRedo();
    ui.text = ui.enabled ? "&Redo " + history.RedoName() : std::string("&Redo");
}

void CGridCommands::OnGridAutoPlace() {
    AutoPlaceResult result;
    {
        WaitCursor wait;
        view_.model().Step("Auto Place", [&] { result = view_.gridEditor().AutoPlaceGrid(); });
    }
    view_.NotifyGridChanged();
    view_
        .NotifySpotDataChanged();  // before the message: a review dock measures with progress texts
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
