// The zoom steps and the screen <-> image mapping of ZoomScale, in exact integer arithmetic so
// that 1:1 is the identity and the powers of two line up with the reduced copies.
#include "zoom_scale.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace orvane {
namespace {

// Division rounding toward minus infinity and toward plus infinity, for b > 0: screen
// coordinates left of or above the window are negative during a drag.
std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

std::int64_t ceilDiv(std::int64_t a, std::int64_t b) { return -floorDiv(-a, b); }

}  // namespace

ZoomScale::ZoomScale(std::int64_t num, std::int64_t den) {
    if (num <= 0 || den <= 0) return;  // stays 1:1
    const std::int64_t g = std::gcd(num, den);
    num_ = num / g;
    den_ = den / g;
}

ZoomScale ZoomScale::Power(int exponent) {
    exponent = std::clamp(exponent, kMinExponent, kMaxExponent);
    return exponent >= 0 ? ZoomScale(std::int64_t{1} << exponent, 1)
                         : ZoomScale(1, std::int64_t{1} << -exponent);
}

ZoomScale ZoomScale::Fit(std::int32_t imageWidth, std::int32_t imageHeight, std::int32_t viewWidth,
                         std::int32_t viewHeight) {
    if (imageWidth <= 0 || imageHeight <= 0 || viewWidth <= 0 || viewHeight <= 0) return {};
    // The smaller of viewWidth / imageWidth and viewHeight / imageHeight, compared exactly.
    ZoomScale fit = std::int64_t{viewWidth} * imageHeight <= std::int64_t{viewHeight} * imageWidth
                        ? ZoomScale(viewWidth, imageWidth)
                        : ZoomScale(viewHeight, imageHeight);
    // No lower limit: a scan too large for 1/64 (a 1 um slide fits at about 1/91) still fits.
    const ZoomScale largest = Power(kMaxExponent);
    return largest < fit ? largest : fit;
}

std::int64_t ZoomScale::ToScreen(std::int64_t x) const { return floorDiv(x * num_, den_); }

std::int64_t ZoomScale::ToImage(std::int64_t sx) const {
    // Below 1:1 the first pixel x with floor(x * s) = sx; at 1:1 and above the x whose block
    // floor(x * s) .. floor((x + 1) * s) - 1 holds sx.
    if (below1()) return ceilDiv(sx * den_, num_);
    return ceilDiv((sx + 1) * den_, num_) - 1;
}

std::int64_t ZoomScale::CoveredEnd(std::int64_t sx) const {
    if (below1()) return ceilDiv((sx + 1) * den_, num_);
    return ToImage(sx) + 1;
}

std::int64_t ZoomScale::ContentSize(std::int64_t size) const {
    if (size <= 0) return 0;
    // Below 1:1 the last pixel's screen pixel plus one; above, the end of the last block.
    if (below1()) return ToScreen(size - 1) + 1;
    return ToScreen(size);
}

namespace {

// A step changes the scale by at least this factor: from a fit scale just beside a power of two
// (6.2% against 6.25%) the step goes on to the next one.
constexpr double kSmallestStep = 1.25;

bool farEnough(const ZoomScale& a, const ZoomScale& b) {
    const double ratio = a.value() / b.value();
    return ratio >= kSmallestStep || ratio <= 1.0 / kSmallestStep;
}

}  // namespace

ZoomScale ZoomScale::StepIn(const ZoomScale& fit) const {
    ZoomScale best = *this;
    bool found = false;
    const auto consider = [&](const ZoomScale& candidate) {
        if (*this < candidate && farEnough(candidate, *this) && (!found || candidate < best)) {
            best = candidate;
            found = true;
        }
    };
    for (int e = kMinExponent; e <= kMaxExponent; ++e) consider(Power(e));
    consider(fit);
    return best;
}

ZoomScale ZoomScale::StepOut(const ZoomScale& fit) const {
    ZoomScale best = *this;
    bool found = false;
    const auto consider = [&](const ZoomScale& candidate) {
        if (candidate < *this && farEnough(candidate, *this) && (!found || best < candidate)) {
            best = candidate;
            found = true;
        }
    };
    for (int e = kMinExponent; e <= kMaxExponent; ++e) consider(Power(e));
    consider(fit);
    return best;
}

std::string ZoomScale::PercentText() const {
    const double percent = 100.0 * value();
    char text[32];
    if (percent < 9.95)
        std::snprintf(text, sizeof text, "%.1f%%", percent);
    else
        std::snprintf(text, sizeof text, "%.0f%%", percent);
    return text;
}

std::int64_t ClampScroll(std::int64_t scroll, std::int64_t content, std::int64_t view) {
    return std::clamp<std::int64_t>(scroll, 0, std::max<std::int64_t>(0, content - view));
}

std::int64_t ScrollKeeping(const ZoomScale& scale, std::int64_t imagePoint,
                           std::int64_t windowPoint, std::int64_t imageSize, std::int64_t view) {
    return ClampScroll(scale.ToScreen(imagePoint) - windowPoint, scale.ContentSize(imageSize),
                       view);
}

std::int64_t ScrollCentring(const ZoomScale& scale, std::int64_t imagePoint, std::int64_t imageSize,
                            std::int64_t view) {
    const std::int64_t first = scale.ToScreen(imagePoint);
    const std::int64_t end = std::max(scale.ToScreen(imagePoint + 1), first + 1);
    return ClampScroll((first + end) / 2 - view / 2, scale.ContentSize(imageSize), view);
}

}  // namespace orvane
