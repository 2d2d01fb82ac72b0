// Renders one channel of a planned demo slide: background with gradient and noise, soft-edged
// spots (some hollow, a few saturated) and dust specks.
#pragma once

#include <cstdint>

#include "demo_slide_plan.h"

namespace orvane::demo {

// Fills samples (width x height, row-major) with channel 0 (635 nm, red) or 1 (532 nm, green).
void renderChannel(const DemoSlide& slide, int channel, std::uint16_t* samples);

}  // namespace orvane::demo
