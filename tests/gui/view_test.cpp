// The image view: display commands and their states in two views, the picture, the grey
// background, the panes after a click, and the image commands.
#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QScrollBar>
#include <QtTest>

#include "../support/gui_test.h"
#include "app/child_frame.h"
#include "app/main_frame.h"
#include "base/ui/command_ids.h"
#include "view/ui/image_commands.h"
#include "view/ui/orvane_doc.h"
#include "view/ui/orvane_view.h"

using namespace orvane;
using namespace orvane::testing_support;

namespace {

struct ButtonState {
    bool enabled;
    bool pressed;
};

ButtonState button(CMainFrame* frame, int id) {
    return {frame->action(id)->isEnabled(), frame->action(id)->isChecked()};
}

void activate(CMainFrame* frame, CChildFrame* child) {
    frame->mdiArea()->setActiveSubWindow(child);
    frame->updateActions();
}

}  // namespace

class ViewTest : public GuiTest {
    Q_OBJECT
private slots:

    void channelButtonsInTwoViews() {
        const QString first = writeScan(dir_, "c1.tif");
        const QString second = writeScan(dir_, "c2.tif");
        auto app = startApp({first});
        CMainFrame* frame = app->mainFrame();
        for (int id : {kChannel1, kChannel2, kChannel3}) {
            QVERIFY(!button(frame, id).enabled);
            QVERIFY(!button(frame, id).pressed);
        }
        CChildFrame* one = frame->activeChild();
        frame->OnCommand(kWindowNew);
        CChildFrame* two = frame->activeChild();
        QVERIFY(one != two);

        activate(frame, one);
        QVERIFY(OverlayFile(one->view()->window(), second));
        frame->updateActions();
        QVERIFY(button(frame, kChannel1).enabled && button(frame, kChannel1).pressed);
        QVERIFY(button(frame, kChannel2).enabled && button(frame, kChannel2).pressed);
        QVERIFY(!button(frame, kChannel3).enabled && !button(frame, kChannel3).pressed);

        // The other window shows the new layer's channel off.
        activate(frame, two);
        QVERIFY(button(frame, kChannel2).enabled);
        QVERIFY(!button(frame, kChannel2).pressed);
        QVERIFY(button(frame, kChannel1).pressed);
        frame->OnCommand(kChannel1);
        QVERIFY(!button(frame, kChannel1).pressed);
        activate(frame, one);
        QVERIFY(button(frame, kChannel1).pressed);
    }

    void linearAndLogRadioMarks() {
        auto app = startApp({writeScan(dir_, "radio.tif")});
        CMainFrame* frame = app->mainFrame();
        QVERIFY(button(frame, kDisplayLog).pressed);
        QVERIFY(!button(frame, kDisplayLinear).pressed);
        frame->OnCommand(kDisplayLinear);
        QVERIFY(!button(frame, kDisplayLog).pressed);
        QVERIFY(button(frame, kDisplayLinear).pressed);
        frame->OnCommand(kDisplayLog);
        QVERIFY(button(frame, kDisplayLog).pressed);
        QVERIFY(!button(frame, kDisplayLinear).pressed);
        // Inverted has no pressed state either way.
        frame->OnCommand(kDisplayInverted);
        QVERIFY(!button(frame, kDisplayInverted).pressed);
        QVERIFY(!frame->activeView()->model().display().invertedDisplay);
        frame->OnCommand(kDisplayInverted);
        QVERIFY(!button(frame, kDisplayInverted).pressed);
        QVERIFY(frame->activeView()->model().display().invertedDisplay);
    }

    void pictureFollowsTheDisplayState() {
        // One layer, sample 1000 everywhere: log and inverted gives (255, 194, 194); linear and
        // not inverted gives 1000 / 256 = 3 in red.
        const QString path = writeScan(dir_, "flat.tif", 8, 6, [](auto, auto) { return 1000; });
        auto app = startApp({path});
        CMainFrame* frame = app->mainFrame();
        COrvaneView* view = frame->activeView();
        QCOMPARE(view->offscreenImage().size(), QSize(8, 6));
        QCOMPARE(view->offscreenImage().pixel(3, 2), qRgb(255, 194, 194));
        frame->OnCommand(kDisplayLinear);
        frame->OnCommand(kDisplayInverted);
        QCOMPARE(view->offscreenImage().pixel(7, 5), qRgb(3, 0, 0));
    }

    void greyBesideAndBelowThePicture() {
        const QString path = writeScan(dir_, "small.tif", 50, 40, [](auto, auto) { return 0; });
        auto app = startApp({path});
        COrvaneView* view = app->mainFrame()->activeView();
        view->parentWidget()->resize(300, 300);
        const QImage shot = view->viewport()->grab().toImage();
        QCOMPARE(shot.pixelColor(10, 10), QColor(255, 255, 255));  // sample 0, inverted
        QCOMPARE(shot.pixelColor(60, 10), QColor(128, 128, 128));
        QCOMPARE(shot.pixelColor(10, 45), QColor(128, 128, 128));
        QCOMPARE(shot.pixelColor(60, 45), QColor(128, 128, 128));
        QCOMPARE(view->horizontalScrollBar()->maximum(), 0);
    }

    void largePictureScrollsInSteps() {
        const QString path = writeScan(dir_, "large.tif", 2000, 1500, [](auto, auto) { return 7; });
        auto app = startApp({path});
        COrvaneView* view = app->mainFrame()->activeView();
        QCOMPARE(view->horizontalScrollBar()->pageStep(), 200);
        QCOMPARE(view->horizontalScrollBar()->singleStep(), 20);
        QCOMPARE(view->verticalScrollBar()->pageStep(), 150);
        QCOMPARE(view->verticalScrollBar()->singleStep(), 15);
        QVERIFY(view->horizontalScrollBar()->maximum() > 0);
        const QImage shot = view->viewport()->grab().toImage();
        QVERIFY(shot.pixelColor(shot.width() - 1, shot.height() - 1) != QColor(128, 128, 128));
    }

    void panesAfterAClick() {
        const QString path =
            writeScan(dir_, "panes.tif", 40, 30,
                      [](std::uint32_t x, std::uint32_t y) { return 100 * x + y; });
        auto app = startApp({path});
        CMainFrame* frame = app->mainFrame();
        COrvaneView* view = frame->activeView();
        // Before the first click: the anchor (0, 0) and its sample.
        QCOMPARE(frame->pane(6)->text(), QString("X: 0"));
        QCOMPARE(frame->pane(7)->text(), QString("Y: 0"));
        QCOMPARE(frame->pane(8)->text(), QString("I: 0"));
        QCOMPARE(frame->pane(1)->text(), QString("Not Selected."));

        view->parentWidget()->resize(400, 300);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(12, 7));
        QCOMPARE(frame->pane(6)->text(), QString("X: 12"));
        QCOMPARE(frame->pane(7)->text(), QString("Y: 7"));
        QCOMPARE(frame->pane(8)->text(), QString("I: 1207"));

        // A click in the grey area has no sample to show.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(200, 20));
        QCOMPARE(frame->pane(6)->text(), QString("X: 200"));
        QCOMPARE(frame->pane(8)->text(), QString("I: "));
    }

    void subtractBackgroundNeedsTheRectangleTool() {
        const QString path = writeScan(dir_, "bg.tif", 10, 10,
                                       [](std::uint32_t x, std::uint32_t) { return 1000 + x; });
        auto app = startApp({path});
        CMainFrame* frame = app->mainFrame();
        COrvaneView* view = frame->activeView();
        MessageRecorder messages;
        view->model().SetSelection({ToolKind::Rectangle, 0, 0, 2, 2});
        frame->OnCommand(kSelectPoint);  // the rectangle stays stored
        frame->OnCommand(kSubtractBackground);
        QCOMPARE(messages.texts, QStringList{"Please select rectangle backgound area first"});
        QCOMPARE(view->GetDocument()->image().layers[0].at(5, 5), std::uint16_t(1005));

        frame->OnCommand(kSelectRectangle);
        QVERIFY(button(frame, kSelectRectangle).pressed);
        QVERIFY(!button(frame, kSelectPoint).pressed);
        // Dragged from bottom-right to top-left: the same rectangle, columns 0 and 1, level 1000.
        view->model().SetSelection({ToolKind::Rectangle, 2, 2, 0, 0});
        frame->OnCommand(kSubtractBackground);
        QCOMPARE(messages.texts.size(), 1);
        QCOMPARE(view->GetDocument()->image().layers[0].at(5, 5), std::uint16_t(5));
    }

    void gridToolNeedsAGrid() {
        auto app = startApp({writeScan(dir_, "grid.tif")});
        CMainFrame* frame = app->mainFrame();
        MessageRecorder messages;
        frame->OnCommand(kSelectGrid);
        QCOMPARE(messages.texts, QStringList{"Please define / load grid."});
        QVERIFY(button(frame, kSelectPoint).pressed);
    }

    void progressTextsInTheMessagePane() {
        auto app = startApp({writeScan(dir_, "progress.tif", 20, 100)});
        QStringList texts;
        setMessagePaneSink([&](const QString& text) { texts.append(text); });
        app->mainFrame()->OnCommand(kDisplayLinear);
        // A rebuild of 100 rows reports every fifth percent, then "Ready".
        QCOMPARE(texts.size(), 21);
        QCOMPARE(texts.first(), QString("Processing Tiff File, 00% completed ..."));
        QCOMPARE(texts[19], QString("Processing Tiff File, 95% completed ..."));
        QCOMPARE(texts.last(), QString("Ready"));
        texts.clear();
        MessageRecorder messages;
        QVERIFY(OverlayFile(app->mainFrame()->activeView()->window(),
                            writeScan(dir_, "progress2.tif", 20, 100)));
        QCOMPARE(texts.first(), QString("Loading Tiff File ..."));
        QCOMPARE(texts.last(), QString("Ready"));
        setMessagePaneSink({});
    }

    void filtersChangeTheSamplesAndThisPicture() {
        // A single bright pixel in a flat area: the median filter removes it.
        const QString path = writeScan(
            dir_, "spike.tif", 9, 9,
            [](std::uint32_t x, std::uint32_t y) { return x == 4 && y == 4 ? 60000 : 100; });
        auto app = startApp({path});
        CMainFrame* frame = app->mainFrame();
        COrvaneView* view = frame->activeView();
        const QRgb before = view->offscreenImage().pixel(4, 4);
        frame->OnCommand(kFilterMedian);
        QCOMPARE(view->GetDocument()->image().layers[0].at(4, 4), std::uint16_t(100));
        QCOMPARE(view->offscreenImage().pixel(4, 4), view->offscreenImage().pixel(0, 0));
        QVERIFY(view->offscreenImage().pixel(4, 4) != before);
        frame->OnCommand(kFilterMean);
        QCOMPARE(view->GetDocument()->image().layers[0].at(4, 4), std::uint16_t(100));
        QCOMPARE(frame->pane(0)->text(), QString("Ready"));
    }
};

QTEST_MAIN(ViewTest)
#include "view_test.moc"
