// The channel balance of the display mapping: offset 0 and gain 1 change nothing; any other
// balance maps exactly as the transformed samples would.
#include <gtest/gtest.h>

#include <cmath>

#include "../support/test_images.h"
#include "view/display_raster.h"

namespace orvane {
namespace {

using testing_support::makeImage;

std::uint16_t sampleAt(int k, int x, int y) {
    return static_cast<std::uint16_t>((k + 1) * 997 * (x + 3 * y) % 65536);
}

TEST(DisplayBalance, IdentityIsThePlainMappingAndOtherBalancesTransformTheSamples) {
    const LayeredImage image = makeImage(17, 13, 2, sampleAt);
    DisplayState plain = DisplayStateAfterLoading(image);
    NullProgress progress;
    DisplayState identity = plain;
    identity.channelOffset = {0.0f, 0.0f, 0.0f};
    identity.channelGain = {1.0f, 1.0f, 1.0f};
    EXPECT_FALSE(identity.balanced());
    DisplayState balanced = plain;
    balanced.channelOffset = {0.0f, -300.0f, 0.0f};
    balanced.channelGain = {1.0f, 1.7f, 1.0f};
    ASSERT_TRUE(balanced.balanced());
    // The reference: the second layer's samples transformed by hand, clamped to 0..65535.
    const LayeredImage transformed = makeImage(17, 13, 2, [](int k, int x, int y) {
        const double v = sampleAt(k, x, y);
        if (k == 0) return static_cast<std::uint16_t>(v);
        return static_cast<std::uint16_t>(
            std::clamp(std::nearbyint(-300.0 + 1.7f * v), 0.0, 65535.0));
    });
    for (bool log : {false, true}) {
        SCOPED_TRACE(log ? "log" : "linear");
        plain.logDisplay = identity.logDisplay = balanced.logDisplay = log;
        const DisplayRaster a = BuildDisplayRaster(image, plain, true, progress);
        const DisplayRaster b = BuildDisplayRaster(image, identity, true, progress);
        const DisplayRaster c = BuildDisplayRaster(image, balanced, true, progress);
        const DisplayRaster d = BuildDisplayRaster(transformed, plain, true, progress);
        const std::size_t bytes = static_cast<std::size_t>(a.stride) * a.height;
        EXPECT_TRUE(std::equal(a.bytes.get(), a.bytes.get() + bytes, b.bytes.get()));
        EXPECT_TRUE(std::equal(c.bytes.get(), c.bytes.get() + bytes, d.bytes.get()));
        EXPECT_FALSE(std::equal(a.bytes.get(), a.bytes.get() + bytes, c.bytes.get()));
        EXPECT_EQ(MapPixel(image, balanced, 5, 7), MapPixel(transformed, plain, 5, 7));
    }
}

}  // namespace
}  // namespace orvane
