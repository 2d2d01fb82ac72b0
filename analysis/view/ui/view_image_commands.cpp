// The view's image commands: Export 8-bit TIFF, Subtract Background and the two filters.
#include <QFile>
#include <QFileInfo>

#include "document/image_processing.h"
#include "document/tiff_export.h"
#include "document/ui/orvane_doc.h"
#include "document/ui/shell_services.h"
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
    // Compared by canonical path, so that a link or a relative name is caught as well.
    const QString target = QFileInfo(path).canonicalFilePath();
    for (const QString& loaded : document_->loadedPaths()) {
        if (!target.isEmpty() && QFileInfo(loaded).canonicalFilePath() == target) {
            OrvaneMessageBox(QString("%1 is an opened image and cannot be replaced by the export.")
                                 .arg(path));
            return false;
        }
    }
    return runReportingErrors([&] {
        WaitCursor wait;
        StatusProgress progress;
        ExportTiff(document_->image(), display_, QFile::encodeName(path).toStdString(), progress);
    });
}

void COrvaneView::OnUpdateExportTiff(CmdUi& ui) const { ui.enabled = document_->layerCount() != 0; }

void COrvaneView::OnSubtractBackground() {
    if (selection_.tool != ToolKind::Rectangle) {
        OrvaneMessageBox(kSelectBackgroundMessage);
        return;
    }
    {
        WaitCursor wait;
        SubtractBackground(document_->image(), selection_.x0, selection_.y0, selection_.x1,
                           selection_.y1);
    }
    RebuildDisplay();
    repaintAll();
}

void COrvaneView::OnFilterMean() {
    {
        WaitCursor wait;
        document_->MeanFilter(1);
    }
    RebuildDisplay();
    repaintAll();
}

void COrvaneView::OnFilterMedian() {
    {
        WaitCursor wait;
        document_->MedianFilter(1);
    }
    RebuildDisplay();
    repaintAll();
}

}  // namespace orvane
