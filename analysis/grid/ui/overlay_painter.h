// Paints overlay figures onto the view's picture with the NOT-XOR raster operation, so that a
// figure painted twice leaves the picture as it was.
#pragma once

#include <functional>

#include <QImage>
#include <QRect>

#include "grid/grid_editor.h"
#include "grid/overlay_figure.h"

namespace orvane {

// Inverts the figure's outlines on `picture` (a 32-bit image): each pixel under a pen becomes
// NOT (pixel XOR pen colour). Interiors are left alone.
void PaintOverlayFigure(QImage& picture, const OverlayFigure& figure, bool invertedDisplay);

// The grid editor's surface on a view's picture: paints there and reports the changed area,
// in image pixels, so that the window repaints just that part.
class PictureOverlaySurface final : public OverlaySurface {
public:
    PictureOverlaySurface(QImage* picture, std::function<void(const QRect&)> changed)
        : picture_(picture), changed_(std::move(changed)) {}

    void PaintFigure(const OverlayFigure& figure, bool invertedDisplay) override;
    OverlayClip ClipBox() const override;

private:
    QImage* picture_;
    std::function<void(const QRect&)> changed_;
};

}  // namespace orvane
