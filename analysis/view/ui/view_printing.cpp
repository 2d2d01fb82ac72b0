// Printing and print preview of an image window: the region (the selected rectangle or the whole
// picture), its raster, and the fit to the printable area of the page. No overlay is printed.
#include "view/ui/view_printing.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>

#include <QAction>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSettings>

#include "base/core_error.h"
#include "base/ui/shell_services.h"
#include "view/ui/image_commands.h"
#include "view/ui/orvane_doc.h"
#include "window/window_model.h"

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

QRect PrintRegion(const WindowModel& model) {
    const SelectionShape& s = model.editor().shape();
    const DisplayState& display = model.display();
    // The rectangle as stored, not normalised: one dragged up and to the left prints the whole
    // picture.
    if (s.tool == ToolKind::Rectangle && s.x1 > s.x0 && s.y1 > s.y0)
        return QRect(s.x0, s.y0, s.x1 - s.x0, s.y1 - s.y0);
    return QRect(0, 0, display.imageWidth, display.imageHeight);
}

namespace {

// Device rows whose centres fall on region rows at or after `row`: the first of them. Every
// device row is drawn by exactly one band, the one its centre samples.
int firstDeviceRow(std::int64_t row, int deviceRows, int regionRows) {
    return static_cast<int>(std::ceil(static_cast<double>(row) * deviceRows / regionRows - 0.5));
}

}  // namespace

void PrintPage(const ImageWindow& window, QPainter& painter, QSize pageSize,
               std::int64_t maxBandBytes) {
    const QRect region = PrintRegion(window.model);
    const DisplayState& display = window.model.display();
    const LayeredImage& image = window.document->image();
    if (region.isEmpty() || image.layerCount == 0) return;
    const float scale = std::min(static_cast<float>(pageSize.width()) / region.width(),
                                 static_cast<float>(pageSize.height()) / region.height());
    // One device pixel less than the scaled size in each direction.
    const int width = static_cast<int>(region.width() * scale) - 1;
    const int height = static_cast<int>(region.height() * scale) - 1;
    if (width <= 0 || height <= 0) return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);

    // Band by band: a 2 um scan's region as one picture would need more than a gigabyte. A
    // region that fits one band goes to the page as one picture at its own resolution.
    const std::int64_t rowBytes = 3 * static_cast<std::int64_t>(region.width());
    const int bandRows =
        static_cast<int>(std::clamp<std::int64_t>(maxBandBytes / rowBytes, 1, region.height()));
    const QRect picture(0, 0, display.imageWidth, display.imageHeight);
    const QRect mapped = region & picture;  // the progress texts count its rows
    StatusProgress progress;
    NullProgress quiet;
    for (int r0 = 0; r0 < region.height(); r0 += bandRows) {
        const int r1 = std::min(region.height(), r0 + bandRows);
        const QRect bandRegion(region.left(), region.top() + r0, region.width(), r1 - r0);
        // The part of the region beyond the picture has no samples: it prints white.
        QImage band(bandRegion.size(), QImage::Format_BGR888);
        if (band.isNull()) throw OutOfMemoryError();
        band.fill(Qt::white);
        const QRect inside = bandRegion & picture;
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            ReportRowProgress(y - mapped.top(), mapped.height(), progress);
        if (!inside.isEmpty()) {
            // Mapped straight into the band's rows (bitmap order is the page's blue, green, red).
            uchar* first = band.scanLine(inside.top() - bandRegion.top()) +
                           3 * static_cast<std::ptrdiff_t>(inside.left() - bandRegion.left());
            BuildRaster(image, display, first, band.bytesPerLine(),
                        /*bitmapOrder=*/true, inside.left(), inside.left() + inside.width(),
                        inside.top(), inside.top() + inside.height(), quiet);
        }
        if (bandRows == region.height()) {
            painter.drawImage(QRect(0, 0, width, height), band);
            break;
        }
        // Each band where the whole picture would put it, clipped to the device rows it samples.
        const int top = firstDeviceRow(r0, height, region.height());
        const int bottom = firstDeviceRow(r1, height, region.height());
        painter.save();
        painter.setClipRect(QRect(0, top, width, bottom - top));
        const double rowScale = static_cast<double>(height) / region.height();
        painter.drawImage(QRectF(0, r0 * rowScale, width, (r1 - r0) * rowScale), band);
        painter.restore();
    }
    if (!mapped.isEmpty()) progress.message("Ready");
}

bool PrintTo(const ImageWindow& window, QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        OrvaneMessageBox("Failed to start print job.", MessageIcon::Exclamation);
        return false;
    }
    const bool printed = runReportingErrors(
        [&] { PrintPage(window, painter, QSize(printer.width(), printer.height())); });
    return painter.end() && printed;
}

void CImageCommands::OnFilePrint() {
    QPrintDialog dialog(&applicationPrinter(), &window_.widget);
    if (dialog.exec() != QDialog::Accepted) return;
    PrintTo(window_, applicationPrinter());
}

void CImageCommands::OnFilePrintDirect() { PrintTo(window_, applicationPrinter()); }

void CImageCommands::OnFilePrintPreview() {
    QPrintPreviewDialog preview(&applicationPrinter(), &window_.widget);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [this](QPrinter* printer) { PrintTo(window_, *printer); });
    // One page or two side by side, as the user left the preview last time.
    auto* pages = preview.findChild<QPrintPreviewWidget*>();
    if (pages) showPreviewPages(preview, *pages, LoadPreviewPages());
    preview.exec();
    // The overview of all pages counts as more than one page side by side.
    if (pages) SavePreviewPages(pages->viewMode() == QPrintPreviewWidget::SinglePageView ? 1 : 2);
}

}  // namespace orvane
