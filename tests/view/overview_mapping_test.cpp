// The slide overview's arithmetic: fitting, outlines of image rectangles, and the scroll
// position a click asks for.
#include <gtest/gtest.h>

#include "view/overview_mapping.h"

namespace orvane {
namespace {

TEST(OverviewMappingTest, FitsReducedWithTheAspectKeptAndCentred) {
    struct Case {
        std::int32_t iw, ih, aw, ah;
        double scale;
        OverviewRect picture;
    };
    const Case cases[] = {
        {4800, 14600, 200, 400, 400.0 / 14600, {34, 0, 166, 400}},  // tall slide: height decides
        {1000, 500, 200, 400, 0.2, {0, 150, 200, 250}},             // wide image: width decides
        {100, 50, 200, 400, 1.0, {50, 175, 150, 225}},              // small image: not enlarged
        {3, 100000, 10, 10, 1e-4, {4, 0, 5, 10}},                   // at least one pixel wide
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.iw << "x" << c.ih << " in " << c.aw << "x" << c.ah);
        const OverviewMapping m = OverviewMapping::Fit(c.iw, c.ih, c.aw, c.ah);
        EXPECT_DOUBLE_EQ(m.scale(), c.scale);
        EXPECT_EQ(m.pictureRect(), c.picture);
    }
    EXPECT_EQ(OverviewMapping::Fit(0, 10, 100, 100).scale(), 0.0);
    EXPECT_EQ(OverviewMapping::Fit(10, 10, 0, 100).scale(), 0.0);
}

TEST(OverviewMappingTest, VisibleAreaAndClicksMapBothWays) {
    // 1000 x 500 in 200 x 400: scale 0.2, picture at (0, 150).
    const OverviewMapping m = OverviewMapping::Fit(1000, 500, 200, 400);
    EXPECT_EQ(m.ToOverview({100, 50, 600, 350}), (OverviewRect{20, 160, 120, 220}));
    EXPECT_EQ(m.ToImage({20, 160}), (OverviewPoint{102, 52})) << "the centre of the overview pixel";
    EXPECT_EQ(m.ToImage({-5, 0}), (OverviewPoint{0, 0})) << "clamped into the image";
    EXPECT_EQ(m.ToImage({500, 500}), (OverviewPoint{999, 499}));
    // A 300 x 200 viewport centred on the click, kept inside the image.
    EXPECT_EQ(m.ScrollFor({100, 200}, 300, 200), (OverviewPoint{352, 152}));
    EXPECT_EQ(m.ScrollFor({1, 151}, 300, 200), (OverviewPoint{0, 0}));
    EXPECT_EQ(m.ScrollFor({199, 249}, 300, 200), (OverviewPoint{700, 300}));
    EXPECT_EQ(m.ScrollFor({100, 200}, 2000, 1000), (OverviewPoint{0, 0}))
        << "a viewport larger than the image";
    // Round trip: the outline of the scrolled viewport contains the click.
    const OverviewPoint scroll = m.ScrollFor({100, 200}, 300, 200);
    const OverviewRect outline = m.ToOverview({scroll.x, scroll.y, scroll.x + 300, scroll.y + 200});
    EXPECT_LE(outline.left, 100);
    EXPECT_GT(outline.right, 100);
    EXPECT_LE(outline.top, 200);
    EXPECT_GT(outline.bottom, 200);
}

}  // namespace
}  // namespace orvane
