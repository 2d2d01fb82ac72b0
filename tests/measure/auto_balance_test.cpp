// Auto Balance: percentile matching of the channels' spot means.
#include <gtest/gtest.h>

#include "measure/auto_balance.h"

namespace orvane {
namespace {

SpotMeans makeMeans(int layers, const std::vector<std::vector<std::int32_t>>& values) {
    SpotMeans means;
    means.layerCount = layers;
    means.m = static_cast<std::int64_t>(values[0].size());
    for (int k = 0; k < layers; ++k) {
        const auto i = static_cast<std::size_t>(k);
        means.dataMean[i] = std::make_unique<std::int32_t[]>(values[i].size());
        means.backgroundMean[i] = std::make_unique<std::int32_t[]>(values[i].size());
        std::copy(values[i].begin(), values[i].end(), means.dataMean[i].get());
    }
    return means;
}

TEST(AutoBalance, MapsASecondChannelOntoTheFirst) {
    // Channel 2 is channel 1 halved and lifted by 100: the balance undoes exactly that.
    std::vector<std::int32_t> first, second;
    for (int v = 0; v <= 1000; v += 10) {
        first.push_back(1000 + 2 * v);
        second.push_back(100 + 500 + v);
    }
    const ChannelBalance b = AutoBalance(makeMeans(2, {first, second}));
    EXPECT_FLOAT_EQ(b.gain[0], 1.0f);
    EXPECT_FLOAT_EQ(b.offset[0], 0.0f);
    EXPECT_FLOAT_EQ(b.gain[1], 2.0f);
    EXPECT_FLOAT_EQ(b.offset[1], -200.0f);
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_FLOAT_EQ(b.offset[1] + b.gain[1] * static_cast<float>(second[i]),
                        static_cast<float>(first[i]));
}

TEST(AutoBalance, DegenerateInputsKeepTheIdentityOrShiftOnly) {
    const ChannelBalance none = AutoBalance(makeMeans(2, {{}, {}}));
    EXPECT_FLOAT_EQ(none.gain[1], 1.0f);
    EXPECT_FLOAT_EQ(none.offset[1], 0.0f);
    const ChannelBalance one = AutoBalance(makeMeans(1, {{5, 6, 7}}));
    EXPECT_FLOAT_EQ(one.gain[0], 1.0f);
    const ChannelBalance flat = AutoBalance(makeMeans(3, {{10, 20, 30}, {7, 7, 7}, {1, 2, 3}}));
    EXPECT_FLOAT_EQ(flat.gain[1], 1.0f);
    EXPECT_FLOAT_EQ(flat.offset[1], 3.0f) << "10th percentile 10 against 7";
    EXPECT_FLOAT_EQ(flat.gain[2], 10.0f);
}

}  // namespace
}  // namespace orvane
