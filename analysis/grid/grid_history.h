// The undo history of one window's grid. A step keeps, of the grid as it was before, only the
// quads the step changed and the parameters; undoing swaps them with the grid's own, so that the
// same step then redoes. The selection is the user's place in the grid, not a change of it: it
// is neither recorded nor restored.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "grid/spot_grid.h"

namespace orvane {

// A copy of `quad` with its own arrays.
GridQuad CopyQuad(const GridQuad& quad);
// Whether two quads hold the same layout, offsets and flags (the selection aside).
bool SameQuad(const GridQuad& a, const GridQuad& b);

class GridHistory {
public:
    static constexpr std::size_t kMaxSteps = 100;

    // Before a change: the grid as it is now.
    void Begin(const SpotGrid& grid);
    // After the change: a step named `name` ("Move Quad") when anything of the grid differs from
    // what Begin saw; returns whether one was recorded. Without a Begin, nothing.
    bool Commit(const SpotGrid& grid, std::string name);

    bool CanUndo() const { return !done_.empty(); }
    bool CanRedo() const { return !undone_.empty(); }
    const std::string& UndoName() const { return done_.back().name; }
    const std::string& RedoName() const { return undone_.back().name; }
    void Undo(SpotGrid& grid);
    void Redo(SpotGrid& grid);

    // Whether the grid differs from the one last saved (or defined or loaded, via MarkSaved).
    bool Modified() const { return position_ != savedPosition_; }
    void MarkSaved() { savedPosition_ = position_; }

private:
    struct Step {
        std::string name;
        GridParameters parameters;
        std::vector<std::pair<std::size_t, GridQuad>> quads;  // slot, quad
    };
    static void swapInto(Step& step, SpotGrid& grid);

    std::unique_ptr<SpotGrid> before_;
    std::vector<Step> done_;
    std::vector<Step> undone_;
    // Counts steps from the start; the saved grid is the one after savedPosition_ steps (-1:
    // a step no longer kept, so the grid can never be back at it).
    long position_ = 0;
    long savedPosition_ = 0;
};

}  // namespace orvane
