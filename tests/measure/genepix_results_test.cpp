// The GenePix Results export: its layout against the GenePix Pro 6.1 example, its values against
// the Spot Integral Intensity file of the same grid, flags, names and undefined values.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "../support/temp_dir.h"
#include "../support/test_images.h"
#include "base/core_error.h"
#include "measure/extract_grid_data.h"
#include "measure/genepix_results.h"
#include "measure/spot_results.h"

namespace orvane {
namespace {

using testing_support::linesOf;
using testing_support::makeImage;
using testing_support::readFile;
using testing_support::uniformImage;

// A file in this suite's own folder, removed at exit.
std::string tempPath(const std::string& name) {
    static const testing_support::TempDir dir("genepix_test");
    return dir.file(name);
}

std::vector<std::string> fieldsOf(const std::string& line, char separator = '\t') {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, separator)) fields.push_back(field);
    if (!line.empty() && line.back() == separator) fields.emplace_back();
    return fields;
}

std::string unquoted(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

// 2 x 2 quads of 2 x 2 spots at a 15-pixel pitch: spot centres at x and y in {15, 30, 75, 90}.
// Spot radius 4, background radius 6.
SpotGrid latticeGrid() {
    SpotGrid grid;
    GridParameters& p = grid.parameters;
    p.cellsX = p.cellsY = 2;
    p.quadsX = p.quadsY = 2;
    for (int qx = 0; qx < 2; ++qx)
        for (int qy = 0; qy < 2; ++qy)
            grid.quad(qx, qy).InitQuad(15 + 60 * qx, 15 + 60 * qy, 30 + 60 * qx, 30 + 60 * qy, 2, 2,
                                       4, 6, 1);
    return grid;
}

// Bright discs of radius 3 on every multiple of 15: layer 0 1000 on 100, layer 1 500 on 100.
LayeredImage latticeImage(int layers = 2, int width = 120) {
    return makeImage(width, 120, layers, [](int k, int x, int y) {
        const int dx = x % 15 <= 7 ? x % 15 : x % 15 - 15;
        const int dy = y % 15 <= 7 ? y % 15 : y % 15 - 15;
        const bool bright = dx * dx + dy * dy <= 9;
        return static_cast<std::uint16_t>(bright ? (k == 0 ? 1000 : 500) : 100);
    });
}

struct Export {
    std::vector<std::string> lines;
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;

    std::string value(std::size_t row, const std::string& column) const {
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i] == column) return rows.at(row).at(i);
        ADD_FAILURE() << "no column " << column;
        return {};
    }
};

Export exportOf(const SpotGrid& grid, const LayeredImage& image, const std::string& name,
                std::optional<double> flagSaturated = std::nullopt) {
    const std::string path = tempPath(name);
    NullProgress progress;
    GenePixExportInfo info;
    info.imageFiles = {{"/scans/red.tif", 0}, {"/scans/multi.tif", 1}};
    info.dateTime = "2026/12/08 01:30:00";
    info.flagSaturatedPercent = flagSaturated;
    WriteGenePixResults(path, image, grid, grid.quad(0, 0), info, progress);
    Export e;
    e.lines = linesOf(readFile(path));
    const std::size_t records = static_cast<std::size_t>(std::stoi(fieldsOf(e.lines.at(1)).at(0)));
    for (const std::string& c : fieldsOf(e.lines.at(2 + records))) e.columns.push_back(unquoted(c));
    for (std::size_t i = 3 + records; i < e.lines.size(); ++i)
        e.rows.push_back(fieldsOf(e.lines[i]));
    return e;
}

TEST(GenePixResultsTest, HeaderAndColumnsFollowTheGenePixExample) {
    const Export e = exportOf(latticeGrid(), latticeImage(), "layout.gpr");
    const std::vector<std::string> example =
        linesOf(readFile(std::string(ORVANE_MEASURE_TEST_DATA) + "/genepix-results-6.1-head.gpr"));
    ASSERT_GT(example.size(), 33u);
    EXPECT_EQ(e.lines[0], example[0]) << "ATF version line";
    // Counts line: header records, then columns.
    const std::vector<std::string> counts = fieldsOf(e.lines[1]);
    ASSERT_EQ(counts.size(), 2u);
    const int records = std::stoi(counts[0]);
    EXPECT_EQ(counts[1], "56");
    std::map<std::string, std::string> header;
    for (int i = 0; i < records; ++i) {
        const std::string& line = e.lines[static_cast<std::size_t>(2 + i)];
        SCOPED_TRACE(line);
        ASSERT_TRUE(line.size() >= 2 && line.front() == '"' && line.back() == '"');
        const std::string record = unquoted(line);
        const std::size_t equals = record.find('=');
        ASSERT_NE(equals, std::string::npos);
        header[record.substr(0, equals)] = record.substr(equals + 1);
    }
    EXPECT_EQ(header["Type"], "GenePix Results 3");
    EXPECT_EQ(header["DateTime"], "2026/12/08 01:30:00");
    EXPECT_EQ(header["PixelSize"], "10") << "no resolution unit: 100 pixels per millimetre";
    EXPECT_EQ(header["Wavelengths"], "635\t532");
    EXPECT_EQ(header["ImageFiles"], "/scans/red.tif 0\t/scans/multi.tif 1");
    EXPECT_EQ(header["NormalizationMethod"], "None");
    EXPECT_EQ(header["FeatureType"], "Circular");
    EXPECT_EQ(header["BackgroundSubtraction"], "LocalFeature");
    EXPECT_EQ(header["Creator"], std::string("Orvane ") + ORVANE_VERSION);
    // Our columns are the example's first 56 (its last five come from its array list).
    const std::vector<std::string> exampleColumns = fieldsOf(example[32]);
    ASSERT_GE(exampleColumns.size(), 56u);
    ASSERT_EQ(e.columns.size(), 56u);
    for (std::size_t i = 0; i < 56; ++i)
        EXPECT_EQ(e.columns[i], unquoted(exampleColumns[i])) << "column " << i + 1;
    for (const std::vector<std::string>& row : e.rows) EXPECT_EQ(row.size(), 56u);
    EXPECT_EQ(readFile(tempPath("layout.gpr")).substr(0, 9), "ATF\t1.0\r\n") << "CR LF line ends";
}

TEST(GenePixResultsTest, RowsRunQuadsRowByRowThenSpotsRowByRow) {
    const Export e = exportOf(latticeGrid(), latticeImage(), "order.gpr");
    ASSERT_EQ(e.rows.size(), 16u);
    // Block = qy x quadsX + qx + 1; X and Y in micrometres (10 um pixels).
    const std::vector<std::vector<std::string>> expected = {
        {"1", "1", "1", "150", "150"}, {"1", "2", "1", "300", "150"}, {"1", "1", "2", "150", "300"},
        {"1", "2", "2", "300", "300"}, {"2", "1", "1", "750", "150"}, {"2", "2", "2", "900", "300"},
        {"3", "1", "1", "150", "750"}, {"4", "2", "2", "900", "900"},
    };
    const std::size_t rowsOf[] = {0, 1, 2, 3, 4, 7, 8, 15};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        const std::size_t r = rowsOf[i];
        EXPECT_EQ(e.value(r, "Block"), expected[i][0]);
        EXPECT_EQ(e.value(r, "Column"), expected[i][1]);
        EXPECT_EQ(e.value(r, "Row"), expected[i][2]);
        EXPECT_EQ(e.value(r, "X"), expected[i][3]);
        EXPECT_EQ(e.value(r, "Y"), expected[i][4]);
        EXPECT_EQ(e.value(r, "Dia."), "80");
    }
}

TEST(GenePixResultsTest, ValuesOfABrightSpot) {
    const Export e = exportOf(latticeGrid(), latticeImage(), "values.gpr");
    // Disc of R = 4: 40 pixels, 29 of them inside the bright disc of radius 3.
    const std::map<std::string, std::string> expected = {
        {"F635 Median", "1000"},
        {"F635 Mean", "753"},
        {"B635", "100"},
        {"B635 Median", "100"},
        {"B635 Mean", "100"},
        {"B635 SD", "0"},
        {"F532 Median", "500"},
        {"F532 Mean", "390"},
        {"B532", "100"},
        {"F Pixels", "40"},
        {"% > B635+1SD", "72"},
        {"F635 % Sat.", "0"},
        {"Ratio of Medians (635/532)", "2.250"},
        {"Ratio of Means (635/532)", "2.252"},
        {"Median of Ratios (635/532)", "2.250"},
        {"Log Ratio (635/532)", "1.170"},
        {"Sum of Medians (635/532)", "1300"},
        {"Sum of Means (635/532)", "943"},
        {"F635 Median - B635", "900"},
        {"F532 Mean - B532", "290"},
        {"F635 Total Intensity", "30100"},
        {"F532 Total Intensity", "15600"},
        {"SNR 635", "Error"},
        {"Circularity", "100"},
        {"Flags", "0"},
        {"Normalize", "0"},
        {"Autoflag", "0"},
    };
    for (std::size_t r : {0u, 5u, 15u})
        for (const auto& [column, value] : expected)
            EXPECT_EQ(e.value(r, column), value) << column << " row " << r;
}

TEST(GenePixResultsTest, AreasAgreeWithTheSpotIntegralIntensityFile) {
    SpotGrid grid = latticeGrid();
    grid.quad(1, 0).roundCells = 0;  // a square quad: its own shape, the current quad's radii
    const LayeredImage image = makeImage(120, 120, 2, [](int k, int x, int y) {
        return static_cast<std::uint16_t>((x * 7 + y * 13 + k * 5) % 4000);
    });
    const Export e = exportOf(grid, image, "agree.gpr");
    const std::string spotPath = tempPath("agree_spot_data.txt");
    NullProgress progress;
    ExtractGridData(spotPath, image, grid, grid.quad(0, 0), progress);
    const std::vector<std::string> spotLines = linesOf(readFile(spotPath));
    ASSERT_EQ(e.rows.size(), 16u);
    for (std::size_t r = 0; r < 16; ++r) {
        SCOPED_TRACE(r);
        // XQN, YQN, XSN, YSN, Attr, UID, Descr, n, nb, (sat, s, b) x 2
        std::vector<std::string> f = fieldsOf(spotLines.at(3 + r), ',');
        for (std::string& v : f) v.erase(0, v.find_first_not_of(' '));
        const int block = (std::stoi(f[1]) - 1) * 2 + std::stoi(f[0]);
        EXPECT_EQ(e.value(r, "Block"), std::to_string(block));
        EXPECT_EQ(e.value(r, "Column"), f[2]);
        EXPECT_EQ(e.value(r, "Row"), f[3]);
        EXPECT_EQ(e.value(r, "F Pixels"), f[7]);
        EXPECT_EQ(e.value(r, "B Pixels"), f[8]);
        char total[32];
        std::snprintf(total, sizeof total, "%.3e", std::stod(e.value(r, "F635 Total Intensity")));
        EXPECT_EQ(total, f[10]);
        std::snprintf(total, sizeof total, "%.3e", std::stod(e.value(r, "F532 Total Intensity")));
        EXPECT_EQ(total, f[13]);
        // The spot file keeps four digits of the background sum.
        const double backgroundMean = std::stod(f[11]) / std::stod(f[8]);
        EXPECT_NEAR(std::stod(e.value(r, "B635 Mean")), backgroundMean,
                    0.5 + backgroundMean * 5e-4);
    }
}

TEST(GenePixResultsTest, FlagsNamesAndIds) {
    SpotGrid grid = latticeGrid();
    grid.quad(0, 0).Flags(1, 0) = Marked | Highlighted;
    grid.quad(0, 0).Flags(0, 1) = Excluded;
    grid.quad(0, 0).Flags(1, 1) = Excluded | Marked;
    auto map = std::make_shared<SlideMap>(2, 2, 2, 2);
    map->GetSpotRecord(0, 0, 0, 0)->SetUid("W1");
    map->GetSpotRecord(0, 0, 0, 0)->SetDescription("kinase\t\"3\"");
    map->GetSpotRecord(1, 1, 1, 1)->SetUid("A B");
    grid.parameters.slideMap = map;
    const Export e = exportOf(grid, latticeImage(), "flags.gpr");
    ASSERT_EQ(e.rows.size(), 16u) << "excluded spots keep their rows";
    EXPECT_EQ(e.value(0, "Flags"), "0");
    EXPECT_EQ(e.value(1, "Flags"), "-100");
    EXPECT_EQ(e.value(2, "Flags"), "-75");
    EXPECT_EQ(e.value(3, "Flags"), "-75") << "absent wins over bad";
    EXPECT_EQ(e.value(0, "ID"), "\"W1\"");
    EXPECT_EQ(e.value(0, "Name"), "\"kinase '3'\"") << "a tab or quote would break the row";
    EXPECT_EQ(e.value(15, "ID"), "\"A B\"");
    EXPECT_EQ(e.value(15, "Name"), "\"\"");
}

// The first spot saturated in layer 1 only: flagged Bad with the option, as it was without.
TEST(GenePixResultsTest, SaturatedSpotsAreFlaggedBadOnlyWhenAsked) {
    SpotGrid grid = latticeGrid();
    grid.quad(1, 1).Flags(1, 1) = Excluded;
    LayeredImage image = makeImage(120, 120, 2, [](int k, int x, int y) {
        const int dx = x % 15 <= 7 ? x % 15 : x % 15 - 15;
        const int dy = y % 15 <= 7 ? y % 15 : y % 15 - 15;
        const bool bright = dx * dx + dy * dy <= 9;
        const bool first = x < 23 && y < 23;
        return static_cast<std::uint16_t>(!bright ? 100 : k == 1 && first ? 65535 : 1000);
    });
    const Export plain = exportOf(grid, image, "plain.gpr");
    const Export flagged = exportOf(grid, image, "saturated.gpr", 10.0);
    EXPECT_EQ(plain.value(0, "Flags"), "0");
    EXPECT_EQ(flagged.value(0, "Flags"), "-100");
    EXPECT_EQ(flagged.value(0, "F532 % Sat."), plain.value(0, "F532 % Sat."));
    EXPECT_EQ(flagged.value(1, "Flags"), "0");
    EXPECT_EQ(flagged.value(15, "Flags"), "-75") << "absent stays absent";
    EXPECT_EQ(flagged.lines.size(), plain.lines.size());
}

// A scan 78 pixels wide: the spots at x = 15 and 30 lie inside, those at 75 reach past its right
// edge, those at 90 lie wholly beyond it. A spot with a well and no pixel in the scan is Not
// Found (-50); no well (-75) and a mark (-100) come first.
TEST(GenePixResultsTest, SpotsOutsideTheScanAreNotFound) {
    SpotGrid grid = latticeGrid();
    grid.quad(1, 0).Flags(1, 1) = Marked;
    grid.quad(1, 1).Flags(1, 0) = Excluded;
    const LayeredImage image = latticeImage(2, 78);
    const Export e = exportOf(grid, image, "outside.gpr");
    const struct {
        std::size_t row;
        const char* flags;
        bool anyPixel;
    } cases[] = {{0, "0", true},     {1, "0", true},  {4, "0", true},     {5, "-50", false},
                 {7, "-100", false}, {12, "0", true}, {13, "-75", false}, {15, "-50", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE("row " + std::to_string(c.row));
        EXPECT_EQ(e.value(c.row, "Flags"), c.flags);
        EXPECT_EQ(e.value(c.row, "F Pixels") != "0", c.anyPixel);
    }
    const OutsideScansCount count = CountSpotsOutsideScans(image, grid, grid.quad(0, 0));
    EXPECT_EQ(count.partly, 4);
    EXPECT_EQ(count.wholly, 3) << "marked spots have a well; excluded ones do not count";
    EXPECT_EQ(OutsideScansWarning(count),
              "7 spots lie wholly or partly outside the scans (3 wholly: flagged Not Found)");
    EXPECT_EQ(OutsideScansWarning({}), "");
    // Nothing was measured there to mark it by: Mark Spots Not Found leaves such spots alone.
    NullProgress progress;
    const SpotResults results = MeasureSpotResults(image, grid, grid.quad(0, 0), progress);
    EXPECT_FALSE(IsSpotNotFound(results.spots[5], 2, NotFoundRule{}));
}

TEST(GenePixResultsTest, UndefinedRatiosReadError) {
    const Export e = exportOf(latticeGrid(), uniformImage(120, 120, 2, 300), "flat.gpr");
    for (const char* column :
         {"Ratio of Medians (635/532)", "Ratio of Means (635/532)", "Median of Ratios (635/532)",
          "Mean of Ratios (635/532)", "Ratios SD (635/532)", "Rgn Ratio (635/532)",
          "Rgn R2 (635/532)", "Log Ratio (635/532)", "SNR 635", "SNR 532"})
        EXPECT_EQ(e.value(0, column), "Error") << column;
    EXPECT_EQ(e.value(0, "F635 Median - B635"), "0");
}

// One layer: the 635 columns alone, each value as the two-layer file of the same scan writes it.
TEST(GenePixResultsTest, OneLayerWritesTheTwoLayerFilesRedColumns) {
    SpotGrid grid = latticeGrid();
    grid.quad(1, 1).Flags(1, 0) = Excluded;
    grid.quad(0, 1).Flags(0, 0) = Marked;
    const Export two = exportOf(grid, latticeImage(2), "two.gpr");
    const Export one = exportOf(grid, latticeImage(1), "one.gpr");
    ASSERT_EQ(one.columns.size(), 30u);
    for (const std::string& column : one.columns) {
        EXPECT_EQ(column.find("532"), std::string::npos) << column;
        for (std::size_t row = 0; row < two.rows.size(); ++row)
            EXPECT_EQ(one.value(row, column), two.value(row, column)) << column << " row " << row;
    }
    EXPECT_EQ(one.rows.size(), two.rows.size());
    EXPECT_EQ(one.lines[5], "\"Wavelengths=635\"");
    EXPECT_EQ(fieldsOf(one.lines[1]), (std::vector<std::string>{"11", "30"}));

    NullProgress progress;
    EXPECT_THROW(WriteGenePixResults("/nonexistent-folder/x.gpr", latticeImage(), grid,
                                     grid.quad(0, 0), {}, progress),
                 CoreError);
}

}  // namespace
}  // namespace orvane
