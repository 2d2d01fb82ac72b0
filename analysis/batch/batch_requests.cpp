// Reading export and process requests from a parsed command line.
#include "batch/batch_requests.h"

#include "batch/image_inputs.h"
#include "document/layered_image.h"

namespace orvane::batch {

namespace {

// The one output file; given twice is more likely a slip than a wish for the last one.
std::string outputFrom(const ParsedArgs& args) {
    const std::vector<std::string> outputs = args.values("--output");
    if (outputs.empty()) throw UsageError("no output file given (-o OUT.tif)");
    if (outputs.size() > 1) throw UsageError("more than one output file given");
    if (outputs[0].empty()) throw UsageError("the output file name is empty");
    return outputs[0];
}

}  // namespace

std::vector<OptionSpec> exportOptions() {
    return {{"--linear", "", false},
            {"--no-invert", "", false},
            {"--channel-off", "", true},
            {"--output", "-o", true}};
}

std::vector<OptionSpec> processOptions() {
    return {{"--mean", "", false},
            {"--median", "", false},
            {"--subtract-background", "", true},
            {"--output", "-o", true}};
}

ExportRequest exportRequestFrom(const ParsedArgs& args) {
    ExportRequest request;
    request.output = outputFrom(args);
    for (const ParsedOption& option : args.options) {
        if (option.name == "--linear") {
            request.linear = true;
        } else if (option.name == "--no-invert") {
            request.inverted = false;
        } else if (option.name == "--channel-off") {
            const std::optional<std::int64_t> channel = parseInteger(option.value, 1, 3);
            if (!channel)
                throw UsageError("--channel-off takes 1 (red), 2 (green) or 3 (blue), not '" +
                                 option.value + "'");
            request.channelOff[static_cast<std::size_t>(*channel - 1)] = true;
        }
    }
    if (args.positionals.empty()) throw UsageError("no image file given");
    if (args.positionals.size() > static_cast<std::size_t>(kMaxLayers))
        throw UsageError("at most 3 image files (an image and two overlays)");
    request.inputs = args.positionals;
    checkOutputIsNotInput(request.output, request.inputs);
    return request;
}

ProcessRequest processRequestFrom(const ParsedArgs& args) {
    ProcessRequest request;
    request.output = outputFrom(args);
    for (const ParsedOption& option : args.options) {
        if (option.name == "--mean") {
            request.steps.push_back({ProcessStep::Kind::Mean, {}});
        } else if (option.name == "--median") {
            request.steps.push_back({ProcessStep::Kind::Median, {}});
        } else if (option.name == "--subtract-background") {
            const std::optional<Rectangle> rectangle = parseRectangle(option.value);
            if (!rectangle)
                throw UsageError("--subtract-background takes X0,Y0,X1,Y1 in pixels, not '" +
                                 option.value + "'");
            request.steps.push_back({ProcessStep::Kind::SubtractBackground, *rectangle});
        }
    }
    if (args.positionals.size() != 1) throw UsageError("process takes exactly one image file");
    request.input = args.positionals[0];
    checkOutputIsNotInput(request.output, {request.input});
    return request;
}

}  // namespace orvane::batch
