// The view's grid, selection and measurement commands, its overlay and its grid panes. These
// are placeholders until the grid and measurement windows land: the commands are listed and
// routed, but disabled, and the grid panes show that no spot is selected.
#include <QPainter>

#include "view/ui/orvane_view.h"

namespace orvane {

bool COrvaneView::hasGrid() const { return false; }

void COrvaneView::DrawOverlay(QPainter&) {}

QString COrvaneView::gridPaneText(int) const { return "Not Selected."; }

void COrvaneView::OnUpdateGridCommand(CmdUi& ui) const { ui.enabled = false; }

void COrvaneView::OnGridDefine() {}
void COrvaneView::OnGridLoad() {}
void COrvaneView::OnGridSave() {}
void COrvaneView::OnGridFind() {}
void COrvaneView::OnGridAdjust2DW() {}
void COrvaneView::OnGridAdjust1DW() {}
void COrvaneView::OnGridAdjustCM() {}
void COrvaneView::OnGridExtract() {}
void COrvaneView::OnGridHistogram() {}
void COrvaneView::OnSelectionStatistics() {}
void COrvaneView::OnSelectionPairs() {}
void COrvaneView::OnSelectionSaveRaw() {}

}  // namespace orvane
