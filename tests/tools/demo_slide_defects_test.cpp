// The demo slide's defects: the true signal it writes is what it draws, and each defect leaves
// the rest of the slide where it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "demo_slide_plan.h"
#include "demo_slide_render.h"

namespace orvane::demo {
namespace {

bool nearDust(const DemoSlide& slide, const Spot& spot, double reach) {
    return std::any_of(slide.specks.begin(), slide.specks.end(), [&](const Speck& speck) {
        return std::hypot(speck.x - spot.x, speck.y - spot.y) < reach + speck.radius;
    });
}

// Summed over a window around each spot, the picture minus its planned background is the spot's
// true signal within the noise; where pixels hit the 16-bit ceiling the picture holds less.
TEST(DemoSlideDefects, TrueSignalIsWhatTheSpotAddsToThePicture) {
    DemoOptions options;
    options.pixelUm = 20.0;
    options.seed = 5;
    // The spot defects, over a background whose level the test knows.
    options.defects.sizeSpread = 0.25;
    options.defects.doughnuts = 0.2;
    options.defects.irregular = 0.3;
    options.defects.decades = 3.0;
    options.defects.saturated = 0.05;
    const DemoSlide slide = planDemoSlide(options);
    std::vector<std::uint16_t> samples(static_cast<std::size_t>(slide.width) *
                                       static_cast<std::size_t>(slide.height));
    const int channel = 0;
    renderChannel(slide, channel, samples.data());
    const int half = 8;  // the pitch is 17.5 pixels: the window holds one spot
    int checked = 0, saturated = 0;
    for (const Spot& spot : slide.spots) {
        if (!spot.printed || nearDust(slide, spot, 2.0 * half)) continue;
        const double truth = spotTrueSignal(slide, spot, channel);
        double sum = 0.0;
        bool ceiling = false;
        const int cx = static_cast<int>(std::lround(spot.x));
        const int cy = static_cast<int>(std::lround(spot.y));
        for (int y = cy - half; y <= cy + half; ++y) {
            const double fy = (y + 0.5) / slide.height - 0.5;
            for (int x = cx - half; x <= cx + half; ++x) {
                const double fx = (x + 0.5) / slide.width - 0.5;
                const std::uint16_t s = samples[static_cast<std::size_t>(y) * slide.width + x];
                ceiling = ceiling || s == 65535;
                sum += s - slide.backgroundLevel[channel] *
                               (1.0 + slide.gradientX * fx + slide.gradientY * fy);
            }
        }
        SCOPED_TRACE(testing::Message() << "quad " << spot.qx << "," << spot.qy << " spot "
                                        << spot.col << "," << spot.row);
        if (spot.level[channel] > 2.0 * 65535.0 && spot.doughnut == 0.0) {
            EXPECT_LT(sum, 0.9 * truth);  // the ceiling cuts off much of it
            ++saturated;
        } else if (!ceiling) {
            EXPECT_NEAR(sum, truth, 0.03 * truth + 3000.0);
            ++checked;
        }
    }
    EXPECT_GT(checked, 5000);
    EXPECT_GT(saturated, 50);
}

// Each defect draws from a stream of its own: alone, it leaves every spot where the plain slide
// has it, printed or not as there.
TEST(DemoSlideDefects, EachDefectLeavesThePlainSlideInPlace) {
    DemoOptions plain;
    plain.pixelUm = 50.0;
    const DemoSlide reference = planDemoSlide(plain);
    const auto with = [&](auto set) {
        DemoOptions options = plain;
        set(options.defects);
        return options;
    };
    const DemoOptions cases[] = {
        with([](DemoDefects& d) { d.sizeSpread = 0.3; }),
        with([](DemoDefects& d) { d.doughnuts = 0.5; }),
        with([](DemoDefects& d) { d.irregular = 0.5; }),
        with([](DemoDefects& d) { d.comets = 0.5; }),
        with([](DemoDefects& d) { d.decades = 3.0; }),
        with([](DemoDefects& d) { d.saturated = 0.5; }),
        with([](DemoDefects& d) { d.gradient = 0.5; }),
        with([](DemoDefects& d) { d.smudges = 5; }),
        with([](DemoDefects& d) { d.dust = 50; }),
        with([](DemoDefects& d) { d.scratches = 5; }),
        with([](DemoDefects& d) { d = realisticDefects(); }),
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const DemoSlide slide = planDemoSlide(cases[i]);
        ASSERT_EQ(slide.spots.size(), reference.spots.size());
        for (std::size_t s = 0; s < slide.spots.size(); ++s) {
            EXPECT_EQ(slide.spots[s].x, reference.spots[s].x);
            EXPECT_EQ(slide.spots[s].y, reference.spots[s].y);
            EXPECT_EQ(slide.spots[s].printed, reference.spots[s].printed);
        }
        EXPECT_EQ(slide.backgroundLevel[0], reference.backgroundLevel[0]);
        EXPECT_GE(slide.specks.size(), reference.specks.size());
    }
}

}  // namespace
}  // namespace orvane::demo
