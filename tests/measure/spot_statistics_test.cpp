// The per-spot statistics behind the GenePix Results columns, and the list mode of the
// background sampler that feeds them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "../support/test_images.h"
#include "measure/sampling.h"
#include "measure/spot_statistics.h"

namespace orvane {
namespace {

using testing_support::makeImage;

ChannelStatistics statsOf(std::vector<std::int32_t> feature, std::vector<std::int32_t> background) {
    std::vector<std::int32_t> scratch(std::max(feature.size(), background.size()) + 1);
    return ChannelStatisticsOf(feature.data(), static_cast<std::int64_t>(feature.size()),
                               background.data(), static_cast<std::int64_t>(background.size()),
                               scratch.data());
}

TEST(SpotStatisticsTest, MediansOfOddAndEvenCounts) {
    struct Case {
        std::vector<std::int32_t> samples;
        std::int64_t median;
    };
    const Case cases[] = {
        {{7}, 7}, {{9, 1, 5}, 5}, {{4, 1}, 3}, {{1, 2}, 2}, {{10, 1, 3, 2}, 3}, {{0, 65535}, 32768},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.samples));
        const ChannelStatistics s = statsOf(c.samples, c.samples);
        EXPECT_EQ(s.featureMedian, c.median);
        EXPECT_EQ(s.backgroundMedian, c.median);
    }
}

// Medians are found by counting the 16-bit samples' bytes: against a sorted copy for counts
// odd and even, values within one bucket of 256 and across buckets, and values no sample can
// have (selection then).
TEST(SpotStatisticsTest, CountedMediansAgreeWithSorting) {
    struct Values {
        std::int32_t base, spread, odd;  // odd: one value no sample can have, or 0
    };
    std::mt19937 random(7);
    for (const Values r : {Values{1000, 3, 0}, Values{1000, 300, 0}, Values{0, 65536, 0},
                           Values{0, 65536, 70000}, Values{0, 65536, -5}, Values{1000, 3, -5}}) {
        for (std::size_t n = 1; n < 90; ++n) {
            std::vector<std::int32_t> v(n);
            for (std::int32_t& x : v)
                x = r.base +
                    static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(r.spread));
            if (r.odd != 0) v[n / 2] = r.odd;
            std::vector<std::int32_t> sorted = v;
            std::sort(sorted.begin(), sorted.end());
            const std::int64_t expected =
                n % 2 ? sorted[n / 2] : (std::int64_t{sorted[n / 2 - 1]} + sorted[n / 2] + 1) / 2;
            SCOPED_TRACE(testing::Message()
                         << "spread " << r.spread << ", odd " << r.odd << ", n " << n);
            EXPECT_EQ(statsOf(v, v).featureMedian, expected);
        }
    }
}

TEST(SpotStatisticsTest, MeansSpreadsAndPercentages) {
    // Feature 10, 20, 30, 40, 65534, 65535: mean 21861.5 rounds to 21862; sample SD 33840.1...
    const ChannelStatistics s = statsOf({10, 20, 30, 40, 65534, 65535}, {2, 4, 4, 4, 5, 5, 7, 9});
    EXPECT_EQ(s.featurePixels, 6);
    EXPECT_EQ(s.backgroundPixels, 8);
    EXPECT_EQ(s.featureMean, 21862);
    EXPECT_EQ(s.totalIntensity, 131169);
    double squares = 0;
    for (double v : {10.0, 20.0, 30.0, 40.0, 65534.0, 65535.0})
        squares += (v - 21861.5) * (v - 21861.5);
    const double sd = std::sqrt(squares / 5);
    EXPECT_EQ(s.featureSd, std::llround(sd));
    EXPECT_EQ(s.featureCv, static_cast<std::int64_t>(100 * sd / 21861.5)) << "CV truncates";
    // Background 2,4,4,4,5,5,7,9: median 4.5 -> 5, mean 5, sample SD sqrt(32/7) = 2.138 -> 2.
    EXPECT_EQ(s.backgroundMedian, 5);
    EXPECT_EQ(s.backgroundMean, 5);
    EXPECT_EQ(s.backgroundSd, 2);
    EXPECT_EQ(s.backgroundCv, 42);
    // Thresholds 5 + 2.138 and 5 + 4.276 use the unrounded SD: every feature pixel is above.
    EXPECT_EQ(s.percentAbove1Sd, 100);
    EXPECT_EQ(s.percentAbove2Sd, 100);
    EXPECT_EQ(s.percentSaturated, 33) << "2 of 6, truncated; 65534 and 65535 both count";
}

TEST(SpotStatisticsTest, ThresholdsAreStrictAndSaturationStartsAt65534) {
    // Background 10, 12: median 11, SD sqrt(2) = 1.414. Feature 12 is above 12.414? no; 13 is.
    const ChannelStatistics s = statsOf({11, 12, 13, 14, 65533, 65534, 65535, 100}, {10, 12});
    EXPECT_EQ(s.percentAbove1Sd, 6 * 100 / 8);  // 13, 14, 65533, 65534, 65535, 100
    EXPECT_EQ(s.percentAbove2Sd, 5 * 100 / 8);  // threshold 13.83 leaves out 13
    EXPECT_EQ(s.percentSaturated, 25);
}

TEST(SpotStatisticsTest, EmptyAreasGiveZeros) {
    const ChannelStatistics s = statsOf({}, {});
    EXPECT_EQ(s.featurePixels, 0);
    EXPECT_EQ(s.featureMedian, 0);
    EXPECT_EQ(s.featureMean, 0);
    EXPECT_EQ(s.featureCv, 0);
    EXPECT_EQ(s.backgroundSd, 0);
    EXPECT_EQ(s.percentAbove1Sd, 0);
    EXPECT_EQ(s.percentSaturated, 0);
    const ChannelStatistics one = statsOf({5}, {0});
    EXPECT_EQ(one.featureSd, 0) << "no spread from a single sample";
    EXPECT_EQ(one.backgroundCv, 0) << "a mean of 0 gives a CV of 0, not a division by zero";
}

struct Pair {
    std::vector<std::int32_t> redF, greenF, redB, greenB;
    RatioStatistics compute() const {
        std::vector<std::int32_t> scratch(std::max(redF.size(), redB.size()) + 1);
        const ChannelStatistics red = ChannelStatisticsOf(
            redF.data(), std::ssize(redF), redB.data(), std::ssize(redB), scratch.data());
        const ChannelStatistics green = ChannelStatisticsOf(
            greenF.data(), std::ssize(greenF), greenB.data(), std::ssize(greenB), scratch.data());
        std::vector<double> ratios(redF.size() + 1);
        return RatioStatisticsOf(red, green,
                                 {redF.data(), greenF.data(), std::ssize(redF), redB.data(),
                                  greenB.data(), std::ssize(redB)},
                                 ratios.data());
    }
};

TEST(SpotStatisticsTest, RatiosOfMediansAndMeansUseTheMedianBackground) {
    // Red: median 40, mean 50, background median 10 (mean 20). Green: median 20, mean 25, bg 5.
    const RatioStatistics r = Pair{{30, 40, 80}, {10, 20, 45}, {10, 10, 40}, {5, 5, 5}}.compute();
    ASSERT_TRUE(r.ratioOfMedians && r.ratioOfMeans && r.logRatio);
    EXPECT_DOUBLE_EQ(*r.ratioOfMedians, 30.0 / 15.0);
    EXPECT_DOUBLE_EQ(*r.ratioOfMeans, 40.0 / 20.0);
    EXPECT_DOUBLE_EQ(*r.logRatio, 1.0);
    // Pixel ratios (30-10)/(10-5) = 4, 30/15 = 2, 70/40 = 1.75.
    ASSERT_TRUE(r.medianOfRatios && r.meanOfRatios && r.ratiosSd);
    EXPECT_DOUBLE_EQ(*r.medianOfRatios, 2.0);
    EXPECT_DOUBLE_EQ(*r.meanOfRatios, 7.75 / 3);
    const double m = 7.75 / 3;
    EXPECT_NEAR(*r.ratiosSd,
                std::sqrt(((4 - m) * (4 - m) + (2 - m) * (2 - m) + (1.75 - m) * (1.75 - m)) / 2),
                1e-12);
}

TEST(SpotStatisticsTest, UndefinedRatiosAreAbsent) {
    // Green feature equals its background everywhere: every denominator is 0.
    const RatioStatistics flat = Pair{{50, 60, 70}, {8, 8, 8}, {10, 10, 10}, {8, 8, 8}}.compute();
    EXPECT_FALSE(flat.ratioOfMedians);
    EXPECT_FALSE(flat.ratioOfMeans);
    EXPECT_FALSE(flat.medianOfRatios);
    EXPECT_FALSE(flat.meanOfRatios);
    EXPECT_FALSE(flat.ratiosSd);
    EXPECT_FALSE(flat.logRatio);
    EXPECT_FALSE(flat.regressionRatio) << "green does not vary";
    EXPECT_FALSE(flat.regressionR2);
    // A negative ratio has no logarithm; pixels with a zero denominator are left out of the rest.
    const RatioStatistics negative =
        Pair{{5, 5, 5}, {12, 10, 14}, {10, 10, 10}, {10, 10, 10}}.compute();
    ASSERT_TRUE(negative.ratioOfMedians);
    EXPECT_DOUBLE_EQ(*negative.ratioOfMedians, -5.0 / 2.0);
    EXPECT_FALSE(negative.logRatio);
    ASSERT_TRUE(negative.medianOfRatios);
    EXPECT_DOUBLE_EQ(*negative.medianOfRatios, (-2.5 + -1.25) / 2);
}

TEST(SpotStatisticsTest, RegressionOverFeatureAndBackgroundPixels) {
    // red = 3 green + 7 on every pixel, feature and background alike.
    const RatioStatistics r = Pair{{37, 67}, {10, 20}, {10, 22}, {1, 5}}.compute();
    ASSERT_TRUE(r.regressionRatio && r.regressionR2);
    EXPECT_NEAR(*r.regressionRatio, 3.0, 1e-12);
    EXPECT_NEAR(*r.regressionR2, 1.0, 1e-12);
    const RatioStatistics noisy = Pair{{10, 30}, {1, 2}, {25, 5}, {3, 4}}.compute();
    ASSERT_TRUE(noisy.regressionR2);
    EXPECT_LT(*noisy.regressionR2, 1.0);
    EXPECT_GE(*noisy.regressionR2, 0.0);
}

// The list mode of SampleBackground visits what the sum mode sums, in rows top first and left
// to right, for every kind, clipped or not.
TEST(SamplingBackgroundTest, ListModeMatchesSumModeAndOrder) {
    const LayeredImage image = makeImage(
        17, 13, 1, [](int, int x, int y) { return static_cast<std::uint16_t>(y * 100 + x); });
    struct Case {
        Box outer, inner;
        ShapeKind kind;
    };
    const Case cases[] = {
        {{0, 0, 10, 10}, {3, 3, 7, 7}, ShapeKind::Disc},
        {{-4, -3, 6, 5}, {-2, -2, 4, 4}, ShapeKind::Disc},
        {{8, 6, 20, 16}, {11, 9, 17, 15}, ShapeKind::Disc},
        {{0, 0, 10, 10}, {3, 3, 7, 7}, ShapeKind::Rectangle},
        {{12, 9, 19, 15}, {14, 10, 16, 12}, ShapeKind::Rectangle},
        {{2, 2, 9, 9}, {0, 0, 17, 13}, ShapeKind::Rectangle},
        {{0, 0, 5, 5}, {1, 1, 3, 3}, static_cast<ShapeKind>(2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "outer " << c.outer.left << "," << c.outer.top
                                          << " kind " << static_cast<int>(c.kind));
        std::vector<std::int32_t> list(static_cast<std::size_t>(SampleListCapacity(c.outer)) + 1,
                                       -1);
        const std::int64_t n = SampleBackground(list.data(), image, c.outer, c.inner, 0, c.kind);
        std::int64_t sum = 0;
        EXPECT_EQ(SampleBackground(sum, image, c.outer, c.inner, 0, c.kind), n);
        std::int64_t listed = 0;
        for (std::int64_t i = 0; i < n; ++i) {
            listed += list[static_cast<std::size_t>(i)];
            if (i > 0) {
                EXPECT_LT(list[static_cast<std::size_t>(i - 1)], list[static_cast<std::size_t>(i)]);
            }
        }
        EXPECT_EQ(listed, sum);
        EXPECT_EQ(list[static_cast<std::size_t>(n)], -1) << "nothing written past the count";
    }
}

}  // namespace
}  // namespace orvane
