// COverviewWidget: the contents of the "Overview" dock. It shows the active window's whole picture
// reduced to fit, the visible area as a rectangle and the grid's quads as outlines; a click or a
// drag asks the window's model to bring that point into view. The arithmetic is OverviewMapping's.
#pragma once

#include <vector>

#include <QImage>
#include <QPointer>
#include <QPolygon>
#include <QWidget>

#include "view/overview_mapping.h"
#include "view/ui/image_window.h"

namespace orvane {

class COverviewWidget : public QWidget {
    Q_OBJECT
public:
    explicit COverviewWidget(QWidget* parent = nullptr);

    // Follows `window` from now on; nullptr leaves the overview empty.
    void setWindow(ImageWindow* window);
    ImageWindow* window() const { return follower_.window(); }

    // The mapping for the current size and picture (scale 0 without a window).
    OverviewMapping mapping() const;
    // The window's visible area in overview coordinates; empty without a window.
    OverviewRect visibleRect() const;
    // The outlines of the grid's quads in use, in overview coordinates.
    std::vector<QPolygon> quadOutlines() const;
    // The picture as drawn: the window's reduced picture scaled to the mapping's rectangle.
    const QImage& shownPicture() const { return shown_; }

    QSize sizeHint() const override { return {260, 200}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void rescalePicture();
    void scrollViewTo(QPoint overviewPoint);

    WindowFollower follower_;
    QImage shown_;
};

}  // namespace orvane
