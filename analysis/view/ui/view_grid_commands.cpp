// The view's grid, selection and measurement commands: Define Grid, Load and Save Grid, Adjust
// Grid, Extract Grid Data, Find, Mark Spots Not Found, the histogram, and the statistics, pairs
// and raw-data commands; showing and highlighting spots for the review docks.
#include <QFile>
#include <QScrollBar>

#include "app/modal_dialog.h"
#include "app/orvane_doc.h"
#include "app/shell_services.h"
#include "base/core_error.h"
#include "grid/grid_file.h"
#include "grid/ui/grid_parameters_dialog.h"
#include "measure/extract_grid_data.h"
#include "measure/genepix_results.h"
#include "measure/selection_pairs.h"
#include "measure/selection_statistics.h"
#include "measure/spot_geometry.h"
#include "measure/ui/find_dialog.h"
#include "measure/ui/histogram_dialog.h"
#include "measure/ui/mark_not_found_dialog.h"
#include "measure/ui/selection_pairs_dialog.h"
#include "measure/ui/selection_statistics_dialog.h"
#include "view/ui/orvane_view.h"

namespace orvane {
namespace {

const char* const kTextFilter = "ASCII Text Files (*.txt)";
const char* const kGridFilter = "Grid Definition Files (*.grd)";
const char* const kGenePixFilter = "GenePix Results (*.gpr)";

std::string localPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

bool COrvaneView::hasGrid() const { return editor_.currentQuad().defined != 0; }

void COrvaneView::gridChanged() { emit stateChanged(); }

QString COrvaneView::gridPaneText(int paneId) const {
    const GridPaneTexts texts = editor_.PaneTexts();
    switch (paneId) {
    case kPaneGridQuad: return QString::fromStdString(texts.quad);
    case kPaneGridSpot: return QString::fromStdString(texts.spot);
    case kPaneSpotUid: return QString::fromStdString(texts.uid);
    case kPaneSpotDescription: return QString::fromStdString(texts.description);
    case kPaneSpotIntensity: return QString::fromStdString(texts.intensity);
    default: return {};
    }
}

void COrvaneView::OnUpdateGridCommand(CmdUi& ui) const { ui.enabled = true; }

void COrvaneView::OnGridDefine() {
    CGridParametersDialog dialog(editor_.grid().parameters, this);
    const bool accepted = runModalDialog(dialog) == QDialog::Accepted;
    if (accepted) {
        WaitCursor wait;
        editor_.DefineGrid(dialog.values());
        emit spotDataChanged();
    } else if (dialog.valuesChanged()) {
        // Load Map, Load GAL and the Zone rule change the fields at once; they stay after Cancel.
        editor_.SetParameters(dialog.values());
    }
    gridChanged();
}

void COrvaneView::OnGridLoad() {
    const QString path = chooseFile({false, "grd", "grid_definition", kGridFilter});
    if (path.isEmpty()) return;
    {
        WaitCursor wait;
        editor_.LoadGrid(localPath(path));
    }
    gridChanged();
    emit spotDataChanged();
}

void COrvaneView::OnGridSave() {
    editor_.CheckSaveGrid();
    const QString path = chooseFile({true, "grd", "grid_definition", kGridFilter});
    if (path.isEmpty() || refuseOpenedImage(path)) return;
    WaitCursor wait;
    SaveGrid(editor_.grid(), localPath(path));
}

void COrvaneView::adjustGrid(AdjustMethod method) {
    {
        WaitCursor wait;
        editor_.AdjustGrid(method);
    }
    gridChanged();
    emit spotDataChanged();
}

void COrvaneView::OnGridAdjust2DW() { adjustGrid(AdjustMethod::TwoDimensionalWindow); }
void COrvaneView::OnGridAdjust1DW() { adjustGrid(AdjustMethod::OneDimensionalWindow); }
void COrvaneView::OnGridAdjustCM() { adjustGrid(AdjustMethod::CentreOfMass); }

void COrvaneView::OnGridAutoPlace() {
    AutoPlaceResult result;
    {
        WaitCursor wait;
        result = editor_.AutoPlaceGrid();
    }
    gridChanged();
    emit spotDataChanged();  // before the message: a review dock measures with progress texts
    showMessagePaneText(QString::fromStdString(AutoPlaceMessage(result)));
}

void COrvaneView::OnGridExtract() {
    RequireGridDisplay(editor_.tool(), editor_.currentQuad());
    const QString path = chooseFile({true, "txt", "spot_data", kTextFilter});
    if (path.isEmpty() || refuseOpenedImage(path)) return;
    WaitCursor wait;
    StatusProgress progress;
    ExtractGridData(localPath(path), document_->image(), editor_.grid(), editor_.currentQuad(),
                    progress);
}

void COrvaneView::OnGridExportGenePix() {
    RequireGridDisplay(editor_.tool(), editor_.currentQuad());
    // Refused before the file is asked for: the export has no meaning on one layer.
    if (document_->layerCount() < 2) throw CoreError(kTwoLayersRequiredMessage);
    const QString path = chooseFile({true, "gpr", "genepix_results", kGenePixFilter});
    if (path.isEmpty() || refuseOpenedImage(path)) return;
    GenePixExportInfo info;
    // The scans of layer 0 (635) and layer 1 (532), as orvane-batch names them.
    for (int k = 0; k < 2; ++k) {
        info.imageFiles.push_back(
            {localPath(document_->loadedPaths().value(k)), document_->loadedPages().value(k)});
    }
    WaitCursor wait;
    StatusProgress progress;
    WriteGenePixResults(localPath(path), document_->image(), editor_.grid(), editor_.currentQuad(),
                        info, progress);
}

void COrvaneView::OnGridFind() {
    RequireAnnotatedGrid(editor_.overlayShown(), editor_.tool(), editor_.grid());
    findSettings_.pattern.clear();  // the pattern opens empty, the check boxes as left
    CFindDialog dialog(findSettings_, this);
    if (runModalDialog(dialog) != QDialog::Accepted) return;
    findSettings_ = dialog.settings();
    const std::int32_t count = editor_.FindGenes(findSettings_);
    showMessagePaneText(QString::fromStdString(FindResultMessage(count)));
    gridChanged();
}

void COrvaneView::OnGridMarkNotFound() {
    RequireGridDisplay(editor_.tool(), editor_.currentQuad());
    CMarkNotFoundDialog dialog(notFoundRule_, this);
    if (runModalDialog(dialog) != QDialog::Accepted) return;
    notFoundRule_ = dialog.rule();
    MarkNotFoundResult marked;
    {
        WaitCursor wait;
        StatusProgress progress;
        const SpotResults results =
            MeasureSpotResults(document_->image(), editor_.grid(), editor_.currentQuad(), progress,
                               kMeasuringSpotsText, RatioDetail::LogRatio);
        marked = MarkSpotsNotFound(editor_.grid(), results, notFoundRule_);
        editor_.RedrawAllChangedSpots();
    }
    showMessagePaneText(QString::fromStdString(MarkNotFoundMessage(marked)));
    gridChanged();
}

bool COrvaneView::ShowSpot(const SpotIndex& spot) {
    if (editor_.tool() != ToolKind::Grid) {
        if (editor_.grid().quad(spot.qx, spot.qy).defined == 0) return false;
        setTool(ToolKind::Grid);
        if (editor_.tool() != ToolKind::Grid) return false;
    }
    if (!editor_.SelectSpot(spot.qx, spot.qy, spot.col, spot.row)) return false;
    // The spot's centre in the middle of the window, at any zoom.
    const GridPoint centre = *editor_.currentQuad().SpotCentre(spot.col, spot.row);
    CentreOn(QPoint(centre.x, centre.y));
    gridChanged();
    return true;
}

void COrvaneView::HighlightSpots(const std::vector<SpotIndex>& spots) {
    const std::int32_t count = orvane::HighlightSpots(editor_.grid(), spots);
    editor_.RedrawAllChangedSpots();
    showMessagePaneText(QString("Highlighted %1 spots.").arg(count));
    gridChanged();
}

void COrvaneView::OnGridHistogram() {
    RequireGridDisplay(editor_.tool(), editor_.currentQuad());
    {
        WaitCursor wait;
        histogram_.SetData(
            MeasureGridSpotMeans(document_->image(), editor_.grid(), editor_.currentQuad()));
    }
    CHistogramDialog dialog(histogram_, this);
    connect(&dialog, &CHistogramDialog::applyToImage, this, [this] {
        for (int k = 0; k < kMaxLayers; ++k) {
            display_.channelOffset[static_cast<std::size_t>(k)] =
                histogram_.offset[static_cast<std::size_t>(k)];
            display_.channelGain[static_cast<std::size_t>(k)] =
                histogram_.gain[static_cast<std::size_t>(k)];
        }
        RebuildDisplay();
        repaintAll();
    });
    runModalDialog(dialog);
}

void COrvaneView::OnSelectionStatistics() {
    SelectionStatistics statistics;
    {
        WaitCursor wait;
        statistics.SetData(
            SampleSelection(document_->image(), editor_.shape(), editor_.SelectedGridSpot()));
    }
    CSelectionStatisticsDialog dialog(statistics, this);
    dialog.setRefuseTarget([this](const QString& path) { return refuseOpenedImage(path); });
    runModalDialog(dialog);
}

void COrvaneView::OnSelectionPairs() {
    SelectionPairs pairs;
    {
        WaitCursor wait;
        pairs.SetData(
            SamplePairsSelection(document_->image(), editor_.shape(), editor_.SelectedGridSpot()));
    }
    CSelectionPairsDialog dialog(pairs, this);
    dialog.setRefuseTarget([this](const QString& path) { return refuseOpenedImage(path); });
    runModalDialog(dialog);
}

void COrvaneView::OnSelectionSaveRaw() {
    // The selection is checked before the file is asked for, with the statistics' messages.
    if (!editor_.SelectionAreaOf()) throw CoreError("Please select an object first");
    const QString path = chooseFile({true, "txt", "selection_raw_data", kTextFilter});
    if (path.isEmpty() || refuseOpenedImage(path)) return;
    WaitCursor wait;
    SaveSelectionRawData(localPath(path), document_->image(), editor_.shape(),
                         editor_.SelectedGridSpot());
}

}  // namespace orvane
