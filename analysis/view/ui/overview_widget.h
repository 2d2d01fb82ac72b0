// COverviewWidget: the contents of the "Overview" dock. It shows the active view's whole picture
// reduced to fit, the visible area as a rectangle and the grid's quads as outlines; a click or a
// drag scrolls the view there. The arithmetic is OverviewMapping's.
#pragma once

#include <vector>

#include <QImage>
#include <QPointer>
#include <QPolygon>
#include <QWidget>

#include "view/overview_mapping.h"
#include "view/ui/orvane_view.h"

namespace orvane {

class COverviewWidget : public QWidget {
    Q_OBJECT
public:
    explicit COverviewWidget(QWidget* parent = nullptr);

    // Follows `view` from now on; nullptr leaves the overview empty.
    void setView(COrvaneView* view);
    COrvaneView* view() const { return view_; }

    // The mapping for the current size and picture (scale 0 without a view).
    OverviewMapping mapping() const;
    // The view's visible area in overview coordinates; empty without a view.
    OverviewRect visibleRect() const;
    // The outlines of the grid's quads in use, in overview coordinates.
    std::vector<QPolygon> quadOutlines() const;
    // The picture as drawn: the view's reduced picture scaled to the mapping's picture rectangle.
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
    void viewDestroyed();

    QPointer<COrvaneView> view_;
    QImage shown_;
};

}  // namespace orvane
