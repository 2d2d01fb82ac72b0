// Writes a planned demo slide: one 16-bit grey TIFF per channel, the slide map data file of the
// print job, and the truth file with every spot's true centre and signal.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "demo_slide_plan.h"

namespace orvane::demo {

// Renders and writes every file into slide.options.outDir (created when missing) and returns the
// paths written. Throws std::runtime_error with the reason when a file cannot be written; a file
// that failed is removed rather than left half-written.
std::vector<std::string> writeDemoSlide(const DemoSlide& slide);

// A 16-bit min-is-black contiguous TIFF with the scan's resolution (pixels per cm) and description.
void writeChannelTiff(const std::string& path, const DemoSlide& slide, int channel,
                      const std::uint16_t* samples);

// Parameter lines, then for every spot position the pin lines of what each pin carries and one
// zone line per block, as the arraying robot writes them.
void writeSlideMap(std::ostream& out, const DemoSlide& slide);

// A header line naming the columns, then one line a spot: quad, spot position, true centre and
// nominal centre in pixels, printed flag and the true signal of each channel.
void writeTruth(std::ostream& out, const DemoSlide& slide);

}  // namespace orvane::demo
