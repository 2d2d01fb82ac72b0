// The image view: initial update, following the model, painting the picture of the visible part
// with the grey background and the overlay, and scrolling.
#include "view/ui/orvane_view.h"

#include <algorithm>
#include <climits>

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>
#include <QTimer>

#include "base/ui/shell_services.h"
#include "view/ui/orvane_doc.h"
#include "view/ui/overlay_painter.h"

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
    : QAbstractScrollArea(parent),
      model_(std::make_unique<WindowModel>()),
      editor_(model_->editor()),
      picture_(*document),
      window_{std::move(document), *model_, *this, picture_, {}} {
    setAttribute(Qt::WA_DeleteOnClose, false);
    viewport()->setCursor(Qt::ArrowCursor);
    // Painting covers every pixel (picture or grey), so Qt need not clear the viewport first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    GetDocument()->AddView(this);
    // The overlay is drawn over the picture at each paint; only the part a figure touched
    // needs repainting.
    overlaySurface_ = std::make_unique<PictureOverlaySurface>(
        [this] {
            const DisplayState& d = model_->display();
            return QSize(d.imageWidth, d.imageHeight);
        },
        [this](const QRect& r) { viewport()->update(windowRectOf(r)); });
    editor_.SetImage(&GetDocument()->image());
    editor_.SetSurface(overlaySurface_.get());
    model_->AddObserver([this](ModelChange change) { modelChanged(change); });
}

void COrvaneView::modelChanged(ModelChange change) {
    switch (change) {
    case ModelChange::Swapped:
        showMessagePaneText("Ready");
        viewport()->update();
        break;
    case ModelChange::Display:
    case ModelChange::Samples:
        RebuildDisplay();
        viewport()->update();
        break;
    case ModelChange::Zoom: zoomChanged(); break;
    case ModelChange::Focus: {
        // The spot's centre in the middle of the window, at any zoom.
        const GridPoint& centre = model_->focusPoint();
        CentreOn(QPoint(centre.x, centre.y));
        return;
    }
    case ModelChange::Dragged:
    case ModelChange::SpotData:
    case ModelChange::Picture:
    case ModelChange::VisibleArea: return;
    default: break;
    }
    emit stateChanged();
}

COrvaneView::~COrvaneView() { GetDocument()->RemoveView(this); }

void COrvaneView::OnInitialUpdate() {
    const LayeredImage& image = GetDocument()->image();
    model_->ResetPicture(image.layerCount > 0 ? image.width() : 0,
                         image.layerCount > 0 ? image.height() : 0);
    const QSize area = maximumViewportSize();
    model_->SetWindowArea(area.width(), area.height());
    updateScrollBars();
    picture_.Invalidate();
    hasPicture_ = false;
    const DisplayState& display = model_->display();
    if (display.imageWidth > 0 && display.imageHeight > 0) {
        // The window holds a picture of its own size only; that is what can fail here.
        if (QImage(viewport()->size().expandedTo(QSize(1, 1)), QImage::Format_RGB32).isNull()) {
            OrvaneMessageBox("Unable to create compatible DDB.");
            return;
        }
        hasPicture_ = true;
    }
    RebuildDisplay();
}

void COrvaneView::RebuildDisplay() {
    if (!hasPicture_) return;
    const LayeredImage& image = GetDocument()->image();
    if (image.layerCount == 0) return;
    WaitCursor wait;
    StatusProgress progress;
    // The visible part takes milliseconds; the texts are those of the whole picture's rebuild.
    ReportRebuildProgress(image.height(), progress);
    picture_.Invalidate();
    NullProgress quiet;
    picture_.Ensure(viewport()->size().expandedTo(QSize(1, 1)), scrollPosition(), model_->zoom(),
                    model_->display(), quiet);
    picture_.MakeReducedPicture(model_->display());
    // The fresh picture carries no overlay: draw it again, in the pens of the display mode.
    overlaySurface_->Clear();
    editor_.SetInvertedDisplay(model_->display().invertedDisplay);
    editor_.PictureRenewed();
    model_->Notify(ModelChange::Picture);
}

QPoint COrvaneView::scrollPosition() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void COrvaneView::updateScrollBars() {
    const ZoomScale& zoom = model_->zoom();
    const DisplayState& display = model_->display();
    setScrollSteps(horizontalScrollBar(), toInt(zoom.ContentSize(display.imageWidth)),
                   viewport()->width());
    setScrollSteps(verticalScrollBar(), toInt(zoom.ContentSize(display.imageHeight)),
                   viewport()->height());
}

void COrvaneView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const QSize area = maximumViewportSize();
    model_->SetWindowArea(area.width(), area.height());
    updateScrollBars();
    reportVisibleArea();
}

void COrvaneView::scrollContentsBy(int, int) {
    viewport()->update();
    reportVisibleArea();
}

void COrvaneView::reportVisibleArea() {
    const QRect shown = visibleImageRect();
    model_->SetVisibleArea(
        {shown.left(), shown.top(), shown.left() + shown.width(), shown.top() + shown.height()});
}

QRect COrvaneView::visibleImageRect() const {
    const DisplayState& display = model_->display();
    const ZoomScale& zoom = model_->zoom();
    if (display.imageWidth <= 0 || display.imageHeight <= 0) return {};
    const QPoint topLeft = toImage(QPoint(0, 0));
    // Below 1:1 the last window pixel covers more than its first image pixel.
    const QPoint end(toInt(zoom.CoveredEnd(std::int64_t{viewport()->width() - 1} +
                                           horizontalScrollBar()->value())),
                     toInt(zoom.CoveredEnd(std::int64_t{viewport()->height() - 1} +
                                           verticalScrollBar()->value())));
    const QRect shown(topLeft, QPoint(end.x() - 1, end.y() - 1));
    return shown & QRect(0, 0, display.imageWidth, display.imageHeight);
}

void COrvaneView::ScrollTo(QPoint topLeft) {
    const ZoomScale& zoom = model_->zoom();
    horizontalScrollBar()->setValue(toInt(zoom.ToScreen(topLeft.x())));
    verticalScrollBar()->setValue(toInt(zoom.ToScreen(topLeft.y())));
}

QPoint COrvaneView::toImage(QPoint windowPoint) const {
    const ZoomScale& zoom = model_->zoom();
    return QPoint(
        toInt(zoom.ToImage(std::int64_t{windowPoint.x()} + horizontalScrollBar()->value())),
        toInt(zoom.ToImage(std::int64_t{windowPoint.y()} + verticalScrollBar()->value())));
}

QPoint COrvaneView::toWindow(QPoint imagePoint) const {
    const ZoomScale& zoom = model_->zoom();
    return QPoint(toInt(zoom.ToScreen(imagePoint.x()) - horizontalScrollBar()->value()),
                  toInt(zoom.ToScreen(imagePoint.y()) - verticalScrollBar()->value()));
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
    const ZoomScale& zoom = model_->zoom();
    const DisplayState& display = model_->display();
    const QRect content(-scroll, QSize(toInt(zoom.ContentSize(display.imageWidth)),
                                       toInt(zoom.ContentSize(display.imageHeight))));
    // Grey beside and below the picture; the picture's own area is only copied, never erased.
    const QRegion grey = QRegion(event->rect()) - QRegion(content);
    for (const QRect& r : grey) painter.fillRect(r, kBackgroundGrey);
    const QRect exposed = event->rect() & content;
    if (exposed.isEmpty()) return;
    NullProgress quiet;
    if (!hasPicture_ || !picture_.Ensure(viewport()->size().expandedTo(QSize(1, 1)), scroll, zoom,
                                         display, quiet)) {
        painter.fillRect(exposed, kBackgroundGrey);
        return;
    }
    // The clean picture's exposed part, with the overlay inverted into a copy of it.
    QImage frame = picture_.visible().copy(exposed);
    OverlayTransform t{zoom.num(), zoom.den(), std::int64_t{scroll.x()} + exposed.left(),
                       std::int64_t{scroll.y()} + exposed.top()};
    PaintShownOverlay(frame, overlaySurface_->shown(), editor_.invertedDisplay(), t);
    if (editor_.tool() == ToolKind::Grid && editor_.overlayShown())
        PaintQuadOutlines(frame, editor_.grid(), editor_.invertedDisplay(), t);
    painter.drawImage(exposed.topLeft(), frame);
    // The reduced copies for zooming out are made once the window shows its first picture.
    // (a moment later, so that the first picture is on the screen while they are made); the
    // overview's picture is then made from their maxima.
    if (!reducedScheduled_ && picture_.reducedStale()) {
        reducedScheduled_ = true;
        QTimer::singleShot(100, this, [this] {
            reducedScheduled_ = false;
            if (!picture_.reducedStale()) return;
            if (!runReportingErrors([&] { picture_.BuildReduced(); })) return;
            picture_.MakeReducedPicture(model_->display());
            model_->Notify(ModelChange::Picture);
        });
    }
}

QImage COrvaneView::offscreenImage() const {
    const DisplayState& display = model_->display();
    if (!hasPicture_ || GetDocument()->layerCount() == 0) return QImage();
    QImage whole(display.imageWidth, display.imageHeight, QImage::Format_RGB32);
    if (whole.isNull()) return whole;
    NullProgress quiet;
    BuildRaster32(GetDocument()->image(), display, reinterpret_cast<std::uint32_t*>(whole.bits()),
                  whole.bytesPerLine() / 4, quiet);
    PaintShownOverlay(whole, overlaySurface_->shown(), editor_.invertedDisplay(), {});
    return whole;
}

}  // namespace orvane
