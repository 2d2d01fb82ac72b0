// Printing and print preview of the view: the region (the selected rectangle or the whole
// picture), its raster, and the fit to the printable area of the page. No overlay is printed.
#include "view/ui/view_printing.h"

#include <cstring>
#include <limits>
#include <memory>

#include <QAction>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSettings>

#include "app/orvane_doc.h"
#include "app/shell_services.h"
#include "base/allocator.h"
#include "view/ui/orvane_view.h"

namespace orvane {
namespace {

std::unique_ptr<QPrinter>& printerSlot() {
    static std::unique_ptr<QPrinter> printer;
    return printer;
}

}  // namespace

QPrinter& applicationPrinter() {
    auto& slot = printerSlot();
    if (!slot) slot = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *slot;
}

void releaseApplicationPrinter() { printerSlot().reset(); }

namespace {

const char* const kPreviewPagesKey = "Settings/PreviewPages";

// Through the dialog's own mode button when it has one, so that its toolbar shows the mode.
void showPreviewPages(QPrintPreviewDialog& preview, QPrintPreviewWidget& widget, int pages) {
    const bool facing = pages == 2;
    if (auto* mode =
            preview.findChild<QAction*>(facing ? "facingModeAction" : "singleModeAction")) {
        mode->trigger();
        if (widget.viewMode() ==
            (facing ? QPrintPreviewWidget::FacingPagesView : QPrintPreviewWidget::SinglePageView))
            return;
    }
    widget.setViewMode(facing ? QPrintPreviewWidget::FacingPagesView
                              : QPrintPreviewWidget::SinglePageView);
}

}  // namespace

int LoadPreviewPages() {
    bool ok = false;
    const int pages = QSettings().value(kPreviewPagesKey, 1).toInt(&ok);
    return ok && pages == 2 ? 2 : 1;
}

void SavePreviewPages(int pages) {
    QSettings settings;
    settings.setValue(kPreviewPagesKey, pages == 2 ? 2 : 1);
    settings.sync();
}

QRect COrvaneView::printRegion() const {
    const SelectionShape& s = selection();
    // The rectangle as stored, not normalised: one dragged up and to the left prints the whole
    // picture.
    if (s.tool == ToolKind::Rectangle && s.x1 > s.x0 && s.y1 > s.y0)
        return QRect(s.x0, s.y0, s.x1 - s.x0, s.y1 - s.y0);
    return QRect(0, 0, display_.imageWidth, display_.imageHeight);
}

void COrvaneView::PrintPage(QPainter& painter, QSize pageSize) const {
    const QRect region = printRegion();
    if (region.isEmpty() || document_->layerCount() == 0) return;
    // The part of the region beyond the picture has no samples: it prints white.
    QImage page(region.size(), QImage::Format_BGR888);
    if (page.isNull()) throw OutOfMemoryError();
    page.fill(Qt::white);
    const QRect inside = region & QRect(0, 0, display_.imageWidth, display_.imageHeight);
    if (!inside.isEmpty()) {
        const std::int64_t stride = RasterStride(inside.width());
        auto raster = allocateBuffer<std::uint8_t>(checkedCount(inside.height(), stride, 1));
        StatusProgress progress;
        BuildRaster(document_->image(), display_, raster.get(), stride, /*bitmapOrder=*/true,
                    inside.left(), inside.left() + inside.width(), inside.top(),
                    inside.top() + inside.height(), progress);
        const int dx = inside.left() - region.left();
        const int dy = inside.top() - region.top();
        for (int row = 0; row < inside.height(); ++row) {
            std::memcpy(page.scanLine(row + dy) + 3 * dx, raster.get() + row * stride,
                        3 * static_cast<std::size_t>(inside.width()));
        }
    }
    const float scale = std::min(static_cast<float>(pageSize.width()) / region.width(),
                                 static_cast<float>(pageSize.height()) / region.height());
    // One device pixel less than the scaled size in each direction.
    const int width = static_cast<int>(region.width() * scale) - 1;
    const int height = static_cast<int>(region.height() * scale) - 1;
    if (width <= 0 || height <= 0) return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(0, 0, width, height), page);
}

bool COrvaneView::PrintTo(QPrinter& printer) const {
    QPainter painter;
    if (!painter.begin(&printer)) {
        OrvaneMessageBox("Failed to start print job.", MessageIcon::Exclamation);
        return false;
    }
    const bool printed =
        runReportingErrors([&] { PrintPage(painter, QSize(printer.width(), printer.height())); });
    return painter.end() && printed;
}

void COrvaneView::OnFilePrint() {
    QPrintDialog dialog(&applicationPrinter(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    PrintTo(applicationPrinter());
}

void COrvaneView::OnFilePrintDirect() { PrintTo(applicationPrinter()); }

void COrvaneView::OnFilePrintPreview() {
    QPrintPreviewDialog preview(&applicationPrinter(), this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { PrintTo(*printer); });
    // One page or two side by side, as the user left the preview last time.
    auto* pages = preview.findChild<QPrintPreviewWidget*>();
    if (pages) showPreviewPages(preview, *pages, LoadPreviewPages());
    preview.exec();
    // The overview of all pages counts as more than one page side by side.
    if (pages) SavePreviewPages(pages->viewMode() == QPrintPreviewWidget::SinglePageView ? 1 : 2);
}

}  // namespace orvane
