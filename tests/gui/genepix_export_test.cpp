// Grid > Export GenePix Results...: the preconditions and messages of Extract Grid Data, the
// single-channel file of one layer, the save dialog, the writer's errors in a message box, and
// a file equal to orvane-batch extract --gpr for the same grid and scans (DateTime aside), also
// with saturated spots flagged; and no command that writes a file writes it over an opened scan.
#include <QAction>
#include <QCheckBox>
#include <QDockWidget>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include "../support/gui_test.h"
#include "app/child_frame.h"
#include "app/main_frame.h"
#include "base/ui/command_ids.h"
#include "measure/ui/selection_pairs_dialog.h"
#include "measure/ui/selection_statistics_dialog.h"
#include "measure/ui/spot_results_widget.h"
#include "view/ui/orvane_doc.h"
#include "view/ui/orvane_view.h"

using namespace orvane;
using namespace orvane::testing_support;

namespace {

const QString kNeedsGrid = "Please define / load grid and select grid display.";

// The file's lines without the DateTime record, which names the moment of writing.
QStringList linesWithoutDateTime(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {"<cannot read " + path + ">"};
    QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n");
    lines.removeIf([](const QString& line) { return line.startsWith("\"DateTime="); });
    return lines;
}

// Spots of different brightness on both channels, so that every column carries a value.
std::uint16_t redSample(std::uint32_t x, std::uint32_t y) {
    return std::uint16_t(300 + 37 * (x % 29) + 11 * y);
}
std::uint16_t greenSample(std::uint32_t x, std::uint32_t y) {
    return std::uint16_t(900 + 13 * x + 5 * (y % 17));
}
// The first spot of the standard grid (centre (100, 100), data radius 8) wholly saturated.
std::uint16_t saturatedRedSample(std::uint32_t x, std::uint32_t y) {
    return x >= 90 && x <= 110 && y >= 90 && y <= 110 ? 65535 : redSample(x, y);
}

// One file of two 16-bit pages, as a scanner writes its two channels.
QString writeTwoPages(const TempDir& dir, const std::string& name, std::uint32_t width,
                      std::uint32_t height, std::uint16_t (*first)(std::uint32_t, std::uint32_t),
                      std::uint16_t (*second)(std::uint32_t, std::uint32_t)) {
    const std::string path = dir.file(name);
    if (!writeTiffPages(path, {greyPage(width, height, first), greyPage(width, height, second)}))
        return {};
    return QString::fromStdString(path);
}

}  // namespace

class GenePixExportTest : public GuiTest {
    Q_OBJECT
private slots:
    void cleanup() {
        setModalDialogHook({});
        GuiTest::cleanup();
        QSettings().clear();  // the saturation setting starts off in every test
    }

    void enabledWithAWindowLikeExtract() {
        auto app = startApp({writeScan(dir_, "enable.tif")});
        CMainFrame* frame = app->mainFrame();
        QVERIFY(frame->action(kGridExportGenePix)->isEnabled());
        QCOMPARE(frame->action(kGridExportGenePix)->isEnabled(),
                 frame->action(kGridExtract)->isEnabled());
        frame->activeChild()->close();
        processDeferredDeletes();
        frame->updateActions();
        QVERIFY(!frame->action(kGridExportGenePix)->isEnabled());
    }

    void needsTheGridDisplayAndWritesOneLayerAsOneChannel() {
        auto app = startApp({writeScan(dir_, "one.tif", 400, 300)});
        CMainFrame* frame = app->mainFrame();
        MessageRecorder messages;
        const QString single = QString::fromStdString(dir_.file("single.gpr"));
        FileDialogScript files({single});
        frame->OnCommand(kGridExportGenePix);
        QCOMPARE(messages.texts, QStringList{kNeedsGrid});
        defineStandardGrid(frame);
        frame->OnCommand(kSelectPoint);  // the grid is hidden: the same message as Extract
        frame->OnCommand(kGridExportGenePix);
        frame->OnCommand(kGridExtract);
        QCOMPARE(messages.texts, (QStringList{kNeedsGrid, kNeedsGrid, kNeedsGrid}));
        // Every refusal came before the save dialog.
        QVERIFY(files.requests.empty());
        frame->OnCommand(kSelectGrid);
        frame->OnCommand(kGridExportGenePix);
        QCOMPARE(messages.texts.size(), 3);
        QCOMPARE(files.requests.size(), std::size_t{1});
        // One layer: the single-channel file, 635 columns only.
        QCOMPARE(QString::fromStdString(linesOf(readFile(single.toStdString())).at(1)),
                 QString("11\t30"));
    }

    void writesWhatOrvaneBatchWrites_data() {
        QTest::addColumn<bool>("twoPages");
        QTest::addColumn<bool>("flagSaturated");
        QTest::newRow("two scans") << false << false;
        QTest::newRow("one scan of two pages") << true << false;
        QTest::newRow("saturated spots flagged") << false << true;
    }

    void writesWhatOrvaneBatchWrites() {
        QFETCH(bool, twoPages);
        QFETCH(bool, flagSaturated);
        QStringList opened, named;  // what Orvane opens, what orvane-batch is given
        if (twoPages) {
            const QString both = writeTwoPages(dir_, "pages.tif", 400, 300, redSample, greenSample);
            opened = {both};
            named = {both + ":1", both + ":2"};
        } else {
            opened = {writeScan(dir_, "red.tif", 400, 300,
                                flagSaturated ? saturatedRedSample : redSample),
                      writeScan(dir_, "green.tif", 400, 300, greenSample)};
            named = opened;
        }
        setQuestionHook([](const QString&) { return true; });  // all pages as layers
        auto app = startApp(opened);
        setQuestionHook({});
        CMainFrame* frame = app->mainFrame();
        QCOMPARE(frame->activeView()->GetDocument()->layerCount(), 2);
        defineStandardGrid(frame);
        // One marked spot, flagged bad in both files; the saturated one too when the Spot
        // Results dock says so.
        frame->activeView()->model().editor().grid().quad(1, 0).Flags(2, 1) |= Marked;
        qobject_cast<CSpotResultsWidget*>(frame->spotResultsDock()->widget())
            ->saturationBox()
            ->setChecked(flagSaturated);

        const QString ours = QString::fromStdString(dir_.file("ours.gpr"));
        const QString grid = QString::fromStdString(dir_.file("grid.grd"));
        {
            FileDialogScript files({grid, ours});
            frame->OnCommand(kGridSave);
            frame->OnCommand(kGridExportGenePix);
            QCOMPARE(files.requests.size(), size_t(2));
            const FileDialogRequest& request = files.requests[1];
            QVERIFY(request.save);
            QCOMPARE(request.filter, QString("GenePix Results (*.gpr)"));
            QCOMPARE(request.defaultSuffix, QString("gpr"));
        }
        const QStringList mine = linesWithoutDateTime(ours);
        QVERIFY2(mine.size() > 24 + 10, qPrintable(mine.join('\n')));  // 24 spots and the header
        QCOMPARE(mine.filter("\t-100\t0\t0").size(), qsizetype(flagSaturated ? 2 : 1));
        // Each layer named by its file and page.
        const QString pages = twoPages ? QString("%1 0\t%1 1").arg(opened[0])
                                       : QString("%1 0\t%2 0").arg(opened[0], opened[1]);
        QVERIFY2(mine.contains("\"ImageFiles=" + pages + "\""),
                 qPrintable(mine.filter("ImageFiles").join('\n')));

        const QString batch = qEnvironmentVariable("ORVANE_BATCH");
        if (batch.isEmpty() || !QFile::exists(batch)) QSKIP("orvane-batch is not built");
        const QString theirs = QString::fromStdString(dir_.file("theirs.gpr"));
        QProcess process;
        const QStringList flag =
            flagSaturated ? QStringList{"--flag-saturated", "10"} : QStringList{};
        process.start(batch,
                      QStringList{"extract", "--gpr", theirs} + flag + QStringList{grid} + named);
        QVERIFY(process.waitForFinished(60000));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
        const QStringList reference = linesWithoutDateTime(theirs);
        for (qsizetype i = 0; i < std::min(mine.size(), reference.size()); ++i)
            QVERIFY2(mine[i] == reference[i],
                     qPrintable(QString("line %1:\n%2\n%3").arg(i).arg(mine[i], reference[i])));
        QCOMPARE(mine.size(), reference.size());
    }

    void writerErrorsGoToAMessageBox() {
        auto app = startApp({writeScan(dir_, "r2.tif", 400, 300, redSample),
                             writeScan(dir_, "g2.tif", 400, 300, greenSample)});
        defineStandardGrid(app->mainFrame());
        MessageRecorder messages;
        FileDialogScript files({QString::fromStdString(dir_.file("no/such/folder/out.gpr"))});
        app->mainFrame()->OnCommand(kGridExportGenePix);
        QCOMPARE(messages.texts, QStringList{"Unable to open file."});
    }

    // Regression: Extract Grid Data, Save Grid, Save Raw Data and the Save Data buttons wrote over
    // whatever file the save dialog named, an opened scan included.
    void noCommandWritesOverAnOpenedScan_data() {
        QTest::addColumn<int>("command");
        QTest::newRow("export genepix") << int(kGridExportGenePix);
        QTest::newRow("extract") << int(kGridExtract);
        QTest::newRow("save grid") << int(kGridSave);
        QTest::newRow("save raw data") << int(kSelectionSaveRaw);
        QTest::newRow("export tiff") << int(kExportTiff);
        QTest::newRow("statistics save data") << int(kSelectionStatistics);
        QTest::newRow("pairs save data") << int(kSelectionPairs);
    }

    void noCommandWritesOverAnOpenedScan() {
        QFETCH(int, command);
        const QString red = writeScan(dir_, "keep_red.tif", 400, 300, redSample);
        const QString green = writeScan(dir_, "keep_green.tif", 400, 300, greenSample);
        auto app = startApp({red, green});
        CMainFrame* frame = app->mainFrame();
        defineStandardGrid(frame);
        frame->activeView()->model().SetSelection({ToolKind::Rectangle, 10, 10, 30, 30});
        const bool selectionCommand = command == kSelectionSaveRaw ||
                                      command == kSelectionStatistics || command == kSelectionPairs;
        if (!selectionCommand) frame->OnCommand(kSelectGrid);
        // The statistics and pairs dialogs are answered with their Save Data button.
        setModalDialogHook([](QDialog& d) {
            if (auto* statistics = qobject_cast<CSelectionStatisticsDialog*>(&d))
                statistics->OnSaveData();
            if (auto* pairs = qobject_cast<CSelectionPairsDialog*>(&d)) pairs->OnSaveData();
            return int(QDialog::Accepted);
        });
        const auto bytes = [&] {
            QFile file(green);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray before = bytes();
        MessageRecorder messages;
        FileDialogScript files({green});
        frame->OnCommand(command);
        QCOMPARE(files.requests.size(), size_t(1));
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY2(messages.texts[0].contains("is an opened image"), qPrintable(messages.texts[0]));
        QVERIFY(bytes() == before);
    }
};

QTEST_MAIN(GenePixExportTest)
#include "genepix_export_test.moc"
