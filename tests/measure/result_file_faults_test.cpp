// Every result file of the measurements (Spot Integral Intensity, GenePix Results, selection
// statistics, pairs and raw data) under injected write failures: the previous file survives byte
// for byte and no temporary file is left behind.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "../support/write_faults.h"
#include "base/progress.h"
#include "measure/extract_grid_data.h"
#include "measure/genepix_results.h"
#include "measure/selection_pairs.h"
#include "measure/selection_samples.h"
#include "measure/selection_statistics.h"
#include "test_image.h"

namespace orvane {
namespace {

using testing_support::expectSafeOnFullFileSystem;
using testing_support::expectSafeUnderWriteFaults;
using testing_support::FaultDir;

// Two layers of 80 x 60 with distinct values, so that every file runs to several kilobytes.
LayeredImage testImage() {
    return testing_support::makeImage(80, 60, 2, [](int k, int x, int y) {
        return static_cast<std::uint16_t>(1000 * k + 37 * x + 101 * y);
    });
}

SpotGrid testGrid() {
    SpotGrid grid;
    grid.parameters.cellsX = 8;
    grid.parameters.cellsY = 6;
    grid.quad(0, 0).InitQuad(5, 5, 75, 55, 8, 6, 3, 4, 1);
    return grid;
}

struct Writer {
    const char* name;
    std::function<void(const std::string&)> write;
};

std::vector<Writer> writers() {
    const SelectionShape box{ToolKind::Rectangle, 2, 3, 70, 50};
    return {
        {"spot_data",
         [](const std::string& path) {
             const LayeredImage image = testImage();
             const SpotGrid grid = testGrid();
             NullProgress progress;
             ExtractGridData(path, image, grid, grid.quad(0, 0), progress);
         }},
        {"genepix.gpr",
         [](const std::string& path) {
             const LayeredImage image = testImage();
             const SpotGrid grid = testGrid();
             GenePixExportInfo info;
             info.dateTime = "2026/01/02 03:04:05";  // the same bytes on every run
             NullProgress progress;
             WriteGenePixResults(path, image, grid, grid.quad(0, 0), info, progress);
         }},
        {"selection_data",
         [box](const std::string& path) {
             SelectionStatistics stats;
             stats.SetData(SampleSelection(testImage(), box));
             stats.SaveData(path);
         }},
        {"selection_pairs",
         [box](const std::string& path) {
             SelectionPairs pairs;
             pairs.SetData(SamplePairsSelection(testImage(), box));
             pairs.SaveData(path);
         }},
        {"raw_data",
         [box](const std::string& path) { SaveSelectionRawData(path, testImage(), box); }},
    };
}

TEST(ResultFileFaults, FailedWriteAtAnyPointKeepsThePreviousFile) {
    for (const Writer& writer : writers()) {
        SCOPED_TRACE(writer.name);
        FaultDir dir;
        const std::string target = dir.file(writer.name);
        expectSafeUnderWriteFaults(target, [&] { writer.write(target); });
    }
}

TEST(ResultFileFaults, FullFileSystemKeepsThePreviousFile) {
    for (const Writer& writer : writers()) {
        SCOPED_TRACE(writer.name);
        expectSafeOnFullFileSystem(writer.name, writer.write);
    }
}

}  // namespace
}  // namespace orvane
