// The GUI's speed targets in the real program offscreen, each step timed until the view has
// painted again: File > Open of a layer to the first painted picture (against the time of
// loading the layer + 150 ms); on two layers, at 1:1 and at Fit in Window, display switches, one
// zoom step and one scroll step (16 ms each); with a grid of 9216 spots, a whole-quad drag move
// and a spot click at 1:1 and at fit (16 ms) and a full overlay redraw at fit (50 ms); and the
// program's peak memory after Fit in Window and Actual Pixels (1.4 x the layers' samples
// + 250 MB). Printed in the speed table's form.
//
// Usage: gui_speed_bench RED.tif GREEN.tif [SLIDE_MAP]   (scripts/bench passes the demo slides)
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMdiArea>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStandardPaths>

#include "app/child_frame.h"
#include "app/main_frame.h"
#include "app/orvane_app.h"
#include "document/tiff_loader.h"
#include "grid/layout_files.h"
#include "harness.h"
#include "printjob/print_job_parameters.h"
#include "view/ui/image_commands.h"
#include "view/ui/orvane_view.h"
#include "view/ui/view_commands.h"

namespace {

using namespace orvane;

constexpr double kFrameMs = 16.0;
constexpr double kOpenMarginMs = 150.0;
constexpr double kOverlayRedrawMs = 50.0;
constexpr double kUndoStepMs = 5.0;

// Counts the paint events of one widget (the views' viewports).
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// Steps after which nothing was painted: each is a missed target, not a long wait.
int gUnpaintedSteps = 0;

// Runs `step`, then the event loop until the viewport of the view `view()` returns has been
// painted (the paint itself runs inside processEvents, before it returns). The step's work is
// done when it returns; a paint that has not come within a second never will, and the step,
// which changed nothing on the screen, is reported.
void stepUntilPainted(const std::function<void()>& step,
                      const std::function<COrvaneView*()>& view) {
    PaintCounter counter;
    qApp->installEventFilter(&counter);
    step();
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 1000) {
        QApplication::processEvents(QEventLoop::AllEvents);
        COrvaneView* v = view();
        if (v != nullptr && counter.paints > 0 && v->viewport()->isVisible()) break;
    }
    qApp->removeEventFilter(&counter);
    if (counter.paints == 0) {
        std::fprintf(stderr, "  FAIL: the step painted nothing\n");
        ++gUnpaintedSteps;
    }
}

void closeAllWindows(COrvaneApp& app) {
    app.mainFrame()->mdiArea()->closeAllSubWindows();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The process's peak resident memory (VmHWM) in MB.
double peakMemoryMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

void sendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, held, modifiers);
    QApplication::sendEvent(widget, &event);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: gui_speed_bench RED.tif GREEN.tif [SLIDE_MAP]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The recent-file list goes to a test location, not to the user's settings.
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    // Absolute: opening a file makes its folder the current directory.
    const QString red = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString green = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    const QString map =
        argc == 4 ? QFileInfo(QString::fromLocal8Bit(argv[3])).absoluteFilePath() : QString();
    // A file that cannot be opened would stop the run at the program's modal message box.
    for (const QString& path : {red, green})
        if (!QFileInfo(path).isReadable()) {
            std::fprintf(stderr, "gui_speed_bench: cannot read %s\n", qPrintable(path));
            return 2;
        }

    // The time of loading one layer, which opening may exceed by 150 ms at most.
    std::vector<double> loads;
    std::int64_t samples = 0;
    for (int i = 0; i < 3; ++i) {
        LayeredImage image;
        NullProgress quiet;
        const bench::Sample s =
            bench::timeOnce([&] { AppendLayer(image, red.toStdString(), quiet); });
        loads.push_back(bench::useCpuClock() ? s.cpu : s.wall);
        samples = std::int64_t{image.width()} * image.height();
    }
    const double loadMs = bench::median(loads) * 1e3;
    std::fprintf(stderr, "  loading one layer: %.1f ms, %lld x 2 samples\n", loadMs,
                 static_cast<long long>(samples));

    COrvaneApp app;
    if (!app.InitInstance({})) return 1;
    app.mainFrame()->resize(1400, 1000);
    QApplication::processEvents();
    auto activeView = [&] { return app.mainFrame()->activeView(); };

    bench::Table table;
    // What File > Open does once its dialog has returned the file name.
    table.absolute(
        "GUI: File > Open of a layer to first paint", loadMs + kOpenMarginMs,
        [&] { stepUntilPainted([&] { app.OpenDocumentFile(red); }, activeView); }, 5,
        [&] { closeAllWindows(app); });
    closeAllWindows(app);

    COrvaneView* view = app.OpenDocumentFile(red);
    if (view == nullptr || !OverlayFile(view->window(), green)) return 1;
    view->parentWidget()->resize(1200, 800);
    QApplication::processEvents();
    // The reduced copies are made once the first picture is shown; not part of any step below.
    view->model().SetZoom(view->model().fitScale());
    QApplication::processEvents();
    view->model().SetZoom(ZoomScale());
    QApplication::processEvents();
    const double peak = peakMemoryMb();
    const double memoryLimit = 1.4 * double(samples) * 2 * 2 / (1 << 20) + 250;

    const auto painted = [&](const std::function<void()>& step) {
        return [&, step] { stepUntilPainted(step, activeView); };
    };
    using C = CViewCommands;
    CViewCommands commands(view->window());
    const struct {
        const char* name;
        void (C::*before)();
        void (C::*command)();
    } switches[] = {
        {"display switch log to linear", &C::OnDisplayLog, &C::OnDisplayLinear},
        {"display switch linear to log", &C::OnDisplayLinear, &C::OnDisplayLog},
        {"display switch inverted/normal", &C::OnDisplayLog, &C::OnDisplayInverted},
        {"display switch one channel", &C::OnDisplayLog, &C::OnChannel2},
    };
    for (const bool fit : {false, true}) {
        const std::string at = fit ? ", 2 layers, at fit" : ", 2 layers, at 1:1";
        const auto zoomBack = [&] {
            if (fit)
                view->model().SetZoom(view->model().fitScale());
            else
                view->model().SetZoom(ZoomScale());
            view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum() / 2);
            view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 2);
            QApplication::processEvents();
        };
        zoomBack();
        for (const auto& s : switches)
            table.absolute(
                "GUI: " + std::string(s.name) + at, kFrameMs,
                painted([&] { (commands.*s.command)(); }), 5, [&] {
                    (commands.*s.before)();
                    if (s.command == &C::OnChannel2 && !view->model().display().channelOn[1])
                        commands.OnChannel2();
                    QApplication::processEvents();
                });
        // A step that changes the picture: at fit out, unless the fit scale is the smallest step
        // (a 1 um slide fits below 1/64), then in.
        const auto zoomStep = [&] {
            if (fit &&
                view->model().zoom().StepOut(view->model().fitScale()) != view->model().zoom())
                view->model().SetZoom(view->model().zoom().StepOut(view->model().fitScale()));
            else
                view->model().SetZoom(view->model().zoom().StepIn(view->model().fitScale()));
        };
        table.absolute("GUI: one zoom step" + at, kFrameMs, painted(zoomStep), 5, zoomBack);
        zoomBack();
        // At fit the whole scan is in the window: the scroll step is timed at 1/4 instead.
        if (fit) view->model().SetZoom(ZoomScale(1, 4));
        QApplication::processEvents();
        QScrollBar* bar = view->verticalScrollBar();
        const int middle = bar->maximum() / 2;
        table.absolute(fit ? "GUI: one scroll step, 2 layers, at 1/4" : "GUI: one scroll step" + at,
                       kFrameMs, painted([&] { bar->setValue(bar->value() + bar->singleStep()); }),
                       5, [&] {
                           bar->setValue(middle);
                           QApplication::processEvents();
                       });
    }
    view->model().SetZoom(ZoomScale());
    QApplication::processEvents();

    if (!map.isEmpty()) {
        GridParameters p;
        std::ostringstream unknownParameters;  // the map's pin and zone lines, not ours to show
        LoadMapFile(map.toStdString(), p, processPrintJobParameters(), unknownParameters);
        p.quadsX = 4;
        p.quadsY = 16;
        p.cellsX = 12;
        p.cellsY = 12;
        GridEditor& editor = view->model().editor();
        view->model().DefineGrid(p);
        QApplication::processEvents();
        for (const bool fit : {false, true}) {
            const std::string at = fit ? ", 9216 spots, at fit" : ", 9216 spots, at 1:1";
            if (fit)
                view->model().SetZoom(view->model().fitScale());
            else
                view->model().SetZoom(ZoomScale());
            // Quad [1][1]: its TL corner in the window, dragged with Shift by 2 screen pixels.
            const GridPoint corner = editor.grid().quad(1, 1).TL;
            view->CentreOn(QPoint(corner.x, corner.y));
            QApplication::processEvents();
            QPoint at0 = view->toWindow(QPoint(corner.x, corner.y));
            sendMouse(view->viewport(), QEvent::MouseButtonPress, at0, Qt::LeftButton,
                      Qt::LeftButton, Qt::ShiftModifier);
            int step = 0;
            table.absolute("GUI: whole-quad drag move" + at, kFrameMs, painted([&] {
                               step = (step + 1) % 8;
                               const QPoint to = at0 + QPoint(2 * (step < 4 ? step : 8 - step), 0);
                               sendMouse(view->viewport(), QEvent::MouseMove, to, Qt::NoButton,
                                         Qt::LeftButton);
                           }),
                           9);
            sendMouse(view->viewport(), QEvent::MouseButtonRelease, at0, Qt::LeftButton,
                      Qt::NoButton);
            QApplication::processEvents();
            const GridQuad& q = editor.grid().quad(2, 3);
            const auto centre = q.SpotCentre(5, 6);
            const QPoint spot = view->toWindow(centre ? QPoint(centre->x, centre->y) : QPoint());
            table.absolute("GUI: spot click" + at, kFrameMs, painted([&] {
                               sendMouse(view->viewport(), QEvent::MouseButtonPress, spot,
                                         Qt::LeftButton, Qt::LeftButton);
                               sendMouse(view->viewport(), QEvent::MouseButtonRelease, spot,
                                         Qt::LeftButton, Qt::NoButton);
                           }));
            // The drag above is the step undone; each round starts with it done.
            table.absolute("GUI: Undo of a whole-quad drag" + at, kFrameMs,
                           painted([&] { view->model().Undo(); }), 5, [&] {
                               if (view->model().history().CanRedo()) view->model().Redo();
                               QApplication::processEvents();
                           });
            table.absolute("GUI: Redo of a whole-quad drag" + at, kFrameMs,
                           painted([&] { view->model().Redo(); }), 5, [&] {
                               // Only the drag: Define Grid before it is a step too.
                               if (!view->model().history().CanRedo()) view->model().Undo();
                               QApplication::processEvents();
                           });
            if (fit)
                table.absolute("GUI: full overlay redraw" + at, kOverlayRedrawMs, painted([&] {
                                   editor.HideOverlay(false);
                                   editor.ShowOverlay(false);
                               }));
        }
    }
    if (!map.isEmpty()) {
        // What every change of the grid adds: the history keeps the quads the change touched.
        GridQuad& quad = view->model().editor().grid().quad(0, 0);
        table.absolute("Recording an undo step (one mark), 9216 spots", kUndoStepMs, [&] {
            view->model().Step("Mark Spot", [&] { quad.Flags(0, 0) ^= Marked; });
        });
        // The whole grid changed, as by Auto Place: the step keeps a copy of every quad.
        table.absolute("Recording an undo step (every quad), 9216 spots", kUndoStepMs, [&] {
            view->model().Step("Move Quads", [&] {
                for (GridQuad& q : view->model().editor().grid().quads)
                    if (q.defined) ++q.TL.x;
            });
        });
    }
    const int failures = table.print();
    const bool memoryPass = peak <= memoryLimit;
    std::printf(
        "\n| Peak memory, 2 layers open, after Fit in Window and Actual Pixels | %.0f MB "
        "| limit %.0f MB (1.4 x samples + 250 MB) | %s |\n",
        peak, memoryLimit, memoryPass ? "PASS" : "FAIL");
    if (gUnpaintedSteps > 0) std::printf("%d step(s) painted nothing\n", gUnpaintedSteps);
    std::printf("%d target(s) missed\n",
                failures + (memoryPass ? 0 : 1) + (gUnpaintedSteps > 0 ? 1 : 0));
    return 0;
}
