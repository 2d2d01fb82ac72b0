// The measurement subcommands of orvane-batch on a small demo slide: their files equal the
// core's, their checks give the commands' messages, their command lines are checked.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "../support/temp_dir.h"
#include "batch/batch_commands.h"
#include "batch_run.h"
#include "demo_slide_files.h"
#include "demo_slide_plan.h"
#include "document/tiff_loader.h"
#include "document/tiff_messages.h"
#include "grid/adjust_grid.h"
#include "grid/define_grid.h"
#include "grid/grid_file.h"
#include "grid/layout_files.h"
#include "measure/extract_grid_data.h"
#include "measure/selection_statistics.h"

namespace orvane::batch {
namespace {

namespace fs = std::filesystem;

class MeasureCommandsTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        setTiffMessageSink({});
        dir_ = std::make_unique<testing_support::TempDir>("orvane_measure_cli");
        demo::DemoOptions options;
        options.pixelUm = 25.0;
        options.outDir = dir_->path().string();
        demo::writeDemoSlide(demo::planDemoSlide(options));
        // The grid as define-grid lays it out from the slide map.
        SpotGrid grid;
        LayeredImage image = loadImage();
        PrintJobParameters job;
        std::ostringstream diagnostics;
        LoadMapFile(file("slide_map_data.txt"), grid.parameters, job, diagnostics);
        DefineGridLayout(grid, image);
        SaveGrid(grid, file("grid.grd"));
        SpotGrid bare;  // without a map
        bare.parameters.quadsX = 1;
        bare.parameters.quadsY = 1;
        DefineGridLayout(bare, image);
        SaveGrid(bare, file("bare.grd"));
    }
    static void TearDownTestSuite() { dir_.reset(); }
    static std::string file(const std::string& name) { return dir_->file(name); }
    static LayeredImage loadImage(int layers = 2) {
        LayeredImage image;
        NullProgress progress;
        AppendLayer(image, file("demo_635.tif"), progress);
        if (layers > 1) AppendLayer(image, file("demo_532.tif"), progress);
        return image;
    }
    static SpotGrid loadGrid(const std::string& name) {
        SpotGrid grid;
        LoadGrid(file(name), grid);
        return grid;
    }
    static inline std::unique_ptr<testing_support::TempDir> dir_;
};

TEST_F(MeasureCommandsTest, ExtractWritesTheCoresFile) {
    const RunResult result = run({"extract", "-o", file("spot_data.txt"), file("grid.grd"),
                                  file("demo_635.tif"), file("demo_532.tif")});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(result.err, "");
    const SpotGrid grid = loadGrid("grid.grd");
    NullProgress progress;
    ExtractGridData(file("expected_spot_data.txt"), loadImage(), grid, grid.quad(0, 0), progress);
    EXPECT_EQ(testing_support::readFile(file("spot_data.txt")),
              testing_support::readFile(file("expected_spot_data.txt")));
    EXPECT_EQ(testing_support::readFile(file("spot_data.txt"))
                  .rfind("Spot Integral Intensity File\nGrid: 12 by 12", 0),
              0u);
}

TEST_F(MeasureCommandsTest, AdjustSavesTheAdjustedGrid) {
    for (const char* method : {"2dw", "1dw", "cm"}) {
        SCOPED_TRACE(method);
        const RunResult result = run(
            {"adjust", "--method", method, "--times", "2", "--current-quad", "1,2", "-o",
             file("adjusted.grd"), file("grid.grd"), file("demo_635.tif"), file("demo_532.tif")});
        ASSERT_EQ(result.status, kExitSuccess) << result.err;
        SpotGrid expected = loadGrid("grid.grd");
        const AdjustMethod m = std::string(method) == "2dw"   ? AdjustMethod::TwoDimensionalWindow
                               : std::string(method) == "1dw" ? AdjustMethod::OneDimensionalWindow
                                                              : AdjustMethod::CentreOfMass;
        const LayeredImage image = loadImage();
        AdjustGrid(expected, expected.quad(1, 2), image, m);
        AdjustGrid(expected, expected.quad(1, 2), image, m);
        const SpotGrid adjusted = loadGrid("adjusted.grd");
        int moved = 0;
        for (int qx = 0; qx < expected.parameters.quadsX; ++qx)
            for (int qy = 0; qy < expected.parameters.quadsY; ++qy)
                for (int s = 0; s < expected.quad(qx, qy).count; ++s) {
                    ASSERT_EQ(adjusted.quad(qx, qy).offsetX[s], expected.quad(qx, qy).offsetX[s]);
                    ASSERT_EQ(adjusted.quad(qx, qy).offsetY[s], expected.quad(qx, qy).offsetY[s]);
                    moved += expected.quad(qx, qy).offsetX[s] != 0;
                }
        EXPECT_GT(moved, 0);
    }
}

TEST_F(MeasureCommandsTest, StatsAndPairsFiles) {
    RunResult result = run({"stats", "--rect", "30,40,10,20", "-o", file("selection_data.txt"),
                            file("demo_635.tif"), file("demo_532.tif")});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(result.out.rfind("N of samples 400\nLayer 1, Imin ", 0), 0u) << result.out;
    SelectionStatistics statistics;
    statistics.SetData(SampleSelection(loadImage(), {ToolKind::Rectangle, 30, 40, 10, 20}));
    statistics.SaveData(file("expected_selection_data.txt"));
    EXPECT_EQ(testing_support::readFile(file("selection_data.txt")),
              testing_support::readFile(file("expected_selection_data.txt")));

    result = run({"pairs", "--circle-radius", "100,100,103,104", "-o", file("pairs.txt"),
                  file("demo_635.tif"), file("demo_532.tif")});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    const std::string pairs = testing_support::readFile(file("pairs.txt"));
    EXPECT_EQ(
        pairs.rfind("Selection Pairs Data File.\nNumber of Layers 2.\nNumber of Data Samples ", 0),
        0u);

    result = run({"stats", "--raw", "--circle-diameter", "0,0,9,0", "-o", file("raw.txt"),
                  file("demo_635.tif")});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_NE(testing_support::readFile(file("raw.txt")).find("Number of Data Samples "),
              std::string::npos);
}

TEST_F(MeasureCommandsTest, SpotSelectionFromTheGrid) {
    const SpotGrid grid = loadGrid("grid.grd");
    // The first spot of quad 0,0 that is not excluded, and one that is.
    int col = -1, excludedCol = -1;
    for (int c = 0; c < grid.quad(0, 0).nx; ++c) {
        const bool excluded = grid.quad(0, 0).Flags(c, 0) & Excluded;
        if (!excluded && col < 0) col = c;
        if (excluded && excludedCol < 0) excludedCol = c;
    }
    ASSERT_GE(col, 0);
    RunResult result =
        run({"stats", "--spot", "0,0," + std::to_string(col) + ",0", "--grid", file("grid.grd"),
             "-o", file("spot_selection.txt"), file("demo_635.tif")});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    const GridPoint c = *grid.quad(0, 0).SpotCentre(col, 0);
    const int r = grid.quad(0, 0).spotRadius;
    SelectionStatistics statistics;
    statistics.SetData(SampleSelection(loadImage(1), {ToolKind::Grid, 0, 0, 0, 0},
                                       SelectedSpot{c.x, c.y, r, grid.quad(0, 0).roundCells == 1}));
    statistics.SaveData(file("expected_spot_selection.txt"));
    EXPECT_EQ(testing_support::readFile(file("spot_selection.txt")),
              testing_support::readFile(file("expected_spot_selection.txt")));
    if (excludedCol >= 0) {
        result = run({"stats", "--spot", "0,0," + std::to_string(excludedCol) + ",0", "--grid",
                      file("grid.grd"), "-o", file("excluded.txt"), file("demo_635.tif")});
        EXPECT_EQ(result.status, kExitFailure);
        EXPECT_EQ(result.err, "Please select an object first\n");
    }
}

TEST_F(MeasureCommandsTest, ChecksGiveTheCommandsMessages) {
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"stats", "--rect", "10,10,20,10", "-o", file("x.txt"), file("demo_635.tif")},
         "Please select non-zero area first\n"},
        {{"stats", "--spot", "0,0,99,0", "--grid", file("grid.grd"), "-o", file("x.txt"),
          file("demo_635.tif")},
         "Please select an object first\n"},
        {{"pairs", "--rect", "10,10,20,20", "-o", file("x.txt"), file("demo_635.tif")},
         "Two layers are required for this graph\n"},
        {{"find", "--pattern", "P01", "-o", file("x.grd"), file("bare.grd")},
         "Find requires annotated grid\n"},
        {{"extract", "-o", file("x.txt"), file("missing.grd"), file("demo_635.tif")},
         "Unable to open file. (" + file("missing.grd") + ")\n"},
        {{"extract", "-o", file("no-such-folder/x.txt"), file("grid.grd"), file("demo_635.tif")},
         "Unable to open file. (" + file("no-such-folder/x.txt") + ")\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const RunResult result = run(c.args);
        EXPECT_EQ(result.status, kExitFailure);
        EXPECT_EQ(result.err, c.message);
        EXPECT_FALSE(fs::exists(file("x.txt")) || fs::exists(file("x.grd"))) << "nothing written";
    }
}

TEST_F(MeasureCommandsTest, UsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"adjust", "-o", file("a.grd"), file("grid.grd"), file("demo_635.tif")},
        {"adjust", "--method", "3dw", "-o", file("a.grd"), file("grid.grd"), file("demo_635.tif")},
        {"adjust", "--method", "cm", "--times", "0", "-o", file("a.grd"), file("grid.grd"),
         file("demo_635.tif")},
        {"adjust", "--method", "cm", "--current-quad", "4,0", "-o", file("a.grd"), file("grid.grd"),
         file("demo_635.tif")},
        {"adjust", "--method", "cm", "-o", file("a.grd"), file("grid.grd")},
        {"extract", "-o", file("demo_635.tif"), file("grid.grd"), file("demo_635.tif")},
        {"stats", "-o", file("s.txt"), file("demo_635.tif")},
        {"stats", "--rect", "1,2,3", "-o", file("s.txt"), file("demo_635.tif")},
        {"stats", "--rect", "1,2,3,4", "--circle-radius", "1,2,3,4", "-o", file("s.txt"),
         file("demo_635.tif")},
        {"stats", "--spot", "0,0,1,1", "-o", file("s.txt"), file("demo_635.tif")},
        {"histogram", "--width", "10", file("grid.grd"), file("demo_635.tif")},
        {"find", "-o", file("f.grd"), file("grid.grd")},
        {"find", "--pattern", std::string(61, 'a'), "-o", file("f.grd"), file("grid.grd")},
    };
    for (const std::vector<std::string>& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        const RunResult result = run(args);
        EXPECT_EQ(result.status, kExitUsage) << result.err;
        EXPECT_NE(result.err.find("usage: orvane-batch " + args[0]), std::string::npos)
            << result.err;
    }
}

TEST_F(MeasureCommandsTest, HistogramPrintsTheBins) {
    const RunResult result = run({"histogram", "--width", "620", file("grid.grd"),
                                  file("demo_635.tif"), file("demo_532.tif")});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    std::istringstream lines(result.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "bins: 120");
    std::getline(lines, line);
    ASSERT_EQ(line.rfind("spots: ", 0), 0u);
    const long spots = std::stol(line.substr(7));
    EXPECT_GT(spots, 0);
    for (int k = 0; k < 2; ++k) {
        std::getline(lines, line);
        std::istringstream counts(line);
        std::string label;
        counts >> label >> label;
        EXPECT_EQ(label, std::to_string(k) + ":");
        long total = 0, n = 0;
        for (long v; counts >> v; ++n) total += v;
        EXPECT_EQ(n, 120);
        EXPECT_EQ(total, spots) << "every measured spot is in one bin";
    }
    EXPECT_FALSE(std::getline(lines, line));
}

TEST_F(MeasureCommandsTest, FindHighlightsAndSaves) {
    RunResult result = run(
        {"find", "--pattern", "p01-a01", "--no-descr", "-o", file("found.grd"), file("grid.grd")});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    ASSERT_EQ(result.out.rfind("Found ", 0), 0u) << result.out;
    const SpotGrid found = loadGrid("found.grd");
    int highlighted = 0;
    for (int qx = 0; qx < found.parameters.quadsX; ++qx)
        for (int qy = 0; qy < found.parameters.quadsY; ++qy)
            for (int s = 0; s < found.quad(qx, qy).count; ++s)
                highlighted += found.quad(qx, qy).flags[s] & Highlighted;
    EXPECT_EQ(result.out, "Found " + std::to_string(highlighted) + " matching genes.\n");
    result = run({"find", "--pattern", "p01-a01", "--match-case", "-o", file("found.grd"),
                  file("found.grd")});
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(result.out, "Pattern not found.\n");
}

}  // namespace
}  // namespace orvane::batch
