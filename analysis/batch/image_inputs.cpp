// Loading the command line's image files, and the guard against overwriting one of them.
#include "batch/image_inputs.h"

#include <filesystem>
#include <system_error>

#include "batch/batch_commands.h"
#include "batch/cli_parse.h"
#include "document/tiff_loader.h"

namespace orvane::batch {

ScanName splitScanName(const std::string& name) {
    std::error_code error;
    const std::size_t colon = name.rfind(':');
    // A file whose own name ends in ":N" is that file.
    if (colon == std::string::npos || colon == 0 || colon + 1 == name.size() ||
        std::filesystem::exists(name, error))
        return {name, std::nullopt};
    const std::string digits = name.substr(colon + 1);
    if (digits.find_first_not_of("0123456789") != std::string::npos) return {name, std::nullopt};
    const std::optional<std::int64_t> page = parseInteger(digits, 1, 65535);
    if (!page) throw UsageError("the page of " + name + " is not a number from 1 to 65535");
    return {name.substr(0, colon), static_cast<int>(*page - 1)};
}

LayeredImage loadInputs(const std::vector<std::string>& paths, Progress& progress) {
    if (paths.empty()) throw UsageError("no image file given");
    if (paths.size() > static_cast<std::size_t>(kMaxLayers))
        throw UsageError("at most " + std::to_string(kMaxLayers) +
                         " image files (an image and two overlays)");
    LayeredImage image;
    for (const std::string& path : paths) {
        const ScanName scan = splitScanName(path);
        aboutFile(scan.path, [&] { AppendLayer(image, scan.path, progress, scan.page); });
    }
    return image;
}

void checkOutputIsNotInput(const std::string& output, const std::vector<std::string>& inputs) {
    for (const std::string& input : inputs) {
        std::error_code error;
        const std::string file = splitScanName(input).path;
        const bool same =
            output == input || output == file || std::filesystem::equivalent(output, file, error);
        if (same) throw UsageError("the output file " + output + " is one of the input files");
    }
}

}  // namespace orvane::batch
