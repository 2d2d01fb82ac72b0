// WindowModel: the Qt-free state of one image window's grid. It holds the grid editor (the grid,
// tool and selection, drags and keys) and the undo history, runs every change of the grid, its
// marks and highlights as a named step, and tells its observers what changed. The view paints
// it and turns input into its operations; the command classes call them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "grid/grid_history.h"
#include "window/grid_editor.h"

namespace orvane {

enum class ModelChange {
    Stepped,  // a step ran (recorded or not): the grid may have changed
    Swapped,  // Undo or Redo put another grid in place: everything shown of it is stale
    Saved,    // the grid was saved, defined or loaded: it is no longer unsaved
};

class WindowModel {
public:
    using Observer = std::function<void(ModelChange)>;

    GridEditor& editor() { return editor_; }
    const GridEditor& editor() const { return editor_; }
    const GridHistory& history() const { return history_; }

    // Runs `change` as one undoable step named `name` ("Auto Place"); nothing is recorded when
    // the grid, its marks and highlights stay as they were. What a change that throws did
    // before it threw is recorded too, so that it can be taken back. True when recorded.
    bool Step(const std::string& name, const std::function<void()>& change);
    // A mouse drag: the step begins at the press and is recorded at the release (a click, which
    // only selects, records none).
    void BeginDrag(std::string name);
    void EndDrag();

    // Both do nothing (false) while a drag is under way or with nothing to undo or redo.
    bool Undo() { return swap(true); }
    bool Redo() { return swap(false); }

    void MarkSaved();
    // Whether closing would lose a grid changed since it was defined, loaded or saved.
    bool GridUnsaved() const;

    void AddObserver(Observer observer) { observers_.push_back(std::move(observer)); }

private:
    bool swap(bool undo);
    void notify(ModelChange change) const;

    GridEditor editor_;
    GridHistory history_;
    std::string dragStep_;
    std::vector<Observer> observers_;
};

}  // namespace orvane
