// GetSelectionArea, the selection checks, statistics, pairs and their files.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include <cstdio>
#include <filesystem>
#include <string>

#include "base/core_error.h"
#include "grid/selection_shape.h"
#include "measure/result_file.h"
#include "measure/selection_pairs.h"
#include "measure/selection_samples.h"
#include "measure/selection_statistics.h"
#include "test_image.h"

namespace orvane {
namespace {

using testing_support::makeImage;
using testing_support::readFile;
using testing_support::uniformImage;

std::string tempPath(const std::string& name) {
    return testing_support::tempPath("measure_test", name);
}

TEST(GetSelectionAreaTest, EachToolGivesItsBoxAndKind) {
    struct Case {
        const char* name;
        SelectionShape shape;
        Box box;
        ShapeKind kind;
    };
    const Case cases[] = {
        {"rectangle normalised",
         {ToolKind::Rectangle, 9, 8, 3, 2},
         {3, 2, 9, 8},
         ShapeKind::Rectangle},
        // A 3-4-5 segment: length 5, r = 2, centre (1, 2).
        {"diameter", {ToolKind::CircleByDiameter, 0, 0, 3, 4}, {-1, 0, 3, 4}, ShapeKind::Disc},
        {"diameter truncates toward zero",
         {ToolKind::CircleByDiameter, -3, -3, 0, 0},
         {-3, -3, 1, 1},
         ShapeKind::Disc},
        {"radius", {ToolKind::CircleByRadius, 10, 10, 13, 14}, {5, 5, 15, 15}, ShapeKind::Disc},
        {"radius zero",
         {ToolKind::CircleByRadius, 10, 10, 10, 10},
         {10, 10, 10, 10},
         ShapeKind::Disc},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto area = GetSelectionArea(c.shape);
        ASSERT_TRUE(area.has_value());
        EXPECT_EQ(area->box, c.box) << area->box.left << "," << area->box.top << ","
                                    << area->box.right << "," << area->box.bottom;
        EXPECT_EQ(area->kind, c.kind);
    }
}

TEST(GetSelectionAreaTest, GridSpotAndToolsWithoutArea) {
    const SelectionShape grid{ToolKind::Grid, 1, 2, 3, 4};
    EXPECT_FALSE(GetSelectionArea(grid).has_value()) << "no selected spot";
    auto area = GetSelectionArea(grid, SelectedSpot{50, 60, 10, true});
    ASSERT_TRUE(area);
    EXPECT_EQ(area->box, (Box{40, 50, 60, 70}));
    EXPECT_EQ(area->kind, ShapeKind::Disc);
    area = GetSelectionArea(grid, SelectedSpot{50, 60, 10, false});
    EXPECT_EQ(area->kind, ShapeKind::Rectangle);
    EXPECT_FALSE(GetSelectionArea({ToolKind::Point, 1, 1, 5, 5}).has_value());
}

TEST(GetSelectionAreaTest, SelectedSpotOfTheCurrentQuad) {
    GridQuad quad;
    quad.InitQuad(10, 20, 40, 20, 4, 1, 5, 7, 0);
    EXPECT_FALSE(SelectedSpotOf(quad).has_value());
    quad.SelectSpot(2, 0);
    quad.OffsetX(2, 0) = 3;
    const auto spot = SelectedSpotOf(quad);
    ASSERT_TRUE(spot);
    EXPECT_EQ(spot->cx, 33);
    EXPECT_EQ(spot->cy, 20);
    const auto area = GetSelectionArea({ToolKind::Grid, 0, 0, 0, 0}, spot);
    EXPECT_EQ(area->box, (Box{28, 15, 38, 25}));
    EXPECT_EQ(area->kind, ShapeKind::Rectangle);
}

TEST(SampleSelectionTest, RefusesWithTheCommandsMessages) {
    const LayeredImage image = uniformImage(10, 10, 2, 5);
    struct Case {
        SelectionShape shape;
        const char* message;
    };
    const Case cases[] = {
        {{ToolKind::Point, 1, 1, 5, 5}, "Please select an object first"},
        {{ToolKind::Grid, 1, 1, 5, 5}, "Please select an object first"},
        {{ToolKind::Rectangle, 1, 1, 5, 1}, "Please select non-zero area first"},
        {{ToolKind::CircleByDiameter, 1, 1, 2, 1}, "Please select non-zero area first"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            SampleSelection(image, c.shape);
            ADD_FAILURE() << "no error";
        } catch (const CoreError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
    const LayeredImage one = uniformImage(10, 10, 1, 5);
    // The layer check comes before any selection check.
    try {
        SamplePairsSelection(one, {ToolKind::Point, 0, 0, 0, 0});
        ADD_FAILURE() << "no error";
    } catch (const CoreError& e) {
        EXPECT_STREQ(e.what(), "Two layers are required for this graph");
    }
}

TEST(SampleSelectionTest, BoxPartlyOutsideCountsInsidePixels) {
    const LayeredImage image = uniformImage(10, 10, 3, 5);
    const SelectionSamples s = SampleSelection(image, {ToolKind::Rectangle, -5, -5, 3, 2});
    EXPECT_EQ(s.n, 6);
    EXPECT_EQ(s.layerCount, 3);
}

// n samples of layer 0 are 1..n shuffled; layer 1 is 2 x layer 0.
SelectionSamples rampSamples(int n, int layers) {
    SelectionSamples s;
    s.n = n;
    s.layerCount = layers;
    for (int k = 0; k < layers; ++k) {
        s.layers[static_cast<std::size_t>(k)].reset(new std::int32_t[static_cast<std::size_t>(n)]);
        for (int i = 0; i < n; ++i)
            s.layers[static_cast<std::size_t>(k)][i] = ((i * 37) % n + 1) * (k + 1);
    }
    return s;
}

TEST(SelectionStatisticsTest, ScaleIndexAndMaximum) {
    struct Case {
        int n;
        std::int64_t i99;
        std::int32_t m;
    };
    // Layer 1 holds twice layer 0, so it decides M: twice the sorted value at i99.
    const Case cases[] = {{99, 98, 198}, {150, 148, 298}, {100, 98, 198}, {1, 0, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        SelectionStatistics stats;
        stats.SetData(rampSamples(c.n, 2));
        EXPECT_EQ(stats.i99(), c.i99);
        EXPECT_EQ(stats.M(), c.m);
        for (int i = 1; i < c.n; ++i) ASSERT_LE(stats.sorted(0)[i - 1], stats.sorted(0)[i]);
    }
}

TEST(SelectionStatisticsTest, NoSamplesGiveZeroScaleAndNa) {
    SelectionStatistics stats;
    const LayeredImage image = uniformImage(10, 10, 1, 5);
    stats.SetData(SampleSelection(image, {ToolKind::Rectangle, 20, 20, 30, 30}));
    EXPECT_EQ(stats.n(), 0);
    EXPECT_EQ(stats.M(), 0);
    EXPECT_EQ(stats.i99(), -1);
    EXPECT_EQ(stats.StatisticsLine(0), "Imin 0, Imax 0, Iint 0.000e+00, Iavg NA, I1/I1 NA");
}

TEST(SelectionStatisticsTest, SaveDataWritesHeaderLinesAndSortedRows) {
    // Layer 0 descends, layer 1 ascends: sorted rows pair values of different pixels.
    const LayeredImage image = makeImage(3, 1, 2, [](int k, int x, int) {
        return static_cast<std::uint16_t>(k == 0 ? 30 - 10 * x : 5 + x);
    });
    SelectionStatistics stats;
    stats.SetData(SampleSelection(image, {ToolKind::Rectangle, 0, 0, 3, 1}));
    const std::string path = tempPath("selection_data.txt");
    stats.SaveData(path);
    EXPECT_EQ(readFile(path),
              "Selection Intensity Data File.\n"
              "Number of Layers 2.\n"
              "Number of Data Samples 3.\n"
              "Layer 1, Imin 10, Imax 30, Iint 6.000e+01, Iavg 2.000e+01, I1/I1 1.000e+00\n"
              "Layer 2, Imin 5, Imax 7, Iint 1.800e+01, Iavg 6.000e+00, I2/I1 3.000e-01\n"
              "Slection Data Samples (sorted):\n"
              "0, 10, 5\n"
              "1, 20, 6\n"
              "2, 30, 7\n");
}

TEST(SelectionPairsTest, MaximaAndPairsFile) {
    const LayeredImage image = makeImage(2, 2, 3, [](int k, int x, int y) {
        return static_cast<std::uint16_t>(k * 100 + y * 2 + x +
                                          (k == 1 && x == 0 && y == 1 ? 65000 : 0));
    });
    SelectionPairs pairs;
    pairs.SetData(SamplePairsSelection(image, {ToolKind::Rectangle, 0, 0, 2, 2}));
    EXPECT_EQ(pairs.n(), 4);
    EXPECT_EQ(pairs.Xmax(), 3);
    EXPECT_EQ(pairs.Ymax(), 65102);
    const std::string path = tempPath("selection_pairs.txt");
    pairs.SaveData(path);
    EXPECT_EQ(readFile(path),
              "Selection Pairs Data File.\n"
              "Number of Layers 3.\n"
              "Number of Data Samples 4.\n"
              "Layer 1 Imax 3, Layer 2 Imax 65102\n"
              "Selection Data Pairs (sampling order, one pixel a row):\n"
              "0, 0, 100, 200\n"
              "1, 1, 101, 201\n"
              "2, 2, 65102, 202\n"
              "3, 3, 103, 203\n");
}

TEST(SelectionRawDataTest, SamplesInSamplingOrderWithCoordinates) {
    const LayeredImage image = makeImage(
        5, 5, 1, [](int, int x, int y) { return static_cast<std::uint16_t>(10 * y + x); });
    const std::string path = tempPath("raw.txt");
    // Disc box (0,0)-(4,4): rows 1 to 3.
    SaveSelectionRawData(path, image, {ToolKind::CircleByDiameter, 0, 2, 4, 2});
    const std::string text = readFile(path);
    EXPECT_EQ(text.substr(text.find("layer values):\n") + 15),
              "0, 1, 1, 11\n1, 2, 1, 12\n2, 0, 2, 20\n3, 1, 2, 21\n4, 2, 2, 22\n5, 3, 2, 23\n"
              "6, 1, 3, 31\n7, 2, 3, 32\n");
    EXPECT_NE(text.find("Number of Data Samples 8.\n"), std::string::npos);
}

TEST(ResultFileTest, UncommittedFileKeepsThePreviousContent) {
    const std::string path = tempPath("kept.txt");
    {
        std::FILE* f = std::fopen(path.c_str(), "w");
        std::fputs("old\n", f);
        std::fclose(f);
    }
    {
        ResultFile file(path);
        file.printf("partial");
        // no Commit: as when a measurement throws half-way
    }
    EXPECT_EQ(readFile(path), "old\n");
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos)
            << "left behind: " << entry.path();
}

TEST(ResultFileTest, ReportsUnopenableFolders) {
    try {
        ResultFile file("/nonexistent-folder/x.txt");
        ADD_FAILURE() << "opened";
    } catch (const CoreError& e) {
        EXPECT_STREQ(e.what(), "Unable to open file.");
    }
    const std::string folder = tempPath("a_folder");
    std::filesystem::create_directories(folder);
    ResultFile file(folder);
    file.printf("x");
    EXPECT_THROW(file.Commit(), CoreError) << "a rename over a folder must fail loudly";
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

// A disk that fills up half-way: the file size limit makes the writes fail with EFBIG.
TEST(ResultFileTest, WriteErrorThrowsAndKeepsThePreviousFile) {
    const std::string path = tempPath("full.txt");
    {
        std::FILE* f = std::fopen(path.c_str(), "w");
        std::fputs("old\n", f);
        std::fclose(f);
    }
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    std::string message;
    try {
        ResultFile file(path);
        for (int i = 0; i < 2000; ++i) file.printf("%d, 1.000e+00\n", i);
        file.Commit();
    } catch (const CoreError& e) {
        message = e.what();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_NE(message.find("Unable to write file " + path), std::string::npos) << message;
    EXPECT_EQ(readFile(path), "old\n");
}

}  // namespace
}  // namespace orvane
