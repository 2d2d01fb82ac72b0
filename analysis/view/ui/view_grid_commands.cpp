// The view's grid, selection and measurement commands, its overlay and its grid panes. These
// are placeholders until the grid and measurement windows land: the commands are listed and
// routed, but disabled, the grid panes show that no spot is selected, and the overlay is only
// the outline of the selection.
#include <cmath>

#include <QPainter>

#include "view/ui/orvane_view.h"

namespace orvane {

bool COrvaneView::hasGrid() const { return false; }

void COrvaneView::DrawOverlay(QPainter& painter) {
    const SelectionShape& s = selection_;
    // White XOR the picture inverts it: the outline shows on white and on black alike.
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(Qt::NoBrush);
    const std::int32_t dx = s.x1 - s.x0, dy = s.y1 - s.y0;
    const auto length = static_cast<std::int32_t>(std::sqrt(double(dx) * dx + double(dy) * dy));
    switch (s.tool) {
    case ToolKind::Rectangle:
        painter.drawRect(QRect(QPoint(s.x0, s.y0), QPoint(s.x1, s.y1)).normalized());
        break;
    case ToolKind::CircleByDiameter:
        painter.drawEllipse(QPoint((s.x0 + s.x1) / 2, (s.y0 + s.y1) / 2), length / 2, length / 2);
        break;
    case ToolKind::CircleByRadius:
        painter.drawEllipse(QPoint(s.x0, s.y0), length, length);
        break;
    default:
        break;
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

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
