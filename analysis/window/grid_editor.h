// The grid editor of one image view, free of any toolkit: the mouse tool and selection shape,
// the spot grid with its current quad, corner and quad dragging, spot picking, the R and X keys,
// auto-scroll and panning arithmetic, the grid panes and the invertible overlay's state.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "document/layered_image.h"
#include "grid/grid_parameters.h"
#include "grid/overlay_figure.h"
#include "grid/selection_shape.h"
#include "grid/spot_grid.h"

namespace orvane {

struct FindSettings;

// Where the overlay is painted: the view's picture. Painting a figure inverts its pixels with
// NOT-XOR, so painting it again restores them.
class OverlaySurface {
public:
    virtual ~OverlaySurface() = default;
    virtual void PaintFigure(const OverlayFigure& figure, bool invertedDisplay) = 0;
    // The image area that can be drawn on.
    virtual OverlayClip ClipBox() const = 0;
};

enum class EditorCursor { Arrow, Move };

// Which mouse buttons are held during a move.
struct MouseButtons {
    bool left = false;
    bool middle = false;
    bool right = false;
};

// The view's scroll state for a mouse move: the scroll position (the image point at the
// window's top-left corner at 1:1; the content pixel there at other zooms), the client size and
// the image size (at other zooms the size of the content, the image at the view's scale).
struct ViewScroll {
    std::int32_t scrollX = 0;
    std::int32_t scrollY = 0;
    std::int32_t clientWidth = 0;
    std::int32_t clientHeight = 0;
    std::int32_t imageWidth = 0;
    std::int32_t imageHeight = 0;
};

struct ScrollPosition {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const ScrollPosition&, const ScrollPosition&) = default;
};

// The texts of the five grid panes of the status bar.
struct GridPaneTexts {
    std::string quad;
    std::string spot;
    std::string uid;
    std::string description;
    std::string intensity;
};

// How near, in screen pixels, a press must come to a corner or its mark to grab it.
inline constexpr double kCornerGrabPixels = 4.0;

class GridEditor {
public:
    // The image is the document's; it must outlive the editor or be replaced with SetImage.
    explicit GridEditor(const LayeredImage* image = nullptr) : image_(image) {}

    void SetImage(const LayeredImage* image) { image_ = image; }
    // The surface the overlay is painted on; none means nothing is painted (the state rules
    // still hold).
    void SetSurface(OverlaySurface* surface) { surface_ = surface; }
    void SetInvertedDisplay(bool inverted) { inverted_ = inverted; }
    bool invertedDisplay() const { return inverted_; }
    // The view's zoom, scaleNum / scaleDen screen pixels per image pixel (1:1 at first): the
    // corner grab distance is 4 screen pixels, and panning moves by screen pixels.
    void SetScale(std::int64_t scaleNum, std::int64_t scaleDen) {
        scaleNum_ = scaleNum > 0 ? scaleNum : 1;
        scaleDen_ = scaleDen > 0 ? scaleDen : 1;
    }

    // --- State -----------------------------------------------------------------------------
    ToolKind tool() const { return shape_.tool; }
    const SelectionShape& shape() const { return shape_; }
    SpotGrid& grid() { return grid_; }
    const SpotGrid& grid() const { return grid_; }
    GridParameters& parameters() { return grid_.parameters; }
    std::int32_t selectedQuadX() const { return selectedQuadX_; }
    std::int32_t selectedQuadY() const { return selectedQuadY_; }
    GridQuad& currentQuad() { return grid_.quad(selectedQuadX_, selectedQuadY_); }
    const GridQuad& currentQuad() const { return grid_.quad(selectedQuadX_, selectedQuadY_); }
    std::size_t currentSlot() const { return SpotGrid::slot(selectedQuadX_, selectedQuadY_); }
    // For Undo: makes slot `slot` current as it was, leaving every quad's selection alone.
    void RestoreCurrentSlot(std::size_t slot) {
        selectedQuadX_ = static_cast<std::int32_t>(slot / kMaxQuadsY);
        selectedQuadY_ = static_cast<std::int32_t>(slot % kMaxQuadsY);
    }
    bool overlayShown() const { return overlayShown_; }
    bool dragging() const { return cornerDrag_ != nullptr || quadDrag_ != nullptr; }
    bool panning() const { return panning_; }
    EditorCursor cursor() const { return cursor_; }
    const std::array<std::int32_t, kMaxLayers>& spotMean() const { return spotMean_; }
    const std::array<std::int32_t, kMaxLayers>& backgroundMean() const { return backgroundMean_; }

    // The selected spot of the current quad, for GetSelectionArea; none without a selection.
    std::optional<SelectedSpot> SelectedGridSpot() const;
    // GetSelectionArea of the current tool and shape.
    std::optional<SelectionArea> SelectionAreaOf() const;

    // --- Overlay ---------------------------------------------------------------------------
    // Paints the figure of the current tool once: the selection figure, or the current quad or
    // every quad in use for the grid tool.
    void DrawOverlay(bool onlyCurrent);
    void ShowOverlay(bool onlyCurrent);
    void HideOverlay(bool onlyCurrent);
    // The picture was just copied fresh (overlay gone): draws the whole overlay, which is then
    // shown. This is what painting the window does.
    void PictureRenewed();

    // --- Tools -----------------------------------------------------------------------------
    // The tool commands. Choosing Grid without a defined current quad throws
    // CoreError("Please define / load grid.") and changes nothing.
    void SelectTool(ToolKind tool);

    // Replaces the tool and selection shape at once (as a restored selection would), redrawing
    // the overlay in the new form.
    void SetShape(const SelectionShape& shape);

    // --- Mouse and keys (image coordinates unless stated) -----------------------------------
    void LeftButtonDown(std::int32_t x, std::int32_t y, bool shift);
    // Selects spot (col, row) of quad (qx, qy) as a click on it with the grid tool does (the
    // quad becomes current, the spot intensities are measured); false, with nothing changed, for
    // a quad not in use, a spot outside it or an excluded spot.
    bool SelectSpot(std::int32_t qx, std::int32_t qy, std::int32_t col, std::int32_t row);
    // A move in window coordinates (wx, wy) with the buttons held. Returns the scroll position
    // the view should move to, or none to stay.
    std::optional<ScrollPosition> MouseMove(std::int32_t wx, std::int32_t wy,
                                            const MouseButtons& buttons, const ViewScroll& view);
    // The same with the image point (x, y) under the pointer given by the view, which maps
    // window points through its zoom; the first form takes x = wx + scrollX (1:1).
    std::optional<ScrollPosition> MouseMove(std::int32_t wx, std::int32_t wy, std::int32_t x,
                                            std::int32_t y, const MouseButtons& buttons,
                                            const ViewScroll& view);
    void LeftButtonUp();
    void MiddleButtonDown(std::int32_t x, std::int32_t y);
    void MiddleButtonUp();
    // A character key; returns whether the grid editor used it.
    bool CharKey(char c);

    GridPaneTexts PaneTexts() const;

    // --- Grid changes (the window model runs them as steps) --------------------------------------
    // Replaces the parameters (as the Grid Parameters dialog does when it closes) while keeping
    // the overlay consistent: the grid on the window is erased first and drawn again after.
    void SetParameters(const GridParameters& parameters);
    // Runs `change` on the grid (Define, Load, the adjustments, Auto Place) with the overlay
    // erased first and drawn again after, then with the grid tool when `gridTool`. A change that
    // throws leaves the overlay drawn as it was.
    void ReplaceGrid(const std::function<void()>& change, bool gridTool);
    // Save Grid: CoreError("Please define / select grid.") unless the tool is Grid.
    void CheckSaveGrid() const;
    // Redraws every quad in use whose flags changed (after Find or R).
    void RedrawAllChangedSpots();
    // The document's layers; none before SetImage.
    const LayeredImage* image() const { return image_; }

private:
    void redrawChangedSpots(GridQuad& quad);
    void paint(const OverlayFigure& figure);
    void makeCurrent(std::int32_t qx, std::int32_t qy);
    bool oneToOne() const { return scaleNum_ == scaleDen_; }
    // The corner of `quad` a press at (x, y) grabs: within 4 screen pixels of the corner or,
    // above 1:1, of its drawn mark.
    GridPoint* hitCorner(GridQuad& quad, std::int32_t x, std::int32_t y) const;
    bool startCornerDrag(std::int32_t x, std::int32_t y, bool shift);
    void selectSpotAt(std::int32_t x, std::int32_t y);
    void finishGridDrag();
    ScrollPosition autoScroll(std::int32_t wx, std::int32_t wy, ScrollPosition s,
                              const ViewScroll& view) const;

    const LayeredImage* image_ = nullptr;
    OverlaySurface* surface_ = nullptr;
    bool inverted_ = true;
    std::int64_t scaleNum_ = 1;
    std::int64_t scaleDen_ = 1;

    SpotGrid grid_;
    SelectionShape shape_;
    std::int32_t selectedQuadX_ = 0;
    std::int32_t selectedQuadY_ = 0;
    GridPoint* cornerDrag_ = nullptr;
    GridPoint* quadDrag_ = nullptr;
    GridPoint dragLast_;
    GridPoint grabOffset_;  // the dragged corner's offset from the pointer
    GridPoint panAnchor_;
    bool panning_ = false;
    EditorCursor cursor_ = EditorCursor::Arrow;
    std::array<std::int32_t, kMaxLayers> spotMean_ = {0, 0, 0};
    std::array<std::int32_t, kMaxLayers> backgroundMean_ = {0, 0, 0};
    bool overlayShown_ = false;
};

}  // namespace orvane
