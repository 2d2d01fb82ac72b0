// The Spot Integral Intensity file, byte for byte, and the spot-mean measurements.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "base/core_error.h"
#include "measure/extract_grid_data.h"
#include "measure/spot_geometry.h"
#include "measure/spot_histogram.h"
#include "test_image.h"

namespace orvane {
namespace {

using testing_support::linesOf;
using testing_support::makeImage;
using testing_support::readFile;
using testing_support::uniformImage;

std::string tempPath(const std::string& name) {
    return testing_support::tempPath("extract_test", name);
}

// Two quads of 3 x 1 spots. Quad [1][0] reaches off the top-left corner of the image: its third
// spot (6, -3) has a clipped square data box of 13 x 4 = 52 pixels and a clipped cell of
// 23 x 12 minus the 13 x 4 inner square = 224 pixels; its first two spots lie wholly outside.
SpotGrid twoQuadGrid() {
    SpotGrid grid;
    grid.parameters.cellsX = 3;
    grid.parameters.cellsY = 1;
    grid.parameters.quadsX = 2;
    grid.parameters.quadsY = 1;
    grid.parameters.spotDiameter = 0.14;
    GridQuad& q0 = grid.quad(0, 0);
    q0.InitQuad(40, 50, 108, 50, 3, 1, 7, 7, 1);
    q0.stepY = 30;  // as left by an earlier layout: the pitch is kept, not recomputed
    GridQuad& q1 = grid.quad(1, 0);
    q1.InitQuad(-62, -3, 6, -3, 3, 1, 7, 7, 0);
    q1.stepY = 30;
    return grid;
}

TEST(ExtractGridDataTest, OneLayerFileByteForByte) {
    SpotGrid grid = twoQuadGrid();
    grid.quad(0, 0).Flags(0, 0) = Excluded;
    grid.quad(0, 0).Flags(1, 0) = Marked | Highlighted;
    // Spot (74, 50) of quad 0 holds 65533, 65534 and 65535: only the last two are saturated.
    const LayeredImage image = makeImage(200, 100, 1, [](int, int x, int y) -> std::uint16_t {
        if (y == 50 && x >= 73 && x <= 75) return static_cast<std::uint16_t>(65533 + (x - 73));
        return 60;
    });
    const std::string path = tempPath("spot_data.txt");
    NullProgress progress;
    ExtractGridData(path, image, grid, grid.quad(1, 0), progress);
    // Quad 0 spot 2: disc of R = 7 is 134 pixels, the 34 x 30 cell minus the disc of S = 7
    // (excluding 2 hw - 1 columns per crossing row: 121 pixels) is 899.
    const double spotSum = 131 * 60.0 + 65533 + 65534 + 65535;
    char spot1[128];
    std::snprintf(spot1, sizeof spot1, "1, 1, 2, 1, 3, NA, NA, 134, 899, 2, %.3e, 5.394e+04",
                  spotSum);
    const float avg0 = static_cast<float>(static_cast<float>(spotSum / 134 + 60.0) / 2.0f);
    char summary0[128];
    std::snprintf(summary0, sizeof summary0,
                  "layer 0, avg intensity %.3e, avg bkg 6.000e+01, avg SNR %.3f",
                  static_cast<double>(avg0),
                  static_cast<double>(static_cast<float>(spotSum / 134 + 60.0) / 120.0f));
    const std::vector<std::string> expected = {
        "Spot Integral Intensity File",
        "Grid: 3 by 1, spot diameter 0.140, spot style square",
        "XQN, YQN, XSN, YSN, Attr, UID, Descr, Data Area, Bkg Area, (N of Saturated Pixels, "
        "Spot Integral Intensity, Spot Background Integral Intensity) x M",
        spot1,
        "1, 1, 3, 1, 0, NA, NA, 134, 899, 0, 8.040e+03, 5.394e+04",
        "2, 1, 1, 1, 0, NA, NA, 0, 0, 0, 0.000e+00, 0.000e+00",
        "2, 1, 2, 1, 0, NA, NA, 0, 0, 0, 0.000e+00, 0.000e+00",
        "2, 1, 3, 1, 0, NA, NA, 52, 224, 0, 3.120e+03, 1.344e+04",
        "",
        "Quad X 0, Y 0, spots 2",
        summary0,
        "",
        "Quad X 1, Y 0, spots 3",
        "layer 0, avg intensity 2.000e+01, avg bkg 2.000e+01, avg SNR 1.000",
    };
    const std::vector<std::string> lines = linesOf(readFile(path));
    ASSERT_EQ(lines.size(), expected.size()) << readFile(path);
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
    EXPECT_EQ(readFile(path).back(), '\n');
}

TEST(ExtractGridDataTest, ThreeLayersRepeatTheLastFieldsAndMapTextsAppear) {
    SpotGrid grid = twoQuadGrid();
    auto map = std::make_shared<SlideMap>(2, 1, 3, 1);
    map->GetSpotRecord(1, 0, 2, 0)->SetUid("W42");
    map->GetSpotRecord(1, 0, 2, 0)->SetDescription("kinase");
    grid.parameters.slideMap = map;
    const LayeredImage image = makeImage(
        200, 100, 3, [](int k, int, int) { return static_cast<std::uint16_t>(60 * (k + 1)); });
    const std::string path = tempPath("spot_data3.txt");
    NullProgress progress;
    ExtractGridData(path, image, grid, grid.quad(1, 0), progress);
    const std::vector<std::string> lines = linesOf(readFile(path));
    EXPECT_EQ(lines[8],
              "2, 1, 3, 1, 0, W42, kinase, 52, 224, 0, 3.120e+03, 1.344e+04, 0, 6.240e+03, "
              "2.688e+04, 0, 9.360e+03, 4.032e+04");
    EXPECT_EQ(lines[3].substr(0, 20), "1, 1, 1, 1, 0, , , 1") << "a map record without texts";
    ASSERT_EQ(lines.size(), 19u);
    EXPECT_EQ(lines[13], "layer 2, avg intensity 1.800e+02, avg bkg 1.800e+02, avg SNR 1.000");
}

TEST(ExtractGridDataTest, QuadWithoutMeasuredSpotsReadsNa) {
    SpotGrid grid = twoQuadGrid();
    for (int c = 0; c < 3; ++c) grid.quad(0, 0).Flags(c, 0) = Excluded;
    const LayeredImage image = uniformImage(200, 100, 1, 0);
    const std::string path = tempPath("spot_data_na.txt");
    NullProgress progress;
    ExtractGridData(path, image, grid, grid.quad(0, 0), progress);
    const std::string text = readFile(path);
    EXPECT_NE(
        text.find("\nQuad X 0, Y 0, spots 0\nlayer 0, avg intensity NA, avg bkg NA, avg SNR NA\n"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("spot style round\n"), std::string::npos)
        << "the current quad decides the style";
    EXPECT_NE(text.find("\nQuad X 1, Y 0, spots 3\nlayer 0, avg intensity 0.000e+00, avg bkg "
                        "0.000e+00, avg SNR NA\n"),
              std::string::npos)
        << text;
}

TEST(ExtractGridDataTest, UnwritableTargetIsReportedAndLeavesNothing) {
    SpotGrid grid = twoQuadGrid();
    const LayeredImage image = uniformImage(20, 20, 1, 1);
    NullProgress progress;
    try {
        ExtractGridData("/nonexistent-folder/spot_data.txt", image, grid, grid.quad(0, 0),
                        progress);
        ADD_FAILURE() << "no error";
    } catch (const CoreError& e) {
        EXPECT_STREQ(e.what(), "Unable to open file.");
    }
}

TEST(SpotMeasureTest, ClickedSpotMeansPerLayer) {
    SpotGrid grid = twoQuadGrid();
    const LayeredImage image = makeImage(200, 100, 2, [](int k, int x, int y) {
        const bool inSpot = (x - 74) * (x - 74) + (y - 50) * (y - 50) <= 4;
        return static_cast<std::uint16_t>((inSpot ? 1000 : 10) * (k + 1));
    });
    const SpotIntensity s = MeasureSpot(image, grid.quad(0, 0), 1, 0);
    // 13 bright pixels in the 134-pixel disc: (13 x 1000 + 121 x 10) / 134, truncated.
    EXPECT_EQ(s.spotMean[0], 106);
    EXPECT_EQ(s.spotMean[1], 212) << "layer 1";
    EXPECT_EQ(s.backgroundMean[0], 10);
    EXPECT_EQ(s.backgroundMean[1], 20);
    EXPECT_EQ(s.spotMean[2], 0) << "absent layer";
    EXPECT_EQ(s.backgroundMean[2], 0);
    const SpotIntensity none = MeasureSpot(image, grid.quad(0, 0), 3, 0);
    EXPECT_EQ(none.spotMean[0], 0);
}

TEST(SpotMeasureTest, HistogramMeansSkipMarkedAndExcludedSpots) {
    SpotGrid grid = twoQuadGrid();
    grid.quad(0, 0).Flags(0, 0) = Marked;
    grid.quad(0, 0).Flags(1, 0) = Excluded;
    grid.quad(0, 0).Flags(2, 0) = Highlighted | Selected;
    const LayeredImage image = uniformImage(200, 100, 1, 77);
    const SpotMeans means = MeasureGridSpotMeans(image, grid, grid.quad(0, 0));
    ASSERT_EQ(means.m, 4);  // quad 0 spot 2, then quad 1's three spots
    EXPECT_EQ(means.dataMean[0][0], 77);
    EXPECT_EQ(means.backgroundMean[0][0], 77);
    EXPECT_EQ(means.dataMean[0][1], 0) << "wholly outside: no pixel, mean 0";
    EXPECT_EQ(means.dataMean[0][3], 77);
}

TEST(SpotMeasureTest, GridDisplayCheck) {
    GridQuad undefined;
    GridQuad defined;
    defined.InitQuad(0, 0, 10, 10, 2, 2, 2, 3, 1);
    EXPECT_THROW(RequireGridDisplay(ToolKind::Grid, undefined), CoreError);
    EXPECT_THROW(RequireGridDisplay(ToolKind::Rectangle, defined), CoreError);
    EXPECT_NO_THROW(RequireGridDisplay(ToolKind::Grid, defined));
    try {
        RequireGridDisplay(ToolKind::Point, defined);
    } catch (const CoreError& e) {
        EXPECT_STREQ(e.what(), "Please define / load grid and select grid display.");
    }
}

}  // namespace
}  // namespace orvane
