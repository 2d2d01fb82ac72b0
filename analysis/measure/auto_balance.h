// Auto Balance of the histogram dialog: per-channel offsets and gains that bring each channel's
// spot-mean distribution onto that of the first channel.
#pragma once

#include <array>

#include "document/layered_image.h"
#include "measure/spot_histogram.h"

namespace orvane {

struct ChannelBalance {
    std::array<float, kMaxLayers> offset = {0.0f, 0.0f, 0.0f};
    std::array<float, kMaxLayers> gain = {1.0f, 1.0f, 1.0f};
};

// Matches the 10th and 90th percentiles of every channel's spot data means to those of channel
// 1 with a linear map offset + gain x v; channel 1 keeps offset 0 and gain 1. A channel whose
// percentiles coincide (no spread) only gets the offset that moves its level onto channel 1's.
// With no measured spot every channel keeps the identity.
ChannelBalance AutoBalance(const SpotMeans& means);

}  // namespace orvane
