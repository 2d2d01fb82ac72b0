// The GUI soak test: random user actions from a fixed seed over image windows of a demo slide
// with the review docks open, each followed by the invariants a user relies on. A failure names
// its seed and step; the same seed repeats the same sequence.
//   ORVANE_SOAK_SEED     the seed (1)
//   ORVANE_SOAK_STEPS    the number of actions (5000); set by hand it also lifts the time limit
//   ORVANE_SOAK_SECONDS  the time limit (30 s unless ORVANE_SOAK_STEPS is set)
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <iostream>
#include <random>
#include <utility>

#include <unistd.h>
#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QtTest>

#include "../support/gui_test.h"
#include "demo_slide_files.h"
#include "demo_slide_plan.h"
#include "document/tiff_messages.h"
#include "grid/grid_file.h"
#include "measure/ui/find_dialog.h"
#include "measure/ui/mark_not_found_dialog.h"
#include "measure/ui/spot_plot_widget.h"
#include "measure/ui/spot_results_widget.h"
#include "measure/ui/spot_review.h"
#include "view/ui/image_commands.h"
#include "view/ui/orvane_doc.h"
#include "view/ui/orvane_view.h"

#if defined(__has_include) && __has_include(<sanitizer/common_interface_defs.h>)
#include <sanitizer/common_interface_defs.h>
#define ORVANE_HAS_SANITIZER_CALLBACK 1
#endif

using namespace orvane;
using namespace orvane::testing_support;

namespace {

// Long runs by hand outlast QtTest's five-minute watchdog.
[[maybe_unused]] const bool kWatchdogForLongRuns = [] {
    if (qEnvironmentVariableIsSet("ORVANE_SOAK_STEPS") &&
        !qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", "86400000");
    return true;
}();

// What the process was doing, written out if it dies (a sanitizer report, a crash).
char gDoing[256] = "soak: setting up\n";

void sayWhatWasDoing() {
    const ssize_t ignored = write(STDERR_FILENO, gDoing, std::strlen(gDoing));
    (void)ignored;
}

void onFatalSignal(int signal) {
    sayWhatWasDoing();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

std::uint64_t envNumber(const char* name, std::uint64_t fallback) {
    const QByteArray text = qgetenv(name);
    bool ok = false;
    const std::uint64_t value = text.toULongLong(&ok);
    return ok ? value : fallback;
}

// Every spot flag but the selection, quad by quad: what X, R, Find and the marks change.
std::vector<std::uint8_t> marksOf(const SpotGrid& grid) {
    std::vector<std::uint8_t> marks;
    for (std::int32_t qx = 0; qx < kMaxQuadsX; ++qx)
        for (std::int32_t qy = 0; qy < kMaxQuadsY; ++qy) {
            const GridQuad& q = grid.quad(qx, qy);
            for (std::int32_t i = 0; q.flags && i < q.count; ++i)
                marks.push_back(static_cast<std::uint8_t>(q.flags[i] & ~Selected));
        }
    return marks;
}

std::int64_t spotsInUse(const SpotGrid& grid) {
    std::int64_t n = 0;
    for (std::int32_t qx = 0; qx < grid.parameters.quadsX && qx < kMaxQuadsX; ++qx)
        for (std::int32_t qy = 0; qy < grid.parameters.quadsY && qy < kMaxQuadsY; ++qy)
            if (grid.InUse(qx, qy) && grid.quad(qx, qy).defined != 0)
                n += std::int64_t{grid.quad(qx, qy).nx} * grid.quad(qx, qy).ny;
    return n;
}

}  // namespace

class SoakTest : public GuiTest {
    Q_OBJECT

    QString red_, green_, map_;
    std::mt19937_64 random_;
    std::unique_ptr<COrvaneApp> app_;
    CMainFrame* frame_ = nullptr;
    CSpotResultsWidget* table_ = nullptr;
    CSpotPlotWidget* plot_ = nullptr;
    std::deque<QString> recent_;  // the last actions, for the failure message
    QString problem_;
    bool saturationTouched_ = false;  // the saturation setting was changed in this step

    int below(int n) { return n <= 1 ? 0 : static_cast<int>(random_() % static_cast<unsigned>(n)); }
    bool chance(int percent) { return below(100) < percent; }
    COrvaneView* view() const { return frame_->activeView(); }
    void fail(const QString& what) {
        if (problem_.isEmpty()) problem_ = what;
    }

    // --- The user's answers to the dialogs -------------------------------------------------
    QString answerFile(const FileDialogRequest& r) {
        const QString suffix = r.defaultSuffix.toLower();
        if (suffix == "tif" && !r.save) return r.initialName.isEmpty() ? red_ : green_;
        if (suffix == "txt" && !r.save) return map_;
        if (suffix == "grd") return QString::fromStdString(dir_.file("soak.grd"));
        if (suffix == "tsv") return QString::fromStdString(dir_.file("soak.tsv"));
        return {};
    }

    int answerDialog(QDialog& d) {
        if (auto* grid = qobject_cast<CGridParametersDialog*>(&d)) {
            grid->OnLoadMap();
            d.accept();
        } else if (auto* find = qobject_cast<CFindDialog*>(&d)) {
            static const char* const kPatterns[] = {"GAPDH", "ACT", "p", "NA", "zz"};
            find->patternEdit()->setText(kPatterns[below(5)]);
            d.accept();
        } else if (qobject_cast<CMarkNotFoundDialog*>(&d)) {
            d.accept();
        } else {
            d.reject();
        }
        return d.result();
    }

    // --- Actions ---------------------------------------------------------------------------
    void clickSpot() {
        const SpotGrid& grid = view()->model().editor().grid();
        const int qx = below(grid.parameters.quadsX), qy = below(grid.parameters.quadsY);
        const GridQuad& q = grid.quad(qx, qy);
        if (q.defined == 0 || q.nx < 1 || q.ny < 1) return;
        const std::optional<GridPoint> c = q.SpotCentre(below(q.nx), below(q.ny));
        if (!c) return;
        if (chance(50)) view()->EnsureVisible(QPoint(c->x, c->y));
        const QPoint at = view()->toWindow(QPoint(c->x, c->y));
        QWidget* port = view()->viewport();
        sendMouse(port, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        sendMouse(port, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }

    void dragCorner() {
        COrvaneView* v = view();
        const SpotGrid& grid = v->model().editor().grid();
        const GridQuad& q = grid.quad(below(grid.parameters.quadsX), below(grid.parameters.quadsY));
        if (q.defined == 0) return;
        const GridPoint corners[] = {q.TL, q.TR, q.BL, q.BR};
        const GridPoint c = corners[below(4)];
        v->EnsureVisible(QPoint(c.x, c.y));
        const QPoint press = v->toWindow(QPoint(c.x, c.y)) + QPoint(below(7) - 3, below(7) - 3);
        const Qt::KeyboardModifiers shift = chance(50) ? Qt::ShiftModifier : Qt::NoModifier;
        QWidget* port = v->viewport();
        sendMouse(port, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton, shift);
        QPoint at = press;
        for (int i = below(4); i >= 0; --i) {
            at += QPoint(below(41) - 20, below(41) - 20);
            sendMouse(port, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton, shift);
        }
        sendMouse(port, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton, shift);
    }

    void scroll() {
        for (QScrollBar* bar : {view()->horizontalScrollBar(), view()->verticalScrollBar()})
            bar->setValue(bar->minimum() + below(bar->maximum() - bar->minimum() + 1));
    }

    std::string gridBytes(const COrvaneView* v) {
        const std::string path = dir_.file("round-trip.grd");
        SaveGrid(v->model().editor().grid(), path);
        return readFile(path);
    }

    // Undo or Redo; sometimes both, which must give back the grid file's very bytes.
    void undoRedo(int first) {
        COrvaneView* v = view();
        const int second = first == kEditUndo ? kEditRedo : kEditUndo;
        const bool both = chance(30) && (first == kEditUndo ? v->model().history().CanUndo()
                                                            : v->model().history().CanRedo());
        const std::string before = both ? gridBytes(v) : std::string();
        frame_->OnCommand(first);
        if (!both) return;
        frame_->OnCommand(second);
        if (gridBytes(v) != before) fail("Undo and Redo did not give the grid back");
    }

    void key() {
        COrvaneView* v = view();
        const std::vector<std::uint8_t> before = marksOf(v->model().editor().grid());
        const GridEditor& e = v->model().editor();
        const bool marking = chance(80);
        // Keys wait while the grid is not yet drawn on a new window, as they always have.
        const bool selected = e.tool() == ToolKind::Grid && e.currentQuad().HasSelection() &&
                              e.overlayShown() && !e.dragging();
        const std::int32_t selIndex =
            selected ? e.currentQuad().selRow * e.currentQuad().nx + e.currentQuad().selCol : -1;
        QTest::keyClick(v, marking ? Qt::Key_X : Qt::Key_R);
        if (!marking || !selected) return;
        // A mark changes the selected spot and nothing else.
        std::size_t offset = 0, changed = 0;
        const std::vector<std::uint8_t> after = marksOf(e.grid());
        for (std::int32_t qx = 0; qx < kMaxQuadsX; ++qx)
            for (std::int32_t qy = 0; qy < kMaxQuadsY; ++qy) {
                const GridQuad& q = e.grid().quad(qx, qy);
                for (std::int32_t i = 0; q.flags && i < q.count; ++i, ++offset) {
                    if (before[offset] == after[offset]) continue;
                    ++changed;
                    if (qx != e.selectedQuadX() || qy != e.selectedQuadY() || i != selIndex)
                        fail("X changed a spot that was not selected");
                }
            }
        if (changed != 1) fail(QString("X changed %1 spots").arg(changed));
    }

    void tableAction() {
        QTableView* table = table_->table();
        const std::optional<SpotIndex> before = viewSelection();
        switch (below(6)) {
        case 0: {
            if (table->model()->rowCount() == 0) return;
            table->selectRow(below(table->model()->rowCount()));
            return;  // the user's choice: the view follows
        }
        case 1:
            table->sortByColumn(below(table->model()->columnCount()),
                                chance(50) ? Qt::AscendingOrder : Qt::DescendingOrder);
            break;
        case 2: {
            static const char* const kWords[] = {"GAPDH", "P0", "NA", "kinase", "B07", ""};
            const QString word = kWords[below(6)];
            table_->filterEdit()->clear();
            for (int i = 1; i <= word.size(); ++i) table_->filterEdit()->setText(word.left(i));
            break;
        }
        case 3: table_->marksBox()->setCurrentIndex(below(3)); break;
        case 4:
            // Mostly the threshold near where saturated spots begin to count, sometimes off.
            table_->saturationPercentBox()->setValue(below(21));
            table_->saturationBox()->setChecked(chance(70));
            saturationTouched_ = true;
            break;
        default: table_->saveButton()->click(); break;
        }
        if (viewSelection() != before) fail("the table changed the view's selection by itself");
    }

    void plotAction() {
        const QRect r = plot_->plotRect();
        if (r.width() < 4 || r.height() < 4) return;
        const QPoint a(r.left() + below(r.width()), r.top() + below(r.height()));
        const QPoint b =
            chance(50) ? a : QPoint(r.left() + below(r.width()), r.top() + below(r.height()));
        sendMouse(plot_, QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
        if (b != a) sendMouse(plot_, QEvent::MouseMove, b, Qt::NoButton, Qt::LeftButton);
        sendMouse(plot_, QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
    }

    struct Action {
        const char* name;
        int weight;
        std::function<void()> run;
    };

    std::vector<Action> actions() {
        const auto command = [this](int id) { return [this, id] { frame_->OnCommand(id); }; };
        return {
            {"open", 2, command(kFileOpen)},
            {"overlay", 2, command(kOverlayImage)},
            {"new window", 2, command(kWindowNew)},
            {"close window", 2, command(kFileClose)},
            {"zoom in", 6, command(kZoomIn)},
            {"zoom out", 6, command(kZoomOut)},
            {"fit", 3, command(kZoomFit)},
            {"actual pixels", 3, command(kZoomActual)},
            {"scroll", 6, [this] { scroll(); }},
            {"define grid", 3, command(kGridDefine)},
            {"save grid", 1, command(kGridSave)},
            {"load grid", 1, command(kGridLoad)},
            {"grid tool", 2, command(kSelectGrid)},
            {"rectangle tool", 1, command(kSelectRectangle)},
            {"drag", 10, [this] { dragCorner(); }},
            {"adjust 2DW", 1, command(kGridAdjust2DW)},
            {"adjust 1DW", 1, command(kGridAdjust1DW)},
            {"adjust CM", 1, command(kGridAdjustCM)},
            {"auto place", 1, command(kGridAutoPlace)},
            {"click spot", 14, [this] { clickSpot(); }},
            {"key", 10, [this] { key(); }},
            {"find", 2, command(kGridFind)},
            {"mark not found", 2, command(kGridMarkNotFound)},
            {"table", 20, [this] { tableAction(); }},
            {"plot", 8, [this] { plotAction(); }},
            {"undo", 8, [this] { undoRedo(kEditUndo); }},
            {"redo", 4, [this] { undoRedo(kEditRedo); }},
        };
    }

    // --- Invariants ------------------------------------------------------------------------
    std::optional<SpotIndex> viewSelection() const {
        COrvaneView* v = view();
        if (!v) return std::nullopt;
        const GridEditor& e = v->model().editor();
        const GridQuad& q = e.currentQuad();
        if (e.tool() != ToolKind::Grid || !q.HasSelection()) return std::nullopt;
        return SpotIndex{e.selectedQuadX(), e.selectedQuadY(), q.selCol, q.selRow};
    }

    void checkInvariants() {
        const std::shared_ptr<const SpotResults> results = frame_->spotReview()->results();
        const QAbstractItemModel* model = table_->proxy()->sourceModel();
        COrvaneView* v = view();
        if (!v || !results) {
            if (model->rowCount() != 0) fail("the table lists spots of no grid");
            if (v && v->model().editor().currentQuad().defined != 0)
                fail("a defined grid without results");
            return;
        }
        const SpotGrid& grid = v->model().editor().grid();
        if (static_cast<std::int64_t>(results->spots.size()) != spotsInUse(grid))
            fail(QString("the table lists %1 spots, the grid has %2 in use")
                     .arg(results->spots.size())
                     .arg(spotsInUse(grid)));
        if (model->rowCount() != static_cast<int>(results->spots.size()))
            fail("the table's rows are not the results");
        const std::optional<SpotIndex> chosen = viewSelection();
        const std::optional<std::size_t> row = table_->selectedSpot();
        std::optional<std::size_t> expected;
        for (std::size_t i = 0; chosen && i < results->spots.size(); ++i)
            if (results->spots[i].index() == *chosen &&
                table_->proxy()->mapFromSource(model->index(static_cast<int>(i), 0)).isValid())
                expected = i;
        if (row != expected) {
            const auto text = [](std::optional<std::size_t> i) {
                return i ? QString::number(*i) : QString("none");
            };
            const GridEditor& e = v->model().editor();
            fail(QString("the selected row is not the selected spot (row of spot %1, expected %2; "
                         "tool %3, quad (%4, %5) selection %6)")
                     .arg(text(row), text(expected))
                     .arg(static_cast<int>(e.tool()))
                     .arg(e.selectedQuadX())
                     .arg(e.selectedQuadY())
                     .arg(e.currentQuad().HasSelection()));
        }
        checkFlagsColumn(*results, grid, row);
    }

    // The Flags column shows the grid's flags now and "saturated" by the setting shown: three
    // rows a step (the selected one first), every row after the setting changed.
    void checkFlagsColumn(const SpotResults& results, const SpotGrid& grid,
                          std::optional<std::size_t> row) {
        const std::optional<double> threshold =
            table_->saturationBox()->isChecked()
                ? std::optional<double>(table_->saturationPercentBox()->value())
                : std::nullopt;
        const std::size_t n = results.spots.size();
        const bool everyRow = std::exchange(saturationTouched_, false);
        for (std::size_t k = 0; k < (everyRow ? n : 3) && n > 0; ++k) {
            const std::size_t i = everyRow ? k
                                  : row && k == 0
                                      ? *row
                                      : static_cast<std::size_t>(below(static_cast<int>(n)));
            SpotResult now = results.spots[i];
            const GridQuad& q = grid.quad(now.qx, now.qy);
            if (!q.ValidSpot(now.col, now.row)) continue;
            now.flags = q.Flags(now.col, now.row);
            now.saturated = threshold && IsSpotSaturated(now, results.layerCount, *threshold);
            const QString shown =
                table_->proxy()->sourceModel()->index(static_cast<int>(i), 3).data().toString();
            if (shown != QString::fromStdString(SpotStateWords(now)))
                return fail("the Flags column is stale");
        }
    }

private slots:
    void initTestCase() {
        GuiTest::initTestCase();
        setTiffMessageSink({});
        demo::DemoOptions options;
        options.pixelUm = 20.0;  // the demo's layout on a quarter of the 10 um pixels
        options.outDir = dir_.file("slide");
        demo::writeDemoSlide(demo::planDemoSlide(options));
        red_ = QString::fromStdString(options.outDir + "/" + demo::kChannelFile[0]);
        green_ = QString::fromStdString(options.outDir + "/" + demo::kChannelFile[1]);
        map_ = QString::fromStdString(options.outDir + "/" + demo::kMapFile);
        std::signal(SIGSEGV, onFatalSignal);
        std::signal(SIGABRT, onFatalSignal);
#ifdef ORVANE_HAS_SANITIZER_CALLBACK
        __sanitizer_set_death_callback(sayWhatWasDoing);
#endif
    }

    void randomUserActions() {
        const std::uint64_t seed = envNumber("ORVANE_SOAK_SEED", 1);
        const bool byHand = qEnvironmentVariableIsSet("ORVANE_SOAK_STEPS");
        const std::uint64_t steps = envNumber("ORVANE_SOAK_STEPS", 5000);
        const std::uint64_t seconds = envNumber("ORVANE_SOAK_SECONDS", byHand ? 0 : 30);
        random_.seed(seed);

        MessageRecorder messages;  // refusals ("Please define / load grid.") are expected
        // Load Map lists the map's pin and zone lines as unknown parameters on standard output,
        // thousands of lines a time.
        std::cout.setstate(std::ios::failbit);
        DialogScript dialogs([this](QDialog& d) { return answerDialog(d); });
        setFileDialogHook([this](const FileDialogRequest& r) { return answerFile(r); });
        setSaveQuestionHook([this](const QString&) { return static_cast<SaveAnswer>(below(3)); });
        app_ = startApp({red_});
        frame_ = app_->mainFrame();
        QVERIFY(frame_->activeView());
        QVERIFY(OverlayFile(frame_->activeView()->window(), green_));
        table_ = qobject_cast<CSpotResultsWidget*>(frame_->spotResultsDock()->widget());
        plot_ = qobject_cast<CSpotPlotWidget*>(frame_->spotPlotDock()->widget());
        frame_->spotResultsDock()->show();
        frame_->spotPlotDock()->show();
        QAbstractItemModelTester modelTester(
            table_->proxy()->sourceModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester proxyTester(
            table_->proxy(), QAbstractItemModelTester::FailureReportingMode::QtTest);

        const std::vector<Action> all = actions();
        int total = 0;
        for (const Action& a : all) total += a.weight;
        QElapsedTimer clock;
        clock.start();
        std::uint64_t step = 0;
        for (; step < steps && (seconds == 0 || clock.elapsed() < qint64(seconds) * 1000); ++step) {
            int pick = below(total);
            const Action* action = &all.front();
            for (const Action& a : all)
                if ((pick -= a.weight) < 0) {
                    action = &a;
                    break;
                }
            std::snprintf(gDoing, sizeof gDoing, "soak: seed %llu, step %llu: %s\n",
                          static_cast<unsigned long long>(seed),
                          static_cast<unsigned long long>(step), action->name);
            recent_.push_back(action->name);
            if (recent_.size() > 12) recent_.pop_front();
            // Actions that need a window get one: a user would open a scan first.
            if (!view() && action->run) frame_->OnCommand(kFileOpen);
            if (view()) action->run();
            QCoreApplication::processEvents();
            processDeferredDeletes();
            checkInvariants();
            if (!problem_.isEmpty() || QTest::currentTestFailed()) {
                QStringList last(recent_.begin(), recent_.end());
                QFAIL(qPrintable(QString("%1 (seed %2, step %3; last actions: %4)")
                                     .arg(problem_.isEmpty() ? "model tester failure" : problem_)
                                     .arg(seed)
                                     .arg(step)
                                     .arg(last.join(", "))));
            }
        }
        std::printf("soak: seed %llu, %llu actions in %.1f s, %lld messages\n",
                    static_cast<unsigned long long>(seed), static_cast<unsigned long long>(step),
                    clock.elapsed() / 1000.0, static_cast<long long>(messages.texts.size()));
        std::cout.clear();
        setFileDialogHook({});
        setSaveQuestionHook([](const QString&) { return SaveAnswer::Discard; });
        app_.reset();
        processDeferredDeletes();
    }
};

QTEST_MAIN(SoakTest)
#include "soak_test.moc"
