// The view's image commands: Export 8-bit TIFF, Subtract Background and the two filters.
#include "base/ui/save_result.h"
#include "document/image_processing.h"
#include "view/tiff_export.h"
#include "view/ui/orvane_doc.h"
#include "view/ui/orvane_view.h"

namespace orvane {
namespace {

const char* const kTiffFilter = "TIFF Files (*.Tif)";

}  // namespace

void COrvaneView::OnExportTiff() {
    if (document_->layerCount() == 0) return;
    const QString path = chooseFile({true, "Tif", "Export TIFF file", kTiffFilter});
    if (path.isEmpty()) return;
    ExportFile(path);
}

bool COrvaneView::ExportFile(const QString& path) {
    // The export never replaces a scan this document has loaded: that would destroy the data.
    if (RefuseOpenedScan(*document_, path)) return false;
    return runReportingErrors([&] {
        WaitCursor wait;
        StatusProgress progress;
        ExportTiff(document_->image(), display_, LocalPath(path), progress);
    });
}

void COrvaneView::OnUpdateExportTiff(CmdUi& ui) const { ui.enabled = document_->layerCount() != 0; }

void COrvaneView::OnSubtractBackground() {
    if (selection().tool != ToolKind::Rectangle) {
        OrvaneMessageBox(kSelectBackgroundMessage);
        return;
    }
    {
        WaitCursor wait;
        document_->NoteLayersChanged();
        SubtractBackground(document_->image(), selection().x0, selection().y0, selection().x1,
                           selection().y1);
    }
    RebuildDisplay();
    repaintAll();
    emit spotDataChanged();
}

void COrvaneView::OnFilterMean() {
    {
        WaitCursor wait;
        document_->MeanFilter(1);
    }
    RebuildDisplay();
    repaintAll();
    emit spotDataChanged();
}

void COrvaneView::OnFilterMedian() {
    {
        WaitCursor wait;
        document_->MedianFilter(1);
    }
    RebuildDisplay();
    repaintAll();
    emit spotDataChanged();
}

}  // namespace orvane
