// WindowPicture: the pictures an image window paints from: the visible part at the current zoom
// (rebuilt only when the scroll position, zoom, size or display changed), the reduced copies of
// the layers for zooming out, and the reduced picture of the whole scan for the Overview.
#pragma once

#include <cstdint>

#include <QImage>
#include <QPoint>
#include <QSize>

#include "base/progress.h"
#include "view/display_raster.h"
#include "view/reduced_layers.h"
#include "view/zoom_scale.h"

namespace orvane {

class COrvaneDoc;

class WindowPicture {
public:
    explicit WindowPicture(const COrvaneDoc& document) : document_(document) {}

    // The picture of `size` window pixels from content pixel `origin` on, built when it is not
    // that one already; false when it cannot be allocated.
    bool Ensure(QSize size, QPoint origin, const ZoomScale& zoom, const DisplayState& display,
                Progress& progress);
    void Invalidate() { valid_ = false; }
    const QImage& visible() const { return picture_; }

    // The reduced copies are stale after the document's layers changed.
    bool reducedStale() const;
    // Makes the reduced copies when stale (the window does so just after its first paint).
    void BuildReduced();
    // The Overview's picture: at most kReducedPictureSize on the longer side.
    void MakeReducedPicture(const DisplayState& display);
    const QImage& reducedPicture() const { return reducedPicture_; }
    static constexpr int kReducedPictureSize = 1024;

private:
    const COrvaneDoc& document_;
    // The visible part, mapped at scale_ from content pixel origin_ on.
    QImage picture_;
    ZoomScale scale_;
    QPoint origin_;
    bool valid_ = false;
    ReducedLayers reduced_;
    std::uint64_t reducedGeneration_ = 0;
    QImage reducedPicture_;
};

}  // namespace orvane
