// The review docks' link to the active image window.
#include "measure/ui/spot_review.h"

#include <QDockWidget>

#include "base/ui/save_result.h"
#include "base/ui/shell_services.h"
#include "measure/ui/spot_plot_widget.h"
#include "measure/ui/spot_results_widget.h"
#include "view/ui/orvane_doc.h"
#include "window/window_model.h"

namespace orvane {

namespace {

const char* const kTableFilter = "Tab-Separated Spot Results (*.tsv)";

}  // namespace

CSpotReview::CSpotReview(CSpotResultsWidget* table, QDockWidget* tableDock, CSpotPlotWidget* plot,
                         QDockWidget* plotDock, QObject* parent)
    : QObject(parent),
      table_(table),
      tableDock_(tableDock),
      plot_(plot),
      plotDock_(plotDock),
      follower_(
          this, [this](ModelChange change) { modelChanged(change); }, [this] { recompute(); }) {
    connect(table_, &CSpotResultsWidget::spotChosen, this, &CSpotReview::showSpot);
    connect(table_, &CSpotResultsWidget::saveRequested, this, &CSpotReview::save);
    // A new threshold changes flags only: no new measurement.
    connect(table_, &CSpotResultsWidget::saturationChanged, this, [this] {
        if (!results_) return;
        flagSaturated(*results_);
        table_->flagsChanged();
    });
    connect(plot_, &CSpotPlotWidget::spotClicked, this, &CSpotReview::showSpot);
    connect(plot_, &CSpotPlotWidget::spotsEnclosed, this, &CSpotReview::highlight);
    // Measured only while a dock is shown; a dock that comes back catches up.
    for (QDockWidget* dock : {tableDock_, plotDock_})
        connect(dock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
            if (visible && stale_) recompute();
        });
}

// A dock the user closed is hidden; one in a window not yet shown still counts.
bool CSpotReview::docksShown() const { return !tableDock_->isHidden() || !plotDock_->isHidden(); }

void CSpotReview::setWindow(ImageWindow* window) {
    if (window == this->window()) return;
    follower_.Follow(window);
    recompute();
}

void CSpotReview::modelChanged(ModelChange change) {
    switch (change) {
    case ModelChange::SpotData:
    case ModelChange::Samples:
    case ModelChange::Swapped: recompute(); break;
    case ModelChange::Stepped:
    case ModelChange::Saved:
    case ModelChange::Selection: windowStateChanged(); break;
    default: break;
    }
}

void CSpotReview::recompute() {
    stale_ = true;
    std::shared_ptr<SpotResults> results;
    ImageWindow* window = this->window();
    if (window && window->model.editor().currentQuad().defined != 0 &&
        window->document->layerCount() > 0) {
        if (!docksShown()) {
            if (results_) results_.reset(), table_->setResults({}), plot_->setResults({});
            return;
        }
        const GridEditor& editor = window->model.editor();
        runReportingErrors([&] {
            WaitCursor wait;
            StatusProgress progress;
            results = std::make_shared<SpotResults>(
                MeasureSpotResults(window->document->image(), editor.grid(), editor.currentQuad(),
                                   progress, kMeasuringSpotsText, RatioDetail::LogRatio));
            flagSaturated(*results);
            showMessagePaneText("Ready");
        });
    }
    stale_ = false;
    results_ = results;
    table_->setResults(results_);
    plot_->setResults(results_);
    windowStateChanged();
}

void CSpotReview::flagSaturated(SpotResults& results) const {
    if (const std::optional<double> percent = table_->saturation().threshold()) {
        FlagSaturatedSpots(results, *percent);
        return;
    }
    for (SpotResult& spot : results.spots) spot.saturated = false;
    results.saturatedPercent.reset();
}

std::optional<std::size_t> CSpotReview::windowSelection() const {
    if (!window() || !results_) return std::nullopt;
    const GridEditor& editor = window()->model.editor();
    const GridQuad& quad = editor.currentQuad();
    if (editor.tool() != ToolKind::Grid || !quad.HasSelection()) return std::nullopt;
    const SpotIndex selected{editor.selectedQuadX(), editor.selectedQuadY(), quad.selCol,
                             quad.selRow};
    for (std::size_t i = 0; i < results_->spots.size(); ++i)
        if (results_->spots[i].index() == selected) return i;
    return std::nullopt;
}

void CSpotReview::windowStateChanged() {
    if (!window() || !results_) return;
    // Clicks, marks and highlights change flags only: no new measurement.
    RefreshSpotFlags(*results_, window()->model.editor().grid());
    table_->flagsChanged();
    const std::optional<std::size_t> selected = windowSelection();
    // The spot the table is to show, not only the row it shows now: a row filtered out for the
    // moment comes back later, and must then be the view's selection of that time.
    if (selected != table_->shownSpot() || selected != table_->selectedSpot())
        table_->selectSpot(selected);
    plot_->setSelectedSpot(selected);
    plot_->update();
}

void CSpotReview::showSpot(std::size_t index) {
    if (!window() || !results_ || index >= results_->spots.size()) return;
    runReportingErrors([&] { window()->model.ShowSpot(results_->spots[index].index()); });
    // The view may not take the spot (no well, no grid tool possible): once the row change that
    // asked for it is over, the table and the plot show what the view has selected.
    QMetaObject::invokeMethod(this, &CSpotReview::windowStateChanged, Qt::QueuedConnection);
}

void CSpotReview::highlight(const std::vector<std::size_t>& indices) {
    if (!window() || !results_) return;
    std::vector<SpotIndex> spots;
    for (std::size_t i : indices)
        if (i < results_->spots.size()) spots.push_back(results_->spots[i].index());
    const std::int32_t count = window()->model.HighlightSpots(spots);
    showMessagePaneText(QString("Highlighted %1 spots.").arg(count));
}

void CSpotReview::save() {
    if (!results_ || !window()) return;
    runReportingErrors([&] {
        WriteResultFile(*window()->document, {true, "tsv", "spot_results", kTableFilter},
                        [&](const std::string& path) { writeTable(path); });
    });
}

void CSpotReview::saveTo(const QString& path) {
    if (!results_ || !window() || RefuseOpenedScan(*window()->document, path)) return;
    WaitCursor wait;
    writeTable(LocalPath(path));
}

void CSpotReview::writeTable(const std::string& path) {
    RefreshSpotFlags(*results_, window()->model.editor().grid());
    WriteSpotResultsTable(path, *results_);
}

}  // namespace orvane
