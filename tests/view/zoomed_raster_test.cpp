// The reduced copies against a naive block maximum, and the visible part of the picture at 1/4,
// 1 and 4 (and a fit scale) against the whole-picture mapping of the same pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "../support/test_images.h"
#include "view/display_raster.h"
#include "view/reduced_layers.h"
#include "view/zoomed_raster.h"

namespace orvane {
namespace {

using testing_support::randomImage;

struct Size {
    std::int32_t width, height;
};
constexpr Size kOddSizes[] = {{1, 1}, {2, 7}, {17, 13}, {37, 70}, {131, 67}};

std::uint16_t naiveMax(const ImageLayer& layer, std::int64_t x0, std::int64_t x1, std::int64_t y0,
                       std::int64_t y1) {
    std::uint16_t m = 0;
    for (std::int64_t y = y0; y < std::min<std::int64_t>(y1, layer.height); ++y)
        for (std::int64_t x = x0; x < std::min<std::int64_t>(x1, layer.width); ++x)
            m = std::max(m, layer.at(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)));
    return m;
}

TEST(ReducedLayers, EveryLevelIsTheNaiveBlockMaximum) {
    for (const Size& size : kOddSizes) {
        SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
        const LayeredImage image = randomImage(size.width, size.height, 2, 11 + size.width);
        ReducedLayers reduced;
        reduced.Build(image);
        ASSERT_TRUE(reduced.built());
        for (int i = 0; i < 2; ++i) {
            const ImageLayer& layer = image.layers[static_cast<std::size_t>(i)];
            for (int k = ReducedLayers::kFirstLevel; k <= ReducedLayers::kLastLevel; ++k) {
                const ReducedLayers::Level& level = reduced.level(i, k);
                const std::int32_t block = 1 << k;
                ASSERT_EQ(level.width, (size.width + block - 1) / block);
                ASSERT_EQ(level.height, (size.height + block - 1) / block);
                for (std::int32_t y = 0; y < level.height; ++y)
                    for (std::int32_t x = 0; x < level.width; ++x)
                        ASSERT_EQ(
                            level.samples[static_cast<std::size_t>(y) * level.width + x],
                            naiveMax(layer, x * block, (x + 1) * block, y * block, (y + 1) * block))
                            << "layer " << i << " level " << k << " at " << x << ", " << y;
            }
        }
    }
}

TEST(ReducedLayers, ReduceByMaximumKeepsASingleBrightSample) {
    std::vector<std::uint16_t> samples(9 * 5, 7);
    samples[4 * 9 + 8] = 65535;  // the bottom-right corner, in a partial block
    std::vector<std::uint16_t> out(3 * 2);
    ReduceByMaximum(samples.data(), 9, 5, 4, out.data());
    EXPECT_EQ(out, (std::vector<std::uint16_t>{7, 7, 7, 7, 7, 65535}));
}

// The expected colour of screen pixel (sx, sy): at 1:1 and above the whole picture's pixel
// under it; below, the mapping of each layer's maximum over the samples it covers.
std::uint32_t expectedPixel(const LayeredImage& image, const DisplayState& state,
                            const std::vector<std::uint32_t>& whole, const ZoomScale& scale,
                            std::int64_t sx, std::int64_t sy) {
    if (!scale.below1())
        return whole[static_cast<std::size_t>(scale.ToImage(sy) * image.width() +
                                              scale.ToImage(sx))];
    LayeredImage one;
    one.layerCount = image.layerCount;
    for (int i = 0; i < image.layerCount; ++i) {
        ImageLayer& layer = one.layers[static_cast<std::size_t>(i)];
        layer.width = layer.height = 1;
        layer.samples = std::make_unique<std::uint16_t[]>(1);
        layer.samples[0] =
            naiveMax(image.layers[static_cast<std::size_t>(i)], scale.CoveredFirst(sx),
                     scale.CoveredEnd(sx), scale.CoveredFirst(sy), scale.CoveredEnd(sy));
    }
    const auto rgb = MapPixel(one, state, 0, 0);
    return 0xff000000u | (std::uint32_t{rgb[0]} << 16) | (std::uint32_t{rgb[1]} << 8) | rgb[2];
}

TEST(ZoomedRaster, VisiblePartMatchesTheWholePictureMapping) {
    const ZoomScale scales[] = {ZoomScale(1, 4), ZoomScale(1, 1),  ZoomScale(4, 1),
                                ZoomScale(1, 2), ZoomScale(1, 64), ZoomScale(16, 1)};
    const ScreenBox boxes[] = {{0, 0, 5000, 5000}, {3, 2, 20, 11}, {7, 5, 8, 6}};
    for (const Size& size : kOddSizes) {
        const LayeredImage image = randomImage(size.width, size.height, 2, 3 + size.height);
        for (bool log : {true, false}) {
            DisplayState state = DisplayStateAfterLoading(image);
            state.logDisplay = log;
            NullProgress progress;
            std::vector<std::uint32_t> whole(static_cast<std::size_t>(size.width) * size.height);
            BuildRaster32(image, state, whole.data(), size.width, progress);
            ReducedLayers reduced;
            reduced.Build(image);
            for (const ZoomScale& scale : scales) {
                for (const ScreenBox& asked : boxes) {
                    const ScreenBox box = ContentPart(scale, size.width, size.height, asked);
                    if (box.right <= box.left || box.bottom <= box.top) continue;
                    SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height) +
                                 " at " + scale.PercentText() + (log ? " log" : " linear") +
                                 " box from " + std::to_string(box.left) + ", " +
                                 std::to_string(box.top));
                    const std::int64_t w = box.right - box.left, h = box.bottom - box.top;
                    // With and without the reduced copies: the same picture.
                    for (const ReducedLayers* copies :
                         std::initializer_list<const ReducedLayers*>{&reduced, nullptr}) {
                        std::vector<std::uint32_t> shown(static_cast<std::size_t>(w * h), 0);
                        BuildZoomed32(image, copies, state, scale, box, shown.data(), w, progress);
                        for (std::int64_t sy = box.top; sy < box.bottom; ++sy)
                            for (std::int64_t sx = box.left; sx < box.right; ++sx)
                                ASSERT_EQ(shown[static_cast<std::size_t>((sy - box.top) * w + sx -
                                                                         box.left)],
                                          expectedPixel(image, state, whole, scale, sx, sy))
                                    << "screen pixel " << sx << ", " << sy;
                    }
                }
            }
        }
    }
}

TEST(ZoomedRaster, FitScaleShowsEveryBrightSampleOnce) {
    // A fit scale between powers of two: each block of the level below goes to one screen
    // pixel, so a lone bright sample shows in exactly one screen pixel, wherever it lies.
    const ZoomScale fit(1, 3);  // blocks of 2
    for (std::int32_t at = 0; at < 23; ++at) {
        LayeredImage image = randomImage(23, 1, 1, 1);
        std::fill_n(image.layers[0].samples.get(), 23, std::uint16_t{0});
        image.layers[0].samples[static_cast<std::size_t>(at)] = 65535;
        DisplayState state = DisplayStateAfterLoading(image);
        state.invertedDisplay = false;
        const ScreenBox box = ContentPart(fit, 23, 1, {0, 0, 100, 100});
        const std::int64_t w = box.right - box.left;
        std::vector<std::uint32_t> shown(static_cast<std::size_t>(w));
        NullProgress progress;
        BuildZoomed32(image, nullptr, state, fit, box, shown.data(), w, progress);
        const auto bright = std::count_if(shown.begin(), shown.end(),
                                          [](std::uint32_t p) { return p != 0xff000000u; });
        EXPECT_EQ(bright, 1) << "bright sample at " << at;
    }
}

TEST(ZoomedRaster, ReductionLevels) {
    EXPECT_EQ(ReductionLevel(ZoomScale(1, 2)), 1);
    EXPECT_EQ(ReductionLevel(ZoomScale(1, 3)), 1);
    EXPECT_EQ(ReductionLevel(ZoomScale(1, 4)), 2);
    EXPECT_EQ(ReductionLevel(ZoomScale(1, 60)), 5);
    EXPECT_EQ(ReductionLevel(ZoomScale(1, 64)), 6);
    EXPECT_EQ(ReductionLevel(ZoomScale(2, 3)), 0);
}

}  // namespace
}  // namespace orvane
