// orvane-grid-screenshots: the user guide's pictures of the grid on screen, made by driving the
// program's own commands in this process: open and overlay the demo slide, Define Grid with Load
// Map, Adjust Grid 2DW, a spot click, the statistics and histogram dialogs, and the review docks
// after Mark Spots Not Found.
//   orvane-grid-screenshots DEMO_DIR OUT_DIR [STEP_SECONDS]   (tools/make-grid-screenshots)
// With ORVANE_SCREENSHOT_HOLD=SECONDS the review stays on the screen that long at the end, for a
// capture of the whole screen from outside.
//
// Nothing here may wait for a user: every modal dialog, file dialog and message box is answered
// by this program, an unexpected message box fails the run, and a watchdog ends the run when
// one step takes longer than STEP_SECONDS (60 by default), naming the step.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include <QApplication>
#include <QDialog>
#include <QDockWidget>
#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include "app/main_frame.h"
#include "app/orvane_app.h"
#include "base/ui/command_ids.h"
#include "base/ui/modal_dialog.h"
#include "base/ui/shell_services.h"
#include "grid/ui/grid_parameters_dialog.h"
#include "measure/ui/spot_results_widget.h"
#include "measure/ui/spot_review.h"
#include "view/ui/orvane_view.h"

namespace {

using namespace orvane;

// Ends the process when the current step outlives its time limit. A thread of its own, because
// a step that hangs (a computation, or an event loop waiting for input) keeps Qt's timers from
// ever firing.
class Watchdog {
public:
    explicit Watchdog(int seconds) : seconds_(seconds), thread_([this] { watch(); }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        changed_.notify_one();
        thread_.join();
    }
    void step(const char* name) {
        {
            std::lock_guard lock(mutex_);
            step_ = name;
            ++generation_;
        }
        changed_.notify_one();
        std::printf("step: %s\n", name);
        std::fflush(stdout);
    }

private:
    void watch() {
        std::unique_lock lock(mutex_);
        while (!stopped_) {
            const unsigned seen = generation_;
            const bool moved = changed_.wait_for(lock, std::chrono::seconds(seconds_),
                                                 [&] { return stopped_ || generation_ != seen; });
            if (!moved) {
                std::fprintf(stderr,
                             "orvane-grid-screenshots: step \"%s\" did not finish within %d s\n",
                             step_.c_str(), seconds_);
                std::fflush(stderr);
                std::_Exit(3);
            }
        }
    }

    const int seconds_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string step_ = "start";
    unsigned generation_ = 0;
    bool stopped_ = false;
    std::thread thread_;
};

[[noreturn]] void fail(const QString& text) {
    std::fprintf(stderr, "orvane-grid-screenshots: %s\n", qPrintable(text));
    std::fflush(stderr);
    std::_Exit(1);
}

void settle() {
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
}

void save(QWidget& widget, const QString& path) {
    settle();
    if (!widget.grab().save(path)) fail("cannot write " + path);
    std::printf("%s\n", qPrintable(path));
}

QPushButton* button(QWidget& dialog, const QString& text) {
    for (auto* b : dialog.findChildren<QPushButton*>())
        if (b->text() == text) return b;
    fail(QString("the dialog \"%1\" has no button \"%2\"").arg(dialog.windowTitle(), text));
}

// Runs one command whose modal dialog is handled by `answer` (which returns the result code).
void runWithDialog(CMainFrame* frame, int command, std::function<int(QDialog&)> answer) {
    bool shown = false;
    setModalDialogHook([&](QDialog& d) {
        shown = true;
        d.show();
        settle();
        return answer(d);
    });
    frame->OnCommand(command);
    setModalDialogHook({});
    if (!shown) fail(QString("command %1 showed no dialog").arg(command));
}

void click(COrvaneView* view, QPoint p) {
    QWidget* w = view->viewport();
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(w, &event);
    }
}

// Load Map, then the spot size the demo prints with (the map carries none), the picture, and a
// click on OK, so that the dialog checks its fields as it does for the user.
int defineGridFromMap(QDialog& dialog, const QString& out) {
    button(dialog, "Load Map")->click();
    auto* diameter = dialog.findChild<QLineEdit*>(QString::number(CGridParametersDialog::kDiamD));
    if (diameter == nullptr) fail("the Grid Parameters dialog has no Diam D field");
    diameter->setText("0.14");
    save(dialog, out + "/orvane-grid-parameters.png");
    button(dialog, "OK")->click();
    if (dialog.result() != QDialog::Accepted) fail("the Grid Parameters dialog refused its values");
    return dialog.result();
}

void makePictures(CMainFrame* frame, const QString& dir, const QString& out, Watchdog& watchdog) {
    COrvaneView* view = frame->activeView();
    if (view == nullptr) fail("no image window after opening the demo slide");
    setFileDialogHook([&](const FileDialogRequest& request) {
        if (request.save || request.defaultSuffix != "txt")
            fail("unexpected file dialog: " + request.initialName);
        return dir + "/slide_map_data.txt";
    });

    watchdog.step("Define Grid with Load Map");
    runWithDialog(frame, kGridDefine, [&](QDialog& d) { return defineGridFromMap(d, out); });

    watchdog.step("Adjust Grid 2DW");
    frame->OnCommand(kGridAdjust2DW);

    watchdog.step("scroll to quad [0][0] and click a spot");
    const GridQuad& quad = view->model().editor().grid().quad(0, 0);
    view->horizontalScrollBar()->setValue(std::max(0, quad.TL.x - 60));
    view->verticalScrollBar()->setValue(std::max(0, quad.TL.y - 60));
    settle();
    const QPoint origin(view->horizontalScrollBar()->value(), view->verticalScrollBar()->value());
    const auto spot = quad.SpotCentre(3, 2);
    if (!spot) fail("spot (3, 2) of quad [0][0] is not in the grid");
    click(view, QPoint(spot->x, spot->y) - origin);
    if (!view->model().editor().SelectedGridSpot()) fail("the click selected no spot");
    frame->updateActions();
    save(*frame, out + "/orvane-grid.png");

    watchdog.step("Show Selection Statistics of the spot");
    runWithDialog(frame, kSelectionStatistics, [&](QDialog& d) {
        save(d, out + "/orvane-statistics.png");
        return int(QDialog::Accepted);
    });

    watchdog.step("Grid Data Histogram with Auto Balance");
    runWithDialog(frame, kGridHistogram, [&](QDialog& d) {
        button(d, "Auto Balance")->click();
        save(d, out + "/orvane-histogram.png");
        return int(QDialog::Rejected);
    });
    setFileDialogHook({});

    watchdog.step("Mark Spots Not Found, the Spot Results and Spot Plot docks");
    runWithDialog(frame, kGridMarkNotFound, [](QDialog& d) {
        d.accept();
        return d.result();
    });
    frame->spotResultsDock()->show();
    frame->spotPlotDock()->show();
    frame->overviewDock()->hide();
    frame->resizeDocks({frame->spotResultsDock()}, {230}, Qt::Vertical);
    frame->resizeDocks({frame->spotPlotDock()}, {430}, Qt::Horizontal);
    settle();
    frame->spotReview()->recompute();
    auto* table = frame->spotResultsDock()->findChild<CSpotResultsWidget*>();
    const auto results = frame->spotReview()->results();
    if (table == nullptr || !results) fail("the Spot Results dock shows no results");
    // A marked spot of the first quad: the row, the ring in the plot and the spot in the view.
    for (std::size_t i = 0; i < results->spots.size(); ++i)
        if ((results->spots[i].flags & Marked) != 0 && results->spots[i].qy == 0) {
            table->table()->selectRow(static_cast<int>(i));
            break;
        }
    frame->updateActions();
    save(*frame, out + "/orvane-review.png");
    if (const char* hold = std::getenv("ORVANE_SCREENSHOT_HOLD")) {
        watchdog.step("hold the review on the screen");
        QEventLoop loop;
        QTimer::singleShot(std::clamp(std::atoi(hold), 0, 50) * 1000, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: orvane-grid-screenshots DEMO_DIR OUT_DIR [STEP_SECONDS]\n");
        return 2;
    }
    Watchdog watchdog(argc == 4 ? std::max(1, std::atoi(argv[3])) : 60);
    watchdog.step("open the demo slide, red and green");
    QApplication application(argc, argv);
    // Opening a scan makes its folder the current directory, as the program does for its file
    // dialogs: relative names would no longer find the overlay, the map or OUT_DIR.
    const QString dir = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString out = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    // A message box would wait for a click that never comes: any message is a failure.
    setMessageBoxHook([](const QString& text, MessageIcon) { fail("message box: " + text); });
    setQuestionHook([](const QString& text) -> bool { fail("question: " + text); });
    COrvaneApp app;
    if (!app.InitInstance({dir + "/demo_635.tif", dir + "/demo_532.tif"}))
        fail("Orvane did not start");
    CMainFrame* frame = app.mainFrame();
    // The image window filling the main window, as one works with a single slide.
    if (frame->activeView() != nullptr) frame->activeView()->parentWidget()->showMaximized();
    settle();
    makePictures(frame, dir, out, watchdog);
    watchdog.step("done");
    return 0;
}
