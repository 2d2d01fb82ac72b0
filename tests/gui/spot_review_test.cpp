// The Spot Results and Spot Plot docks on a small grid: the table's link to the view both ways,
// sorting and filtering, Save... against orvane-batch results, Mark Spots Not Found, the plot's
// click and rectangle.
#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QtTest>

#include "../batch/batch_run.h"
#include "../support/gui_test.h"
#include "../support/temp_dir.h"
#include "app/main_frame.h"
#include "base/ui/command_ids.h"
#include "grid/grid_file.h"
#include "measure/ui/mark_not_found_dialog.h"
#include "measure/ui/saturation_setting.h"
#include "measure/ui/spot_plot_widget.h"
#include "measure/ui/spot_results_widget.h"
#include "measure/ui/spot_review.h"
#include "view/ui/image_commands.h"
#include "view/ui/orvane_view.h"
#include "view/ui/window_panes.h"

using namespace orvane;
using namespace orvane::testing_support;

namespace {

// Spot (col, row) of quad qx is as bright as 500 + 200 x (its number in the grid) on layer 0 and
// half that on layer 1 over its whole data disc, on a background of 100; the last spot of each
// quad is not printed. A fifth of the first spot's disc is saturated on layer 1, which leaves
// its medians as they are.
std::uint16_t sample(int layer, std::uint32_t x, std::uint32_t y) {
    const int qx = x >= 235 ? 1 : 0;
    const int col = (static_cast<int>(x) - 100 - 150 * qx + 15) / 30;
    const int row = (static_cast<int>(y) - 100 + 15) / 30;
    if (col < 0 || col > 3 || row < 0 || row > 2 || (col == 3 && row == 2)) return 100;
    const int cx = 100 + 150 * qx + 30 * col, cy = 100 + 30 * row;
    const int dx = static_cast<int>(x) - cx, dy = static_cast<int>(y) - cy;
    if (dx * dx + dy * dy > 81) return 100;  // covers the data disc of radius 8
    if (layer == 1 && qx == 0 && col == 0 && row == 0 && dx >= 4) return 65535;
    const int level = 500 + 200 * (qx * 12 + row * 4 + col);
    return static_cast<std::uint16_t>(layer == 0 ? level : level / 2);
}

QPoint spotCentre(int qx, int col, int row) { return {100 + 150 * qx + 30 * col, 100 + 30 * row}; }

void click(QWidget* w, QPoint p) {
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(w, &event);
    }
}

}  // namespace

class SpotReviewTest : public QObject {
    Q_OBJECT
private:
    TempDir dir_;
    std::unique_ptr<COrvaneApp> app_;
    CMainFrame* frame_ = nullptr;
    COrvaneView* view_ = nullptr;
    CSpotResultsWidget* table_ = nullptr;
    CSpotPlotWidget* plot_ = nullptr;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers_;

    std::size_t indexOf(const SpotIndex& spot) const {
        const auto& spots = frame_->spotReview()->results()->spots;
        for (std::size_t i = 0; i < spots.size(); ++i)
            if (spots[i].index() == spot) return i;
        return spots.size();
    }

private slots:
    void initTestCase() { isolateSettings(dir_); }

    void init() {
        const QString red =
            writeScan(dir_, "red.tif", 400, 300,
                      [](std::uint32_t x, std::uint32_t y) { return sample(0, x, y); });
        const QString green =
            writeScan(dir_, "green.tif", 400, 300,
                      [](std::uint32_t x, std::uint32_t y) { return sample(1, x, y); });
        app_ = startApp({red});
        frame_ = app_->mainFrame();
        view_ = frame_->activeView();
        QVERIFY(OverlayFile(view_->window(), green));
        view_->parentWidget()->resize(300, 200);
        defineStandardGrid(frame_);  // 2 x 1 quads of 4 x 3 spots, pitch 30 pixels
        table_ = qobject_cast<CSpotResultsWidget*>(frame_->spotResultsDock()->widget());
        plot_ = qobject_cast<CSpotPlotWidget*>(frame_->spotPlotDock()->widget());
        QVERIFY(table_ && plot_);
        QVERIFY2(!frame_->spotReview()->results(), "hidden docks measure nothing");
        frame_->spotResultsDock()->show();
        frame_->spotPlotDock()->show();
        frame_->spotReview()->recompute();
        QVERIFY(frame_->spotReview()->results());
        plot_->resize(400, 300);
        // Every signal of the table's model and its filter checked against their state.
        for (QAbstractItemModel* model :
             {table_->proxy()->sourceModel(), static_cast<QAbstractItemModel*>(table_->proxy())})
            testers_.push_back(std::make_unique<QAbstractItemModelTester>(
                model, QAbstractItemModelTester::FailureReportingMode::QtTest));
    }
    void cleanup() {
        testers_.clear();
        app_.reset();
        processDeferredDeletes();
        QSettings().clear();  // the saturation setting starts off in every test
    }

    void rowSelectsTheSpotAndAClickSelectsTheRow() {
        QCOMPARE(table_->table()->model()->rowCount(), 24);
        table_->table()->selectRow(static_cast<int>(indexOf({1, 0, 2, 1})));
        const GridEditor& editor = view_->model().editor();
        QCOMPARE(editor.selectedQuadX(), 1);
        QCOMPARE(editor.currentQuad().selCol, 2);
        QCOMPARE(editor.currentQuad().selRow, 1);
        QCOMPARE(frame_->pane(2)->text(), WindowPaneText(view_->window(), kPaneGridSpot));
        QVERIFY(view_->visibleImageRect().contains(spotCentre(1, 2, 1)));
        QCOMPARE(plot_->selectedSpot(), std::optional(indexOf({1, 0, 2, 1})));

        view_->ScrollTo({0, 0});
        click(view_->viewport(), spotCentre(0, 1, 2));
        QCOMPARE(table_->selectedSpot(), std::optional(indexOf({0, 0, 1, 2})));
    }

    void sortingAndFiltering() {
        QAbstractItemModel* shown = table_->table()->model();
        const auto column = [&](const QString& name) {
            for (int c = 0; c < shown->columnCount(); ++c)
                if (shown->headerData(c, Qt::Horizontal).toString() == name) return c;
            return -1;
        };
        table_->table()->sortByColumn(column("F1 Median"), Qt::DescendingOrder);
        QCOMPARE(shown->index(0, column("F1 Median")).data().toString(), "4900");
        QCOMPARE(shown->index(0, column("Block")).data().toString(), "2");
        table_->table()->sortByColumn(column("Log Ratio (1/2)"), Qt::AscendingOrder);
        // The spots not printed first.
        QCOMPARE(shown->index(0, column("Log Ratio (1/2)")).data().toString(), "Error");

        auto map = std::make_shared<SlideMap>(2, 1, 4, 3);
        map->GetSpotRecord(1, 0, 3, 0)->SetUid("Kin-7");
        map->GetSpotRecord(0, 0, 0, 0)->SetDescription("kinase");
        view_->model().editor().grid().parameters.slideMap = map;
        frame_->spotReview()->recompute();
        table_->filterEdit()->setText("KIN");
        QCOMPARE(shown->rowCount(), 2);
        table_->filterEdit()->clear();
        table_->table()->selectRow(0);
        QTest::keyClick(view_, Qt::Key_X);
        table_->marksBox()->setCurrentIndex(1);
        QCOMPARE(shown->rowCount(), 1);
        table_->marksBox()->setCurrentIndex(2);
        QCOMPARE(shown->rowCount(), 23);
    }

    // Rows leaving the filter while sorted: Qt moves the current row itself, which must neither
    // select another spot nor re-enter the filter (it once crashed the program here).
    void rowsLeavingTheFilterKeepTheViewsSelection() {
        auto map = std::make_shared<SlideMap>(2, 1, 4, 3);
        map->GetSpotRecord(0, 0, 1, 0)->SetUid("GAPDH");
        map->GetSpotRecord(1, 0, 2, 2)->SetUid("GAPDH-2");
        view_->model().editor().grid().parameters.slideMap = map;
        frame_->spotReview()->recompute();
        QTableView* table = table_->table();
        const GridEditor& editor = view_->model().editor();
        const auto viewSpot = [&] {
            return SpotIndex{editor.selectedQuadX(), 0, editor.currentQuad().selCol,
                             editor.currentQuad().selRow};
        };
        table->selectRow(static_cast<int>(indexOf({1, 0, 1, 1})));
        table->sortByColumn(6, Qt::AscendingOrder);
        table->sortByColumn(6, Qt::DescendingOrder);
        for (const char* text : {"G", "GA", "GAP", "GAPD", "GAPDH", ""}) {
            table_->filterEdit()->setText(text);
            QCoreApplication::processEvents();
            QCOMPARE(viewSpot(), (SpotIndex{1, 0, 1, 1}));
        }
        QCOMPARE(table_->selectedSpot(), std::optional(indexOf({1, 0, 1, 1})));
        table_->filterEdit()->setText("GAPDH");
        QCoreApplication::processEvents();
        QCOMPARE(table_->selectedSpot(), std::nullopt);  // its row left the filter

        // X with "not marked": the marked spot's row goes, the selection stays on it.
        table_->filterEdit()->clear();
        table_->marksBox()->setCurrentIndex(2);
        table->selectRow(3);
        const SpotIndex chosen = viewSpot();
        QTest::keyClick(view_, Qt::Key_X);
        QCoreApplication::processEvents();
        QTest::keyClick(view_, Qt::Key_X);
        QCoreApplication::processEvents();
        QCOMPARE(viewSpot(), chosen);
        int marked = 0;
        for (int qx = 0; qx < 2; ++qx) {
            const GridQuad& quad = editor.grid().quad(qx, 0);
            for (int i = 0; i < quad.count; ++i) marked += (quad.flags[i] & Marked) != 0;
        }
        QCOMPARE(marked, 0);  // the second X unmarked the same spot
    }

    void saveWritesWhatOrvaneBatchWrites() {
        table_->table()->selectRow(3);
        const std::string grid = dir_.file("review.grd"), ours = dir_.file("gui.tsv"),
                          theirs = dir_.file("batch.tsv");
        SaveGrid(view_->model().editor().grid(), grid);
        frame_->spotReview()->saveTo(QString::fromStdString(ours));
        const batch::RunResult r = batch::run(
            {"results", "-o", theirs, grid, dir_.file("red.tif"), dir_.file("green.tif")});
        QCOMPARE(r.status, 0);
        QCOMPARE(QString::fromStdString(readFile(ours)), QString::fromStdString(readFile(theirs)));
    }

    // The saturation setting: "saturated" in Flags above its threshold, not a mark, kept for the
    // next session, and Save... as orvane-batch results --flag-saturated writes it.
    void saturatedSpotsFlaggedAsOrvaneBatchFlagsThem() {
        QAbstractItemModel* shown = table_->table()->model();
        const auto flagged = [&] {
            QStringList flags;
            for (int r = 0; r < shown->rowCount(); ++r)
                flags << shown->index(r, 3).data().toString();
            return flags.filter("saturated");
        };
        QVERIFY(!table_->saturationBox()->isChecked());
        QCOMPARE(flagged().size(), 0);
        table_->saturationPercentBox()->setValue(50);
        table_->saturationBox()->setChecked(true);
        QCOMPARE(flagged().size(), 0);  // a fifth of its pixels is not above 50 %
        table_->saturationPercentBox()->setValue(10);
        QCOMPARE(flagged(), QStringList{"saturated"});
        table_->table()->sortByColumn(3, Qt::DescendingOrder);
        QCOMPARE(shown->index(0, 3).data().toString(), "saturated");  // Flags sort by their words
        table_->marksBox()->setCurrentIndex(1);
        QCOMPARE(shown->rowCount(), 0);
        table_->marksBox()->setCurrentIndex(0);

        const std::string grid = dir_.file("saturated.grd"), ours = dir_.file("gui_sat.tsv"),
                          theirs = dir_.file("batch_sat.tsv");
        SaveGrid(view_->model().editor().grid(), grid);
        frame_->spotReview()->saveTo(QString::fromStdString(ours));
        const batch::RunResult r = batch::run({"results", "--flag-saturated", "10", "-o", theirs,
                                               grid, dir_.file("red.tif"), dir_.file("green.tif")});
        QCOMPARE(r.status, 0);
        QCOMPARE(QString::fromStdString(readFile(ours)), QString::fromStdString(readFile(theirs)));

        CSpotResultsWidget nextSession;
        QVERIFY(nextSession.saturationBox()->isChecked());
        QCOMPARE(nextSession.saturationPercentBox()->value(), 10);
        table_->saturationBox()->setChecked(false);
        QCOMPARE(flagged().size(), 0);
        QCOMPARE(LoadSaturationSetting(), (SaturationSetting{false, 10.0}));
    }

    void markSpotsNotFound() {
        DialogScript script([](QDialog& d) {
            auto& dialog = dynamic_cast<CMarkNotFoundDialog&>(d);
            // Default 70 in every layer: the two spots not printed.
            if (dialog.percentBox()->value() != 70 || dialog.anyLayerButton()->isChecked())
                return int(QDialog::Rejected);
            d.accept();
            return d.result();
        });
        frame_->OnCommand(kGridMarkNotFound);
        QCOMPARE(frame_->pane(0)->text(), "Marked 2 of 24 spots.");
        QVERIFY(view_->model().editor().grid().quad(1, 0).Flags(3, 2) & Marked);
        table_->marksBox()->setCurrentIndex(1);
        QCOMPARE(table_->table()->model()->rowCount(), 2);
        // Again on the marked grid, and orvane-batch on the same grid: the same count.
        const std::string grid = dir_.file("marked.grd");
        SaveGrid(view_->model().editor().grid(), grid);
        frame_->OnCommand(kGridMarkNotFound);
        QCOMPARE(frame_->pane(0)->text(), "Marked 2 of 24 spots.");
        const batch::RunResult r = batch::run({"mark-not-found", "-o", dir_.file("again.grd"), grid,
                                               dir_.file("red.tif"), dir_.file("green.tif")});
        QCOMPARE(QString::fromStdString(r.out), frame_->pane(0)->text() + "\n");
    }

    void plotClickAndRectangle() {
        const SpotPlotData& data = plot_->plotData();
        QCOMPARE(data.points.size(), 22u);
        QCOMPARE(data.undefined, 2);
        const SpotPlotData::Point& p = data.points[5];
        click(plot_, plot_->toWidget(p.ma) + QPoint(1, 0));
        QCOMPARE(view_->model().editor().currentQuad().selCol,
                 frame_->spotReview()->results()->spots[p.spot].col);
        QCOMPARE(table_->selectedSpot(), std::optional(p.spot));

        // Every point: a rectangle over the whole frame highlights the 22 measured spots.
        const QRect frame = plot_->plotRect();
        QTest::mousePress(plot_, Qt::LeftButton, {}, frame.topLeft());
        QTest::mouseMove(plot_, frame.center());
        QTest::mouseMove(plot_, frame.bottomRight());
        QTest::mouseRelease(plot_, Qt::LeftButton, {}, frame.bottomRight());
        int highlighted = 0;
        for (int qx = 0; qx < 2; ++qx) {
            const GridQuad& quad = view_->model().editor().grid().quad(qx, 0);
            for (int i = 0; i < quad.count; ++i) highlighted += (quad.flags[i] & Highlighted) != 0;
        }
        QCOMPARE(highlighted, 22);
    }
};

QTEST_MAIN(SpotReviewTest)
#include "spot_review_test.moc"
