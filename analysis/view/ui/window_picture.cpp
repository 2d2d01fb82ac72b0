// The window's pictures: the visible part, the reduced copies and the Overview's picture.
#include "view/ui/window_picture.h"

#include <algorithm>
#include <climits>

#include "base/allocator.h"
#include "base/ui/shell_services.h"
#include "view/ui/orvane_doc.h"
#include "view/zoomed_raster.h"

namespace orvane {
namespace {

int toInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN / 2, INT32_MAX / 2));
}

// Every pixel of `scale`'s picture sampled from the layers: a picture of a scan whose reduced
// copies do not exist yet, without reading all of its samples.
void buildSampled(const LayeredImage& image, const DisplayState& display, const ZoomScale& scale,
                  QImage& picture) {
    LayeredImage samples;
    samples.layerCount = image.layerCount;
    for (int i = 0; i < image.layerCount; ++i) {
        const ImageLayer& from = image.layers[static_cast<std::size_t>(i)];
        ImageLayer& to = samples.layers[static_cast<std::size_t>(i)];
        to.width = picture.width();
        to.height = picture.height();
        to.samples = allocateBuffer<std::uint16_t>(checkedCount(to.width, to.height, 2));
        for (int y = 0; y < to.height; ++y) {
            const auto sy = static_cast<std::int32_t>(scale.ToImage(y));
            for (int x = 0; x < to.width; ++x)
                to.samples[static_cast<std::size_t>(y) * static_cast<std::size_t>(to.width) +
                           static_cast<std::size_t>(x)] =
                    from.at(static_cast<std::int32_t>(scale.ToImage(x)), sy);
        }
    }
    NullProgress quiet;
    BuildRaster32(samples, display, reinterpret_cast<std::uint32_t*>(picture.bits()),
                  picture.bytesPerLine() / 4, quiet);
}

}  // namespace

bool WindowPicture::Ensure(QSize size, QPoint origin, const ZoomScale& zoom,
                           const DisplayState& display, Progress& progress) {
    if (valid_ && picture_.size() == size && origin_ == origin && scale_ == zoom) return true;
    if (picture_.size() != size) {
        picture_ = QImage(size, QImage::Format_RGB32);
        if (picture_.isNull()) return false;
    }
    const ScreenBox box =
        ContentPart(zoom, display.imageWidth, display.imageHeight,
                    {origin.x(), origin.y(), std::int64_t{origin.x()} + size.width(),
                     std::int64_t{origin.y()} + size.height()});
    if (box.right > box.left && box.bottom > box.top) {
        // Below 1/2 the reduced copies serve; they are made the first time they are needed.
        const bool useReduced = ReductionLevel(zoom) >= ReducedLayers::kFirstLevel;
        if (useReduced) BuildReduced();
        auto* pixels = reinterpret_cast<std::uint32_t*>(
            picture_.scanLine(static_cast<int>(box.top - origin.y())));
        pixels += box.left - origin.x();
        BuildZoomed32(document_.image(), useReduced ? &reduced_ : nullptr, display, zoom, box,
                      pixels, picture_.bytesPerLine() / 4, progress);
    }
    origin_ = origin;
    scale_ = zoom;
    valid_ = true;
    return true;
}

bool WindowPicture::reducedStale() const {
    return reducedGeneration_ != document_.layersGeneration() || !reduced_.built();
}

void WindowPicture::BuildReduced() {
    if (!reducedStale()) return;
    reduced_.Clear();
    WaitCursor wait;
    reduced_.Build(document_.image());
    reducedGeneration_ = document_.layersGeneration();
}

void WindowPicture::MakeReducedPicture(const DisplayState& display) {
    // The whole scan at the largest zoom (1:1 at most) that fits kReducedPictureSize, mapped
    // from the maxima of the reduced copies like the view below 1:1. Until those copies exist
    // (they are made after the first paint) it is sampled instead, so that opening a 2 um scan
    // does not read all of its samples before the first picture.
    const std::int32_t w = display.imageWidth, h = display.imageHeight;
    const LayeredImage& image = document_.image();
    reducedPicture_ = QImage();
    if (w <= 0 || h <= 0 || image.layerCount == 0) return;
    ZoomScale scale = ZoomScale::Fit(w, h, kReducedPictureSize, kReducedPictureSize);
    if (!scale.below1()) scale = ZoomScale();
    const QSize size(toInt(scale.ContentSize(w)), toInt(scale.ContentSize(h)));
    QImage picture(size, QImage::Format_RGB32);
    if (picture.isNull()) return;
    const bool haveReduced = !reducedStale();
    if (haveReduced || ReductionLevel(scale) < ReducedLayers::kFirstLevel) {
        NullProgress quiet;
        BuildZoomed32(image, haveReduced ? &reduced_ : nullptr, display, scale,
                      {0, 0, size.width(), size.height()},
                      reinterpret_cast<std::uint32_t*>(picture.bits()), picture.bytesPerLine() / 4,
                      quiet);
    } else {
        buildSampled(image, display, scale, picture);
    }
    reducedPicture_ = picture;
}

}  // namespace orvane
