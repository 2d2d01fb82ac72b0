// Undo steps as the quads a change touched, swapped back and forth.
#include "grid/grid_history.h"

#include <algorithm>
#include <cstring>

#include "base/allocator.h"

namespace orvane {

namespace {

template <typename T>
std::unique_ptr<T[]> copyArray(const std::unique_ptr<T[]>& from, std::int32_t count) {
    if (!from) return nullptr;
    auto to = allocateBuffer<T>(static_cast<std::size_t>(count));
    std::memcpy(to.get(), from.get(), static_cast<std::size_t>(count) * sizeof(T));
    return to;
}

template <typename T>
bool sameArray(const std::unique_ptr<T[]>& a, const std::unique_ptr<T[]>& b, std::int32_t count) {
    if (!a || !b) return !a && !b;
    return std::memcmp(a.get(), b.get(), static_cast<std::size_t>(count) * sizeof(T)) == 0;
}

bool sameFlags(const GridQuad& a, const GridQuad& b, bool selectionToo) {
    if (selectionToo) return sameArray(a.flags, b.flags, a.count);
    if (!a.flags || !b.flags) return !a.flags && !b.flags;
    for (std::int32_t i = 0; i < a.count; ++i)
        if ((a.flags[i] & ~Selected) != (b.flags[i] & ~Selected)) return false;
    return true;
}

// Every field of the table, the map and the GAL blocks' shifts.
bool sameParameters(const GridParameters& a, const GridParameters& b) {
    if (a.slideMap != b.slideMap || a.quadShiftX != b.quadShiftX || a.quadShiftY != b.quadShiftY)
        return false;
    return std::all_of(kGridFields.begin(), kGridFields.end(), [&](const GridFieldSpec& f) {
        return f.isInteger() ? a.*f.integer == b.*f.integer : a.*f.number == b.*f.number;
    });
}

bool sameSelection(const GridQuad& a, const GridQuad& b) {
    return a.selCol == b.selCol && a.selRow == b.selRow && a.prevSelCol == b.prevSelCol &&
           a.prevSelRow == b.prevSelRow && a.fullDisplay == b.fullDisplay &&
           sameArray(a.shownFlags, b.shownFlags, a.count);
}

}  // namespace

GridQuad CopyQuad(const GridQuad& q) {
    GridQuad c;
    c.flags = copyArray(q.flags, q.count);
    c.shownFlags = copyArray(q.shownFlags, q.count);
    c.offsetX = copyArray(q.offsetX, q.count);
    c.offsetY = copyArray(q.offsetY, q.count);
    c.count = q.count;
    c.TL = q.TL, c.TR = q.TR, c.BL = q.BL, c.BR = q.BR;
    c.nx = q.nx, c.ny = q.ny;
    c.spotRadius = q.spotRadius, c.backgroundRadius = q.backgroundRadius;
    c.stepX = q.stepX, c.stepY = q.stepY;
    c.selCol = q.selCol, c.selRow = q.selRow;
    c.prevSelCol = q.prevSelCol, c.prevSelRow = q.prevSelRow;
    c.fullDisplay = q.fullDisplay, c.roundCells = q.roundCells, c.defined = q.defined;
    return c;
}

bool SameQuad(const GridQuad& a, const GridQuad& b, bool selectionToo) {
    if (selectionToo && (a.count != b.count || !sameSelection(a, b))) return false;
    return a.count == b.count && a.TL == b.TL && a.TR == b.TR && a.BL == b.BL && a.BR == b.BR &&
           a.nx == b.nx && a.ny == b.ny && a.spotRadius == b.spotRadius &&
           a.backgroundRadius == b.backgroundRadius && a.stepX == b.stepX && a.stepY == b.stepY &&
           a.roundCells == b.roundCells && a.defined == b.defined &&
           sameFlags(a, b, selectionToo) && sameArray(a.offsetX, b.offsetX, a.count) &&
           sameArray(a.offsetY, b.offsetY, a.count);
}

void GridHistory::Begin(const SpotGrid& grid, std::size_t current) {
    beforeCurrent_ = current;
    auto copy = std::make_unique<SpotGrid>();
    for (std::size_t i = 0; i < grid.quads.size(); ++i) copy->quads[i] = CopyQuad(grid.quads[i]);
    copy->parameters = grid.parameters;
    before_ = std::move(copy);
}

bool GridHistory::Commit(const SpotGrid& grid, std::string name) {
    if (!before_) return false;
    const std::unique_ptr<SpotGrid> before = std::move(before_);
    Step step{std::move(name), before->parameters, beforeCurrent_, {}};
    bool changed = !sameParameters(step.parameters, grid.parameters);
    for (std::size_t i = 0; i < grid.quads.size(); ++i) {
        if (SameQuad(grid.quads[i], before->quads[i], true)) continue;
        changed = changed || !SameQuad(grid.quads[i], before->quads[i], false);
        step.quads.emplace_back(i, std::move(before->quads[i]));
    }
    if (!changed) return false;
    done_.push_back(std::move(step));
    undone_.clear();
    if (savedPosition_ > position_) savedPosition_ = -1;  // the saved grid was undone and left
    ++position_;
    if (done_.size() > kMaxSteps) done_.erase(done_.begin());
    return true;
}

void GridHistory::swapInto(Step& step, SpotGrid& grid, std::size_t& current) {
    std::swap(step.parameters, grid.parameters);
    std::swap(step.current, current);
    std::vector<bool> swapped(grid.quads.size(), false);
    for (auto& [slot, quad] : step.quads) {
        std::swap(quad, grid.quads[slot]);
        swapped[slot] = true;
    }
    // Only the current quad holds a selection. One the user made in another quad since the step
    // would otherwise stay beside the one the step brings back: it goes, and joins the step so
    // that swapping back brings it back too.
    for (std::size_t i = 0; i < grid.quads.size(); ++i) {
        if (swapped[i] || i == current || !grid.quads[i].HasSelection()) continue;
        GridQuad cleared = CopyQuad(grid.quads[i]);
        cleared.ClearSelection();
        step.quads.emplace_back(i, std::move(cleared));
        std::swap(step.quads.back().second, grid.quads[i]);
    }
}

void GridHistory::Undo(SpotGrid& grid, std::size_t& current) {
    if (done_.empty()) return;
    Step step = std::move(done_.back());
    done_.pop_back();
    swapInto(step, grid, current);
    undone_.push_back(std::move(step));
    --position_;
}

void GridHistory::Redo(SpotGrid& grid, std::size_t& current) {
    if (undone_.empty()) return;
    Step step = std::move(undone_.back());
    undone_.pop_back();
    swapInto(step, grid, current);
    done_.push_back(std::move(step));
    ++position_;
}

}  // namespace orvane
