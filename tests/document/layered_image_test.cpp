// Length conversions between millimetres and pixels.
#include <gtest/gtest.h>

#include "document/layered_image.h"

namespace orvane {
namespace {

struct ConversionCase {
    std::uint16_t unit;
    float resolution;
    double millimetres;
    std::int32_t pixels;
};

TEST(LayeredImageTest, LengthToPixelsTruncatesTowardZero) {
    const ConversionCase cases[] = {
        {0, 0.0f, 1.0, 100},       // no unit: 100 pixels per millimetre
        {2, 2540.0f, 1.0, 100},    // inch
        {2, 300.0f, 1.0, 11},      // 11.81 truncates
        {3, 1000.0f, 1.0, 100},    // centimetre
        {3, 1000.0f, -0.019, -1},  // toward zero, not down
        {1, 500.0f, 0.5, 50},      // unit 1 means none
        {2, 0.0f, 1.0, 100},       // inch without a resolution tag: as without unit
        {3, 0.0f, 2.0, 200},
    };
    for (const ConversionCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "unit " << c.unit << " res " << c.resolution << " mm " << c.millimetres);
        LayeredImage image;
        image.resolutionUnit = c.unit;
        image.xResolution = c.resolution;
        image.yResolution = c.resolution;
        EXPECT_EQ(image.LengthToPixelsX(c.millimetres), c.pixels);
        EXPECT_EQ(image.LengthToPixelsY(c.millimetres), c.pixels);
    }
}

TEST(LayeredImageTest, PixelsToLength) {
    LayeredImage image;
    EXPECT_DOUBLE_EQ(image.PixelsToLengthX(250), 2.5);
    image.resolutionUnit = kResolutionUnitCentimetre;
    image.xResolution = 1000.0f;
    image.yResolution = 500.0f;
    EXPECT_DOUBLE_EQ(image.PixelsToLengthX(250), 2.5);
    EXPECT_DOUBLE_EQ(image.PixelsToLengthY(250), 5.0);
    image.resolutionUnit = kResolutionUnitInch;
    image.xResolution = 0.0f;  // absent tag: no division by zero
    EXPECT_DOUBLE_EQ(image.PixelsToLengthX(250), 2.5);
}

TEST(LayeredImageTest, HugeLengthsSaturateInsteadOfOverflowing) {
    LayeredImage image;
    EXPECT_EQ(image.LengthToPixelsX(1e12), 2147483647);
    EXPECT_EQ(image.LengthToPixelsX(-1e12), -2147483647 - 1);
}

}  // namespace
}  // namespace orvane
