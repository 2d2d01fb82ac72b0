// What the export and process subcommands are asked to do, read from their parsed command line;
// kept apart from running them so that the command-line rules are tested on their own.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "batch/cli_parse.h"

namespace orvane::batch {

struct ExportRequest {
    bool linear = false;               // --linear: linear instead of logarithmic mapping
    bool inverted = true;              // --no-invert: colours on black
    std::array<bool, 3> channelOff{};  // --channel-off N, N = 1 red, 2 green, 3 blue
    std::string output;
    std::vector<std::string> inputs;  // the image, then up to two overlays
};

struct ProcessStep {
    enum class Kind { Mean, Median, SubtractBackground };
    Kind kind = Kind::Mean;
    Rectangle rectangle;  // for SubtractBackground
    bool operator==(const ProcessStep&) const = default;
};

struct ProcessRequest {
    std::vector<ProcessStep> steps;  // in command-line order
    std::string output;
    std::string input;
};

std::vector<OptionSpec> exportOptions();
std::vector<OptionSpec> processOptions();

// Throw UsageError when the command line does not make a complete request.
ExportRequest exportRequestFrom(const ParsedArgs& args);
ProcessRequest processRequestFrom(const ParsedArgs& args);

}  // namespace orvane::batch
