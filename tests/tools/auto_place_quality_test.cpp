// Auto Place on demo slides with a large placement error and bent pins: the path Load Map,
// Define Grid, Auto Place, one 2DW pass against the generator's true spot centres; and the
// generator's options for those errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <utility>

#include "demo_pipeline.h"

namespace orvane::demo {
namespace {

DemoOptions withErrors(std::uint64_t seed) {
    DemoOptions options;
    options.seed = seed;
    options.placementMm = 1.5;
    options.pinOffsetPitch = 0.4;
    return options;
}

// Mean of (true - nominal) centre per quad.
std::map<std::pair<int, int>, std::pair<double, double>> quadShifts(const DemoSlide& slide) {
    std::map<std::pair<int, int>, std::pair<double, double>> shifts;
    const double n = slide.layout.positionCount();
    for (const Spot& spot : slide.spots) {
        auto& s = shifts[{spot.qx, spot.qy}];
        s.first += (spot.x - spot.nominalX) / n;
        s.second += (spot.y - spot.nominalY) / n;
    }
    return shifts;
}

TEST(DemoSlideErrors, PlacementMovesEverySpotAlikeAndPinsReachFurther) {
    DemoOptions plain;
    DemoOptions placed = plain;
    placed.placementMm = 1.5;
    const DemoSlide a = planDemoSlide(plain);
    const DemoSlide b = planDemoSlide(placed);
    ASSERT_EQ(a.spots.size(), b.spots.size());
    const double sx = b.spots[0].x - a.spots[0].x, sy = b.spots[0].y - a.spots[0].y;
    EXPECT_GT(std::hypot(sx, sy), 1.0);
    EXPECT_LE(std::fabs(sx), 150.0);  // 1.5 mm at 10 um
    EXPECT_LE(std::fabs(sy), 150.0);
    for (std::size_t i = 0; i < a.spots.size(); ++i) {
        EXPECT_NEAR(b.spots[i].x - a.spots[i].x, sx, 1e-9);
        EXPECT_NEAR(b.spots[i].y - a.spots[i].y, sy, 1e-9);
        EXPECT_EQ(b.spots[i].nominalX, a.spots[i].nominalX);
    }

    DemoOptions bent = plain;
    bent.pinOffsetPitch = 0.4;
    const double pitchPx =
        bent.pinOffsetPitch * a.layout.spotStep * 100.0;  // 0.4 pitch at 100 px/mm
    double reach = 0.0;
    for (const auto& [quad, shift] : quadShifts(planDemoSlide(bent))) {
        // The jitter of 144 spots averages to well under a pixel.
        EXPECT_LE(std::fabs(shift.first), pitchPx + 1.0);
        EXPECT_LE(std::fabs(shift.second), pitchPx + 1.0);
        reach = std::max({reach, std::fabs(shift.first), std::fabs(shift.second)});
    }
    EXPECT_GT(reach, 4.0 + 1.0);  // beyond the default pins' 40 um

    DemoOptions wrong = plain;
    wrong.placementMm = 2.5;
    EXPECT_THROW(planDemoSlide(wrong), std::invalid_argument);
    wrong = plain;
    wrong.pinOffsetPitch = -0.1;
    EXPECT_THROW(planDemoSlide(wrong), std::invalid_argument);
}

// Auto Place puts every quad within a pixel or so of its block, and one 2DW pass then brings
// every spot whose window finds signal onto it. 2DW leaves the weak spots (about one in fifty on
// the demo slide) where they are, so only their own print jitter (10 um) stands between them and
// the truth.
TEST(AutoPlaceQuality, TwoSeedsWithLargeErrors) {
    struct Case {
        double pixelUm;
        std::uint64_t seed;
        int minimumPercent;
    };
    for (const Case& c :
         {Case{10.0, 1, 99}, Case{10.0, 2, 99}, Case{20.0, 1, 99}, Case{20.0, 2, 99}}) {
        SCOPED_TRACE(testing::Message() << c.pixelUm << " um, seed " << c.seed);
        DemoOptions options = withErrors(c.seed);
        options.pixelUm = c.pixelUm;
        const DemoScan scan = makeDemoScan(options);
        const Fit without = runPipeline(scan, false);
        const Fit fit = runPipeline(scan, true);
        std::printf(
            "%g um, seed %d: without auto place %d of %d within 1.5 px; with it %d of %d (%.2f%%), "
            "%d of %d found spots (%.2f%%), worst quad %.2f px\n",
            c.pixelUm, static_cast<int>(c.seed), without.within, without.spots, fit.within,
            fit.spots, 100.0 * fit.within / fit.spots, fit.foundWithin, fit.found,
            100.0 * fit.foundWithin / fit.found, fit.worstQuad);
        EXPECT_EQ(fit.placed, 48);
        EXPECT_EQ(fit.quads, 48);
        EXPECT_LT(fit.worstQuad, 1.5);
        ASSERT_GT(fit.spots, 6000);
        EXPECT_GE(fit.foundWithin * 100, fit.found * 99);
        EXPECT_GE(fit.within * 100, fit.spots * c.minimumPercent);
        EXPECT_LT(without.within * 100, without.spots * 50);
    }
}

// Two blocks whose wells were all empty (their spots replaced by the slide's bare margin) have
// no clear match: they keep the common shift and are counted out; the others are still placed.
TEST(AutoPlaceQuality, EmptyBlocksKeepTheCommonShift) {
    DemoOptions options = withErrors(3);
    options.pixelUm = 20.0;
    DemoScan scan = makeDemoScan(options);
    const std::pair<int, int> emptyQuads[] = {{1, 1}, {2, 5}};
    for (const auto& [qx, qy] : emptyQuads) {
        double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
        for (const Spot& spot : scan.slide.spots)
            if (spot.qx == qx && spot.qy == qy)
                x0 = std::min(x0, spot.x), x1 = std::max(x1, spot.x), y0 = std::min(y0, spot.y),
                y1 = std::max(y1, spot.y);
        // The bottom 150 rows hold no spot.
        for (ImageLayer& layer : scan.image.layers)
            for (auto y = static_cast<std::int32_t>(y0) - 10; layer.loaded() && y < y1 + 10; ++y)
                for (auto x = static_cast<std::int32_t>(x0) - 10; x < x1 + 10; ++x)
                    layer.samples[static_cast<std::size_t>(y) * layer.width + x] =
                        layer.at(x, layer.height - 150 + y % 150);
    }
    SpotGrid grid;
    grid.parameters = scan.grid.parameters;
    DefineGridLayout(grid, scan.image);
    const AutoPlaceResult result = AutoPlaceGrid(grid, scan.image);
    EXPECT_EQ(AutoPlaceMessage(result), "Placed 46 of 48 quads.");
    for (const auto& [qx, qy] : emptyQuads) {
        const GridPoint moved{grid.quad(qx, qy).TL.x - scan.grid.quad(qx, qy).TL.x,
                              grid.quad(qx, qy).TL.y - scan.grid.quad(qx, qy).TL.y};
        EXPECT_EQ(moved, result.commonOffset);
    }
}

}  // namespace
}  // namespace orvane::demo
