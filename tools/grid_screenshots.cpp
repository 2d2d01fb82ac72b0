// orvane-grid-screenshots: the README's pictures of the grid. Opens the demo slide with both
// channels, loads its slide map, defines and adjusts the grid, selects a spot, and saves the
// main window, the Grid Parameters dialog and the statistics and histogram dialogs as PNGs.
//   orvane-grid-screenshots DEMO_DIR OUT_DIR   (run by tools/make-grid-screenshots under Xvfb)
#include <cstdio>

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>

#include "app/main_frame.h"
#include "app/orvane_app.h"
#include "document/ui/orvane_doc.h"
#include "grid/ui/grid_parameters_dialog.h"
#include "measure/selection_statistics.h"
#include "measure/ui/histogram_dialog.h"
#include "measure/ui/selection_statistics_dialog.h"
#include "printjob/load_map.h"
#include "printjob/print_job_parameters.h"
#include "view/ui/orvane_view.h"

namespace {

using namespace orvane;

void settle() {
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
}

bool save(QWidget& widget, const QString& path) {
    settle();
    const bool ok = widget.grab().save(path);
    std::printf("%s\n", qPrintable(path));
    return ok;
}

void click(COrvaneView* view, QPoint p) {
    QWidget* w = view->viewport();
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &event);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: orvane-grid-screenshots DEMO_DIR OUT_DIR\n");
        return 2;
    }
    QApplication application(argc, argv);
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    COrvaneApp app;
    if (!app.InitInstance({dir + "/demo_635.tif"})) return 1;
    CMainFrame* frame = app.mainFrame();
    frame->resize(1100, 760);
    COrvaneView* view = frame->activeView();
    view->OverlayFile(dir + "/demo_532.tif");
    settle();

    GridParameters p = view->gridEditor().grid().parameters;
    LoadMapFile((dir + "/slide_map_data.txt").toStdString(), p, processPrintJobParameters());
    GridEditor& editor = view->gridEditor();
    editor.DefineGrid(p);
    editor.AdjustGrid(AdjustMethod::TwoDimensionalWindow);
    const GridQuad& quad = editor.grid().quad(0, 0);
    view->horizontalScrollBar()->setValue(std::max(0, quad.TL.x - 60));
    view->verticalScrollBar()->setValue(std::max(0, quad.TL.y - 60));
    settle();
    const QPoint origin(view->horizontalScrollBar()->value(), view->verticalScrollBar()->value());
    const GridPoint spot = *quad.SpotCentre(2, 1);
    click(view, QPoint(spot.x, spot.y) - origin);
    frame->updateActions();
    bool ok = save(*frame, out + "/orvane-grid.png");

    CGridParametersDialog parameters(editor.grid().parameters, frame);
    parameters.show();
    ok = save(parameters, out + "/orvane-grid-parameters.png") && ok;
    parameters.hide();

    // Statistics of a rectangle over the first three by three spots of the quad.
    const GridPoint far = *quad.SpotCentre(2, 2);
    SelectionStatistics statistics;
    statistics.SetData(SampleSelection(view->GetDocument()->image(),
                                       {ToolKind::Rectangle, quad.TL.x - quad.stepX / 2, quad.TL.y - quad.stepY / 2,
                                        far.x + quad.stepX / 2, far.y + quad.stepY / 2}));
    CSelectionStatisticsDialog statisticsDialog(statistics, frame);
    statisticsDialog.show();
    ok = save(statisticsDialog, out + "/orvane-statistics.png") && ok;
    statisticsDialog.hide();

    SpotHistogram& histogram = view->spotHistogram();
    histogram.SetData(MeasureGridSpotMeans(view->GetDocument()->image(), editor.grid(), editor.currentQuad()));
    CHistogramDialog histogramDialog(histogram, frame);
    histogramDialog.show();
    ok = save(histogramDialog, out + "/orvane-histogram.png") && ok;
    return ok ? 0 : 1;
}
