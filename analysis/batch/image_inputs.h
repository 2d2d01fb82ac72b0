// Loading the image files named on the command line into one document's layers.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/progress.h"
#include "document/layered_image.h"

namespace orvane::batch {

// A scan as the command line names it: "FILE.tif", or "FILE.tif:N" for page N (1-based) of a
// multi-page file; page is 0-based. A name that exists as a file is taken whole. Throws
// UsageError for a page of 0 or beyond 65535.
struct ScanName {
    std::string path;
    std::optional<int> page;
};
ScanName splitScanName(const std::string& name);

// Loads paths[0] as Open does and the others (at most two) as Overlay does. Throws UsageError
// when there is no path or more than three, CoreError (with the message) when a file fails.
LayeredImage loadInputs(const std::vector<std::string>& paths, Progress& progress);

// Refuses (UsageError) an output path that names one of the input files: the run would replace
// the scan it reads.
void checkOutputIsNotInput(const std::string& output, const std::vector<std::string>& inputs);

}  // namespace orvane::batch
