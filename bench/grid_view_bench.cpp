// Times the grid on screen in an offscreen image view: a whole-quad drag move (border-only
// redraw and repaint of the touched area) and a spot click (selection, spot means and panes),
// each against the 16 ms of one frame at 60 Hz; also the full overlay draw.
//
// Usage: grid_view_bench DEMO_DIR   (a folder written by `orvane-demo-slide --pixel-um 5`:
// demo_635.tif, demo_532.tif and slide_map_data.txt). The grid is the map's layout forced to
// 4 x 16 quads of 12 x 12 spots (9216 spots).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <vector>

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QMouseEvent>
#include <QScrollBar>

#include "app/main_frame.h"
#include "app/orvane_app.h"
#include "base/ui/shell_services.h"
#include "grid/layout_files.h"
#include "printjob/print_job_parameters.h"
#include "view/ui/image_commands.h"
#include "view/ui/orvane_view.h"

namespace {

using namespace orvane;
using Clock = std::chrono::steady_clock;
constexpr double kFrameMs = 16.0;

void send(COrvaneView* view, QEvent::Type type, QPoint p, Qt::MouseButton button,
          Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* w = view->viewport();
    QMouseEvent event(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, held, modifiers);
    QApplication::sendEvent(w, &event);
}

// Counts the paint events of a widget, to show that the timed steps include their repaints.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

PaintCounter* paints = nullptr;

// Runs `step` n times, each followed by the repaint it caused; returns the times in ms.
std::vector<double> timeSteps(int n, const std::function<void(int)>& step) {
    std::vector<double> ms;
    const int paintsBefore = paints->count;
    for (int i = 0; i < n; ++i) {
        const auto start = Clock::now();
        step(i);
        QApplication::processEvents();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%d steps, %d repaints of the view\n", n, paints->count - paintsBefore);
    return ms;
}

void report(const char* what, const std::vector<double>& ms) {
    const double median = ms[ms.size() / 2];
    const double p95 = ms[ms.size() * 95 / 100];
    std::printf("%-34s median %7.3f ms  p95 %7.3f ms  max %7.3f ms  (median / 16 ms = %.3f)\n",
                what, median, p95, ms.back(), median / kFrameMs);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: grid_view_bench DEMO_DIR\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // Opening a scan makes its folder the current directory: a relative DEMO_DIR would no longer
    // name the overlay and the map.
    const QString dir = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    // A message box would wait for a click that never comes offscreen: report it and stop.
    setMessageBoxHook([](const QString& text, MessageIcon) {
        std::fprintf(stderr, "grid_view_bench: %s\n", qPrintable(text));
        std::exit(1);
    });
    COrvaneApp app;
    if (!app.InitInstance({dir + "/demo_635.tif"})) return 1;
    COrvaneView* view = app.mainFrame()->activeView();
    OverlayFile(view->window(), dir + "/demo_532.tif");
    view->parentWidget()->resize(1200, 800);
    PaintCounter paintCounter(view->viewport());
    paints = &paintCounter;
    QApplication::processEvents();

    GridParameters p;
    std::ostringstream unknownParameters;  // the map's pin and zone lines, not ours to show
    LoadMapFile((dir + "/slide_map_data.txt").toStdString(), p, processPrintJobParameters(),
                unknownParameters);
    p.quadsX = 4;
    p.quadsY = 16;
    p.cellsX = 12;
    p.cellsY = 12;
    GridEditor& editor = view->model().editor();
    auto start = Clock::now();
    view->model().DefineGrid(p);
    QApplication::processEvents();
    std::printf("grid of %d x %d quads of %d x %d spots on %d x %d pixels\n", p.quadsX, p.quadsY,
                p.cellsX, p.cellsY, view->model().display().imageWidth,
                view->model().display().imageHeight);
    std::printf("%-34s %7.1f ms\n", "Define Grid (layout and overlay)",
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    report("full overlay erase and redraw", timeSteps(10, [&](int) {
               editor.HideOverlay(false);
               editor.ShowOverlay(false);
           }));

    // Scroll quad [1][5] into the window and grab its top-left corner with Shift.
    const GridQuad& quad = editor.grid().quad(1, 5);
    view->horizontalScrollBar()->setValue(quad.TL.x - 200);
    view->verticalScrollBar()->setValue(quad.TL.y - 200);
    QApplication::processEvents();
    const QPoint origin(view->horizontalScrollBar()->value(), view->verticalScrollBar()->value());
    const QPoint corner = QPoint(quad.TL.x, quad.TL.y) - origin;
    send(view, QEvent::MouseButtonPress, corner, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    if (!editor.dragging()) {
        std::fprintf(stderr,
                     "grid_view_bench: the press on quad [1][5]'s corner started no drag\n");
        return 1;
    }
    report("whole-quad drag move (border only)", timeSteps(200, [&](int i) {
               const QPoint to = corner + QPoint(i % 20, (i / 20) % 10);
               send(view, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
           }));
    send(view, QEvent::MouseButtonRelease, corner, Qt::LeftButton, Qt::NoButton);
    QApplication::processEvents();

    if (editor.dragging()) {
        std::fprintf(stderr, "grid_view_bench: the drag did not end on release\n");
        return 1;
    }
    report("spot click (select, means, panes)", timeSteps(100, [&](int i) {
               const GridPoint c = *quad.SpotCentre(3 + i % 6, 4);
               const QPoint at = QPoint(c.x, c.y) - origin;
               send(view, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
               send(view, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
           }));
    if (!editor.SelectedGridSpot()) {
        std::fprintf(stderr, "grid_view_bench: the clicks selected no spot\n");
        return 1;
    }
    return 0;
}
