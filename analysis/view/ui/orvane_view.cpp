// The image view: initial update, off-screen picture, painting with the grey background,
// scrolling, the mouse anchor, the position and intensity panes, and the command map.
#include "view/ui/orvane_view.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>

#include "app/command_ids.h"
#include "app/orvane_doc.h"
#include "app/shell_services.h"
#include "base/allocator.h"
#include "grid/ui/overlay_painter.h"

namespace orvane {
namespace {

const QColor kBackgroundGrey(128, 128, 128);

// The off-screen picture in a buffer of the core's allocator, which asks the kernel for huge
// pages: a fresh 5 um picture (280 MB) otherwise costs more in page faults than its mapping.
// A null image when the memory is not there.
QImage pictureImage(std::int32_t width, std::int32_t height) {
    std::unique_ptr<std::uint32_t[]> pixels;
    try {
        pixels = allocateBuffer<std::uint32_t>(checkedCount(width, height, sizeof(std::uint32_t)));
    } catch (const OutOfMemoryError&) {
        return QImage();
    }
    QImage image(
        reinterpret_cast<uchar*>(pixels.get()), width, height, qsizetype{width} * 4,
        QImage::Format_RGB32, [](void* buffer) { delete[] static_cast<std::uint32_t*>(buffer); },
        pixels.get());
    if (!image.isNull()) static_cast<void>(pixels.release());  // the image owns it now
    return image;
}

// Page step one tenth of the extent, line step one tenth of the page step (integer divisions),
// at least one pixel so that tiny pictures still scroll by keys.
void setScrollSteps(QScrollBar* bar, int extent, int visible) {
    bar->setRange(0, std::max(0, extent - visible));
    const int page = std::max(1, extent / 10);
    bar->setPageStep(page);
    bar->setSingleStep(std::max(1, page / 10));
}

// The picture reduced for the overview while it holds no overlay. Made here, once per rebuild,
// so that the overview never has to scale the full picture (a 5 um slide has ~10^8 pixels).
// Smoothing every pixel of such a picture takes ~80 ms, more than the rebuild itself: it is
// first sampled down to twice the size wanted, and only that is smoothed (~5 ms).
QImage reducedCopy(const QImage& picture) {
    const int limit = COrvaneView::kReducedPictureSize;
    if (picture.width() <= limit && picture.height() <= limit) return picture.copy();
    const QSize target = picture.size().scaled(limit, limit, Qt::KeepAspectRatio);
    const QSize sampled = target * 2;
    const QImage source =
        picture.width() > sampled.width() && picture.height() > sampled.height()
            ? picture.scaled(sampled, Qt::IgnoreAspectRatio, Qt::FastTransformation)
            : picture;
    return source.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

COrvaneView::COrvaneView(std::shared_ptr<COrvaneDoc> document, QWidget* parent)
    : QAbstractScrollArea(parent), document_(std::move(document)) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    viewport()->setCursor(Qt::ArrowCursor);
    // Painting covers every pixel (picture or grey), so Qt need not clear the viewport first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    document_->AddView(this);
    // The overlay is inverted into the picture; only the part it touched needs repainting.
    overlaySurface_ =
        std::make_unique<PictureOverlaySurface>(&offscreenImage_, [this](const QRect& r) {
            viewport()->update(
                r.translated(-horizontalScrollBar()->value(), -verticalScrollBar()->value()));
        });
    editor_.SetImage(&document_->image());
    editor_.SetSurface(overlaySurface_.get());
}

COrvaneView::~COrvaneView() { document_->RemoveView(this); }

void COrvaneView::OnInitialUpdate() {
    const LayeredImage& image = document_->image();
    display_.imageWidth = image.layerCount > 0 ? image.width() : 0;
    display_.imageHeight = image.layerCount > 0 ? image.height() : 0;
    updateScrollBars();
    offscreenImage_ = QImage();
    if (display_.imageWidth > 0 && display_.imageHeight > 0) {
        offscreenImage_ = pictureImage(display_.imageWidth, display_.imageHeight);
        if (offscreenImage_.isNull()) {
            OrvaneMessageBox("Unable to create compatible DDB.");
            return;
        }
    }
    display_.logDisplay = true;
    RebuildDisplay();
}

void COrvaneView::RebuildDisplay() {
    if (offscreenImage_.isNull()) return;
    const LayeredImage& image = document_->image();
    if (image.layerCount == 0) return;
    WaitCursor wait;
    StatusProgress progress;
    // Straight into the screen's 32-bit pixels (0xffRRGGBB, what qRgb makes), with no 3-byte
    // raster of the whole picture in between.
    auto* pixels = reinterpret_cast<std::uint32_t*>(offscreenImage_.bits());
    BuildRaster32(image, display_, pixels, offscreenImage_.bytesPerLine() / 4, progress);
    reducedPicture_ = reducedCopy(offscreenImage_);
    // The fresh picture carries no overlay: draw it again, in the pens of the display mode.
    editor_.SetInvertedDisplay(display_.invertedDisplay);
    editor_.PictureRenewed();
    emit pictureChanged();
}

void COrvaneView::repaintAll() { viewport()->update(); }

void COrvaneView::updateScrollBars() {
    setScrollSteps(horizontalScrollBar(), display_.imageWidth, viewport()->width());
    setScrollSteps(verticalScrollBar(), display_.imageHeight, viewport()->height());
}

void COrvaneView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    emit visibleAreaChanged();
}

void COrvaneView::scrollContentsBy(int, int) {
    repaintAll();
    emit visibleAreaChanged();
}

QRect COrvaneView::visibleImageRect() const {
    const QRect shown(QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()),
                      viewport()->size());
    return shown & QRect(0, 0, display_.imageWidth, display_.imageHeight);
}

void COrvaneView::ScrollTo(QPoint topLeft) {
    horizontalScrollBar()->setValue(topLeft.x());
    verticalScrollBar()->setValue(topLeft.y());
}

QPoint COrvaneView::toImage(QPoint windowPoint) const {
    return windowPoint + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void COrvaneView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QPoint origin(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    const QRect picture(origin, QSize(display_.imageWidth, display_.imageHeight));
    // Grey beside and below the picture; the picture's own area is only copied, never erased.
    const QRegion grey = QRegion(event->rect()) - QRegion(picture);
    for (const QRect& r : grey) painter.fillRect(r, kBackgroundGrey);
    if (offscreenImage_.isNull()) {
        painter.fillRect(event->rect() & picture, kBackgroundGrey);
        return;
    }
    const QRect exposed = event->rect() & picture;
    // The overlay is part of the picture (inverted into it), so painting is one copy.
    if (!exposed.isEmpty())
        painter.drawImage(exposed, offscreenImage_, exposed.translated(-origin));
}

void COrvaneView::SetSelection(const SelectionShape& shape) {
    editor_.SetShape(shape);
    emit stateChanged();
}

QString COrvaneView::paneText(int paneId) const {
    switch (paneId) {
    case kPanePositionX: return QString("X: %1").arg(selection().x0);
    case kPanePositionY: return QString("Y: %1").arg(selection().y0);
    case kPanePointIntensity: {
        // The anchor may lie in the grey area or the document may have no layers: then there is
        // no sample to show, and the pane shows the label alone rather than reading outside.
        const LayeredImage& image = document_->image();
        const bool inside = image.layerCount > 0 && selection().x0 >= 0 && selection().y0 >= 0 &&
                            selection().x0 < image.width() && selection().y0 < image.height();
        if (!inside) return "I: ";
        return QString("I: %1").arg(image.layers[0].at(selection().x0, selection().y0));
    }
    case kPaneGridQuad:
    case kPaneGridSpot:
    case kPaneSpotUid:
    case kPaneSpotDescription:
    case kPaneSpotIntensity: return gridPaneText(paneId);
    default: return {};
    }
}

void COrvaneView::setTool(ToolKind tool) {
    // "Please define / load grid." for a grid tool without a grid; the tool then stays.
    runReportingErrors([&] { editor_.SelectTool(tool); });
    gridChanged();
}

void COrvaneView::OnSelectPoint() { setTool(ToolKind::Point); }
void COrvaneView::OnSelectRectangle() { setTool(ToolKind::Rectangle); }
void COrvaneView::OnSelectCircleDiameter() { setTool(ToolKind::CircleByDiameter); }
void COrvaneView::OnSelectCircleRadius() { setTool(ToolKind::CircleByRadius); }
void COrvaneView::OnSelectGrid() { setTool(ToolKind::Grid); }

void COrvaneView::OnUpdateSelectPoint(CmdUi& ui) const {
    ui.checked = selection().tool == ToolKind::Point;
}
void COrvaneView::OnUpdateSelectRectangle(CmdUi& ui) const {
    ui.checked = selection().tool == ToolKind::Rectangle;
}
void COrvaneView::OnUpdateSelectCircleDiameter(CmdUi& ui) const {
    ui.checked = selection().tool == ToolKind::CircleByDiameter;
}
void COrvaneView::OnUpdateSelectCircleRadius(CmdUi& ui) const {
    ui.checked = selection().tool == ToolKind::CircleByRadius;
}
void COrvaneView::OnUpdateSelectGrid(CmdUi& ui) const {
    ui.checked = selection().tool == ToolKind::Grid;
}

std::span<const CommandEntry<COrvaneView>> COrvaneView::commandMap() {
    using V = COrvaneView;
    static const CommandEntry<V> map[] = {
        {kDisplayLinear, &V::OnDisplayLinear, &V::OnUpdateDisplayLinear},
        {kDisplayLog, &V::OnDisplayLog, &V::OnUpdateDisplayLog},
        {kDisplayInverted, &V::OnDisplayInverted, nullptr},
        {kChannel1, &V::OnChannel1, &V::OnUpdateChannel1},
        {kChannel2, &V::OnChannel2, &V::OnUpdateChannel2},
        {kChannel3, &V::OnChannel3, &V::OnUpdateChannel3},
        {kOverlayImage, &V::OnOverlayImage, &V::OnUpdateOverlayImage},
        {kExportTiff, &V::OnExportTiff, &V::OnUpdateExportTiff},
        {kSubtractBackground, &V::OnSubtractBackground, nullptr},
        {kFilterMean, &V::OnFilterMean, nullptr},
        {kFilterMedian, &V::OnFilterMedian, nullptr},
        {kFilePrint, &V::OnFilePrint, nullptr},
        {kFilePrintDirect, &V::OnFilePrintDirect, nullptr},
        {kFilePrintPreview, &V::OnFilePrintPreview, nullptr},
        {kSelectPoint, &V::OnSelectPoint, &V::OnUpdateSelectPoint},
        {kSelectRectangle, &V::OnSelectRectangle, &V::OnUpdateSelectRectangle},
        {kSelectCircleDiameter, &V::OnSelectCircleDiameter, &V::OnUpdateSelectCircleDiameter},
        {kSelectCircleRadius, &V::OnSelectCircleRadius, &V::OnUpdateSelectCircleRadius},
        {kSelectGrid, &V::OnSelectGrid, &V::OnUpdateSelectGrid},
        {kGridDefine, &V::OnGridDefine, &V::OnUpdateGridCommand},
        {kGridLoad, &V::OnGridLoad, &V::OnUpdateGridCommand},
        {kGridSave, &V::OnGridSave, &V::OnUpdateGridCommand},
        {kGridFind, &V::OnGridFind, &V::OnUpdateGridCommand},
        {kGridAdjust2DW, &V::OnGridAdjust2DW, &V::OnUpdateGridCommand},
        {kGridAdjust1DW, &V::OnGridAdjust1DW, &V::OnUpdateGridCommand},
        {kGridAdjustCM, &V::OnGridAdjustCM, &V::OnUpdateGridCommand},
        {kGridAutoPlace, &V::OnGridAutoPlace, &V::OnUpdateGridCommand},
        {kGridExtract, &V::OnGridExtract, &V::OnUpdateGridCommand},
        {kGridExportGenePix, &V::OnGridExportGenePix, &V::OnUpdateGridCommand},
        {kGridHistogram, &V::OnGridHistogram, &V::OnUpdateGridCommand},
        {kGridMarkNotFound, &V::OnGridMarkNotFound, &V::OnUpdateGridCommand},
        {kSelectionStatistics, &V::OnSelectionStatistics, &V::OnUpdateGridCommand},
        {kToolbarStatistics, &V::OnSelectionStatistics, &V::OnUpdateGridCommand},
        {kSelectionPairs, &V::OnSelectionPairs, &V::OnUpdateGridCommand},
        {kToolbarPairs, &V::OnSelectionPairs, &V::OnUpdateGridCommand},
        {kSelectionSaveRaw, &V::OnSelectionSaveRaw, &V::OnUpdateGridCommand},
    };
    return map;
}

}  // namespace orvane
