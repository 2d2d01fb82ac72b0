// Paints overlay figures with the NOT-XOR raster operation, so that a figure painted twice
// leaves the picture as it was; and the view's surface, which keeps the shown overlay as a set
// so that the view can draw it at any zoom.
#pragma once

#include <cstdint>
#include <functional>

#include <QImage>
#include <QRect>
#include <QSize>

#include "grid/overlay_figure.h"
#include "grid/shown_overlay.h"
#include "window/grid_editor.h"

namespace orvane {

// Inverts the figure's outlines on `picture` (a 32-bit image): each pixel under a pen becomes
// NOT (pixel XOR pen colour). Interiors are left alone.
void PaintOverlayFigure(QImage& picture, const OverlayFigure& figure, bool invertedDisplay);

// Image pixels to the pixels of a target picture: x -> floor(x * num / den) - originX.
struct OverlayTransform {
    std::int64_t num = 1;
    std::int64_t den = 1;
    std::int64_t originX = 0;
    std::int64_t originY = 0;

    std::int32_t x(std::int64_t imageX) const;
    std::int32_t y(std::int64_t imageY) const;
    bool identityScale() const { return num == den; }
};

// Paints every shown primitive that can touch `target` through `t`. At 1:1 and above each one
// is painted as it is, mapped; below 1:1 figures smaller than 3 screen pixels are left out,
// except the selected spot (a 7-pixel square) and highlighted spots (5-pixel squares), so that
// a zoomed-out grid stays readable.
void PaintShownOverlay(QImage& target, const ShownOverlay& shown, bool invertedDisplay,
                       const OverlayTransform& t);

// Below 1:1, where a quad's spots are too small to draw: its outline through the four corners,
// with the highlight pen (NOT-XOR as well).
void PaintQuadOutlines(QImage& target, const SpotGrid& grid, bool invertedDisplay,
                       const OverlayTransform& t);

// The grid editor's surface for a view: keeps what is painted as a ShownOverlay and reports
// the changed area, in image pixels, so that the window repaints just that part.
class PictureOverlaySurface final : public OverlaySurface {
public:
    PictureOverlaySurface(std::function<QSize()> imageSize,
                          std::function<void(const QRect&)> changed)
        : imageSize_(std::move(imageSize)), changed_(std::move(changed)) {}

    void PaintFigure(const OverlayFigure& figure, bool invertedDisplay) override;
    OverlayClip ClipBox() const override;

    const ShownOverlay& shown() const { return shown_; }
    // A fresh picture: nothing is inverted into it.
    void Clear() { shown_.Clear(); }

private:
    std::function<QSize()> imageSize_;
    std::function<void(const QRect&)> changed_;
    ShownOverlay shown_;
};

}  // namespace orvane
