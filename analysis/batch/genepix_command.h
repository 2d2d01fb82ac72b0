// The GenePix Results export of orvane-batch, shared by the subcommands that write it.
#pragma once

#include <string>
#include <vector>

#include "document/layered_image.h"
#include "document/progress.h"
#include "grid/spot_grid.h"
#include "measure/genepix_results.h"

namespace orvane::batch {

// The ImageFiles entries for the scans named on the command line: absolute paths, and the page
// a "FILE.tif:N" name selects (0 otherwise).
std::vector<GenePixImageFile> genePixImageFiles(const std::vector<std::string>& inputs);

// Writes `output` as Grid > Export GenePix Results does from a view whose current quad is [0][0]
// and whose tool is Grid: the messages are those of the GUI command.
void exportGenePix(const std::string& output, const SpotGrid& grid, const LayeredImage& image,
                   const std::vector<std::string>& inputs, Progress& progress);

}  // namespace orvane::batch
