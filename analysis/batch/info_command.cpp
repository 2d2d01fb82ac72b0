// orvane-batch info: loads a scan and its overlays as Open and Overlay do, and prints what the
// document then knows about them as key: value lines.
#include <charconv>
#include <string>

#include "batch/batch_commands.h"
#include "batch/image_inputs.h"

namespace orvane::batch {

namespace {

// Shortest text that reads back as the same value (1000, 0.2, 393.7008).
template <typename Number>
std::string shortest(Number value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

int runInfo(const ParsedArgs& args, CommandContext& context) {
    const LayeredImage image = loadInputs(args.positionals, context.progress);
    context.clearProgress();
    std::ostream& out = context.out;
    out << "width: " << image.width() << "\n"
        << "height: " << image.height() << "\n"
        << "layers: " << image.layerCount << "\n"
        << "x_resolution: " << shortest(image.xResolution) << "\n"
        << "y_resolution: " << shortest(image.yResolution) << "\n"
        << "resolution_unit: " << image.resolutionUnit << "\n"
        << "scan_origin_x: " << shortest(image.scanOriginX) << "\n"
        << "scan_origin_y: " << shortest(image.scanOriginY) << "\n"
        << "caption: " << image.caption << "\n";
    return out ? kExitSuccess : kExitFailure;
}

}  // namespace

Command infoCommand() {
    return Command{
        "info",
        "info IMAGE [OVERLAY...]",
        "print the size, resolution, scan origin and caption of a scan",
        "Loads IMAGE as File > Open does and each OVERLAY (at most two) as Overlay Image does,\n"
        "then prints key: value lines: width, height, layers, x_resolution, y_resolution,\n"
        "resolution_unit (2 inch, 3 centimetre, other: none), scan_origin_x, scan_origin_y (mm),\n"
        "caption.\n",
        {},
        runInfo,
    };
}

}  // namespace orvane::batch
