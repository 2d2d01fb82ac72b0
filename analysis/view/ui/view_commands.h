// CViewCommands: the View and Tools menus' commands on one image window: the display mode and
// channels, the zoom and the selection tools. They change the window's model, which the view
// follows.
#pragma once

#include <span>

#include "base/ui/command_map.h"
#include "view/ui/image_window.h"
#include "window/window_model.h"

namespace orvane {

class CViewCommands : public MappedCommandTarget<CViewCommands> {
public:
    explicit CViewCommands(ImageWindow& window) : window_(window), model_(window.model) {}

    void OnDisplayLinear();
    void OnDisplayLog();
    void OnDisplayInverted();
    void OnChannel1() { toggleChannel(0); }
    void OnChannel2() { toggleChannel(1); }
    void OnChannel3() { toggleChannel(2); }
    void OnZoomIn();
    void OnZoomOut();
    void OnZoomFit();
    void OnZoomActual();
    void OnSelectPoint() { selectTool(ToolKind::Point); }
    void OnSelectRectangle() { selectTool(ToolKind::Rectangle); }
    void OnSelectCircleDiameter() { selectTool(ToolKind::CircleByDiameter); }
    void OnSelectCircleRadius() { selectTool(ToolKind::CircleByRadius); }
    void OnSelectGrid() { selectTool(ToolKind::Grid); }

    void OnUpdateDisplayLinear(CmdUi& ui) const { ui.checked = !model_.display().logDisplay; }
    void OnUpdateDisplayLog(CmdUi& ui) const { ui.checked = model_.display().logDisplay; }
    void OnUpdateChannel1(CmdUi& ui) const { channelUpdate(0, ui); }
    void OnUpdateChannel2(CmdUi& ui) const { channelUpdate(1, ui); }
    void OnUpdateChannel3(CmdUi& ui) const { channelUpdate(2, ui); }
    void OnUpdateZoom(CmdUi& ui) const;
    void OnUpdateSelectPoint(CmdUi& ui) const { toolUpdate(ToolKind::Point, ui); }
    void OnUpdateSelectRectangle(CmdUi& ui) const { toolUpdate(ToolKind::Rectangle, ui); }
    void OnUpdateSelectCircleDiameter(CmdUi& ui) const {
        toolUpdate(ToolKind::CircleByDiameter, ui);
    }
    void OnUpdateSelectCircleRadius(CmdUi& ui) const { toolUpdate(ToolKind::CircleByRadius, ui); }
    void OnUpdateSelectGrid(CmdUi& ui) const { toolUpdate(ToolKind::Grid, ui); }

    static std::span<const CommandEntry<CViewCommands>> commandMap();

private:
    void toggleChannel(int channel);
    void channelUpdate(int channel, CmdUi& ui) const;
    void selectTool(ToolKind tool);
    void toolUpdate(ToolKind tool, CmdUi& ui) const { ui.checked = model_.editor().tool() == tool; }

    ImageWindow& window_;
    WindowModel& model_;
};

}  // namespace orvane
