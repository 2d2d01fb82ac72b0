// orvane-batch extract --gpr (the GenePix Results file from a grid file and two scans) and
// define-grid --gal (the grid from a GenePix Array List), and their refusals.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "../support/temp_dir.h"
#include "../support/tiff_writer.h"
#include "batch/batch_commands.h"
#include "batch/genepix_command.h"
#include "batch_run.h"

namespace orvane::batch {
namespace {

namespace fs = std::filesystem;

// A 16-bit grey scan of 64 x 32 pixels of one value, without resolution tags.
void writeScan(const std::string& path, std::uint16_t value) {
    ASSERT_TRUE(testing_support::writeUniformScan(path, 64, 32, value));
}

std::vector<std::string> linesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class GenePixCommandTest : public testing::Test {
protected:
    void SetUp() override {
        red_ = path("red.tif");
        green_ = path("green.tif");
        writeScan(red_, 400);
        writeScan(green_, 200);
        grid_ = path("g.grd");
        const RunResult define = run({"define-grid", "--set", "cellsX=3", "--set", "cellsY=2",
                                      "--set", "stepXmm=0.1", "--set", "stepYmm=0.1", "--set",
                                      "originX=0.1", "--set", "originY=0.1", "-o", grid_, red_});
        ASSERT_EQ(define.status, 0) << define.err;
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    testing_support::TempDir temp_{"orvane_gpr_command"};
    const std::filesystem::path dir_ = temp_.path();
    std::string red_, green_, grid_;
};

TEST_F(GenePixCommandTest, WritesOneRowPerSpot) {
    const std::string out = path("out.gpr");
    const RunResult r = run({"extract", "--gpr", out, grid_, red_, green_});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
    const std::vector<std::string> lines = linesOf(out);
    ASSERT_EQ(lines.size(), 2u + 12u + 1u + 6u);
    EXPECT_EQ(lines[6], "\"ImageFiles=" + red_ + " 0\t" + green_ + " 0\"\r");
    // Spot (1, 1) of block 1 at pixel (10, 10): 100 um; no map: empty Name and ID.
    EXPECT_EQ(lines[15].substr(0, 20), "1\t1\t1\t\"\"\t\"\"\t100\t100\t");
}

TEST_F(GenePixCommandTest, BesideTheSpotIntegralIntensityFile) {
    const std::string out = path("out.gpr"), spots = path("spot_data.txt");
    const RunResult r =
        run({"extract", "-o", spots, "--gpr", out, "--current-quad", "0,0", grid_, red_, green_});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(linesOf(out).size(), 21u);
    EXPECT_EQ(linesOf(spots).size(), 3u + 6u + 4u);
}

TEST_F(GenePixCommandTest, OneScanGivesASingleChannelFile) {
    const std::string out = path("one.gpr");
    const RunResult r = run({"extract", "--gpr", out, grid_, red_});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = linesOf(out);
    ASSERT_EQ(lines.size(), 2u + 11u + 1u + 6u);
    EXPECT_EQ(lines[1], "11\t30\r");
    EXPECT_EQ(lines[6], "\"ImageFiles=" + red_ + " 0\"\r");
}

TEST_F(GenePixCommandTest, Refusals) {
    const std::string out = path("out.gpr"), spots = path("spot_data.txt");
    EXPECT_EQ(run({"extract", grid_, red_, green_}).status, 2) << "no output";
    EXPECT_EQ(run({"extract", "--gpr", "", grid_, red_, green_}).status, 2) << "empty name";
    EXPECT_EQ(run({"extract", "--gpr", out, "-o", out, grid_, red_, green_}).status, 2)
        << "one file twice";
    EXPECT_EQ(run({"extract", "--gpr", green_, grid_, red_, green_}).status, 2)
        << "output is an input";
    const RunResult missing = run({"extract", "--gpr", out, path("missing.grd"), red_, green_});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Unable to open file. (" + path("missing.grd") + ")\n");
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(GenePixCommandTest, PagesOfAMultiPageScan) {
    const std::string scan = path("two.tif");
    testing_support::TiffSpec red, green;
    red.width = green.width = 64;
    red.height = green.height = 32;
    red.samples.assign(64 * 32, 400);
    green.samples.assign(64 * 32, 200);
    ASSERT_TRUE(testing_support::writeTiffPages(scan, {red, green}));
    const RunResult info = run({"info", scan + ":2", scan + ":1"});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("caption: two[2] (red), two[1] (green)\n"), std::string::npos)
        << info.out;

    const std::string out = path("pages.gpr");
    ASSERT_EQ(run({"extract", "--gpr", out, grid_, scan + ":1", scan + ":2"}).status, 0);
    EXPECT_EQ(linesOf(out)[6], "\"ImageFiles=" + scan + " 0\t" + scan + " 1\"\r");

    const RunResult missing = run({"info", scan + ":3"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, scan + " holds 2 image(s); there is no image 3.\n");
    EXPECT_EQ(run({"info", scan + ":0"}).status, 2);
    EXPECT_EQ(run({"extract", "--gpr", scan, grid_, scan + ":1", scan + ":2"}).status, 2)
        << "output is an input";
}

TEST_F(GenePixCommandTest, DefineGridFromAnArrayList) {
    const std::string gal = path("array.gal");
    std::ofstream(gal, std::ios::binary)
        << "ATF\t1.0\r\n3\t5\r\n\"Type=GenePix ArrayList V1.0\"\r\n"
           "\"Block1=100, 50, 50, 2, 100, 1, 100\"\r\n\"Block2=400, 50, 50, 2, 100, 1, 100\"\r\n"
           "\"Block\"\t\"Column\"\t\"Row\"\t\"ID\"\t\"Name\"\r\n"
           "1\t1\t1\tG1\t\"gene one\"\r\n2\t2\t1\tG4\t\"gene four\"\r\n";
    const std::string grid = path("gal.grd");
    const RunResult define = run({"define-grid", "--gal", gal, "-o", grid, red_});
    ASSERT_EQ(define.status, 0) << define.err;
    const RunResult info = run({"grid-info", grid});
    for (const char* line :
         {"cellsX: 2\n", "cellsY: 1\n", "quadsX: 2\n", "quadStepX: 0.3\n", "originX: 0.1\n",
          "spotDiameter: 0.05\n", "slideMapRecords: 4\n", "quad[0][0].TL: 10 5\n",
          "quad[1][0].TL: 40 5\n", "quad[0][0].excluded: 1\n", "quad[1][0].excluded: 1\n"}) {
        SCOPED_TRACE(line);
        EXPECT_NE(info.out.find(line), std::string::npos) << info.out;
    }
    // The map reaches the results: ID and Name of block 2, column 2.
    const std::string out = path("gal.gpr");
    ASSERT_EQ(run({"extract", "--gpr", out, grid, red_, green_}).status, 0);
    EXPECT_EQ(linesOf(out).back().substr(0, 30), "2\t2\t1\t\"gene four\"\t\"G4\"\t500\t50\t");

    EXPECT_EQ(run({"define-grid", "--gal", gal, "--map", gal, "-o", grid, red_}).status, 2);
    std::ofstream(path("bad.gal"), std::ios::binary) << "ATF\t1.0\n1\t5\n\"BlockType=3\"\n";
    const RunResult bad =
        run({"define-grid", "--gal", path("bad.gal"), "-o", path("bad.grd"), red_});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err,
              "GAL file, line 3: only rectangular blocks (BlockType=0) can become a grid. (" +
                  path("bad.gal") + ")\n");
    EXPECT_FALSE(fs::exists(path("bad.grd")));
}

TEST_F(GenePixCommandTest, DefineGridPutsIrregularBlocksWhereTheirRecordsSay) {
    const std::string gal = path("irregular.gal");
    std::ofstream(gal, std::ios::binary) << "ATF 1\n4\t5\nType=GenePix ArrayList V1.0\n"
                                            "Block1=50, 50, 50, 2, 100, 1, 100\t\n"
                                            "Block2=260, 70, 50, 2, 100, 1, 100\t\n"
                                            "Block3=480, 40, 50, 2, 100, 1, 100\t\n"
                                            "Block\tColumn\tRow\tID\tName\n";
    const std::string grid = path("irregular.grd");
    const RunResult define = run({"define-grid", "--gal", gal, "-o", grid, red_});
    ASSERT_EQ(define.status, 0) << define.err;
    const RunResult info = run({"grid-info", grid});
    const int expected[][2] = {{5, 5}, {26, 7}, {48, 4}};
    for (int qx = 0; qx < 3; ++qx) {
        const std::string key = "quad[" + std::to_string(qx) + "][0].TL: ";
        const std::size_t at = info.out.find(key);
        ASSERT_NE(at, std::string::npos) << info.out;
        int x = 0, y = 0;
        std::istringstream(info.out.substr(at + key.size())) >> x >> y;
        EXPECT_NEAR(x, expected[qx][0], 1) << key;
        EXPECT_NEAR(y, expected[qx][1], 1) << key;
    }
}

}  // namespace
}  // namespace orvane::batch
