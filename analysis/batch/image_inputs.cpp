// Loading the command line's image files, and the guard against overwriting one of them.
#include "batch/image_inputs.h"

#include <filesystem>
#include <system_error>

#include "batch/cli_parse.h"
#include "document/tiff_loader.h"

namespace orvane::batch {

LayeredImage loadInputs(const std::vector<std::string>& paths, Progress& progress) {
    if (paths.empty()) throw UsageError("no image file given");
    if (paths.size() > static_cast<std::size_t>(kMaxLayers))
        throw UsageError("at most " + std::to_string(kMaxLayers) + " image files (an image and two overlays)");
    LayeredImage image;
    for (const std::string& path : paths) AppendLayer(image, path, progress);
    return image;
}

void checkOutputIsNotInput(const std::string& output, const std::vector<std::string>& inputs) {
    for (const std::string& input : inputs) {
        std::error_code error;
        const bool same = output == input || std::filesystem::equivalent(output, input, error);
        if (same) throw UsageError("the output file " + output + " is one of the input files");
    }
}

}  // namespace orvane::batch
