// The view's side of the grid: the grid panes, showing a spot and highlighting spots for the
// review docks, and the histogram's balance applied to the picture.
#include "base/ui/shell_services.h"
#include "view/ui/orvane_view.h"

namespace orvane {

QString COrvaneView::gridPaneText(int paneId) const {
    const GridPaneTexts texts = editor_.PaneTexts();
    switch (paneId) {
    case kPaneGridQuad: return QString::fromStdString(texts.quad);
    case kPaneGridSpot: return QString::fromStdString(texts.spot);
    case kPaneSpotUid: return QString::fromStdString(texts.uid);
    case kPaneSpotDescription: return QString::fromStdString(texts.description);
    case kPaneSpotIntensity: return QString::fromStdString(texts.intensity);
    default: return {};
    }
}

bool COrvaneView::ShowSpot(const SpotIndex& spot) {
    if (editor_.tool() != ToolKind::Grid) {
        if (editor_.grid().quad(spot.qx, spot.qy).defined == 0) return false;
        setTool(ToolKind::Grid);
        if (editor_.tool() != ToolKind::Grid) return false;
    }
    if (!editor_.SelectSpot(spot.qx, spot.qy, spot.col, spot.row)) return false;
    // The spot's centre in the middle of the window, at any zoom.
    const GridPoint centre = *editor_.currentQuad().SpotCentre(spot.col, spot.row);
    CentreOn(QPoint(centre.x, centre.y));
    gridChanged();
    return true;
}

void COrvaneView::HighlightSpots(const std::vector<SpotIndex>& spots) {
    std::int32_t count = 0;
    model_.Step("Highlight Spots", [&] {
        count = orvane::HighlightSpots(editor_.grid(), spots);
        editor_.RedrawAllChangedSpots();
    });
    showMessagePaneText(QString("Highlighted %1 spots.").arg(count));
}

void COrvaneView::SetChannelBalance(const std::array<float, kMaxLayers>& offset,
                                    const std::array<float, kMaxLayers>& gain) {
    display_.channelOffset = offset;
    display_.channelGain = gain;
    RebuildDisplay();
    repaintAll();
}

}  // namespace orvane
