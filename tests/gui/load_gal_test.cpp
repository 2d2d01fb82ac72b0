// The Grid Parameters dialog's Load GAL... button: the fields and the slide map a GenePix Array
// List gives, refusals in a message box with the reader's text and no field changed, the tab
// order, and Define Grid laid out from the loaded layout.
#include <cstdlib>

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "../support/gui_test.h"
#include "app/main_frame.h"
#include "base/ui/command_ids.h"
#include "base/ui/modal_dialog.h"
#include "grid/ui/grid_parameters_dialog.h"
#include "printjob/gal_file.h"
#include "view/ui/orvane_view.h"

using namespace orvane;
using namespace orvane::testing_support;

namespace {

using D = CGridParametersDialog;

// A GAL file of the given block records ("x, y, diameter, nx, xSpacing, ny, ySpacing" in µm)
// and feature rows, written into `dir`.
QString writeGal(const TempDir& dir, const std::string& name, const QStringList& blocks,
                 const QStringList& rows) {
    QString text = QString("ATF\t1.0\r\n%1\t5\r\n").arg(blocks.size() + 3);
    text += "\"Type=GenePix ArrayList V1.0\"\r\n";
    text += QString("\"BlockCount=%1\"\r\n\"BlockType=0\"\r\n").arg(blocks.size());
    for (qsizetype i = 0; i < blocks.size(); ++i)
        text += QString("\"Block%1=%2\"\r\n").arg(i + 1).arg(blocks[i]);
    text += "\"Block\"\t\"Column\"\t\"Row\"\t\"ID\"\t\"Name\"\r\n";
    for (const QString& row : rows) text += row + "\r\n";
    const QString path = QString::fromStdString(dir.file(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write(text.toUtf8());
    return path;
}

// Two blocks side by side, 1.5 mm apart, of 3 x 2 features at 0.2 x 0.25 mm.
QString writeRegularGal(const TempDir& dir) {
    return writeGal(dir, "two_blocks.gal",
                    {"1000, 1000, 100, 3, 200, 2, 250", "2500, 1000, 100, 3, 200, 2, 250"},
                    {"1\t1\t1\tW-1\t\"first well\"", "1\t2\t1\tempty\t\"nothing\"",
                     "2\t3\t2\tW-12\t\"last well\""});
}

QString text(const QDialog& dialog, int id) {
    return dialog.findChild<QLineEdit*>(QString::number(id))->text();
}

QStringList allTexts(const QDialog& dialog) {
    QStringList texts;
    for (const QLineEdit* edit : dialog.findChildren<QLineEdit*>()) texts.append(edit->text());
    return texts;
}

}  // namespace

class LoadGalTest : public GuiTest {
    Q_OBJECT
private slots:
    void cleanup() {
        setModalDialogHook({});
        GuiTest::cleanup();
    }

    void fillsTheFieldsAndAttachesTheMap() {
        CGridParametersDialog dialog{GridParameters{}};
        FileDialogScript files({writeRegularGal(dir_)});
        MessageRecorder messages;
        dialog.findChild<QPushButton*>(QString::number(D::kLoadGal))->click();
        QVERIFY(messages.texts.isEmpty());
        QCOMPARE(files.requests.size(), size_t(1));
        QVERIFY(!files.requests[0].save);
        QCOMPARE(files.requests[0].filter, QString("GenePix Array List Files (*.gal)"));
        const std::pair<int, QString> expected[] = {
            {D::kCellsX, "3"},      {D::kCellsY, "2"},    {D::kStepX, "0.2"}, {D::kStepY, "0.25"},
            {D::kDiamD, "0.1"},     {D::kDiamBg, "0.15"}, {D::kQuadsX, "2"},  {D::kQuadsY, "1"},
            {D::kQuadStepX, "1.5"}, {D::kOriginX, "1"},   {D::kOriginY, "1"}, {D::kZone, "0"},
        };
        for (const auto& [id, value] : expected) {
            QVERIFY2(
                text(dialog, id) == value,
                qPrintable(
                    QString("control %1: %2, expected %3").arg(id).arg(text(dialog, id), value)));
        }
        QVERIFY(dialog.valuesChanged());
        const GridParameters& values = dialog.values();
        QVERIFY(values.slideMap);
        QCOMPARE(values.slideMapCount(), 12);
        QCOMPARE(values.GetSpotRecord(0, 0, 0, 0)->Uid(), std::string("W-1"));
        QCOMPARE(values.GetSpotRecord(0, 0, 0, 0)->Description(), std::string("first well"));
        QCOMPARE(values.GetSpotRecord(1, 0, 2, 1)->Uid(), std::string("W-12"));
        // What the dialog shows is what OK accepts.
        QVERIFY(dialog.readAndValidate());
        QCOMPARE(dialog.values().cellsX, 3);
        QCOMPARE(dialog.values().quadStepX, 1.5);
    }

    void refusalsShowTheReadersTextAndChangeNothing_data() {
        QTest::addColumn<QStringList>("blocks");
        QTest::addColumn<QString>("message");
        QTest::newRow("two blocks in one place")
            << QStringList{"1000, 1000, 100, 3, 200, 2, 250", "2500, 1000, 100, 3, 200, 2, 250",
                           "1100, 1050, 100, 3, 200, 2, 250"}
            << QString(kGalIrregularMessage);
        QTest::newRow("sizes differ")
            << QStringList{"1000, 1000, 100, 3, 200, 2, 250", "2500, 1000, 100, 4, 200, 2, 250"}
            << QString(kGalSizesMessage);
        QTest::newRow("missing file") << QStringList{} << QString("Unable to open file.");
    }

    void refusalsShowTheReadersTextAndChangeNothing() {
        QFETCH(QStringList, blocks);
        QFETCH(QString, message);
        const QString path = blocks.isEmpty() ? QString::fromStdString(dir_.file("none.gal"))
                                              : writeGal(dir_, "refused.gal", blocks, {});
        GridParameters start;
        start.cellsX = 7;
        CGridParametersDialog dialog{start};
        const QStringList before = allTexts(dialog);
        FileDialogScript files({path});
        MessageRecorder messages;
        dialog.OnLoadGal();
        QCOMPARE(messages.texts, QStringList{message});
        QCOMPARE(allTexts(dialog), before);
        QVERIFY(!dialog.valuesChanged());
        QVERIFY(!dialog.values().slideMap);
    }

    void cancelledFileDialogChangesNothing() {
        CGridParametersDialog dialog{GridParameters{}};
        const QStringList before = allTexts(dialog);
        FileDialogScript files({QString()});
        dialog.OnLoadGal();
        QCOMPARE(allTexts(dialog), before);
        QVERIFY(!dialog.valuesChanged());
    }

    void tabOrderTakesLoadGalAfterLoadMap() {
        CGridParametersDialog dialog{GridParameters{}};
        auto* loadMap = dialog.findChild<QPushButton*>(QString::number(D::kLoadMap));
        auto* loadGal = dialog.findChild<QPushButton*>(QString::number(D::kLoadGal));
        QVERIFY(loadGal);
        QCOMPARE(loadGal->text(), QString("Load GAL..."));
        QCOMPARE(loadMap->nextInFocusChain(), static_cast<QWidget*>(loadGal));
        QVERIFY(!loadGal->autoDefault());
    }

    void defineGridLaysOutTheLoadedLayout() {
        auto app = startApp({writeScan(dir_, "slide.tif", 400, 300)});
        CMainFrame* frame = app->mainFrame();
        FileDialogScript files({writeRegularGal(dir_)});
        setModalDialogHook([](QDialog& d) {
            static_cast<CGridParametersDialog&>(d).OnLoadGal();
            d.accept();
            return d.result();
        });
        frame->OnCommand(kGridDefine);
        const SpotGrid& grid = frame->activeView()->model().editor().grid();
        QCOMPARE(grid.parameters.quadsX, 2);
        QVERIFY(grid.quad(0, 0).defined && grid.quad(1, 0).defined);
        // 100 pixels a millimetre: the first feature at (100, 100), the second block 150 right.
        QCOMPARE(grid.quad(0, 0).TL, (GridPoint{100, 100}));
        QCOMPARE(grid.quad(1, 0).TL, (GridPoint{250, 100}));
        QCOMPARE(grid.quad(0, 0).nx, 3);
        // The "empty" well and every spot the GAL does not list are excluded.
        QCOMPARE(grid.quad(0, 0).Flags(1, 0) & Excluded, int(Excluded));
        QCOMPARE(grid.quad(0, 0).Flags(0, 0) & Excluded, 0);
        QCOMPARE(grid.quad(1, 0).Flags(2, 1) & Excluded, 0);
    }

    void defineGridPutsIrregularBlocksWhereTheirRecordsSay() {
        auto app = startApp({writeScan(dir_, "slide.tif", 400, 300)});
        CMainFrame* frame = app->mainFrame();
        FileDialogScript files(
            {writeGal(dir_, "irregular.gal",
                      {"1000, 1000, 100, 3, 200, 2, 250", "2530, 1020, 100, 3, 200, 2, 250",
                       "3980, 990, 100, 3, 200, 2, 250"},
                      {})});
        setModalDialogHook([](QDialog& d) {
            static_cast<CGridParametersDialog&>(d).OnLoadGal();
            d.accept();
            return d.result();
        });
        frame->OnCommand(kGridDefine);
        const SpotGrid& grid = frame->activeView()->model().editor().grid();
        QCOMPARE(grid.parameters.quadsX, 3);
        const GridPoint expected[] = {{100, 100}, {253, 102}, {398, 99}};
        for (int qx = 0; qx < 3; ++qx) {
            const GridPoint tl = grid.quad(qx, 0).TL;
            QVERIFY2(std::abs(tl.x - expected[qx].x) <= 1 && std::abs(tl.y - expected[qx].y) <= 1,
                     qPrintable(QString("quad %1 at %2, %3").arg(qx).arg(tl.x).arg(tl.y)));
        }
    }
};

QTEST_MAIN(LoadGalTest)
#include "load_gal_test.moc"
