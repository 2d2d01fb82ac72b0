// Save Data of the "Selected Data Statistics" and "Selected Data Pairs" dialogs against
// orvane-batch stats and pairs: the selection is made with the mouse tools (or the grid tool's
// spot after Save Grid), the dialog's button writes the file, and orvane-batch, run in this
// process on the same scans and the same drag, must write the same bytes.
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QtTest>

#include "../batch/batch_run.h"
#include "../support/gui_test.h"
#include "../support/temp_dir.h"
#include "../support/test_images.h"
#include "app/main_frame.h"
#include "base/ui/command_ids.h"
#include "base/ui/modal_dialog.h"
#include "grid/ui/grid_parameters_dialog.h"
#include "view/ui/orvane_view.h"

using namespace orvane;
using namespace orvane::testing_support;

namespace {

// Three layers with the extremes 0 and 65535 in them and no two layers alike, so that a file
// written from the wrong layer, pixel or order differs.
std::uint16_t layerSample(int layer, std::uint32_t x, std::uint32_t y) {
    switch (layer) {
    case 0: return x == 0 ? 0 : y == 0 ? 65535 : std::uint16_t((97 * x + 131 * y) % 65536);
    case 1: return std::uint16_t((x * y * 37 + 11) % 65536);
    default: return std::uint16_t(65535 - 50 * x - y);
    }
}

QStringList writeScans(const TempDir& dir, int layers, std::uint32_t width, std::uint32_t height) {
    QStringList paths;
    for (int k = 0; k < layers; ++k) {
        paths << writeScan(dir, "layer" + std::to_string(k) + ".tif", width, height,
                           [k](std::uint32_t x, std::uint32_t y) { return layerSample(k, x, y); });
    }
    return paths;
}

std::vector<std::string> batchArguments(std::initializer_list<std::string> head,
                                        const QStringList& scans) {
    std::vector<std::string> args(head);
    for (const QString& scan : scans) args.push_back(scan.toStdString());
    return args;
}

// The first line where the two texts differ, or an empty string when they are equal.
QString firstDifference(const std::string& actual, const std::string& expected) {
    if (actual == expected) return {};
    std::istringstream a(actual), e(expected);
    std::string la, le;
    for (int line = 1;; ++line) {
        const bool moreA = bool(std::getline(a, la));
        const bool moreE = bool(std::getline(e, le));
        if (!moreA && !moreE) return "the files differ only in their line ends";
        if (!moreA || !moreE || la != le) {
            return QString("line %1: dialog \"%2\", orvane-batch \"%3\"")
                .arg(line)
                .arg(moreA ? QString::fromStdString(la) : "(end of file)")
                .arg(moreE ? QString::fromStdString(le) : "(end of file)");
        }
    }
}

void mouse(COrvaneView* view, QEvent::Type type, QPoint pos, Qt::MouseButton button,
           Qt::MouseButtons held) {
    QWidget* w = view->viewport();
    QMouseEvent event(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// A drag with the left button from `from` to `to`, in window points (the view is not scrolled).
void dragWith(COrvaneView* view, QPoint from, QPoint to) {
    mouse(view, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    mouse(view, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
    mouse(view, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    mouse(view, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

// Opens the dialog of `command`, presses its Save Data button (the save dialog answered with
// `path`) and closes it.
void saveDataThroughDialog(CMainFrame* frame, int command, const QString& path) {
    FileDialogScript files({path});
    bool pressed = false;
    DialogScript script([&](QDialog& d) {
        for (auto* button : d.findChildren<QPushButton*>()) {
            if (button->text() != "Save Data") continue;
            button->click();
            pressed = true;
        }
        return int(QDialog::Accepted);
    });
    frame->OnCommand(command);
    QVERIFY2(pressed, "the dialog has no Save Data button");
    QCOMPARE(files.requests.size(), std::size_t(1));
}

struct AreaCase {
    int toolCommand;
    const char* option;
    QPoint from, to;
};

}  // namespace

class SelectionSaveDataTest : public GuiTest {
    Q_OBJECT
private:
    void compareWithBatch(const QString& written, const std::vector<std::string>& batchArgs) {
        const std::string expected = dir_.file("batch.txt");
        std::vector<std::string> args = batchArgs;
        args.insert(args.begin() + 1, {"-o", expected});
        const batch::RunResult result = batch::run(args);
        QVERIFY2(result.status == 0, result.err.c_str());
        const QString difference =
            firstDifference(readFile(written.toStdString()), readFile(expected));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    void areaRows(const char* command, int minLayers) {
        QTest::addColumn<int>("layers");
        QTest::addColumn<int>("toolCommand");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        // The scans are 61 x 43 pixels in a 500 x 400 window.
        const std::vector<std::pair<const char*, AreaCase>> cases = {
            {"rectangle", {kSelectRectangle, "--rect", {5, 4}, {30, 20}}},
            {"rectangle dragged up and left", {kSelectRectangle, "--rect", {30, 20}, {5, 4}}},
            {"rectangle past the right and bottom edges",
             {kSelectRectangle, "--rect", {40, 25}, {90, 70}}},
            {"rectangle over the whole scan", {kSelectRectangle, "--rect", {0, 0}, {60, 42}}},
            {"circle by diameter",
             {kSelectCircleDiameter, "--circle-diameter", {10, 10}, {31, 22}}},
            {"circle by diameter, vertical",
             {kSelectCircleDiameter, "--circle-diameter", {20, 3}, {20, 30}}},
            {"circle by radius at the corner",
             {kSelectCircleRadius, "--circle-radius", {2, 3}, {12, 9}}},
            {"circle by radius past the edge",
             {kSelectCircleRadius, "--circle-radius", {55, 38}, {45, 30}}},
        };
        // Every shape with three layers; the first and the corner circle also with fewer, whose
        // files have fewer columns.
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const auto& [name, c] = cases[i];
            const bool everyCount = i == 0 || c.toolCommand == kSelectCircleRadius;
            for (int layers = everyCount ? minLayers : 3; layers <= 3; ++layers) {
                QTest::addRow("%s, %s, %d layers", command, name, layers)
                    << layers << c.toolCommand << QString(c.option) << c.from << c.to;
            }
        }
    }

    // Opens the scans, drags the selection, saves through the dialog of `dialogCommand` and
    // compares with orvane-batch `batchCommand`.
    void areaSaveData(int dialogCommand, const std::string& batchCommand) {
        QFETCH(int, layers);
        QFETCH(int, toolCommand);
        QFETCH(QString, option);
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        const QStringList scans = writeScans(dir_, layers, 61, 43);
        bool started = false;
        auto app = startApp(scans, &started);
        QVERIFY(started);
        CMainFrame* frame = app->mainFrame();
        COrvaneView* view = frame->activeView();
        view->parentWidget()->resize(500, 400);
        QApplication::processEvents();
        MessageRecorder messages;
        frame->OnCommand(toolCommand);
        dragWith(view, from, to);
        const QString written = QString::fromStdString(dir_.file("dialog.txt"));
        saveDataThroughDialog(frame, dialogCommand, written);
        if (QTest::currentTestFailed()) return;
        QVERIFY2(messages.texts.isEmpty(), qPrintable(messages.texts.join("; ")));
        const std::string corners = QString("%1,%2,%3,%4")
                                        .arg(from.x())
                                        .arg(from.y())
                                        .arg(to.x())
                                        .arg(to.y())
                                        .toStdString();
        compareWithBatch(written,
                         batchArguments({batchCommand, option.toStdString(), corners}, scans));
    }

    // A 2 x 1 grid of 4 x 3 spots on 100 pixels per millimetre, adjusted so that the spots sit
    // off their nominal places; the selected spot goes to orvane-batch through Save Grid.
    void spotSaveData(int dialogCommand, const std::string& batchCommand) {
        QFETCH(int, layers);
        QFETCH(int, column);
        QFETCH(int, row);
        const QStringList scans = writeScans(dir_, layers, 400, 300);
        bool started = false;
        auto app = startApp(scans, &started);
        QVERIFY(started);
        CMainFrame* frame = app->mainFrame();
        COrvaneView* view = frame->activeView();
        view->parentWidget()->resize(500, 400);
        QApplication::processEvents();
        MessageRecorder messages;
        {
            using D = CGridParametersDialog;
            const std::map<int, QString> texts = {
                {D::kCellsX, "4"},  {D::kCellsY, "3"},  {D::kStepX, "0.3"},    {D::kStepY, "0.3"},
                {D::kOriginX, "1"}, {D::kOriginY, "1"}, {D::kDiamD, "0.16"},   {D::kDiamBg, "0.24"},
                {D::kQuadsX, "2"},  {D::kQuadsY, "1"},  {D::kQuadStepX, "1.5"}};
            DialogScript define([&](QDialog& d) {
                for (const auto& [id, text] : texts)
                    d.findChild<QLineEdit*>(QString::number(id))->setText(text);
                d.accept();
                return d.result();
            });
            frame->OnCommand(kGridDefine);
        }
        frame->OnCommand(kGridAdjustCM);
        // Quad [1][0]: the spot's quad must reach orvane-batch too.
        const GridQuad& quad = view->model().editor().grid().quad(1, 0);
        const GridPoint centre = *quad.SpotCentre(column, row);
        mouse(view, QEvent::MouseButtonPress, {centre.x, centre.y}, Qt::LeftButton, Qt::LeftButton);
        mouse(view, QEvent::MouseButtonRelease, {centre.x, centre.y}, Qt::LeftButton, Qt::NoButton);
        QVERIFY(view->model().editor().SelectedGridSpot().has_value());
        const QString grid = QString::fromStdString(dir_.file("spot.grd"));
        {
            FileDialogScript files({grid});
            frame->OnCommand(kGridSave);
        }
        const QString written = QString::fromStdString(dir_.file("dialog.txt"));
        saveDataThroughDialog(frame, dialogCommand, written);
        if (QTest::currentTestFailed()) return;
        QVERIFY2(messages.texts.isEmpty(), qPrintable(messages.texts.join("; ")));
        const std::string spot = "1,0," + std::to_string(column) + "," + std::to_string(row);
        compareWithBatch(
            written,
            batchArguments({batchCommand, "--spot", spot, "--grid", grid.toStdString()}, scans));
    }

    void spotRows(int minLayers) {
        QTest::addColumn<int>("layers");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        // A press on a corner spot grabs the corner mark instead: these are the spots beside
        // the corners and one inside.
        for (int layers = minLayers; layers <= 3; ++layers)
            QTest::addRow("inner spot, %d layers", layers) << layers << 2 << 1;
        QTest::addRow("first row, 3 layers") << 3 << 1 << 0;
        QTest::addRow("last column, 3 layers") << 3 << 3 << 1;
        QTest::addRow("last row, 3 layers") << 3 << 2 << 2;
    }

private slots:
    // No file of an earlier row may stand in for one that was not written.
    void init() {
        QFile::remove(QString::fromStdString(dir_.file("dialog.txt")));
        QFile::remove(QString::fromStdString(dir_.file("batch.txt")));
    }

    void statisticsOfAnAreaEqualBatchStats_data() { areaRows("stats", 1); }
    void statisticsOfAnAreaEqualBatchStats() { areaSaveData(kSelectionStatistics, "stats"); }

    void pairsOfAnAreaEqualBatchPairs_data() { areaRows("pairs", 2); }
    void pairsOfAnAreaEqualBatchPairs() { areaSaveData(kSelectionPairs, "pairs"); }

    void statisticsOfAGridSpotEqualBatchStats_data() { spotRows(1); }
    void statisticsOfAGridSpotEqualBatchStats() { spotSaveData(kSelectionStatistics, "stats"); }

    void pairsOfAGridSpotEqualBatchPairs_data() { spotRows(2); }
    void pairsOfAGridSpotEqualBatchPairs() { spotSaveData(kSelectionPairs, "pairs"); }
};

QTEST_MAIN(SelectionSaveDataTest)
#include "selection_save_data_test.moc"
