// COrvaneView: the scrolling, zooming view of one document in one image window. It keeps its own
// display state, zoom and a picture of just the visible part, paints by copying it with the
// overlay on top, fills the position and intensity panes, and handles the display, zoom, image,
// print and tool commands. The grid and measurement commands on its window are command classes
// of their own (CGridCommands, CMeasureCommands) that work through it.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>

#include <QAbstractScrollArea>
#include <QImage>
#include <QRect>

#include "base/ui/command_map.h"
#include "base/ui/status_panes.h"
#include "grid/selection_shape.h"
#include "measure/spot_results.h"
#include "view/display_raster.h"
#include "view/reduced_layers.h"
#include "view/zoom_scale.h"
#include "window/grid_editor.h"
#include "window/window_model.h"

class QPainter;
class QPrinter;

namespace orvane {

class COrvaneDoc;
class PictureOverlaySurface;

class COrvaneView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit COrvaneView(std::shared_ptr<COrvaneDoc> document, QWidget* parent = nullptr);
    ~COrvaneView() override;

    COrvaneDoc* GetDocument() const { return document_.get(); }
    const std::shared_ptr<COrvaneDoc>& sharedDocument() const { return document_; }

    // After the document has loaded: picture size, scroll steps, off-screen picture, log display.
    void OnInitialUpdate();
    // Maps the layers into the off-screen picture with the current display state.
    void RebuildDisplay();

    // Text of a status-bar pane this view owns (PaneId), or a null string for the others.
    QString paneText(int paneId) const;

    // Printing: the region (selected rectangle or whole picture), and one page of it drawn
    // fitted to a printable area of `pageSize` device pixels, mapped in bands of at most
    // `maxBandBytes`.
    QRect printRegion() const;
    static constexpr std::int64_t kPrintBandBytes = 64 << 20;
    void PrintPage(QPainter& painter, QSize pageSize,
                   std::int64_t maxBandBytes = kPrintBandBytes) const;
    // Prints one page on `printer`; false when the job could not start (the user was told).
    bool PrintTo(QPrinter& printer) const;

    // The Overlay command after its file dialog: loads `path` as the next layer.
    bool OverlayFile(const QString& path);
    // The Export command after its save dialog: writes the displayed picture to `path`.
    bool ExportFile(const QString& path);

    // Command handlers (view first in the routing).
    void OnDisplayLinear();
    void OnDisplayLog();
    void OnDisplayInverted();
    void OnChannel1();
    void OnChannel2();
    void OnChannel3();
    void OnOverlayImage();
    void OnExportTiff();
    void OnSubtractBackground();
    void OnFilterMean();
    void OnFilterMedian();
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();
    void OnSelectPoint();
    void OnSelectRectangle();
    void OnSelectCircleDiameter();
    void OnSelectCircleRadius();
    void OnSelectGrid();
    // Zoom commands (view_zoom.cpp).
    void OnZoomIn();
    void OnZoomOut();
    void OnZoomFit();
    void OnZoomActual();

    // Update handlers.
    void OnUpdateDisplayLinear(CmdUi& ui) const;
    void OnUpdateDisplayLog(CmdUi& ui) const;
    void OnUpdateChannel1(CmdUi& ui) const;
    void OnUpdateChannel2(CmdUi& ui) const;
    void OnUpdateChannel3(CmdUi& ui) const;
    void OnUpdateOverlayImage(CmdUi& ui) const;
    void OnUpdateExportTiff(CmdUi& ui) const;
    void OnUpdateSelectPoint(CmdUi& ui) const;
    void OnUpdateSelectRectangle(CmdUi& ui) const;
    void OnUpdateSelectCircleDiameter(CmdUi& ui) const;
    void OnUpdateSelectCircleRadius(CmdUi& ui) const;
    void OnUpdateSelectGrid(CmdUi& ui) const;
    void OnUpdateZoom(CmdUi& ui) const;

    static std::span<const CommandEntry<COrvaneView>> commandMap();

    // --- Zoom (view_zoom.cpp) ------------------------------------------------------------------
    // Screen pixels per image pixel; every window opens at 1:1.
    const ZoomScale& zoom() const { return zoom_; }
    // The scale at which the whole picture fits the window.
    ZoomScale fitScale() const;
    // Sets the scale, keeping the image pixel under window point `anchor` where it is.
    void SetZoom(const ZoomScale& scale, QPoint anchor);
    void SetZoom(const ZoomScale& scale);  // about the window's centre
    // The zoom as the status bar shows it: "100%", "25%".
    QString zoomText() const;
    // The image pixel under a window point, and the window point of an image pixel (the first
    // screen pixel of its block), at the current zoom and scroll position.
    QPoint toImage(QPoint windowPoint) const;
    QPoint toWindow(QPoint imagePoint) const;
    // Scrolls so that image pixel `point` is in the window's centre (as near as the scroll
    // ranges allow), at any zoom.
    void CentreOn(QPoint point);
    // Scrolls only when image pixel `point` is not inside the window with `margin` window
    // pixels to spare; then centres it.
    void EnsureVisible(QPoint point, int margin = 16);

    // State, for the frame, the printer and the tests.
    const DisplayState& displayState() const { return display_; }
    const SelectionShape& selection() const { return editor_.shape(); }
    void SetSelection(const SelectionShape& shape);
    std::int32_t imageWidth() const { return display_.imageWidth; }
    std::int32_t imageHeight() const { return display_.imageHeight; }
    // The whole picture as the window shows it at 1:1: the display raster with the overlay
    // inverted into it. Made on request (tests, small pictures): the window itself only ever
    // holds its visible part. Null when there is no picture.
    QImage offscreenImage() const;
    // The picture of the visible part, as last built (without the overlay), the window's size.
    const QImage& visiblePicture() const { return picture_; }
    // The display raster without the overlay, reduced (aspect kept) to at most
    // kReducedPictureSize on its longer side; made once per rebuild of the picture, for the
    // slide overview.
    const QImage& reducedPicture() const { return reducedPicture_; }
    static constexpr int kReducedPictureSize = 1024;
    // The part of the picture the window shows, in image pixels (empty without a picture).
    QRect visibleImageRect() const;
    // Scrolls so that image pixel `topLeft` is at the window's top-left corner, within the
    // scroll ranges, at the current zoom.
    void ScrollTo(QPoint topLeft);
    bool overlayShown() const { return editor_.overlayShown(); }
    // Selects the spot as a click on it does (panes filled; the grid tool is chosen when another
    // is active) and scrolls the view so that the spot is in the middle of the window. False,
    // with nothing changed, for a spot that a click cannot select (excluded, outside the grid).
    bool ShowSpot(const SpotIndex& spot);
    // Replaces the highlights of the grid by these spots, as Find does with its matches.
    void HighlightSpots(const std::vector<SpotIndex>& spots);
    // The grid, tool and selection of this window with their interaction rules and undo history.
    WindowModel& model() { return model_; }
    const WindowModel& model() const { return model_; }
    GridEditor& gridEditor() { return editor_; }
    const GridEditor& gridEditor() const { return editor_; }
    // For the command classes: the grid or tool changed (panes, command states and the cursor
    // follow), or what the spots measure changed (the review docks measure again).
    void NotifyGridChanged() { emit stateChanged(); }
    void NotifySpotDataChanged() { emit spotDataChanged(); }
    // The histogram's Apply to Image: each layer's offset and gain, and the picture rebuilt.
    void SetChannelBalance(const std::array<float, kMaxLayers>& offset,
                           const std::array<float, kMaxLayers>& gain);

signals:
    // The selection, tool or display state changed: panes and command states need an update.
    void stateChanged();
    // The off-screen picture was rebuilt (display mode, filters, layers, balance).
    void pictureChanged();
    // The visible part of the picture moved or changed its size.
    void visibleAreaChanged();
    // A drag with the grid tool may have moved quads (stateChanged follows at the release).
    void gridDragged();
    // What the spots measure may have changed: the grid's geometry (Define, Load, Adjust, Auto
    // Place, a drag's release) or the image's samples (filters, Subtract Background, a layer).
    void spotDataChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

public:
    // Closes the window's frame; false when it stays open (the user kept an unsaved grid).
    bool closeFrame() { return parentWidget() == nullptr || parentWidget()->close(); }

private:
    void changeDisplay(void (*change)(DisplayState&));
    void modelChanged(ModelChange change);
    // Sets the scale with image point `kept` at window point `anchor` (as far as scrolling can).
    void keepAt(const ZoomScale& scale, QPoint kept, QPoint anchor);
    void channelUpdate(int channel, CmdUi& ui) const;
    void setTool(ToolKind tool);
    void updateScrollBars();
    // The picture of the visible part, built when the scroll position, zoom, window size or
    // display changed since the last one; false when it cannot be allocated.
    bool ensurePicture(Progress& progress);
    void invalidatePicture();
    // The reduced copies for drawing below 1/2, rebuilt when the document's layers changed.
    const ReducedLayers* reducedLayers(bool build);
    void makeReducedPicture();
    QPoint scrollPosition() const;
    // An area of image pixels as window pixels, widened for pens and marks.
    QRect windowRectOf(const QRect& imageRect) const;
    QString gridPaneText(int paneId) const;
    // After any change of the grid or tool: panes, command states and the cursor follow.
    void gridChanged() { emit stateChanged(); }
    ViewScroll viewScroll() const;
    void repaintAll();

    std::shared_ptr<COrvaneDoc> document_;
    DisplayState display_;
    bool hasPicture_ = false;  // set at the initial update; off when the picture failed
    ZoomScale zoom_;
    // The visible part, mapped at pictureScale_ from content pixel pictureOrigin_ on.
    QImage picture_;
    ZoomScale pictureScale_;
    QPoint pictureOrigin_;
    bool pictureValid_ = false;
    ReducedLayers reduced_;
    std::uint64_t reducedGeneration_ = 0;
    bool reducedScheduled_ = false;
    QImage reducedPicture_;
    WindowModel model_;
    GridEditor& editor_ = model_.editor();
    std::unique_ptr<PictureOverlaySurface> overlaySurface_;
};

}  // namespace orvane
