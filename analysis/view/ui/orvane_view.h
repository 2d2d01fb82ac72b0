// COrvaneView: the scrolling, zooming view of one document in one image window. It paints the
// window's model (a picture of just the visible part, with the overlay on top), turns the mouse,
// keys and wheel into the model's operations, and follows the model's changes. The commands on
// the window are command classes of their own, made through the window command registry.
#pragma once

#include <memory>

#include <QAbstractScrollArea>
#include <QImage>
#include <QRect>

#include "view/ui/image_window.h"
#include "view/ui/window_picture.h"
#include "window/window_model.h"

namespace orvane {

class COrvaneDoc;
class PictureOverlaySurface;

class COrvaneView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit COrvaneView(std::shared_ptr<COrvaneDoc> document, QWidget* parent = nullptr);
    ~COrvaneView() override;

    COrvaneDoc* GetDocument() const { return window_.document.get(); }
    // What the window's command classes and the review docks work on.
    ImageWindow& window() { return window_; }
    const ImageWindow& window() const { return window_; }
    WindowModel& model() const { return *model_; }

    // After the document has loaded: picture size, scroll steps, off-screen picture, log display.
    void OnInitialUpdate();
    // Maps the layers into the picture with the model's display state.
    void RebuildDisplay();

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
    // Scrolls so that image pixel `topLeft` is at the window's top-left corner, within the
    // scroll ranges, at the current zoom.
    void ScrollTo(QPoint topLeft);
    // The part of the picture the window shows, in image pixels (empty without a picture).
    QRect visibleImageRect() const;

    // The whole picture as the window shows it at 1:1: the display raster with the overlay
    // inverted into it. Made on request (tests, small pictures): the window itself only ever
    // holds its visible part. Null when there is no picture.
    QImage offscreenImage() const;
    // The picture of the visible part, as last built (without the overlay), the window's size.
    const QImage& visiblePicture() const { return picture_.visible(); }
    // The display raster without the overlay, reduced (aspect kept) to at most
    // WindowPicture::kReducedPictureSize on its longer side, for the slide overview.
    const QImage& reducedPicture() const { return picture_.reducedPicture(); }

    // Closes the window's frame; false when it stays open (the user kept an unsaved grid).
    bool closeFrame() { return parentWidget() == nullptr || parentWidget()->close(); }

signals:
    // The selection, tool, grid or display state changed: panes and command states need an update.
    void stateChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void modelChanged(ModelChange change);
    // The model's new scale, with the image point under its anchor (or the centre) kept there.
    void zoomChanged();
    void updateScrollBars();
    // Tells the model which part of the picture the window shows now.
    void reportVisibleArea();
    QPoint scrollPosition() const;
    // An area of image pixels as window pixels, widened for pens and marks.
    QRect windowRectOf(const QRect& imageRect) const;
    ViewScroll viewScroll() const;

    std::unique_ptr<WindowModel> model_;
    GridEditor& editor_;
    WindowPicture picture_;
    ImageWindow window_;
    bool hasPicture_ = false;  // set at the initial update; off when the picture failed
    bool reducedScheduled_ = false;
    std::unique_ptr<PictureOverlaySurface> overlaySurface_;
};

}  // namespace orvane
