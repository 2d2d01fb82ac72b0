// The image view: initial update, the picture of the visible part, painting with the grey
// background and the overlay, scrolling, the position and intensity panes, and the command map.
#include "view/ui/orvane_view.h"

#include <algorithm>
#include <climits>

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>
#include <QTimer>

#include "base/allocator.h"
#include "base/ui/command_ids.h"
#include "base/ui/shell_services.h"
#include "view/ui/orvane_doc.h"
#include "view/ui/overlay_painter.h"
#include "view/zoomed_raster.h"

namespace orvane {
namespace {

const QColor kBackgroundGrey(128, 128, 128);

// Page step one tenth of the extent, line step one tenth of the page step (integer divisions),
// at least one pixel so that tiny pictures still scroll by keys.
void setScrollSteps(QScrollBar* bar, int extent, int visible) {
    bar->setRange(0, std::max(0, extent - visible));
    const int page = std::max(1, extent / 10);
    bar->setPageStep(page);
    bar->setSingleStep(std::max(1, page / 10));
}

int toInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN / 2, INT32_MAX / 2));
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
    // The overlay is drawn over the picture at each paint; only the part a figure touched
    // needs repainting.
    overlaySurface_ = std::make_unique<PictureOverlaySurface>(
        [this] { return QSize(display_.imageWidth, display_.imageHeight); },
        [this](const QRect& r) { viewport()->update(windowRectOf(r)); });
    editor_.SetImage(&document_->image());
    editor_.SetSurface(overlaySurface_.get());
    model_.AddObserver([this](ModelChange change) { modelChanged(change); });
}

void COrvaneView::modelChanged(ModelChange change) {
    if (change == ModelChange::Swapped) {
        showMessagePaneText("Ready");
        repaintAll();
    }
    emit stateChanged();
    if (change == ModelChange::Swapped) emit spotDataChanged();
}

COrvaneView::~COrvaneView() { document_->RemoveView(this); }

void COrvaneView::OnInitialUpdate() {
    const LayeredImage& image = document_->image();
    display_.imageWidth = image.layerCount > 0 ? image.width() : 0;
    display_.imageHeight = image.layerCount > 0 ? image.height() : 0;
    zoom_ = ZoomScale();
    editor_.SetScale(1, 1);
    updateScrollBars();
    invalidatePicture();
    hasPicture_ = false;
    if (display_.imageWidth > 0 && display_.imageHeight > 0) {
        // The window holds a picture of its own size only; that is what can fail here.
        picture_ = QImage(viewport()->size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        if (picture_.isNull()) {
            OrvaneMessageBox("Unable to create compatible DDB.");
            return;
        }
        hasPicture_ = true;
    }
    display_.logDisplay = true;
    RebuildDisplay();
}

void COrvaneView::RebuildDisplay() {
    if (!hasPicture_) return;
    const LayeredImage& image = document_->image();
    if (image.layerCount == 0) return;
    WaitCursor wait;
    StatusProgress progress;
    // The visible part takes milliseconds; the texts are those of the whole picture's rebuild.
    ReportRebuildProgress(image.height(), progress);
    invalidatePicture();
    NullProgress quiet;
    ensurePicture(quiet);
    makeReducedPicture();
    // The fresh picture carries no overlay: draw it again, in the pens of the display mode.
    overlaySurface_->Clear();
    editor_.SetInvertedDisplay(display_.invertedDisplay);
    editor_.PictureRenewed();
    emit pictureChanged();
}

void COrvaneView::invalidatePicture() { pictureValid_ = false; }

QPoint COrvaneView::scrollPosition() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

const ReducedLayers* COrvaneView::reducedLayers(bool build) {
    const LayeredImage& image = document_->image();
    if (reducedGeneration_ != document_->layersGeneration() || !reduced_.built()) {
        if (!build) return nullptr;
        reduced_.Clear();
        WaitCursor wait;
        reduced_.Build(image);
        reducedGeneration_ = document_->layersGeneration();
    }
    return &reduced_;
}

bool COrvaneView::ensurePicture(Progress& progress) {
    if (!hasPicture_) return false;
    const QSize size = viewport()->size().expandedTo(QSize(1, 1));
    const QPoint origin = scrollPosition();
    if (pictureValid_ && picture_.size() == size && pictureOrigin_ == origin &&
        pictureScale_ == zoom_)
        return true;
    if (picture_.size() != size) {
        picture_ = QImage(size, QImage::Format_RGB32);
        if (picture_.isNull()) return false;
    }
    const LayeredImage& image = document_->image();
    const ScreenBox box =
        ContentPart(zoom_, display_.imageWidth, display_.imageHeight,
                    {origin.x(), origin.y(), std::int64_t{origin.x()} + size.width(),
                     std::int64_t{origin.y()} + size.height()});
    if (box.right > box.left && box.bottom > box.top) {
        // Below 1/2 the reduced copies serve; they are made the first time they are needed.
        const ReducedLayers* reduced =
            ReductionLevel(zoom_) >= ReducedLayers::kFirstLevel ? reducedLayers(true) : nullptr;
        auto* pixels = reinterpret_cast<std::uint32_t*>(
            picture_.scanLine(static_cast<int>(box.top - origin.y())));
        pixels += box.left - origin.x();
        BuildZoomed32(image, reduced, display_, zoom_, box, pixels, picture_.bytesPerLine() / 4,
                      progress);
    }
    pictureOrigin_ = origin;
    pictureScale_ = zoom_;
    pictureValid_ = true;
    return true;
}

void COrvaneView::makeReducedPicture() {
    // The overview's picture: the whole scan at the largest zoom (1:1 at most) that fits
    // kReducedPictureSize, mapped from the maxima of the reduced copies like the view below 1:1.
    // Until those copies exist (they are made after the first paint) it is sampled instead, so
    // that opening a 2 um scan does not read all of its samples before the first picture.
    const std::int32_t w = display_.imageWidth, h = display_.imageHeight;
    const LayeredImage& image = document_->image();
    reducedPicture_ = QImage();
    if (w <= 0 || h <= 0 || image.layerCount == 0) return;
    ZoomScale scale = ZoomScale::Fit(w, h, kReducedPictureSize, kReducedPictureSize);
    if (!scale.below1()) scale = ZoomScale();
    const QSize size(toInt(scale.ContentSize(w)), toInt(scale.ContentSize(h)));
    QImage picture(size, QImage::Format_RGB32);
    if (picture.isNull()) return;
    auto* pixels = reinterpret_cast<std::uint32_t*>(picture.bits());
    const std::int64_t perRow = picture.bytesPerLine() / 4;
    NullProgress quiet;
    const bool haveReduced =
        reducedGeneration_ == document_->layersGeneration() && reduced_.built();
    if (haveReduced || ReductionLevel(scale) < ReducedLayers::kFirstLevel) {
        BuildZoomed32(image, haveReduced ? &reduced_ : nullptr, display_, scale,
                      {0, 0, size.width(), size.height()}, pixels, perRow, quiet);
    } else {
        LayeredImage samples;
        samples.layerCount = image.layerCount;
        for (int i = 0; i < image.layerCount; ++i) {
            const ImageLayer& from = image.layers[static_cast<std::size_t>(i)];
            ImageLayer& to = samples.layers[static_cast<std::size_t>(i)];
            to.width = size.width();
            to.height = size.height();
            to.samples = allocateBuffer<std::uint16_t>(checkedCount(to.width, to.height, 2));
            for (int y = 0; y < to.height; ++y) {
                const auto sy = static_cast<std::int32_t>(scale.ToImage(y));
                for (int x = 0; x < to.width; ++x)
                    to.samples[static_cast<std::size_t>(y) * static_cast<std::size_t>(to.width) +
                               static_cast<std::size_t>(x)] =
                        from.at(static_cast<std::int32_t>(scale.ToImage(x)), sy);
            }
        }
        BuildRaster32(samples, display_, pixels, perRow, quiet);
    }
    reducedPicture_ = picture;
}

void COrvaneView::repaintAll() { viewport()->update(); }

void COrvaneView::updateScrollBars() {
    setScrollSteps(horizontalScrollBar(), toInt(zoom_.ContentSize(display_.imageWidth)),
                   viewport()->width());
    setScrollSteps(verticalScrollBar(), toInt(zoom_.ContentSize(display_.imageHeight)),
                   viewport()->height());
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
    if (display_.imageWidth <= 0 || display_.imageHeight <= 0) return {};
    const QPoint topLeft = toImage(QPoint(0, 0));
    // Below 1:1 the last window pixel covers more than its first image pixel.
    const QPoint end(toInt(zoom_.CoveredEnd(std::int64_t{viewport()->width() - 1} +
                                            horizontalScrollBar()->value())),
                     toInt(zoom_.CoveredEnd(std::int64_t{viewport()->height() - 1} +
                                            verticalScrollBar()->value())));
    const QRect shown(topLeft, QPoint(end.x() - 1, end.y() - 1));
    return shown & QRect(0, 0, display_.imageWidth, display_.imageHeight);
}

void COrvaneView::ScrollTo(QPoint topLeft) {
    horizontalScrollBar()->setValue(toInt(zoom_.ToScreen(topLeft.x())));
    verticalScrollBar()->setValue(toInt(zoom_.ToScreen(topLeft.y())));
}

QPoint COrvaneView::toImage(QPoint windowPoint) const {
    return QPoint(
        toInt(zoom_.ToImage(std::int64_t{windowPoint.x()} + horizontalScrollBar()->value())),
        toInt(zoom_.ToImage(std::int64_t{windowPoint.y()} + verticalScrollBar()->value())));
}

QPoint COrvaneView::toWindow(QPoint imagePoint) const {
    return QPoint(toInt(zoom_.ToScreen(imagePoint.x()) - horizontalScrollBar()->value()),
                  toInt(zoom_.ToScreen(imagePoint.y()) - verticalScrollBar()->value()));
}

QRect COrvaneView::windowRectOf(const QRect& imageRect) const {
    // The corners' blocks, widened by the widest pen and the small squares drawn below 1:1.
    const QPoint a = toWindow(imageRect.topLeft());
    const QPoint b = toWindow(imageRect.bottomRight() + QPoint(1, 1));
    return QRect(a, b).normalized().adjusted(-4, -4, 4, 4);
}

void COrvaneView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QPoint scroll = scrollPosition();
    const QRect content(-scroll, QSize(toInt(zoom_.ContentSize(display_.imageWidth)),
                                       toInt(zoom_.ContentSize(display_.imageHeight))));
    // Grey beside and below the picture; the picture's own area is only copied, never erased.
    const QRegion grey = QRegion(event->rect()) - QRegion(content);
    for (const QRect& r : grey) painter.fillRect(r, kBackgroundGrey);
    const QRect exposed = event->rect() & content;
    if (exposed.isEmpty()) return;
    NullProgress quiet;
    if (!ensurePicture(quiet)) {
        painter.fillRect(exposed, kBackgroundGrey);
        return;
    }
    // The clean picture's exposed part, with the overlay inverted into a copy of it.
    QImage frame = picture_.copy(exposed);
    OverlayTransform t{zoom_.num(), zoom_.den(), std::int64_t{scroll.x()} + exposed.left(),
                       std::int64_t{scroll.y()} + exposed.top()};
    PaintShownOverlay(frame, overlaySurface_->shown(), editor_.invertedDisplay(), t);
    if (editor_.tool() == ToolKind::Grid && editor_.overlayShown())
        PaintQuadOutlines(frame, editor_.grid(), editor_.invertedDisplay(), t);
    painter.drawImage(exposed.topLeft(), frame);
    // The reduced copies for zooming out are made once the window shows its first picture.
    // (a moment later, so that the first picture is on the screen while they are made); the
    // overview's picture is then made from their maxima.
    if (!reducedScheduled_ && reducedGeneration_ != document_->layersGeneration()) {
        reducedScheduled_ = true;
        QTimer::singleShot(100, this, [this] {
            reducedScheduled_ = false;
            if (reducedGeneration_ == document_->layersGeneration()) return;
            if (!runReportingErrors([&] { reducedLayers(true); })) return;
            makeReducedPicture();
            emit pictureChanged();
        });
    }
}

QImage COrvaneView::offscreenImage() const {
    if (!hasPicture_ || document_->layerCount() == 0) return QImage();
    QImage whole(display_.imageWidth, display_.imageHeight, QImage::Format_RGB32);
    if (whole.isNull()) return whole;
    NullProgress quiet;
    BuildRaster32(document_->image(), display_, reinterpret_cast<std::uint32_t*>(whole.bits()),
                  whole.bytesPerLine() / 4, quiet);
    PaintShownOverlay(whole, overlaySurface_->shown(), editor_.invertedDisplay(), {});
    return whole;
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
        {kZoomIn, &V::OnZoomIn, &V::OnUpdateZoom},
        {kZoomOut, &V::OnZoomOut, &V::OnUpdateZoom},
        {kZoomFit, &V::OnZoomFit, &V::OnUpdateZoom},
        {kZoomActual, &V::OnZoomActual, &V::OnUpdateZoom},
    };
    return map;
}

}  // namespace orvane
