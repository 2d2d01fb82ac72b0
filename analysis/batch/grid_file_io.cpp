// Grid files for the measurement subcommands: Load Grid and Save Grid of the core.
#include "batch/measure_options.h"
#include "grid/grid_file.h"

namespace orvane::batch {

SpotGrid loadGridFile(const std::string& path) {
    SpotGrid grid;
    LoadGrid(path, grid);
    return grid;
}

void saveGridFile(const std::string& path, const SpotGrid& grid) { SaveGrid(grid, path); }

}  // namespace orvane::batch
