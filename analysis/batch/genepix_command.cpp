// The GenePix Results export of orvane-batch.
#include "batch/genepix_command.h"

#include <filesystem>
#include <system_error>

#include "batch/image_inputs.h"

namespace orvane::batch {

namespace {

std::string absolute(const std::string& path) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return error ? path : full.lexically_normal().string();
}

}  // namespace

std::vector<GenePixImageFile> genePixImageFiles(const std::vector<std::string>& inputs) {
    std::vector<GenePixImageFile> files;
    for (const std::string& input : inputs) {
        if (files.size() == 2) break;
        const ScanName scan = splitScanName(input);
        files.push_back({absolute(scan.path), scan.page.value_or(0)});
    }
    return files;
}

}  // namespace orvane::batch
