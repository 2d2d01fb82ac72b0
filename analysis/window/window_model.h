// WindowModel: the Qt-free state of one image window. It holds the display state and zoom, the
// grid editor (the grid, tool and selection, drags and keys) and the undo history, runs every
// change of the grid, its marks and highlights as a named step, and tells its observers what
// changed. The view paints it and turns input into its operations; the command classes and the
// review docks call them and observe it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "grid/adjust_grid.h"
#include "grid/auto_place_grid.h"
#include "grid/grid_history.h"
#include "measure/find_genes.h"
#include "measure/spot_results.h"
#include "view/display_raster.h"
#include "view/zoom_scale.h"
#include "window/grid_editor.h"

namespace orvane {

enum class ModelChange {
    Stepped,      // a step ran (recorded or not): the grid may have changed
    Swapped,      // Undo or Redo put another grid in place: everything shown of it is stale
    Saved,        // the grid was saved, defined or loaded: it is no longer unsaved
    Selection,    // the tool or the selection changed (panes and command states follow)
    Display,      // the display state changed: the picture is to be mapped again
    Zoom,         // the scale changed (about zoomAnchor() when there is one)
    Focus,        // a spot was chosen elsewhere: the view brings focusPoint() into its middle
    Dragged,      // a drag moved quads; the step follows at the release
    SpotData,     // what the spots measure changed: the grid's geometry or a new layer
    Samples,      // the layers' samples changed (a filter): the picture, and SpotData too
    Picture,      // the view mapped its picture again (the Overview's reduced one with it)
    VisibleArea,  // the part of the picture the window shows moved or changed its size
};

// A pixel of the window, counted from its top-left corner.
struct WindowPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
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
    // only selects, records none). Call EndDrag only after a drag: the quads may have moved.
    void BeginDrag(std::string name);
    void EndDrag();

    // Both do nothing (false) while a drag is under way or with nothing to undo or redo.
    bool Undo() { return swap(true); }
    bool Redo() { return swap(false); }

    void MarkSaved();
    // Whether closing would lose a grid changed since it was defined, loaded or saved.
    bool GridUnsaved() const;

    // --- Grid operations: each one step, heard as Stepped, and as SpotData when spots moved ------
    // The Grid Parameters dialog's Load Map, Load GAL or Zone rule, kept after its Cancel.
    void SetParameters(const GridParameters& parameters);
    // Define Grid after the dialog's OK: every quad in use laid out, the grid tool; saved.
    void DefineGrid(const GridParameters& parameters);
    // Load Grid: the file's grid replaces this one (a refused file leaves it as it was); saved.
    void LoadGrid(const std::string& path);
    // Adjust Grid with one method; CoreError unless the grid is displayed.
    void AdjustGrid(AdjustMethod method);
    // Auto Place Grid, with the adjustments' precondition. The result makes "Placed %d of %d
    // quads.".
    AutoPlaceResult AutoPlaceGrid();
    // Find / Highlight Genes; the number of matching spots.
    std::int32_t FindGenes(const FindSettings& settings);
    // Marks the spots that `results` (measured on this grid) show as not found.
    MarkNotFoundResult MarkSpotsNotFound(const SpotResults& results, const NotFoundRule& rule);

    // --- Display and zoom ----------------------------------------------------------------------
    const DisplayState& display() const { return display_; }
    void ChangeDisplay(const std::function<void(DisplayState&)>& change);
    // A new picture of width x height: 1:1, log display (the rest of the display state stays).
    void ResetPicture(std::int32_t width, std::int32_t height);
    // Screen pixels per image pixel; every window opens at 1:1.
    const ZoomScale& zoom() const { return zoom_; }
    // Zooms about the window's centre, or with the image pixel under `anchor` kept where it is.
    void SetZoom(const ZoomScale& scale, std::optional<WindowPoint> anchor = std::nullopt);
    const std::optional<WindowPoint>& zoomAnchor() const { return zoomAnchor_; }
    // The scale before the last change, under which the anchor's image point is found.
    const ZoomScale& previousZoom() const { return previousZoom_; }
    // The window's area without scroll bars, which the fit scale fills.
    void SetWindowArea(std::int32_t width, std::int32_t height);
    ZoomScale fitScale() const;

    // --- Tool, selection and spots ---------------------------------------------------------------
    // "Please define / load grid." (CoreError) for a grid tool without a grid; the tool then stays.
    void SelectTool(ToolKind tool);
    void SetSelection(const SelectionShape& shape);
    // Selects the spot as a click on it does (the grid tool is chosen when another is active)
    // and asks the view to bring its centre into the middle. False, with nothing changed, for a
    // spot a click cannot select (excluded, outside the grid). Choosing the grid tool may throw
    // as SelectTool does.
    bool ShowSpot(const SpotIndex& spot);
    const GridPoint& focusPoint() const { return focus_; }
    // Asks the view to bring image pixel `point` into the middle of the window (the Overview).
    void CentreOn(GridPoint point);
    // The part of the picture the window shows, in image pixels (empty without a picture); the
    // view reports it after each scroll, resize and zoom.
    void SetVisibleArea(const Box& area);
    const Box& visibleArea() const { return visibleArea_; }
    // Replaces the highlights by these spots, as Find does with its matches; one step. The count.
    std::int32_t HighlightSpots(const std::vector<SpotIndex>& spots);

    // Observers hear every change; the handle removes one again.
    int AddObserver(Observer observer);
    void RemoveObserver(int handle);
    // For changes made outside the model's own operations (a layer's samples, a drag's motion,
    // the grid's geometry after a command's steps).
    void Notify(ModelChange change) const;

private:
    bool swap(bool undo);

    GridEditor editor_;
    GridHistory history_;
    std::string dragStep_;
    DisplayState display_;
    ZoomScale zoom_;
    ZoomScale previousZoom_;
    std::optional<WindowPoint> zoomAnchor_;
    WindowPoint windowArea_;
    GridPoint focus_;
    Box visibleArea_;
    std::vector<std::pair<int, Observer>> observers_;
    int nextObserver_ = 0;
};

}  // namespace orvane
