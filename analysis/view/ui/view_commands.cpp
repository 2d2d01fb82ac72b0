// The display, zoom and tool commands of an image window.
#include "view/ui/view_commands.h"

#include "view/ui/image_commands.h"
#include "view/ui/view_ui.h"

#include "base/ui/command_ids.h"
#include "base/ui/shell_services.h"
#include "view/ui/orvane_doc.h"

namespace orvane {

void RegisterViewCommands() {
    // The view's own commands come first in the routing, then those on its picture.
    AddWindowCommands("view",
                      [](ImageWindow& window) { return std::make_unique<CViewCommands>(window); });
    AddWindowCommands("image",
                      [](ImageWindow& window) { return std::make_unique<CImageCommands>(window); });
}

void CViewCommands::OnDisplayLinear() {
    model_.ChangeDisplay([](DisplayState& d) { d.logDisplay = false; });
}
void CViewCommands::OnDisplayLog() {
    model_.ChangeDisplay([](DisplayState& d) { d.logDisplay = true; });
}
void CViewCommands::OnDisplayInverted() {
    model_.ChangeDisplay([](DisplayState& d) { d.invertedDisplay = !d.invertedDisplay; });
}

void CViewCommands::toggleChannel(int channel) {
    model_.ChangeDisplay([channel](DisplayState& d) {
        auto& on = d.channelOn[static_cast<std::size_t>(channel)];
        on = !on;
    });
}

// A channel button works only while its layer exists: channel 1 and 2 need two layers (with one
// layer there is nothing to switch), channel 3 needs three.
void CViewCommands::channelUpdate(int channel, CmdUi& ui) const {
    const int needed = channel == 2 ? 3 : 2;
    ui.enabled = window_.document->layerCount() >= needed;
    ui.checked = ui.enabled && model_.display().channelOn[static_cast<std::size_t>(channel)];
}

void CViewCommands::OnZoomIn() { model_.SetZoom(model_.zoom().StepIn(model_.fitScale())); }
void CViewCommands::OnZoomOut() { model_.SetZoom(model_.zoom().StepOut(model_.fitScale())); }
void CViewCommands::OnZoomFit() { model_.SetZoom(model_.fitScale()); }
void CViewCommands::OnZoomActual() { model_.SetZoom(ZoomScale()); }

void CViewCommands::OnUpdateZoom(CmdUi& ui) const {
    ui.enabled = window_.document->layerCount() != 0;
}

void CViewCommands::selectTool(ToolKind tool) {
    // "Please define / load grid." for a grid tool without a grid; the tool then stays.
    runReportingErrors([&] { model_.SelectTool(tool); });
}

std::span<const CommandEntry<CViewCommands>> CViewCommands::commandMap() {
    using C = CViewCommands;
    static const CommandEntry<C> map[] = {
        {kDisplayLinear, &C::OnDisplayLinear, &C::OnUpdateDisplayLinear},
        {kDisplayLog, &C::OnDisplayLog, &C::OnUpdateDisplayLog},
        {kDisplayInverted, &C::OnDisplayInverted, nullptr},
        {kChannel1, &C::OnChannel1, &C::OnUpdateChannel1},
        {kChannel2, &C::OnChannel2, &C::OnUpdateChannel2},
        {kChannel3, &C::OnChannel3, &C::OnUpdateChannel3},
        {kSelectPoint, &C::OnSelectPoint, &C::OnUpdateSelectPoint},
        {kSelectRectangle, &C::OnSelectRectangle, &C::OnUpdateSelectRectangle},
        {kSelectCircleDiameter, &C::OnSelectCircleDiameter, &C::OnUpdateSelectCircleDiameter},
        {kSelectCircleRadius, &C::OnSelectCircleRadius, &C::OnUpdateSelectCircleRadius},
        {kSelectGrid, &C::OnSelectGrid, &C::OnUpdateSelectGrid},
        {kZoomIn, &C::OnZoomIn, &C::OnUpdateZoom},
        {kZoomOut, &C::OnZoomOut, &C::OnUpdateZoom},
        {kZoomFit, &C::OnZoomFit, &C::OnUpdateZoom},
        {kZoomActual, &C::OnZoomActual, &C::OnUpdateZoom},
    };
    return map;
}

}  // namespace orvane
