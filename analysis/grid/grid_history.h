// The undo history of one window's grid. A step keeps, of the grid as it was before, only the
// quads the step changed, the parameters and which quad was current; undoing swaps them with the
// grid's own, so that the same step then redoes and the grid file is byte for byte what it was.
// A change of the selection alone (a click) is no step, but a step restores the selection it
// found, as the grid file holds it.
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
// Whether two quads hold the same layout, offsets and flags; with `selectionToo` also the same
// selection and display state, everything the grid file holds of them.
bool SameQuad(const GridQuad& a, const GridQuad& b, bool selectionToo);

class GridHistory {
public:
    static constexpr std::size_t kMaxSteps = 100;

    // Before a change: the grid as it is now, with quad slot `current` current.
    void Begin(const SpotGrid& grid, std::size_t current);
    // After the change: a step named `name` ("Move Quad") when anything of the grid differs from
    // what Begin saw; returns whether one was recorded. Without a Begin, nothing.
    bool Commit(const SpotGrid& grid, std::string name);

    bool CanUndo() const { return !done_.empty(); }
    bool CanRedo() const { return !undone_.empty(); }
    const std::string& UndoName() const { return done_.back().name; }
    const std::string& RedoName() const { return undone_.back().name; }
    // Both also set `current` to the quad slot current when the grid was as it is now again.
    void Undo(SpotGrid& grid, std::size_t& current);
    void Redo(SpotGrid& grid, std::size_t& current);

    // Whether the grid differs from the one last saved (or defined or loaded, via MarkSaved).
    bool Modified() const { return position_ != savedPosition_; }
    void MarkSaved() { savedPosition_ = position_; }

private:
    struct Step {
        std::string name;
        GridParameters parameters;
        std::size_t current = 0;
        std::vector<std::pair<std::size_t, GridQuad>> quads;  // slot, quad
    };
    static void swapInto(Step& step, SpotGrid& grid, std::size_t& current);

    std::unique_ptr<SpotGrid> before_;
    std::size_t beforeCurrent_ = 0;
    std::vector<Step> done_;
    std::vector<Step> undone_;
    // Counts steps from the start; the saved grid is the one after savedPosition_ steps (-1:
    // a step no longer kept, so the grid can never be back at it).
    long position_ = 0;
    long savedPosition_ = 0;
};

}  // namespace orvane
