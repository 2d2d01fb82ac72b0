#include "grid/ui/grid_commands.h"

#include "app/command_ids.h"
#include "app/modal_dialog.h"
#include "app/orvane_doc.h"
#include "app/save_result.h"
#include "grid/grid_file.h"
#include "grid/ui/grid_parameters_dialog.h"
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
        editor.DefineGrid(dialog.values());
        view_.NotifySpotDataChanged();
    } else if (dialog.valuesChanged()) {
        // Load Map, Load GAL and the Zone rule change the fields at once; they stay after Cancel.
        editor.SetParameters(dialog.values());
    }
    view_.NotifyGridChanged();
}

void CGridCommands::OnGridLoad() {
    const QString path = chooseFile({false, "grd", "grid_definition", kGridFilter});
    if (path.isEmpty()) return;
    {
        WaitCursor wait;
        view_.gridEditor().LoadGrid(LocalPath(path));
    }
    view_.NotifyGridChanged();
    view_.NotifySpotDataChanged();
}

void CGridCommands::OnGridSave() {
    GridEditor& editor = view_.gridEditor();
    editor.CheckSaveGrid();
    WriteResultFile(*view_.GetDocument(), {true, "grd", "grid_definition", kGridFilter},
                    [&](const std::string& path) { SaveGrid(editor.grid(), path); });
}

void CGridCommands::adjustGrid(AdjustMethod method) {
    {
        WaitCursor wait;
        view_.gridEditor().AdjustGrid(method);
    }
    view_.NotifyGridChanged();
    view_.NotifySpotDataChanged();
}

void CGridCommands::OnGridAdjust2DW() { adjustGrid(AdjustMethod::TwoDimensionalWindow); }
void CGridCommands::OnGridAdjust1DW() { adjustGrid(AdjustMethod::OneDimensionalWindow); }
void CGridCommands::OnGridAdjustCM() { adjustGrid(AdjustMethod::CentreOfMass); }

void CGridCommands::OnGridAutoPlace() {
    AutoPlaceResult result;
    {
        WaitCursor wait;
        result = view_.gridEditor().AutoPlaceGrid();
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
    };
    return map;
}

}  // namespace orvane
