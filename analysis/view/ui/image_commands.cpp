// The picture commands of an image window: Overlay, Export 8-bit TIFF, Subtract Background and
// the two filters. Each changes the document or writes a file, then tells the window's model.
#include "view/ui/image_commands.h"

#include "base/ui/command_ids.h"
#include "base/ui/save_result.h"
#include "base/ui/shell_services.h"
#include "document/image_processing.h"
#include "view/tiff_export.h"
#include "view/ui/orvane_doc.h"
#include "window/window_model.h"

namespace orvane {
namespace {

const char* const kTiffFilter = "TIFF Files (*.Tif)";

}  // namespace

void CImageCommands::OnOverlayImage() {
    const int layers = window_.document->layerCount();
    if (layers < 1 || layers > 2) return;
    const QString path = chooseFile({false, "Tif", "Overlay TIFF file", kTiffFilter});
    if (path.isEmpty()) return;
    OverlayFile(window_, path);
}

bool OverlayFile(ImageWindow& window, const QString& path) {
    COrvaneDoc& document = *window.document;
    if (!document.OverlayFile(path)) return false;
    // Only the issuing window shows the new layer; other windows keep their display state.
    const auto added = static_cast<std::size_t>(document.layerCount() - 1);
    window.model.ChangeDisplay([added](DisplayState& d) { d.channelOn[added] = true; });
    window.model.Notify(ModelChange::SpotData);
    return true;
}

void CImageCommands::OnUpdateOverlayImage(CmdUi& ui) const {
    ui.enabled = window_.document->layerCount() < 3;
}

void CImageCommands::OnExportTiff() {
    if (window_.document->layerCount() == 0) return;
    const QString path = chooseFile({true, "Tif", "Export TIFF file", kTiffFilter});
    if (path.isEmpty()) return;
    ExportFile(window_, path);
}

bool ExportFile(const ImageWindow& window, const QString& path) {
    // The export never replaces a scan this document has loaded: that would destroy the data.
    if (RefuseOpenedScan(*window.document, path)) return false;
    return runReportingErrors([&] {
        WaitCursor wait;
        StatusProgress progress;
        ExportTiff(window.document->image(), window.model.display(), LocalPath(path), progress);
    });
}

void CImageCommands::OnUpdateExportTiff(CmdUi& ui) const {
    ui.enabled = window_.document->layerCount() != 0;
}

void CImageCommands::OnSubtractBackground() {
    const SelectionShape& s = window_.model.editor().shape();
    if (s.tool != ToolKind::Rectangle) {
        OrvaneMessageBox(kSelectBackgroundMessage);
        return;
    }
    {
        WaitCursor wait;
        window_.document->NoteLayersChanged();
        SubtractBackground(window_.document->image(), s.x0, s.y0, s.x1, s.y1);
    }
    window_.model.Notify(ModelChange::Samples);
}

void CImageCommands::OnFilterMean() {
    {
        WaitCursor wait;
        window_.document->MeanFilter(1);
    }
    window_.model.Notify(ModelChange::Samples);
}

void CImageCommands::OnFilterMedian() {
    {
        WaitCursor wait;
        window_.document->MedianFilter(1);
    }
    window_.model.Notify(ModelChange::Samples);
}

std::span<const CommandEntry<CImageCommands>> CImageCommands::commandMap() {
    using C = CImageCommands;
    static const CommandEntry<C> map[] = {
        {kOverlayImage, &C::OnOverlayImage, &C::OnUpdateOverlayImage},
        {kExportTiff, &C::OnExportTiff, &C::OnUpdateExportTiff},
        {kSubtractBackground, &C::OnSubtractBackground, nullptr},
        {kFilterMean, &C::OnFilterMean, nullptr},
        {kFilterMedian, &C::OnFilterMedian, nullptr},
        {kFilePrint, &C::OnFilePrint, nullptr},
        {kFilePrintDirect, &C::OnFilePrintDirect, nullptr},
        {kFilePrintPreview, &C::OnFilePrintPreview, nullptr},
    };
    return map;
}

}  // namespace orvane
