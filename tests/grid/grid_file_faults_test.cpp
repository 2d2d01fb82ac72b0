// Save Grid under injected write failures: the previous grid file survives byte for byte and no
// temporary file is left behind.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "../support/write_faults.h"
#include "grid/grid_file.h"

namespace orvane {
namespace {

using testing_support::expectSafeOnFullFileSystem;
using testing_support::expectSafeUnderWriteFaults;
using testing_support::TempDir;

// Two quads of 10 x 8 spots with a slide map: about 90 KB, many stream buffers.
SpotGrid testGrid() {
    SpotGrid grid;
    GridParameters& p = grid.parameters;
    p.quadsX = 2;
    p.cellsX = 10;
    p.cellsY = 8;
    auto map = std::make_shared<SlideMap>(2, 1, 10, 8);
    for (std::int32_t i = 0; i < map->recordCount(); ++i)
        map->records()[i].SetUid(std::string("W").append(std::to_string(i)));
    p.slideMap = map;
    grid.quad(0, 0).InitQuad(10, 10, 100, 80, 10, 8, 3, 5, 1);
    grid.quad(1, 0).InitQuad(110, 10, 200, 80, 10, 8, 3, 5, 1);
    return grid;
}

TEST(GridFileFaults, FailedWriteAtAnyPointKeepsThePreviousFile) {
    const SpotGrid grid = testGrid();
    TempDir dir;
    const std::string target = dir.file("grid_definition.grd");
    expectSafeUnderWriteFaults(target, [&] { SaveGrid(grid, target); });
}

TEST(GridFileFaults, FullFileSystemKeepsThePreviousFile) {
    const SpotGrid grid = testGrid();
    expectSafeOnFullFileSystem("grid_definition.grd",
                               [&](const std::string& path) { SaveGrid(grid, path); });
}

}  // namespace
}  // namespace orvane
