// CGridCommands: the Grid menu's commands on one image window: Define Grid, Load and Save
// Grid, the three adjustments and Auto Place. The routing offers them after the view's own.
#pragma once

#include <span>

#include "app/command_map.h"
#include "grid/adjust_grid.h"

namespace orvane {

class COrvaneView;

class CGridCommands {
public:
    explicit CGridCommands(COrvaneView& view) : view_(view) {}

    void OnGridDefine();
    void OnGridLoad();
    void OnGridSave();
    void OnGridAdjust2DW();
    void OnGridAdjust1DW();
    void OnGridAdjustCM();
    void OnGridAutoPlace();

    static std::span<const CommandEntry<CGridCommands>> commandMap();

private:
    void adjustGrid(AdjustMethod method);

    COrvaneView& view_;
};

}  // namespace orvane
