// Length conversions of the layered image.
#include "layered_image.h"

#include <cmath>

namespace orvane {

namespace {

// A unit of inch or centimetre whose resolution tag is absent (0), negative or not finite cannot
// be converted with; such a file is treated as having no unit (100 pixels per millimetre) rather
// than collapsing every length to 0 or dividing by zero.
std::int32_t lengthToPixels(std::uint16_t unit, float resolution, double millimetres) {
    // Same operation order as resolution x L x factor, truncated toward zero.
    double pixels;
    const bool usable = std::isfinite(resolution) && resolution > 0.0f;
    if (unit == kResolutionUnitInch && usable)
        pixels = static_cast<double>(resolution) * millimetres * 0.03937007874015748;
    else if (unit == kResolutionUnitCentimetre && usable)
        pixels = static_cast<double>(resolution) * millimetres * 0.1;
    else
        pixels = millimetres * 100.0;
    if (!std::isfinite(pixels)) return 0;
    if (pixels >= 2147483647.0) return 2147483647;
    if (pixels <= -2147483648.0) return -2147483647 - 1;
    return static_cast<std::int32_t>(pixels);
}

double pixelsToLength(std::uint16_t unit, float resolution, std::int32_t pixels) {
    const bool usable = std::isfinite(resolution) && resolution > 0.0f;
    if (unit == kResolutionUnitInch && usable)
        return pixels * 25.4 / static_cast<double>(resolution);
    if (unit == kResolutionUnitCentimetre && usable)
        return pixels * 10.0 / static_cast<double>(resolution);
    return pixels * 0.01;
}

}  // namespace

std::int32_t LayeredImage::LengthToPixelsX(double millimetres) const {
    return lengthToPixels(resolutionUnit, xResolution, millimetres);
}
std::int32_t LayeredImage::LengthToPixelsY(double millimetres) const {
    return lengthToPixels(resolutionUnit, yResolution, millimetres);
}
double LayeredImage::PixelsToLengthX(std::int32_t pixels) const {
    return pixelsToLength(resolutionUnit, xResolution, pixels);
}
double LayeredImage::PixelsToLengthY(std::int32_t pixels) const {
    return pixelsToLength(resolutionUnit, yResolution, pixels);
}

void LayeredImage::clear() {
    for (ImageLayer& layer : layers) layer.samples.reset();
    layerCount = 0;
    caption.clear();
}

}  // namespace orvane
