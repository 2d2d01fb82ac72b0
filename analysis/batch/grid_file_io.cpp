// Grid files for the measurement subcommands: Load Grid and Save Grid of the core.
#include "batch/batch_commands.h"
#include "batch/measure_options.h"
#include "grid/grid_file.h"

namespace orvane::batch {

SpotGrid loadGridFile(const std::string& path) {
    SpotGrid grid;
    aboutFile(path, [&] { LoadGrid(path, grid); });
    return grid;
}

void saveGridFile(const std::string& path, const SpotGrid& grid) {
    aboutFile(path, [&] { SaveGrid(grid, path); });
}

}  // namespace orvane::batch
