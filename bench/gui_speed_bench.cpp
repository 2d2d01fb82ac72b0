// The GUI's speed targets in the real program offscreen: from File > Open of a 5 um layer to
// the first painted picture, and display-mode switches on a two-layer 5 um slide, each until
// the view has painted again; printed in the speed table's form against a fixed 300 ms.
//
// Usage: gui_speed_bench RED.tif GREEN.tif   (scripts/bench passes the 5 um demo slide)
#include <cstdio>
#include <functional>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMdiArea>
#include <QStandardPaths>

#include "app/child_frame.h"
#include "app/main_frame.h"
#include "app/orvane_app.h"
#include "harness.h"
#include "view/ui/orvane_view.h"

namespace {

using namespace orvane;

constexpr double kLimitMs = 300.0;

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

// Runs `step`, then the event loop until the viewport of the view `view()` returns has been
// painted (the paint itself runs inside processEvents, before it returns).
void stepUntilPainted(const std::function<void()>& step,
                      const std::function<COrvaneView*()>& view) {
    PaintCounter counter;
    qApp->installEventFilter(&counter);
    step();
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 10000) {
        QApplication::processEvents(QEventLoop::AllEvents);
        COrvaneView* v = view();
        if (v != nullptr && counter.paints > 0 && v->viewport()->isVisible()) break;
    }
    qApp->removeEventFilter(&counter);
    if (counter.paints == 0) std::fprintf(stderr, "  no paint event seen\n");
}

void closeAllWindows(COrvaneApp& app) {
    app.mainFrame()->mdiArea()->closeAllSubWindows();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: gui_speed_bench RED.tif GREEN.tif\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The recent-file list goes to a test location, not to the user's settings.
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    // Absolute: opening a file makes its folder the current directory.
    const QString red = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString green = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    // A file that cannot be opened would stop the run at the program's modal message box.
    for (const QString& path : {red, green})
        if (!QFileInfo(path).isReadable()) {
            std::fprintf(stderr, "gui_speed_bench: cannot read %s\n", qPrintable(path));
            return 2;
        }
    COrvaneApp app;
    if (!app.InitInstance({})) return 1;
    QApplication::processEvents();
    auto activeView = [&] { return app.mainFrame()->activeView(); };

    bench::Table table;
    // What File > Open does once its dialog has returned the file name.
    table.absolute(
        "GUI: File > Open of a 5 um layer to first paint", kLimitMs,
        [&] { stepUntilPainted([&] { app.OpenDocumentFile(red); }, activeView); }, 5,
        [&] { closeAllWindows(app); });
    closeAllWindows(app);

    COrvaneView* view = app.OpenDocumentFile(red);
    if (view == nullptr || !view->OverlayFile(green)) return 1;
    QApplication::processEvents();
    const struct {
        const char* name;
        void (COrvaneView::*before)();
        void (COrvaneView::*command)();
    } switches[] = {
        {"GUI: display switch log to linear, 2 layers", &COrvaneView::OnDisplayLog,
         &COrvaneView::OnDisplayLinear},
        {"GUI: display switch linear to log, 2 layers", &COrvaneView::OnDisplayLinear,
         &COrvaneView::OnDisplayLog},
        {"GUI: display switch inverted/normal, 2 layers", &COrvaneView::OnDisplayLog,
         &COrvaneView::OnDisplayInverted},
    };
    for (const auto& s : switches)
        table.absolute(
            s.name, kLimitMs, [&] { stepUntilPainted([&] { (view->*s.command)(); }, activeView); },
            5,
            [&] {
                (view->*s.before)();
                QApplication::processEvents();
            });
    const int failures = table.print();
    std::printf("%d target(s) missed\n", failures);
    return 0;
}
