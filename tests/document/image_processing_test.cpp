// Mean and median filters against a point-by-point reference, and Subtract Background.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <vector>

#include "base/allocator.h"
#include "document/image_processing.h"

namespace orvane {
namespace {

using Samples = std::vector<std::uint16_t>;

LayeredImage imageOf(std::int32_t width, std::int32_t height, const std::vector<Samples>& layers) {
    LayeredImage image;
    for (std::size_t i = 0; i < layers.size(); ++i) {
        ImageLayer& layer = image.layers[i];
        layer.width = width;
        layer.height = height;
        // The loader's spare row and column, as a freshly loaded layer has them.
        layer.samples =
            allocateBuffer<std::uint16_t>(static_cast<std::uint64_t>(width + 1) * (height + 1));
        std::copy(layers[i].begin(), layers[i].end(), layer.samples.get());
    }
    image.layerCount = static_cast<std::int32_t>(layers.size());
    return image;
}

Samples samplesOf(const LayeredImage& image, int layer) {
    const ImageLayer& l = image.layers[static_cast<std::size_t>(layer)];
    return Samples(l.samples.get(),
                   l.samples.get() + static_cast<std::size_t>(image.width()) * image.height());
}

// The window of (x, y) written out directly from the border rule.
Samples window(const Samples& s, std::int32_t w, std::int32_t h, std::int32_t r, std::int32_t x,
               std::int32_t y) {
    Samples values;
    for (std::int64_t wy = std::max<std::int64_t>(std::int64_t{y} - r, 0);
         wy <= std::min<std::int64_t>(std::int64_t{y} + r, h - 1); ++wy)
        for (std::int64_t wx = std::max<std::int64_t>(std::int64_t{x} - r, 0);
             wx <= std::min<std::int64_t>(std::int64_t{x} + r, w - 1); ++wx)
            values.push_back(s[static_cast<std::size_t>(wy * w + wx)]);
    return values;
}

std::uint16_t referenceMean(const Samples& values) {
    std::uint64_t sum = 0;
    for (std::uint16_t v : values) sum += v;
    return static_cast<std::uint16_t>(sum / values.size());
}

std::uint16_t referenceMedian(Samples values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

Samples randomSamples(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> any(0, 65535);
    Samples s(count);
    for (auto& v : s) {
        const int pick = any(random);
        // Plenty of extremes and ties next to arbitrary values.
        v = static_cast<std::uint16_t>(pick % 5 == 0   ? 0
                                       : pick % 5 == 1 ? 65535
                                       : pick % 5 == 2 ? pick % 4
                                                       : pick);
    }
    return s;
}

TEST(ImageFilterTest, BothFiltersMatchTheReferenceAtEveryPixel) {
    const std::pair<std::int32_t, std::int32_t> sizes[] = {{1, 1},   {2, 7}, {7, 2}, {3, 3},
                                                           {17, 13}, {1, 9}, {4, 4}};
    const std::int32_t radii[] = {0, 1, 2, 3, 9, 100, 2147483647};
    unsigned seed = 1;
    for (auto [w, h] : sizes)
        for (std::int32_t r : radii) {
            SCOPED_TRACE(testing::Message() << w << "x" << h << " r " << r);
            const Samples red = randomSamples(static_cast<std::size_t>(w) * h, seed++);
            const Samples green = randomSamples(static_cast<std::size_t>(w) * h, seed++);
            LayeredImage mean = imageOf(w, h, {red, green});
            LayeredImage median = imageOf(w, h, {red, green});
            MeanFilter(mean, r);
            MedianFilter(median, r);
            for (int layer = 0; layer < 2; ++layer) {
                const Samples& in = layer == 0 ? red : green;
                const Samples gotMean = samplesOf(mean, layer);
                const Samples gotMedian = samplesOf(median, layer);
                for (std::int32_t y = 0; y < h; ++y)
                    for (std::int32_t x = 0; x < w; ++x) {
                        const Samples win = window(in, w, h, r, x, y);
                        const std::size_t k = static_cast<std::size_t>(y) * w + x;
                        ASSERT_EQ(gotMean[k], referenceMean(win))
                            << "mean layer " << layer << " at " << x << "," << y;
                        ASSERT_EQ(gotMedian[k], referenceMedian(win))
                            << "median layer " << layer << " at " << x << "," << y;
                    }
            }
        }
}

TEST(ImageFilterTest, ThreeByThreeExamples) {
    const Samples ramp = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    LayeredImage mean = imageOf(3, 3, {ramp});
    MeanFilter(mean, 1);
    EXPECT_EQ(mean.layers[0].at(1, 1), 5);  // 45 / 9
    EXPECT_EQ(mean.layers[0].at(0, 0), 3);  // (1 + 2 + 4 + 5) / 4
    EXPECT_EQ(mean.layers[0].at(1, 0), 3);  // 21 / 6
    LayeredImage median = imageOf(3, 3, {ramp});
    MedianFilter(median, 1);
    EXPECT_EQ(median.layers[0].at(1, 1), 5);
    EXPECT_EQ(median.layers[0].at(0, 0), 4);  // 1 2 4 5: rank 2
    EXPECT_EQ(median.layers[0].at(1, 0), 4);  // 1 .. 6: rank 3
}

TEST(ImageFilterTest, IsolatedBrightPixel) {
    Samples flat(7 * 7, 100);
    flat[3 * 7 + 3] = 1000;
    LayeredImage mean = imageOf(7, 7, {flat});
    LayeredImage median = imageOf(7, 7, {flat});
    MeanFilter(mean, 1);
    MedianFilter(median, 1);
    EXPECT_EQ(samplesOf(median, 0), Samples(7 * 7, 100));
    for (std::int32_t y = 0; y < 7; ++y)
        for (std::int32_t x = 0; x < 7; ++x) {
            const bool near = std::abs(x - 3) <= 1 && std::abs(y - 3) <= 1;
            EXPECT_EQ(mean.layers[0].at(x, y), near ? 200 : 100)
                << x << "," << y;  // 900 / 9 spread
        }
}

// A comparator-based median is right for all inputs when it is right for every 0/1 input; the
// centre of a 3 x 3 image goes through the interior path.
TEST(ImageFilterTest, MedianOfNineIsRightForEveryZeroOnePattern) {
    for (int pattern = 0; pattern < 512; ++pattern) {
        Samples s(9);
        int ones = 0;
        for (int k = 0; k < 9; ++k) {
            s[k] = (pattern >> k) & 1 ? 65535 : 0;
            ones += (pattern >> k) & 1;
        }
        LayeredImage image = imageOf(3, 3, {s});
        MedianFilter(image, 1);
        ASSERT_EQ(image.layers[0].at(1, 1), ones >= 5 ? 65535 : 0) << "pattern " << pattern;
    }
}

TEST(ImageFilterTest, OneByOneIsUnchanged) {
    for (std::uint16_t v : {0, 1, 65535}) {
        LayeredImage mean = imageOf(1, 1, {{v}});
        LayeredImage median = imageOf(1, 1, {{v}});
        MeanFilter(mean, 1);
        MedianFilter(median, 1);
        EXPECT_EQ(mean.layers[0].at(0, 0), v);
        EXPECT_EQ(median.layers[0].at(0, 0), v);
    }
}

TEST(ImageFilterTest, WideMeanWindowSumsExactly) {
    // 301 x 301 windows of 65535 exceed 32 bits.
    const std::int32_t n = 300;
    LayeredImage image = imageOf(n, n, {Samples(static_cast<std::size_t>(n) * n, 65535)});
    image.layers[0].samples[0] = 0;
    MeanFilter(image, 150);
    Samples all(static_cast<std::size_t>(n) * n, 65535);
    all[0] = 0;
    for (auto [x, y] : {std::pair{0, 0}, {150, 150}, {299, 299}, {0, 299}})
        EXPECT_EQ(image.layers[0].at(x, y), referenceMean(window(all, n, n, 150, x, y)))
            << x << "," << y;
}

TEST(ImageFilterTest, NegativeRadiusAndNoLayers) {
    LayeredImage image = imageOf(2, 2, {{1, 2, 3, 4}});
    EXPECT_THROW(MeanFilter(image, -1), std::invalid_argument);
    EXPECT_THROW(MedianFilter(image, -1), std::invalid_argument);
    LayeredImage empty;
    MeanFilter(empty, 1);
    MedianFilter(empty, 1);
    EXPECT_EQ(empty.layerCount, 0);
}

TEST(SubtractBackgroundTest, SubtractsTheTruncatedMeanAndClampsAtZero) {
    // A 5 x 1 box averaging 1000.6, in a 6 x 2 image.
    Samples s = {1000, 1001, 1000, 1001, 1001, 5000, 999, 0, 65535, 1000, 2000, 7};
    LayeredImage image = imageOf(6, 2, {s});
    const auto levels = SubtractBackground(image, 0, 0, 5, 1);
    EXPECT_EQ(levels[0], 1000);
    EXPECT_EQ(samplesOf(image, 0), (Samples{0, 1, 0, 1, 1, 4000, 0, 0, 64535, 0, 1000, 0}));
}

TEST(SubtractBackgroundTest, DraggedEitherWayGivesTheSameResult) {
    const Samples s = randomSamples(17 * 13, 5);
    LayeredImage forward = imageOf(17, 13, {s});
    LayeredImage backward = imageOf(17, 13, {s});
    SubtractBackground(forward, 2, 3, 9, 11);
    SubtractBackground(backward, 9, 11, 2, 3);
    EXPECT_EQ(samplesOf(forward, 0), samplesOf(backward, 0));
}

TEST(SubtractBackgroundTest, EmptyBoxSubtractsNothing) {
    const Samples s = randomSamples(4 * 4, 6);
    for (auto box : {std::array{2, 2, 2, 3}, std::array{1, 1, 3, 1}, std::array{10, 10, 20, 20},
                     std::array{-5, -5, 0, 0}}) {
        LayeredImage image = imageOf(4, 4, {s});
        const auto levels = SubtractBackground(image, box[0], box[1], box[2], box[3]);
        EXPECT_EQ(levels[0], 0);
        EXPECT_EQ(samplesOf(image, 0), s);
    }
}

TEST(SubtractBackgroundTest, EachLayerLosesItsOwnLevelAndBoxesAreClipped) {
    LayeredImage image = imageOf(3, 2, {{10, 20, 30, 40, 50, 60}, {7, 7, 7, 7, 7, 9}});
    // Reaches past the left, top and right edges: columns 0..2, row 0 only.
    const auto levels = SubtractBackground(image, -4, -9, 100, 1);
    EXPECT_EQ(levels[0], 20);
    EXPECT_EQ(levels[1], 7);
    EXPECT_EQ(levels[2], 0);
    EXPECT_EQ(samplesOf(image, 0), (Samples{0, 0, 10, 20, 30, 40}));
    EXPECT_EQ(samplesOf(image, 1), (Samples{0, 0, 0, 0, 0, 2}));
}

}  // namespace
}  // namespace orvane
