// CImageCommands: the commands on an image window's picture: Overlay, Export 8-bit TIFF, Subtract
// Background, the two filters, and printing. The filters and Subtract Background change the
// document's samples, not the grid: they stay outside the undo history.
#pragma once

#include <cstdint>
#include <span>

#include <QRect>
#include <QSize>
#include <QString>

#include "base/ui/command_map.h"
#include "view/ui/image_window.h"

class QPainter;
class QPrinter;

namespace orvane {

class CImageCommands : public MappedCommandTarget<CImageCommands> {
public:
    explicit CImageCommands(ImageWindow& window) : window_(window) {}

    void OnOverlayImage();
    void OnExportTiff();
    void OnSubtractBackground();
    void OnFilterMean();
    void OnFilterMedian();
    // Printing (view_printing.cpp).
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();
    void OnUpdateOverlayImage(CmdUi& ui) const;
    void OnUpdateExportTiff(CmdUi& ui) const;

    static std::span<const CommandEntry<CImageCommands>> commandMap();

private:
    ImageWindow& window_;
};

// The Overlay command after its file dialog: loads `path` as the window's next layer and shows
// it. False when the file was refused (the user was told).
bool OverlayFile(ImageWindow& window, const QString& path);
// The Export command after its save dialog: writes the displayed picture to `path`.
bool ExportFile(const ImageWindow& window, const QString& path);

// Printing: the region (selected rectangle or whole picture), and one page of it drawn fitted to
// a printable area of `pageSize` device pixels, mapped in bands of at most `maxBandBytes`.
QRect PrintRegion(const WindowModel& model);
inline constexpr std::int64_t kPrintBandBytes = 64 << 20;
void PrintPage(const ImageWindow& window, QPainter& painter, QSize pageSize,
               std::int64_t maxBandBytes = kPrintBandBytes);
// Prints one page on `printer`; false when the job could not start (the user was told).
bool PrintTo(const ImageWindow& window, QPrinter& printer);

}  // namespace orvane
