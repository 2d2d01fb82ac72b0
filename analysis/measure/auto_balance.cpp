// Percentile matching of the channels' spot-mean distributions.
#include "measure/auto_balance.h"

#include <algorithm>
#include <vector>

namespace orvane {
namespace {

// The value below which `fraction` of the means lie (nearest rank).
double percentile(std::vector<std::int32_t>& sorted, double fraction) {
    const auto last = static_cast<double>(sorted.size() - 1);
    return sorted[static_cast<std::size_t>(fraction * last + 0.5)];
}

std::pair<double, double> spread(const SpotMeans& means, int layer) {
    const std::int32_t* values = means.dataMean[static_cast<std::size_t>(layer)].get();
    std::vector<std::int32_t> sorted(values, values + means.m);
    std::sort(sorted.begin(), sorted.end());
    return {percentile(sorted, 0.1), percentile(sorted, 0.9)};
}

}  // namespace

ChannelBalance AutoBalance(const SpotMeans& means) {
    ChannelBalance balance;
    if (means.m <= 0 || means.layerCount < 2) return balance;
    const auto [low0, high0] = spread(means, 0);
    for (int k = 1; k < means.layerCount; ++k) {
        const auto [low, high] = spread(means, k);
        const auto i = static_cast<std::size_t>(k);
        const double gain = high > low && high0 > low0 ? (high0 - low0) / (high - low) : 1.0;
        balance.gain[i] = static_cast<float>(gain);
        balance.offset[i] = static_cast<float>(low0 - gain * low);
    }
    return balance;
}

}  // namespace orvane
