// Histogram binning: bin count from the width, the logarithmic bins and their limits.
#include <gtest/gtest.h>

#include <cmath>

#include "measure/spot_histogram.h"

namespace orvane {
namespace {

TEST(SpotHistogramTest, BinCountFromTheWindowWidth) {
    EXPECT_EQ(SpotHistogram::BinCount(620), 120);
    EXPECT_EQ(SpotHistogram::BinCount(24), 0);
    EXPECT_EQ(SpotHistogram::BinCount(10), 0) << "negative width left over";
    EXPECT_EQ(SpotHistogram::BinCount(10260), 2048);
    EXPECT_EQ(SpotHistogram::BinCount(20000), kMaxHistogramBins) << "wider windows keep 2048 bins";
}

TEST(SpotHistogramTest, BinsOfA620PixelWindow) {
    const int bins = 120;
    const float s = SpotHistogram::Scale(bins);
    EXPECT_FLOAT_EQ(s, static_cast<float>(120 / std::log(65535.0)));
    struct Case {
        std::int32_t mean;
        int bin;
    };
    const Case cases[] = {{0, 0},     {1, 0},       {2, 7},      {100, 49},
                          {1000, 74}, {65534, 119}, {65535, 119}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mean);
        EXPECT_EQ(SpotHistogram::BinOf(c.mean, s, bins), c.bin);
    }
}

TEST(SpotHistogramTest, FullScaleMeanFallsInTheTopBinForEveryWidth) {
    for (int bins = 1; bins <= kMaxHistogramBins; ++bins) {
        const int b = SpotHistogram::BinOf(65535, SpotHistogram::Scale(bins), bins);
        ASSERT_EQ(b, bins - 1) << bins << " bins";
    }
}

TEST(SpotHistogramTest, CountsEveryLayerAndKeepsTheLargestCounter) {
    SpotMeans means;
    means.layerCount = 2;
    means.m = 4;
    const std::int32_t layer0[] = {0, 1, 65535, 100};
    const std::int32_t layer1[] = {100, 100, 100, 3};
    for (int k = 0; k < 2; ++k) {
        means.dataMean[k].reset(new std::int32_t[4]);
        means.backgroundMean[k].reset(new std::int32_t[4]);
        for (int i = 0; i < 4; ++i) means.dataMean[k][i] = (k == 0 ? layer0 : layer1)[i];
    }
    SpotHistogram histogram;
    histogram.SetData(std::move(means));
    const HistogramBins bins = histogram.Bin(120);
    EXPECT_EQ(bins.counters[0][0], 2);
    EXPECT_EQ(bins.counters[0][119], 1);
    EXPECT_EQ(bins.counters[0][49], 1);
    EXPECT_EQ(bins.counters[1][49], 3);
    EXPECT_EQ(bins.largest, 3);
    EXPECT_TRUE(bins.counters[2].empty()) << "no third layer";
    EXPECT_EQ(histogram.Bin(0).largest, 0) << "no bins, nothing counted";
    EXPECT_EQ(histogram.gain[2], 1.0f);
    EXPECT_EQ(histogram.offset[0], 0.0f);
}

}  // namespace
}  // namespace orvane
