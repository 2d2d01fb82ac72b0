// The "Overview" dock: a click or a drag scrolls the active view where the overview mapping
// says, the rectangle follows the view's scrolling, the picture follows the active window, the
// display mode and the grid, and it is made from the reduced picture without the overlay.
#include <QAction>
#include <QDockWidget>
#include <QMdiArea>
#include <QMouseEvent>
#include <QScrollBar>
#include <QtTest>

#include "../support/gui_test.h"
#include "app/child_frame.h"
#include "app/main_frame.h"
#include "base/ui/command_ids.h"
#include "view/overview_mapping.h"
#include "view/ui/orvane_view.h"
#include "view/ui/overview_widget.h"

using namespace orvane;
using namespace orvane::testing_support;

namespace {

QPoint scrollOf(const COrvaneView* view) {
    return {view->horizontalScrollBar()->value(), view->verticalScrollBar()->value()};
}

OverviewMapping expectedMapping(const COverviewWidget* overview, const COrvaneView* view) {
    return OverviewMapping::Fit(view->model().display().imageWidth,
                                view->model().display().imageHeight, overview->width(),
                                overview->height());
}

// Counts the paint events of a widget.
struct PaintCounter : QObject {
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count;
        return false;
    }
    int count = 0;
};

std::uint16_t ramp(std::uint32_t x, std::uint32_t y) { return std::uint16_t(40 * x + 25 * y); }

}  // namespace

class OverviewTest : public GuiTest {
    Q_OBJECT
private:
    std::unique_ptr<COrvaneApp> app_;
    CMainFrame* frame_ = nullptr;
    COrvaneView* view_ = nullptr;
    COverviewWidget* overview_ = nullptr;

    // A 1200 x 900 scan in a 300 x 200 window, so that both directions scroll.
    void openLarge() {
        app_ = startApp({writeScan(dir_, "large.tif", 1200, 900, ramp)});
        frame_ = app_->mainFrame();
        view_ = frame_->activeView();
        view_->parentWidget()->resize(300, 200);
        overview_ = frame_->overview();
        overview_->resize(240, 180);
        QVERIFY(view_->viewport()->width() < 1200 && view_->viewport()->height() < 900);
    }

private slots:
    void cleanup() {
        app_.reset();
        GuiTest::cleanup();
    }

    void dockSitsRightAndToggles() {
        openLarge();
        QDockWidget* dock = frame_->overviewDock();
        QCOMPARE(dock->windowTitle(), QString("Overview"));
        QCOMPARE(frame_->dockWidgetArea(dock), Qt::RightDockWidgetArea);
        QCOMPARE(overview_->window(), &view_->window());
        QAction* toggle = dock->toggleViewAction();
        QVERIFY(toggle->isChecked());
        toggle->trigger();
        QVERIFY(dock->isHidden());
        toggle->trigger();
        QVERIFY(!dock->isHidden());
    }

    void clickAndDragScrollWhereTheMappingSays() {
        openLarge();
        const QSize viewport = view_->viewport()->size();
        const OverviewMapping m = expectedMapping(overview_, view_);
        const OverviewRect picture = m.pictureRect();
        const QPoint target((picture.left + picture.right) / 2 + 17,
                            (picture.top + picture.bottom) / 2 - 9);
        sendMouse(overview_, QEvent::MouseButtonPress, target, Qt::LeftButton, Qt::LeftButton);
        const OverviewPoint wanted =
            m.ScrollFor({target.x(), target.y()}, viewport.width(), viewport.height());
        QCOMPARE(scrollOf(view_), QPoint(wanted.x, wanted.y));
        // Away from the borders the pixel under the click comes to the window's centre.
        const OverviewPoint centre = m.ToImage({target.x(), target.y()});
        QCOMPARE(scrollOf(view_) + QPoint(viewport.width() / 2, viewport.height() / 2),
                 QPoint(centre.x, centre.y));

        // A drag keeps scrolling; beyond the picture the view stops at its last position.
        const QPoint corner(picture.right + 20, picture.bottom + 20);
        sendMouse(overview_, QEvent::MouseMove, corner, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(scrollOf(view_), QPoint(1200 - viewport.width(), 900 - viewport.height()));
        QCOMPARE(scrollOf(view_), QPoint(view_->horizontalScrollBar()->maximum(),
                                         view_->verticalScrollBar()->maximum()));
        sendMouse(overview_, QEvent::MouseButtonRelease, corner, Qt::LeftButton, Qt::NoButton);
        // Moving without the button does nothing.
        sendMouse(overview_, QEvent::MouseMove, target, Qt::NoButton, Qt::NoButton);
        QCOMPARE(scrollOf(view_), QPoint(1200 - viewport.width(), 900 - viewport.height()));
        // The view keeps its one-to-one scale.
        QCOMPARE(view_->offscreenImage().size(), QSize(1200, 900));
    }

    void rectangleFollowsTheViewsScrolling() {
        openLarge();
        const QSize viewport = view_->viewport()->size();
        view_->horizontalScrollBar()->setValue(400);
        view_->verticalScrollBar()->setValue(250);
        const OverviewRect expected =
            expectedMapping(overview_, view_)
                .ToOverview({400, 250, 400 + viewport.width(), 250 + viewport.height()});
        QCOMPARE(overview_->visibleRect(), expected);
        // Drawn in magenta where it is said to be.
        const QImage shot = overview_->grab().toImage();
        QCOMPARE(shot.pixel(expected.left, expected.top), qRgb(255, 0, 255));
        QCOMPARE(shot.pixel(expected.right - 1, expected.bottom - 1), qRgb(255, 0, 255));
        view_->ScrollTo(QPoint(0, 0));
        QCOMPARE(overview_->visibleRect().left,
                 expectedMapping(overview_, view_).pictureRect().left);
    }

    void pictureFollowsTheActiveWindow() {
        openLarge();
        const QImage first = overview_->shownPicture();
        QVERIFY(!first.isNull());
        COrvaneView* second = app_->OpenDocumentFile(
            writeScan(dir_, "dark.tif", 600, 600,
                      [](std::uint32_t, std::uint32_t) { return std::uint16_t(5); }));
        QVERIFY(second);
        QCOMPARE(overview_->window(), &second->window());
        QVERIFY(overview_->shownPicture() != first);
        // Square now: the picture keeps the aspect ratio of its image.
        const OverviewRect place = overview_->mapping().pictureRect();
        QCOMPARE(place.right - place.left, place.bottom - place.top);
        frame_->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(view_->parentWidget()));
        QCOMPARE(overview_->window(), &view_->window());
        QCOMPARE(overview_->shownPicture(), first);
        // With no image window the overview is empty.
        frame_->mdiArea()->closeAllSubWindows();
        processDeferredDeletes();
        frame_->updateActions();
        QVERIFY(!overview_->window());
        QVERIFY(overview_->shownPicture().isNull());
        QCOMPARE(overview_->visibleRect(), OverviewRect{});
    }

    void pictureFollowsTheDisplayButNotTheOverlay() {
        app_ = startApp({writeScan(dir_, "grid.tif", 400, 300, ramp)});
        frame_ = app_->mainFrame();
        view_ = frame_->activeView();
        overview_ = frame_->overview();
        const QImage before = overview_->shownPicture();
        defineStandardGrid(frame_);
        QVERIFY(view_->model().editor().overlayShown());
        // The grid is drawn as outlines over the picture, never scaled into it.
        QCOMPARE(overview_->shownPicture(), before);
        QCOMPARE(view_->reducedPicture().size(), QSize(400, 300));
        const std::vector<QPolygon> outlines = overview_->quadOutlines();
        QCOMPARE(outlines.size(), size_t(2));
        const OverviewMapping m = overview_->mapping();
        // Quad [0][0]: corner spots at (100, 100) and (190, 160), spot radius 8.
        const OverviewRect tl = m.ToOverview({92, 92, 92, 92});
        QCOMPARE(outlines[0].point(0), QPoint(tl.left, tl.top));
        frame_->OnCommand(kDisplayInverted);
        QVERIFY(overview_->shownPicture() != before);
        frame_->OnCommand(kDisplayInverted);
        QCOMPARE(overview_->shownPicture(), before);
        frame_->OnCommand(kFilterMean);
        QVERIFY(overview_->shownPicture() != before);
    }

    void outlinesFollowAQuadWhileItIsDragged() {
        app_ = startApp({writeScan(dir_, "drag.tif", 400, 300, ramp)});
        frame_ = app_->mainFrame();
        view_ = frame_->activeView();
        overview_ = frame_->overview();
        defineStandardGrid(frame_);
        QCoreApplication::processEvents();
        PaintCounter paints(overview_);
        const QPolygon before = overview_->quadOutlines().at(0);
        // Quad [0][0]'s top-left corner mark, dragged 40 pixels right and down.
        sendMouse(view_->viewport(), QEvent::MouseButtonPress, QPoint(102, 101), Qt::LeftButton,
                  Qt::LeftButton);
        QCoreApplication::processEvents();
        paints.count = 0;
        sendMouse(view_->viewport(), QEvent::MouseMove, QPoint(142, 141), Qt::NoButton,
                  Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(overview_->quadOutlines().at(0).point(0) != before.point(0));
        QVERIFY2(paints.count > 0, "the overview was not repainted during the drag");
        sendMouse(view_->viewport(), QEvent::MouseButtonRelease, QPoint(142, 141), Qt::LeftButton,
                  Qt::NoButton);
    }

    void largePicturesAreReducedOnceForTheOverview() {
        app_ = startApp({writeScan(dir_, "wide.tif", 2100, 300, ramp)});
        view_ = app_->mainFrame()->activeView();
        QCOMPARE(view_->reducedPicture().width(), WindowPicture::kReducedPictureSize);
        QCOMPARE(view_->reducedPicture().height(), 146);  // 300 * 1024 / 2100, rounded
    }
};

QTEST_MAIN(OverviewTest)
#include "overview_test.moc"
