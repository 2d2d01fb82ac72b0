// The view's zoom: the commands and the pane, each window's own zoom, the window's pixels at 4
// and 1/4 against the whole picture, mouse tools through window points at 1/4 and 4, Ctrl +
// wheel about the pointer, centring on a point and the Overview's click at any zoom.
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QWheelEvent>

#include "../support/gui_test.h"
#include "app/child_frame.h"
#include "app/main_frame.h"
#include "app/orvane_app.h"
#include "base/ui/command_ids.h"
#include "view/ui/orvane_view.h"
#include "view/ui/overview_widget.h"

using namespace orvane;
using namespace orvane::testing_support;

namespace {

std::uint16_t ramp(std::uint32_t x, std::uint32_t y) {
    return std::uint16_t((97 * x + 31 * y) % 4000);
}

QString zoomPane(CMainFrame* frame) {
    auto* pane = frame->statusBar()->findChild<QLabel*>("zoomPane");
    return pane ? pane->text() : QString("(no pane)");
}

void press(QWidget* widget, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mousePress(widget, Qt::LeftButton, modifiers, at);
}

void moveHeld(QWidget* widget, QPoint at) {
    QMouseEvent event(QEvent::MouseMove, QPointF(at), widget->mapToGlobal(QPointF(at)),
                      Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

}  // namespace

class ZoomViewTest : public QObject {
    Q_OBJECT
private:
    TempDir dir_{"orvane-zoom-test"};
    std::unique_ptr<COrvaneApp> app_;
    CMainFrame* frame_ = nullptr;
    COrvaneView* view_ = nullptr;

    void open(std::uint32_t width = 400, std::uint32_t height = 300) {
        app_ = startApp({writeScan(dir_, "zoom.tif", width, height, ramp)});
        frame_ = app_->mainFrame();
        view_ = frame_->activeView();
        view_->parentWidget()->resize(420, 330);
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase() { isolateSettings(dir_); }
    void cleanup() {
        app_.reset();
        processDeferredDeletes();
    }

    void commandsStepsAndThePane() {
        open();
        QCOMPARE(view_->model().zoom(), ZoomScale());
        QCOMPARE(zoomPane(frame_), QString("100%"));
        frame_->OnCommand(kZoomOut);
        QCOMPARE(view_->model().zoom(), ZoomScale(1, 2));
        QCOMPARE(zoomPane(frame_), QString("50%"));
        frame_->OnCommand(kZoomIn);
        frame_->OnCommand(kZoomIn);
        QCOMPARE(view_->model().zoom(), ZoomScale(2, 1));
        frame_->OnCommand(kZoomFit);
        QCOMPARE(view_->model().zoom(), view_->model().fitScale());
        // The whole scan in the window: nothing to scroll.
        QCOMPARE(view_->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(view_->verticalScrollBar()->maximum(), 0);
        QCOMPARE(view_->visibleImageRect(), QRect(0, 0, 400, 300));
        frame_->OnCommand(kZoomActual);
        QCOMPARE(view_->model().zoom(), ZoomScale());
        QCOMPARE(view_->verticalScrollBar()->maximum(),
                 std::max(0, 300 - view_->viewport()->height()));
        // Steps stop at 16 and 1/64.
        for (int i = 0; i < 12; ++i) frame_->OnCommand(kZoomIn);
        QCOMPARE(view_->model().zoom(), ZoomScale(16, 1));
        QCOMPARE(zoomPane(frame_), QString("1600%"));
    }

    void eachWindowKeepsItsZoomAndNewOnesStartAtOne() {
        open();
        frame_->OnCommand(kZoomOut);
        frame_->OnCommand(kWindowNew);
        COrvaneView* second = frame_->activeView();
        QVERIFY(second != view_);
        QCOMPARE(second->model().zoom(), ZoomScale());
        QCOMPARE(zoomPane(frame_), QString("100%"));
        QCOMPARE(view_->model().zoom(), ZoomScale(1, 2));
    }

    void windowPixelsAtFourAndAQuarter() {
        open();
        const QImage whole = view_->offscreenImage();
        view_->model().SetZoom(ZoomScale(4, 1), WindowPoint{0, 0});
        view_->horizontalScrollBar()->setValue(123);
        view_->verticalScrollBar()->setValue(57);
        QImage shot = view_->viewport()->grab().toImage();
        for (int y = 0; y < shot.height(); y += 7)
            for (int x = 0; x < shot.width(); x += 5) {
                const QPoint p = view_->toImage(QPoint(x, y));
                QCOMPARE(p, QPoint((x + 123) / 4, (y + 57) / 4));
                QCOMPARE(shot.pixel(x, y), whole.pixel(p));
            }
        // At 1/4 a flat picture of the maxima: each window pixel shows the brightest of its
        // 4 x 4 samples, which here is the ramp's bottom-right one unless it wrapped.
        view_->model().SetZoom(ZoomScale(1, 4), WindowPoint{0, 0});
        shot = view_->viewport()->grab().toImage();
        QCOMPARE(view_->visiblePicture().size(), view_->viewport()->size());
        QCOMPARE(shot.pixelColor(100, 10), QColor(128, 128, 128));  // beside the 100-pixel picture
        QVERIFY(shot.pixel(10, 10) != qRgb(128, 128, 128));
    }

    void pointAndPanesAtFour() {
        open();
        view_->model().SetZoom(ZoomScale(4, 1), WindowPoint{0, 0});
        QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, QPoint(49, 30));
        QCOMPARE(frame_->pane(6)->text(), QString("X: 12"));
        QCOMPARE(frame_->pane(7)->text(), QString("Y: 7"));
        QCOMPARE(frame_->pane(8)->text(), QString("I: %1").arg(ramp(12, 7)));
    }

    void gridToolsThroughTheWindowAtAQuarterAndFour() {
        for (const ZoomScale zoom : {ZoomScale(1, 4), ZoomScale(4, 1)}) {
            open();
            defineStandardGrid(frame_);
            view_->model().SetZoom(zoom, WindowPoint{0, 0});
            const auto at = [&](int x, int y) { return view_->toWindow(QPoint(x, y)); };
            // A spot click: spot (2, 1) of quad [0][0] around (160, 130).
            QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, at(160, 128));
            QCOMPARE(frame_->pane(2)->text(), QString("Spot: (3, 2)"));
            // A corner drag: quad [0][0]'s TL from (100, 100) to (120, 108).
            press(view_->viewport(), at(100, 100));
            moveHeld(view_->viewport(), at(120, 108));
            QTest::mouseRelease(view_->viewport(), Qt::LeftButton, {}, at(120, 108));
            QCOMPARE(view_->model().editor().grid().quad(0, 0).TL, (GridPoint{120, 108}));
            // Back at 1:1 the picture shows the moved grid exactly as one drawn there.
            view_->model().SetZoom(ZoomScale());
            const QImage shown = view_->offscreenImage();
            frame_->OnCommand(kDisplayInverted);
            frame_->OnCommand(kDisplayInverted);
            QCOMPARE(view_->offscreenImage(), shown);
            cleanup();
        }
    }

    void ctrlWheelZoomsAboutThePointer() {
        open();
        const QPoint pointer(150, 90);
        const QPoint under = view_->toImage(pointer);
        QWheelEvent in(QPointF(pointer), view_->viewport()->mapToGlobal(QPointF(pointer)), QPoint(),
                       QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view_->viewport(), &in);
        QCOMPARE(view_->model().zoom(), ZoomScale(2, 1));
        QCOMPARE(view_->toImage(pointer), under);
        QWheelEvent out(QPointF(pointer), view_->viewport()->mapToGlobal(QPointF(pointer)),
                        QPoint(), QPoint(0, -120), Qt::NoButton, Qt::ControlModifier,
                        Qt::NoScrollPhase, false);
        QApplication::sendEvent(view_->viewport(), &out);
        QApplication::sendEvent(view_->viewport(), &out);
        QCOMPARE(view_->model().zoom(), ZoomScale(1, 2));
    }

    void centreOnAndTheOverviewAtAnyZoom() {
        open(2000, 1500);
        view_->model().SetZoom(ZoomScale(4, 1));
        view_->CentreOn(QPoint(1000, 700));
        const QPoint centre(view_->viewport()->width() / 2, view_->viewport()->height() / 2);
        QVERIFY((view_->toImage(centre) - QPoint(1000, 700)).manhattanLength() <= 1);
        // A click in the Overview centres the view on the pixel under it.
        COverviewWidget* overview = frame_->overview();
        overview->resize(260, 200);
        const OverviewMapping m = overview->mapping();
        const OverviewRect place = m.pictureRect();
        const QPoint click((place.left + place.right) / 3, (place.top + place.bottom) / 2);
        QTest::mouseClick(overview, Qt::LeftButton, {}, click);
        const OverviewPoint wanted = m.ToImage({click.x(), click.y()});
        QVERIFY((view_->toImage(centre) - QPoint(wanted.x, wanted.y)).manhattanLength() <= 1);
        // The Overview's rectangle is the visible part at this zoom.
        const QRect visible = view_->visibleImageRect();
        QVERIFY(std::abs(visible.width() - view_->viewport()->width() / 4) <= 1);
    }
};

QTEST_MAIN(ZoomViewTest)
#include "zoom_view_test.moc"
