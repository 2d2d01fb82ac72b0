// Renders one channel of a planned demo slide: background with gradient and noise, soft-edged
// spots (some hollow, a few saturated) and dust specks; on a defective slide also lumpy and
// comet-tailed spots, smudges and scratches.
#pragma once

#include <cstdint>

#include "demo_slide_plan.h"

namespace orvane::demo {

// Fills samples (width x height, row-major) with channel 0 (635 nm, red) or 1 (532 nm, green).
void renderChannel(const DemoSlide& slide, int channel, std::uint16_t* samples);

// The spot's true signal in the channel: the sum of what the drawing adds to the background over
// every pixel of the scan, before noise and before the 16-bit ceiling. 0 for an unprinted spot.
double spotTrueSignal(const DemoSlide& slide, const Spot& spot, int channel);

}  // namespace orvane::demo
