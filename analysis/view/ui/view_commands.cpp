// The view's display commands (linear, log, inverted, channels) and the Overlay command.
#include <QFileInfo>

#include "base/ui/shell_services.h"
#include "view/ui/orvane_doc.h"
#include "view/ui/orvane_view.h"

namespace orvane {
namespace {

const char* const kTiffFilter = "TIFF Files (*.Tif)";

}  // namespace

void COrvaneView::changeDisplay(void (*change)(DisplayState&)) {
    change(display_);
    RebuildDisplay();
    repaintAll();
    emit stateChanged();
}

void COrvaneView::OnDisplayLinear() {
    changeDisplay([](DisplayState& d) { d.logDisplay = false; });
}
void COrvaneView::OnDisplayLog() {
    changeDisplay([](DisplayState& d) { d.logDisplay = true; });
}
void COrvaneView::OnDisplayInverted() {
    changeDisplay([](DisplayState& d) { d.invertedDisplay = !d.invertedDisplay; });
}
void COrvaneView::OnChannel1() {
    changeDisplay([](DisplayState& d) { d.channelOn[0] = !d.channelOn[0]; });
}
void COrvaneView::OnChannel2() {
    changeDisplay([](DisplayState& d) { d.channelOn[1] = !d.channelOn[1]; });
}
void COrvaneView::OnChannel3() {
    changeDisplay([](DisplayState& d) { d.channelOn[2] = !d.channelOn[2]; });
}

void COrvaneView::OnUpdateDisplayLinear(CmdUi& ui) const { ui.checked = !display_.logDisplay; }
void COrvaneView::OnUpdateDisplayLog(CmdUi& ui) const { ui.checked = display_.logDisplay; }

// A channel button works only while its layer exists: channel 1 and 2 need two layers (with one
// layer there is nothing to switch), channel 3 needs three.
void COrvaneView::channelUpdate(int channel, CmdUi& ui) const {
    const int needed = channel == 2 ? 3 : 2;
    ui.enabled = document_->layerCount() >= needed;
    ui.checked = ui.enabled && display_.channelOn[channel];
}
void COrvaneView::OnUpdateChannel1(CmdUi& ui) const { channelUpdate(0, ui); }
void COrvaneView::OnUpdateChannel2(CmdUi& ui) const { channelUpdate(1, ui); }
void COrvaneView::OnUpdateChannel3(CmdUi& ui) const { channelUpdate(2, ui); }

void COrvaneView::OnOverlayImage() {
    const int layers = document_->layerCount();
    if (layers < 1 || layers > 2) return;
    const QString path = chooseFile({false, "Tif", "Overlay TIFF file", kTiffFilter});
    if (path.isEmpty()) return;
    OverlayFile(path);
}

bool COrvaneView::OverlayFile(const QString& path) {
    if (!document_->OverlayFile(path)) return false;
    // Only the issuing view shows the new layer; other views keep their display state.
    display_.channelOn[document_->layerCount() - 1] = true;
    RebuildDisplay();
    repaintAll();
    emit stateChanged();
    emit spotDataChanged();
    return true;
}

void COrvaneView::OnUpdateOverlayImage(CmdUi& ui) const {
    ui.enabled = document_->layerCount() < 3;
}

}  // namespace orvane
