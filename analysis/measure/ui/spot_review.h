// CSpotReview: ties the "Spot Results" and "Spot Plot" docks to the active image window. It
// measures the window's grid when what the spots measure changes (and a dock is shown), re-reads
// the flags after clicks and marks, flags saturated spots by the table's setting, and links a
// row, a point and a spot of the view both ways.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include <QObject>
#include <QPointer>

#include <QWidget>

#include "measure/spot_results.h"
#include "view/ui/image_window.h"

class QDockWidget;

namespace orvane {
enum class ModelChange;
}

namespace orvane {

class CSpotPlotWidget;
class CSpotResultsWidget;

class CSpotReview : public QObject {
    Q_OBJECT
public:
    // The docks hold the two widgets; the review follows their visibility.
    CSpotReview(CSpotResultsWidget* table, QDockWidget* tableDock, CSpotPlotWidget* plot,
                QDockWidget* plotDock, QObject* parent = nullptr);

    // Follows `window` from now on; nullptr empties both docks.
    void setWindow(ImageWindow* window);
    ImageWindow* window() const { return follower_.window(); }
    // The results shown (none without a view, a grid or a shown dock).
    std::shared_ptr<const SpotResults> results() const { return results_; }

    // Measures the view's grid again now (when a dock is shown).
    void recompute();
    // Writes the table to `path` as orvane-batch results does; refuses a scan of the document.
    void saveTo(const QString& path);

private:
    bool docksShown() const;
    void windowStateChanged();
    void showSpot(std::size_t index);
    void highlight(const std::vector<std::size_t>& indices);
    void save();
    // Flags the saturated spots of `results` by the table's setting; with the setting off none.
    void flagSaturated(SpotResults& results) const;
    // The flags as the grid has them now (marks may have changed since the measurement).
    void writeTable(const std::string& path);
    std::optional<std::size_t> windowSelection() const;

    CSpotResultsWidget* table_;
    QDockWidget* tableDock_;
    CSpotPlotWidget* plot_;
    QDockWidget* plotDock_;
    void modelChanged(ModelChange change);

    WindowFollower follower_;
    std::shared_ptr<SpotResults> results_;
    bool stale_ = true;  // the view's data changed while both docks were hidden
};

}  // namespace orvane
