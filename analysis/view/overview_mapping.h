// The arithmetic of the slide overview: the whole picture reduced to fit a window, the visible
// part of an image view as a rectangle in it, and where a click or drag in it scrolls the view.
#pragma once

#include <cstdint>

namespace orvane {

struct OverviewRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
    bool operator==(const OverviewRect&) const = default;
};

struct OverviewPoint {
    std::int32_t x = 0, y = 0;
    bool operator==(const OverviewPoint&) const = default;
};

class OverviewMapping {
public:
    // An image of imageWidth x imageHeight pixels reduced, with its aspect kept, to fit an area
    // of areaWidth x areaHeight and centred in it; never enlarged. An empty image or area maps
    // nothing (scale 0).
    static OverviewMapping Fit(std::int32_t imageWidth, std::int32_t imageHeight,
                               std::int32_t areaWidth, std::int32_t areaHeight);

    double scale() const { return scale_; }
    // Where the reduced picture lies in the area.
    OverviewRect pictureRect() const { return picture_; }

    // An image rectangle (the visible area, a quad's outline) in overview coordinates.
    OverviewRect ToOverview(const OverviewRect& image) const;
    // The image pixel under an overview point, clamped into the image.
    OverviewPoint ToImage(OverviewPoint overview) const;
    // The view's scroll position (its top-left image pixel) that centres a viewport of the
    // given size on the image pixel under the point, kept inside the image.
    OverviewPoint ScrollFor(OverviewPoint overview, std::int32_t viewportWidth,
                            std::int32_t viewportHeight) const;

private:
    std::int32_t imageWidth_ = 0, imageHeight_ = 0;
    double scale_ = 0.0;
    OverviewRect picture_;
};

}  // namespace orvane
