// The shared per-spot results: the GenePix file they feed stays byte for byte what it was, the
// table's columns and cells, and the not-found marking rule at the threshold's edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "../support/kernel_choice.h"
#include "../support/temp_dir.h"
#include "../support/test_images.h"
#include "measure/genepix_results.h"
#include "measure/spot_plot.h"
#include "measure/spot_results.h"

namespace orvane {
namespace {

using testing_support::makeImage;
using testing_support::readFile;

// 2 x 2 quads of 3 x 2 spots at a 15-pixel pitch (the second quad in x square), with a map,
// a marked and an excluded spot.
SpotGrid sampleGrid() {
    SpotGrid grid;
    GridParameters& p = grid.parameters;
    p.cellsX = 3;
    p.cellsY = 2;
    p.quadsX = p.quadsY = 2;
    for (int qx = 0; qx < 2; ++qx)
        for (int qy = 0; qy < 2; ++qy)
            grid.quad(qx, qy).InitQuad(15 + 60 * qx, 15 + 60 * qy, 45 + 60 * qx, 30 + 60 * qy, 3, 2,
                                       4, 6, qx == 1 ? 0 : 1);
    grid.quad(0, 0).Flags(1, 0) = Marked;
    grid.quad(1, 1).Flags(2, 1) = Excluded;
    grid.quad(0, 1).OffsetX(1, 1) = 2;
    auto map = std::make_shared<SlideMap>(2, 2, 3, 2);
    map->GetSpotRecord(0, 0, 0, 0)->SetUid("W1");
    map->GetSpotRecord(0, 0, 0, 0)->SetDescription("kinase\t\"3\"\nb");
    grid.parameters.slideMap = map;
    return grid;
}

// Spots of varied brightness on a textured background; a few saturated pixels.
LayeredImage sampleImage(int layers, int size = 130) {
    return makeImage(size, size, layers, [](int k, int x, int y) {
        const int dx = x % 15 <= 7 ? x % 15 : x % 15 - 15;
        const int dy = y % 15 <= 7 ? y % 15 : y % 15 - 15;
        const int texture = (x * 37 + y * 91 + k * 17) % 53;
        if (dx * dx + dy * dy > 10) return static_cast<std::uint16_t>(120 + texture);
        if (x / 15 == 4 && y / 15 == 1) return std::uint16_t{65535};
        return static_cast<std::uint16_t>(300 + ((x / 15) * 700 + (y / 15) * 300 + k * 900) % 5000 +
                                          texture * 3);
    });
}

std::uint64_t fnv1a(const std::string& text) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
    return h;
}

// The file the GenePix writer gave before it shared this computation (its FNV-1a hash), at one
// and two threads: moving the statistics must not change a byte.
TEST(SpotResultsTest, GenePixFileIsUnchanged) {
    const SpotGrid grid = sampleGrid();
    const LayeredImage image = sampleImage(3);
    GenePixExportInfo info;
    info.imageFiles = {{"/scans/red.tif", 0}, {"/scans/green.tif", 0}};
    info.dateTime = "2026/12/08 01:30:00";
    const testing_support::TempDir dir("spot_results_test");
    const std::string path = dir.file("unchanged.gpr");
    for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        testing_support::setThreads(threads);
        NullProgress progress;
        WriteGenePixResults(path, image, grid, grid.quad(0, 0), info, progress);
        const std::string text = readFile(path);
        EXPECT_EQ(fnv1a(text), 12471238065022565810ull) << text;
    }
    testing_support::setThreads(maxThreads());
}

// A grid large enough to run its quads' spots on several threads gives what one thread gives.
TEST(SpotResultsTest, ThreadsGiveTheSameResults) {
    SpotGrid grid;
    grid.parameters.cellsX = grid.parameters.cellsY = 8;
    grid.parameters.quadsX = 2;
    for (int qx = 0; qx < 2; ++qx)
        grid.quad(qx, 0).InitQuad(15 + 240 * qx, 15, 225 + 240 * qx, 225, 8, 8, 4, 6, 1);
    const LayeredImage image = sampleImage(3, 480);
    std::string texts[2];
    for (int threads : {1, 2}) {
        testing_support::setThreads(threads);
        NullProgress progress;
        texts[threads - 1] =
            SpotResultsTableText(MeasureSpotResults(image, grid, grid.quad(0, 0), progress));
    }
    testing_support::setThreads(maxThreads());
    EXPECT_EQ(texts[0], texts[1]);
    EXPECT_EQ(std::count(texts[0].begin(), texts[0].end(), '\n'), 1 + 128);
}

TEST(SpotResultsTest, ColumnsAndCellsPerLayerCount) {
    const SpotGrid grid = sampleGrid();
    for (int layers = 1; layers <= 3; ++layers) {
        SCOPED_TRACE(layers);
        NullProgress progress;
        const SpotResults r =
            MeasureSpotResults(sampleImage(layers), grid, grid.quad(0, 0), progress);
        ASSERT_EQ(r.spots.size(), 24u) << "excluded spots are listed";
        const std::vector<std::string> columns = SpotResultsColumns(layers);
        ASSERT_EQ(columns.size(), 6u + 9u * layers + (layers >= 2 ? 1u : 0u));
        EXPECT_EQ(columns[6], "F1 Median");
        EXPECT_EQ(columns[12], "% > B1+2SD");
        EXPECT_EQ(columns[14], "SNR 1");
        if (layers >= 2) {
            EXPECT_EQ(columns.back(), "Log Ratio (1/2)");
        }
        EXPECT_EQ(SpotResultsCells(r.spots[0], layers).size(), columns.size());
        // Quads row by row: the third quad listed is (0, 1), its fifth spot is column 2, row 2.
        const SpotResult& s = r.spots[12 + 4];
        EXPECT_EQ((std::vector<std::int32_t>{s.block, s.qx, s.qy, s.col, s.row}),
                  (std::vector<std::int32_t>{3, 0, 1, 1, 1}));
        const std::vector<std::string> first = SpotResultsCells(r.spots[0], layers);
        EXPECT_EQ(first[4], "W1");
        EXPECT_EQ(first[5], "kinase \"3\" b") << "tabs and line breaks become blanks";
        EXPECT_EQ(SpotResultsCells(r.spots[1], layers)[3], "marked") << "the flags as words";
    }
}

struct RuleCase {
    std::vector<std::int64_t> percents;  // % > B+2SD per layer
    bool every, any;                     // not found at P = 70 in every / any layer
};

// Equal to P is not below; "every layer" needs all loaded layers below.
const RuleCase kRuleCases[] = {
    {{69}, true, true},          {{70}, false, false},         {{71}, false, false},
    {{0}, true, true},           {{69, 69}, true, true},       {{69, 70}, false, true},
    {{70, 69}, false, true},     {{70, 70}, false, false},     {{69, 69, 69}, true, true},
    {{69, 69, 70}, false, true}, {{100, 100, 0}, false, true}, {{70, 71, 100}, false, false},
};

TEST(SpotResultsTest, NotFoundRuleAtTheThresholdsEdges) {
    for (const RuleCase& c : kRuleCases) {
        SpotResult spot;
        const int layers = static_cast<int>(c.percents.size());
        for (int k = 0; k < layers; ++k)
            spot.channels[static_cast<std::size_t>(k)].percentAbove2Sd =
                c.percents[static_cast<std::size_t>(k)];
        SCOPED_TRACE(::testing::PrintToString(c.percents));
        EXPECT_EQ(IsSpotNotFound(spot, layers, {70.0, false}), c.every);
        EXPECT_EQ(IsSpotNotFound(spot, layers, {70.0, true}), c.any);
        spot.flags = Excluded;
        EXPECT_FALSE(IsSpotNotFound(spot, layers, {70.0, true})) << "excluded spots are not found";
    }
    SpotResult spot;
    EXPECT_FALSE(IsSpotNotFound(spot, 1, {0.0, true})) << "nothing is below 0";
    spot.channels[0].percentAbove2Sd = 99;
    EXPECT_TRUE(IsSpotNotFound(spot, 1, {100.0, false}));
    spot.channels[0].percentAbove2Sd = 100;
    EXPECT_FALSE(IsSpotNotFound(spot, 1, {100.0, false})) << "a full spot is found even at 100";
}

// Saturated: more than PCT % of the feature pixels in any layer; equal is not above.
TEST(SpotResultsTest, SaturatedRuleAtTheThresholdsEdges) {
    const struct {
        std::vector<std::array<std::int64_t, 2>> layers;  // saturated, feature pixels
        double percent;
        bool saturated;
    } cases[] = {
        {{{5, 50}}, 10.0, false},
        {{{6, 50}}, 10.0, true},
        {{{0, 50}, {6, 50}}, 10.0, true},
        {{{1, 3}}, 33.0, true},
        {{{1, 3}}, 34.0, false},
        {{{0, 0}}, 0.0, false},
        {{{1, 1000}}, 0.0, true},
        {{{50, 50}}, 100.0, false},
        {{{6, 50}, {0, 50}, {0, 50}}, 10.0, true},
    };
    for (const auto& c : cases) {
        SpotResult spot;
        for (std::size_t k = 0; k < c.layers.size(); ++k) {
            spot.channels[k].saturatedPixels = c.layers[k][0];
            spot.channels[k].featurePixels = c.layers[k][1];
        }
        const int layers = static_cast<int>(c.layers.size());
        SCOPED_TRACE(testing::Message()
                     << c.layers[0][0] << "/" << c.layers[0][1] << " at " << c.percent);
        EXPECT_EQ(IsSpotSaturated(spot, layers, c.percent), c.saturated);
        spot.flags = Excluded;
        EXPECT_FALSE(IsSpotSaturated(spot, layers, c.percent)) << "no well, nothing to flag";
    }
}

TEST(SpotResultsTest, FlaggedSaturatedSpotsSayItInTheTable) {
    SpotResults results;
    results.layerCount = 1;
    results.spots.resize(3);
    results.spots[0].channels[0] = {.featurePixels = 10, .saturatedPixels = 2};
    results.spots[1].channels[0] = {.featurePixels = 10, .saturatedPixels = 1};
    results.spots[2] = results.spots[0];
    results.spots[2].flags = Excluded;
    const std::string before = SpotResultsTableText(results);
    EXPECT_EQ(FlagSaturatedSpots(results, 10.0), 1);
    EXPECT_EQ(results.saturatedPercent, 10.0);
    EXPECT_EQ(SpotStateWords(results.spots[0]), "saturated");
    EXPECT_EQ(SpotStateWords(results.spots[1]), "");
    EXPECT_EQ(SpotStateWords(results.spots[2]), "no well");
    EXPECT_NE(SpotResultsTableText(results), before);
}

TEST(SpotResultsTest, MarkingKeepsOtherMarksAndCountsEverySpotNotFound) {
    SpotGrid grid = sampleGrid();
    grid.quad(0, 0).Flags(0, 0) = Highlighted;
    NullProgress progress;
    SpotResults r = MeasureSpotResults(sampleImage(2), grid, grid.quad(0, 0), progress);
    for (SpotResult& s : r.spots) s.channels[0].percentAbove2Sd = s.channels[1].percentAbove2Sd = 0;
    r.spots[2].channels[1].percentAbove2Sd = 80;  // found in layer 2
    const MarkNotFoundResult m = MarkSpotsNotFound(grid, r, {70.0, false});
    EXPECT_EQ(MarkNotFoundMessage(m), "Marked 22 of 23 spots.")
        << "23 measured; spot (2, 0) is found; spot (1, 0), marked already, counts too";
    EXPECT_EQ(grid.quad(0, 0).Flags(0, 0), Highlighted | Marked);
    EXPECT_EQ(grid.quad(0, 0).Flags(2, 0), 0);
    EXPECT_EQ(grid.quad(1, 1).Flags(2, 1), Excluded);
    EXPECT_EQ(MarkNotFoundMessage(MarkSpotsNotFound(grid, r, {70.0, false})),
              "Marked 22 of 23 spots.")
        << "marking again reports the same count";
    EXPECT_EQ(SpotFlagWords(Marked | Excluded | Highlighted | Selected),
              "marked,no well,highlighted");
    EXPECT_EQ(SpotFlagWords(Selected), "") << "the selection is never a flag";
    SpotResult outside;
    outside.flags = Marked;
    outside.cover = ScanCover::Outside;
    EXPECT_EQ(SpotStateWords(outside), "marked,not found");
    outside.saturated = true;
    EXPECT_EQ(SpotStateWords(outside), "marked,not found,saturated");
}

// M and A from the background-subtracted medians; none where a logarithm has no value.
TEST(SpotResultsTest, PlotCoordinatesAndTicks) {
    SpotResult spot;
    spot.channels[0].featureMedian = 400;
    spot.channels[0].backgroundMedian = 100;  // 300
    spot.channels[1].featureMedian = 175;
    spot.channels[1].backgroundMedian = 100;  // 75
    const std::optional<SpotMA> ma = SpotMAOf(spot, 2);
    ASSERT_TRUE(ma);
    EXPECT_DOUBLE_EQ(ma->m, 2.0);
    EXPECT_DOUBLE_EQ(ma->a, 0.5 * std::log2(300.0 * 75.0));
    EXPECT_FALSE(SpotMAOf(spot, 1)) << "one layer";
    spot.channels[1].featureMedian = 100;
    EXPECT_FALSE(SpotMAOf(spot, 2)) << "no green signal";
    EXPECT_EQ(PlotTicks({-1.3, 2.7}, 4), (std::vector<double>{-1.0, 0.0, 1.0, 2.0}));
    EXPECT_EQ(PlotTicks({8.0, 13.0}, 3), (std::vector<double>{8.0, 10.0, 12.0}));
    EXPECT_EQ(PlotTicks({-0.6, 0.6}, 2), (std::vector<double>{-0.5, 0.0, 0.5}))
        << "a narrow range still gets three ticks";
    EXPECT_GE(PlotTicks({0.1, 1.05}, 3).size(), 3u);
}

}  // namespace
}  // namespace orvane
