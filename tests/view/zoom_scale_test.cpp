// ZoomScale: the screen <-> image mapping at every zoom step and at fit scales, for odd image
// sizes and scroll positions; the steps, the fit scale and the scroll arithmetic.
#include <gtest/gtest.h>

#include <vector>

#include "view/zoom_scale.h"

namespace orvane {
namespace {

std::vector<ZoomScale> everyScale() {
    std::vector<ZoomScale> scales;
    for (int e = ZoomScale::kMinExponent; e <= ZoomScale::kMaxExponent; ++e)
        scales.push_back(ZoomScale::Power(e));
    // Fit scales are arbitrary fractions on either side of 1:1.
    for (auto [n, d] : {std::pair{2, 3}, {3, 2}, {700, 12000}, {33, 7}, {1000, 1001}})
        scales.push_back(ZoomScale(n, d));
    return scales;
}

constexpr std::int64_t kSizes[] = {1, 2, 7, 101, 1023};
constexpr std::int64_t kScrolls[] = {0, 1, 13, 250};

TEST(ZoomScale, ScreenPixelsPartitionTheImageBelowOneAndBlocksAbove) {
    for (const ZoomScale& s : everyScale()) {
        for (std::int64_t size : kSizes) {
            SCOPED_TRACE(s.PercentText() + " size " + std::to_string(size));
            const std::int64_t content = s.ContentSize(size);
            ASSERT_GE(content, 1);
            // Every image pixel appears under some screen pixel, in order, and the last screen
            // pixel still shows a pixel of the image.
            std::int64_t next = 0;
            for (std::int64_t sx = 0; sx < content; ++sx) {
                const std::int64_t first = s.CoveredFirst(sx), end = s.CoveredEnd(sx);
                ASSERT_LT(first, end);
                ASSERT_LT(first, size);
                if (s.below1()) {
                    ASSERT_EQ(first, next) << "screen pixel " << sx;
                    next = end;
                } else {
                    ASSERT_TRUE(first == next - 1 || first == next) << "screen pixel " << sx;
                    next = first + 1;
                }
                // The image pixel shown maps back to this screen pixel (below 1:1) or to the
                // first pixel of its block (above).
                if (s.below1()) {
                    ASSERT_EQ(s.ToScreen(first), sx);
                } else {
                    ASSERT_LE(s.ToScreen(first), sx);
                }
            }
            EXPECT_GE(next, size);
            if (!s.below1()) {
                EXPECT_EQ(s.ToImage(content), size) << "past the last block";
            }
            for (std::int64_t x = 0; x < size && !s.below1(); ++x)
                ASSERT_EQ(s.ToImage(s.ToScreen(x)), x) << "image pixel " << x;
        }
    }
}

TEST(ZoomScale, WindowPointsMapThroughTheScrollPosition) {
    for (const ZoomScale& s : everyScale()) {
        for (std::int64_t scroll : kScrolls) {
            SCOPED_TRACE(s.PercentText() + " scroll " + std::to_string(scroll));
            // Points left of the window (negative) occur while a drag runs past its edge.
            for (std::int64_t w = -40; w < 60; ++w) {
                const std::int64_t x = s.ToImage(w + scroll);
                ASSERT_LE(s.ToScreen(x) - scroll, w);
                ASSERT_GT(std::max(s.ToScreen(x + 1), s.ToScreen(x) + 1) - scroll, w);
            }
        }
    }
}

TEST(ZoomScale, KnownPoints) {
    struct Case {
        ZoomScale scale;
        std::int64_t screen, image, screenOfImage;
    };
    const Case cases[] = {
        {ZoomScale(1, 1), 37, 37, 37}, {ZoomScale(1, 1), -5, -5, -5}, {ZoomScale(1, 4), 3, 12, 3},
        {ZoomScale(1, 4), -1, -4, -1}, {ZoomScale(4, 1), 7, 1, 4},    {ZoomScale(4, 1), -1, -1, -4},
        {ZoomScale(2, 3), 1, 2, 1},    {ZoomScale(3, 2), 2, 1, 1},    {ZoomScale(1, 64), 2, 128, 2},
        {ZoomScale(16, 1), 31, 1, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale.PercentText() + " screen " + std::to_string(c.screen));
        EXPECT_EQ(c.scale.ToImage(c.screen), c.image);
        EXPECT_EQ(c.scale.ToScreen(c.image), c.screenOfImage);
    }
    EXPECT_EQ(ZoomScale(1, 4).ContentSize(101), 26);
    EXPECT_EQ(ZoomScale(4, 1).ContentSize(101), 404);
    EXPECT_EQ(ZoomScale(2, 3).ContentSize(2), 1);  // pixel 1 shares screen pixel 0
    EXPECT_EQ(ZoomScale(1, 1).ContentSize(12000), 12000);
}

TEST(ZoomScale, StepsArePowersOfTwoAndTheFitScale) {
    const ZoomScale fit(1, 3);
    struct Case {
        ZoomScale from, in, out;
    };
    const Case cases[] = {
        {ZoomScale(1, 1), ZoomScale(2, 1), ZoomScale(1, 2)},
        {ZoomScale(1, 2), ZoomScale(1, 1), fit},
        {fit, ZoomScale(1, 2), ZoomScale(1, 4)},
        {ZoomScale(1, 4), fit, ZoomScale(1, 8)},
        {ZoomScale(16, 1), ZoomScale(16, 1), ZoomScale(8, 1)},
        {ZoomScale(1, 64), ZoomScale(1, 32), ZoomScale(1, 64)},
        {ZoomScale(3, 1), ZoomScale(4, 1), ZoomScale(2, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from.PercentText());
        EXPECT_EQ(c.from.StepIn(fit), c.in);
        EXPECT_EQ(c.from.StepOut(fit), c.out);
    }
    // A fit scale beside a power of two: the step goes on to one that shows a difference.
    const ZoomScale nearPower(100, 1612);  // 6.2%
    EXPECT_EQ(nearPower.StepIn(nearPower), ZoomScale(1, 8));
    EXPECT_EQ(nearPower.StepOut(nearPower), ZoomScale(1, 32));
    EXPECT_EQ(ZoomScale(1, 16).StepOut(nearPower), ZoomScale(1, 32));
    // Below the smallest power (a 1 um slide at fit): in goes to 1/64, out has nowhere to go.
    const ZoomScale tiny(1, 91);
    EXPECT_EQ(tiny.StepIn(tiny), ZoomScale(1, 64));
    EXPECT_EQ(tiny.StepOut(tiny), tiny);
    EXPECT_EQ(ZoomScale(1, 64).StepOut(tiny), tiny);
}

TEST(ZoomScale, FitTakesTheTighterSide) {
    EXPECT_EQ(ZoomScale::Fit(1000, 3000, 500, 500), ZoomScale(1, 6));
    EXPECT_EQ(ZoomScale::Fit(3000, 1000, 500, 500), ZoomScale(1, 6));
    EXPECT_EQ(ZoomScale::Fit(12000, 36000, 800, 600), ZoomScale(1, 60));
    EXPECT_EQ(ZoomScale::Fit(100000, 100000, 500, 500), ZoomScale(1, 200)) << "below 1/64";
    EXPECT_EQ(ZoomScale::Fit(8, 6, 800, 600), ZoomScale(16, 1));
    EXPECT_EQ(ZoomScale::Fit(0, 6, 800, 600), ZoomScale(1, 1));
    // The whole image fits at the fit scale.
    const ZoomScale fit = ZoomScale::Fit(12001, 36003, 811, 600);
    EXPECT_LE(fit.ContentSize(12001), 811);
    EXPECT_LE(fit.ContentSize(36003), 600);
}

TEST(ZoomScale, PercentTexts) {
    EXPECT_EQ(ZoomScale(1, 1).PercentText(), "100%");
    EXPECT_EQ(ZoomScale(1, 4).PercentText(), "25%");
    EXPECT_EQ(ZoomScale(16, 1).PercentText(), "1600%");
    EXPECT_EQ(ZoomScale(1, 64).PercentText(), "1.6%");
    EXPECT_EQ(ZoomScale(1, 60).PercentText(), "1.7%");
}

TEST(ZoomScale, ScrollKeepsThePointerAndCentres) {
    // Zooming from 1:1 to 4 about window point 100 over image pixel 300 of 1000.
    const ZoomScale four(4, 1);
    EXPECT_EQ(ScrollKeeping(four, 300, 100, 1000, 400), 1100);
    EXPECT_EQ(four.ToImage(100 + 1100), 300);
    // Near the edges the scroll stays in range.
    EXPECT_EQ(ScrollKeeping(four, 2, 100, 1000, 400), 0);
    EXPECT_EQ(ScrollKeeping(four, 999, 0, 1000, 400), 3600);
    EXPECT_EQ(ScrollKeeping(ZoomScale(1, 4), 500, 10, 1000, 400), 0);  // content fits
    // Centring: pixel 500 at 1:1 in a 401-pixel viewport.
    EXPECT_EQ(ScrollCentring(ZoomScale(1, 1), 500, 1000, 401), 300);
    EXPECT_EQ(ScrollCentring(four, 500, 1000, 400), 1802);
    EXPECT_EQ(ScrollCentring(four, 5, 1000, 400), 0);
}

}  // namespace
}  // namespace orvane
