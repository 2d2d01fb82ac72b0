// The GenePix Results export of orvane-batch: the ImageFiles entries of the scans it names.
#pragma once

#include <string>
#include <vector>

#include "measure/genepix_results.h"

namespace orvane::batch {

// The ImageFiles entries for the scans named on the command line: absolute paths, and the page
// a "FILE.tif:N" name selects (0 otherwise). Only the first two scans are exported.
std::vector<GenePixImageFile> genePixImageFiles(const std::vector<std::string>& inputs);

}  // namespace orvane::batch
