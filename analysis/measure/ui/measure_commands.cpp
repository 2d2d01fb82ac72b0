#include "measure/ui/measure_commands.h"

#include "measure/ui/measure_ui.h"

#include <algorithm>

#include "base/core_error.h"
#include "base/ui/command_ids.h"
#include "base/ui/modal_dialog.h"
#include "base/ui/save_result.h"
#include "measure/extract_grid_data.h"
#include "measure/genepix_results.h"
#include "measure/selection_pairs.h"
#include "measure/selection_statistics.h"
#include "measure/spot_geometry.h"
#include "measure/ui/find_dialog.h"
#include "measure/ui/histogram_dialog.h"
#include "measure/ui/mark_not_found_dialog.h"
#include "measure/ui/saturation_setting.h"
#include "measure/ui/selection_pairs_dialog.h"
#include "measure/ui/selection_statistics_dialog.h"
#include "view/ui/orvane_doc.h"
#include "window/window_model.h"

namespace orvane {
namespace {

const char* const kTextFilter = "ASCII Text Files (*.txt)";
const char* const kGenePixFilter = "GenePix Results (*.gpr)";

}  // namespace

void RegisterMeasureCommands() {
    AddWindowCommands(
        "measure", [](ImageWindow& window) { return std::make_unique<CMeasureCommands>(window); });
}

void CMeasureCommands::OnGridExtract() {
    const GridEditor& editor = window_.model.editor();
    RequireGridDisplay(editor.tool(), editor.currentQuad());
    const COrvaneDoc& document = *window_.document;
    WriteResultFile(
        document, {true, "txt", "spot_data", kTextFilter}, [&](const std::string& path) {
            StatusProgress progress;
            ExtractGridData(path, document.image(), editor.grid(), editor.currentQuad(), progress);
        });
}

void CMeasureCommands::OnGridExportGenePix() {
    const GridEditor& editor = window_.model.editor();
    RequireGridDisplay(editor.tool(), editor.currentQuad());
    const COrvaneDoc& document = *window_.document;
    GenePixExportInfo info;
    // The scans of layer 0 (635) and layer 1 (532), as orvane-batch names them; one layer gives a
    // single-channel file.
    for (int k = 0; k < std::min(document.layerCount(), 2); ++k)
        info.imageFiles.push_back(
            {LocalPath(document.loadedPaths().value(k)), document.loadedPages().value(k)});
    // The threshold the Spot Results table shows its "saturated" spots by.
    info.flagSaturatedPercent = LoadSaturationSetting().threshold();
    WriteResultFile(document, {true, "gpr", "genepix_results", kGenePixFilter},
                    [&](const std::string& path) {
                        StatusProgress progress;
                        WriteGenePixResults(path, document.image(), editor.grid(),
                                            editor.currentQuad(), info, progress);
                    });
}

void CMeasureCommands::OnGridFind() {
    const GridEditor& editor = window_.model.editor();
    RequireAnnotatedGrid(editor.overlayShown(), editor.tool(), editor.grid());
    findSettings_.pattern.clear();  // the pattern opens empty, the check boxes as left
    CFindDialog dialog(findSettings_, &window_.widget);
    if (runModalDialog(dialog) != QDialog::Accepted) return;
    findSettings_ = dialog.settings();
    const std::int32_t count = window_.model.FindGenes(findSettings_);
    showMessagePaneText(QString::fromStdString(FindResultMessage(count)));
}

void CMeasureCommands::OnGridMarkNotFound() {
    const GridEditor& editor = window_.model.editor();
    RequireGridDisplay(editor.tool(), editor.currentQuad());
    CMarkNotFoundDialog dialog(notFoundRule_, &window_.widget);
    if (runModalDialog(dialog) != QDialog::Accepted) return;
    notFoundRule_ = dialog.rule();
    MarkNotFoundResult marked;
    {
        WaitCursor wait;
        StatusProgress progress;
        const SpotResults results =
            MeasureSpotResults(window_.document->image(), editor.grid(), editor.currentQuad(),
                               progress, kMeasuringSpotsText, RatioDetail::LogRatio);
        marked = window_.model.MarkSpotsNotFound(results, notFoundRule_);
    }
    showMessagePaneText(QString::fromStdString(MarkNotFoundMessage(marked)));
}

void CMeasureCommands::OnGridHistogram() {
    const GridEditor& editor = window_.model.editor();
    RequireGridDisplay(editor.tool(), editor.currentQuad());
    {
        WaitCursor wait;
        histogram_.SetData(
            MeasureGridSpotMeans(window_.document->image(), editor.grid(), editor.currentQuad()));
    }
    CHistogramDialog dialog(histogram_, &window_.widget);
    QObject::connect(&dialog, &CHistogramDialog::applyToImage, &dialog, [this] {
        window_.model.ChangeDisplay([this](DisplayState& d) {
            d.channelOffset = histogram_.offset;
            d.channelGain = histogram_.gain;
        });
    });
    runModalDialog(dialog);
}

void CMeasureCommands::OnSelectionStatistics() {
    const GridEditor& editor = window_.model.editor();
    SelectionStatistics statistics;
    {
        WaitCursor wait;
        statistics.SetData(
            SampleSelection(window_.document->image(), editor.shape(), editor.SelectedGridSpot()));
    }
    CSelectionStatisticsDialog dialog(statistics, *window_.document, &window_.widget);
    runModalDialog(dialog);
}

void CMeasureCommands::OnSelectionPairs() {
    const GridEditor& editor = window_.model.editor();
    SelectionPairs pairs;
    {
        WaitCursor wait;
        pairs.SetData(SamplePairsSelection(window_.document->image(), editor.shape(),
                                           editor.SelectedGridSpot()));
    }
    CSelectionPairsDialog dialog(pairs, *window_.document, &window_.widget);
    runModalDialog(dialog);
}

void CMeasureCommands::OnSelectionSaveRaw() {
    const GridEditor& editor = window_.model.editor();
    // The selection is checked before the file is asked for, with the statistics' messages.
    if (!editor.SelectionAreaOf()) throw CoreError("Please select an object first");
    const COrvaneDoc& document = *window_.document;
    WriteResultFile(
        document, {true, "txt", "selection_raw_data", kTextFilter}, [&](const std::string& path) {
            SaveSelectionRawData(path, document.image(), editor.shape(), editor.SelectedGridSpot());
        });
}

std::span<const CommandEntry<CMeasureCommands>> CMeasureCommands::commandMap() {
    using C = CMeasureCommands;
    // Always enabled while a window is active: each command tells the user what it lacks.
    static const CommandEntry<C> map[] = {
        {kGridFind, &C::OnGridFind, nullptr},
        {kGridExtract, &C::OnGridExtract, nullptr},
        {kGridExportGenePix, &C::OnGridExportGenePix, nullptr},
        {kGridHistogram, &C::OnGridHistogram, nullptr},
        {kGridMarkNotFound, &C::OnGridMarkNotFound, nullptr},
        {kSelectionStatistics, &C::OnSelectionStatistics, nullptr},
        {kToolbarStatistics, &C::OnSelectionStatistics, nullptr},
        {kSelectionPairs, &C::OnSelectionPairs, nullptr},
        {kToolbarPairs, &C::OnSelectionPairs, nullptr},
        {kSelectionSaveRaw, &C::OnSelectionSaveRaw, nullptr},
    };
    return map;
}

}  // namespace orvane
