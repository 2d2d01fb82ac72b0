// CGridCommands: the Grid menu's commands on one image window: Define Grid, Load and Save
// Grid, the three adjustments and Auto Place; and Edit's Undo and Redo of the window's grid.
// The routing offers them after the view's own.
#pragma once

#include <span>

#include "base/ui/command_map.h"
#include "grid/adjust_grid.h"
#include "view/ui/image_window.h"

namespace orvane {

class CGridCommands : public MappedCommandTarget<CGridCommands> {
public:
    // Offers its SaveGridFile to the window's save question.
    explicit CGridCommands(ImageWindow& window);
    ~CGridCommands() override;
    CGridCommands(const CGridCommands&) = delete;
    CGridCommands& operator=(const CGridCommands&) = delete;

    void OnGridDefine();
    void OnGridLoad();
    void OnGridSave();
    void OnGridAdjust2DW();
    void OnGridAdjust1DW();
    void OnGridAdjustCM();
    void OnGridAutoPlace();
    // Save Grid's file dialog and writing, whichever tool is chosen; false when the user
    // cancelled or the file was refused.
    bool SaveGridFile();
    void OnEditUndo();
    void OnEditRedo();
    void OnUpdateEditUndo(CmdUi& ui) const;
    void OnUpdateEditRedo(CmdUi& ui) const;

    static std::span<const CommandEntry<CGridCommands>> commandMap();

private:
    void adjustGrid(AdjustMethod method);

    ImageWindow& window_;
};

}  // namespace orvane
