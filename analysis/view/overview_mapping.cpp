// Overview arithmetic in double precision, rounded once at the end, so that outlines and clicks
// agree to the pixel however far the picture is reduced.
#include "overview_mapping.h"

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

std::int32_t rounded(double v) { return static_cast<std::int32_t>(std::lround(v)); }

}  // namespace

OverviewMapping OverviewMapping::Fit(std::int32_t imageWidth, std::int32_t imageHeight,
                                     std::int32_t areaWidth, std::int32_t areaHeight) {
    OverviewMapping m;
    if (imageWidth <= 0 || imageHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) return m;
    m.imageWidth_ = imageWidth;
    m.imageHeight_ = imageHeight;
    m.scale_ = std::min({1.0, static_cast<double>(areaWidth) / imageWidth,
                         static_cast<double>(areaHeight) / imageHeight});
    const std::int32_t width = std::max(1, rounded(imageWidth * m.scale_));
    const std::int32_t height = std::max(1, rounded(imageHeight * m.scale_));
    m.picture_.left = (areaWidth - width) / 2;
    m.picture_.top = (areaHeight - height) / 2;
    m.picture_.right = m.picture_.left + width;
    m.picture_.bottom = m.picture_.top + height;
    return m;
}

OverviewRect OverviewMapping::ToOverview(const OverviewRect& image) const {
    return {picture_.left + rounded(image.left * scale_),
            picture_.top + rounded(image.top * scale_),
            picture_.left + rounded(image.right * scale_),
            picture_.top + rounded(image.bottom * scale_)};
}

OverviewPoint OverviewMapping::ToImage(OverviewPoint overview) const {
    if (scale_ <= 0.0) return {};
    const auto clamp = [](double v, std::int32_t size) {
        return std::clamp(static_cast<std::int32_t>(std::floor(v)), 0, size - 1);
    };
    return {clamp((overview.x - picture_.left + 0.5) / scale_, imageWidth_),
            clamp((overview.y - picture_.top + 0.5) / scale_, imageHeight_)};
}

OverviewPoint OverviewMapping::ScrollFor(OverviewPoint overview, std::int32_t viewportWidth,
                                         std::int32_t viewportHeight) const {
    if (scale_ <= 0.0) return {};
    const OverviewPoint centre = ToImage(overview);
    const auto scroll = [](std::int32_t c, std::int32_t viewport, std::int32_t size) {
        return std::clamp(c - viewport / 2, 0, std::max(0, size - viewport));
    };
    return {scroll(centre.x, viewportWidth, imageWidth_),
            scroll(centre.y, viewportHeight, imageHeight_)};
}

}  // namespace orvane
