// The zoom of an image view: its scale as an exact fraction, the zoom steps (powers of two from
// 1/64 to 16 and the fit scale, which may lie below 1/64), and the mapping between screen and
// image pixels.
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// Screen pixels per image pixel, num / den in lowest terms. Screen coordinates here are content
// coordinates: the window's pixel plus the scroll position, 0 at the image's left or top edge.
//
// Image pixel x is drawn from screen pixel floor(x * s). At 1:1 and above each image pixel is a
// block of screen pixels; below 1:1 each screen pixel covers the image pixels
// [ceil(sx / s), ceil((sx + 1) / s)), so that at 1/2^k the blocks are aligned to 2^k.
class ZoomScale {
public:
    static constexpr int kMinExponent = -6;  // 1/64
    static constexpr int kMaxExponent = 4;   // 16

    ZoomScale() = default;
    // num / den, reduced; both must be positive.
    ZoomScale(std::int64_t num, std::int64_t den);
    // 2^exponent.
    static ZoomScale Power(int exponent);
    // The largest scale at which an image of imageWidth x imageHeight fits a viewport of
    // viewWidth x viewHeight, at most 16 (below 1/64 when the image needs it); 1:1 for an empty
    // image or viewport.
    static ZoomScale Fit(std::int32_t imageWidth, std::int32_t imageHeight, std::int32_t viewWidth,
                         std::int32_t viewHeight);

    std::int64_t num() const { return num_; }
    std::int64_t den() const { return den_; }
    bool isOne() const { return num_ == den_; }
    bool below1() const { return num_ < den_; }
    double value() const { return static_cast<double>(num_) / static_cast<double>(den_); }

    // The screen pixel of image pixel x (the first of its block at 1:1 and above).
    std::int64_t ToScreen(std::int64_t x) const;
    // The image pixel shown at screen pixel sx: the one whose block holds it, or below 1:1 the
    // first of the pixels it covers. ToImage(ToScreen(x)) == x at 1:1 and above.
    std::int64_t ToImage(std::int64_t sx) const;
    // Below 1:1: the image pixels [first, last) that screen pixel sx covers (not clipped).
    // At 1:1 and above: the one pixel it shows.
    std::int64_t CoveredFirst(std::int64_t sx) const { return ToImage(sx); }
    std::int64_t CoveredEnd(std::int64_t sx) const;
    // The number of screen pixels an image of `size` pixels takes.
    std::int64_t ContentSize(std::int64_t size) const;

    // The zoom steps: the nearest power of two or the fit scale above (below) this one that
    // differs from it by a factor of at least 1.25; this scale itself when there is none.
    ZoomScale StepIn(const ZoomScale& fit) const;
    ZoomScale StepOut(const ZoomScale& fit) const;

    // "25%", "100%", "1600%", "1.6%": the percentage, with one decimal below 10 %.
    std::string PercentText() const;

    friend bool operator==(const ZoomScale& a, const ZoomScale& b) {
        return a.num_ == b.num_ && a.den_ == b.den_;
    }
    friend bool operator<(const ZoomScale& a, const ZoomScale& b) {
        return a.num_ * b.den_ < b.num_ * a.den_;
    }

private:
    std::int64_t num_ = 1;
    std::int64_t den_ = 1;
};

// Scroll positions (content pixels of the window's top-left corner) for a viewport of `view`
// pixels on `content` pixels: the range 0 .. content - view, 0 when the content fits.
std::int64_t ClampScroll(std::int64_t scroll, std::int64_t content, std::int64_t view);

// The scroll position that keeps image pixel `imagePoint` at window pixel `windowPoint` after
// the scale became `scale` (zoom about the pointer), kept in range.
std::int64_t ScrollKeeping(const ZoomScale& scale, std::int64_t imagePoint,
                           std::int64_t windowPoint, std::int64_t imageSize, std::int64_t view);

// The scroll position that centres image pixel `imagePoint` in a viewport of `view` pixels,
// kept in range.
std::int64_t ScrollCentring(const ZoomScale& scale, std::int64_t imagePoint, std::int64_t imageSize,
                            std::int64_t view);

}  // namespace orvane
