// orvane-batch gpr: the GenePix Results file from a grid file and two scans, and its refusals.
#include <gtest/gtest.h>
#include <tiffio.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "batch/batch_commands.h"
#include "batch/genepix_command.h"

namespace orvane::batch {
namespace {

namespace fs = std::filesystem;

struct BatchRun {
    int status;
    std::string out, err;
};

BatchRun run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    NullProgress progress;
    CommandContext context{out, err, progress};
    const int status = runBatch(args, context);
    return {status, out.str(), err.str()};
}

// A 16-bit grey scan of 64 x 32 pixels of one value, without resolution tags.
void writeScan(const std::string& path, std::uint16_t value) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 64u);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 32u);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    std::vector<std::uint16_t> line(64, value);
    for (std::uint32_t y = 0; y < 32; ++y) TIFFWriteScanline(tif, line.data(), y, 0);
    TIFFClose(tif);
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
        dir_ = fs::temp_directory_path() /
               ("orvane_gpr_command_" + std::to_string(::getpid()) + "_" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        red_ = path("red.tif");
        green_ = path("green.tif");
        writeScan(red_, 400);
        writeScan(green_, 200);
        grid_ = path("g.grd");
        const BatchRun define = run({"define-grid", "--set", "cellsX=3", "--set", "cellsY=2", "--set", "stepXmm=0.1",
                                "--set", "stepYmm=0.1", "--set", "originX=0.1", "--set", "originY=0.1",
                                "-o", grid_, red_});
        ASSERT_EQ(define.status, 0) << define.err;
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
    std::string red_, green_, grid_;
};

TEST_F(GenePixCommandTest, WritesOneRowPerSpot) {
    const std::string out = path("out.gpr");
    const BatchRun r = run({"gpr", "--grid", grid_, "-o", out, red_, green_});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
    const std::vector<std::string> lines = linesOf(out);
    ASSERT_EQ(lines.size(), 2u + 12u + 1u + 6u);
    EXPECT_EQ(lines[6], "\"ImageFiles=" + red_ + " 0\t" + green_ + " 0\"\r");
    // Spot (1, 1) of block 1 at pixel (10, 10): 100 um; no map: empty Name and ID.
    EXPECT_EQ(lines[15].substr(0, 20), "1\t1\t1\t\"\"\t\"\"\t100\t100\t");
}

TEST_F(GenePixCommandTest, Refusals) {
    const std::string out = path("out.gpr");
    const BatchRun oneLayer = run({"gpr", "--grid", grid_, "-o", out, red_});
    EXPECT_EQ(oneLayer.status, 1);
    EXPECT_EQ(oneLayer.err, "Two layers are required for this export\n");
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(run({"gpr", "-o", out, red_, green_}).status, 2) << "no grid";
    EXPECT_EQ(run({"gpr", "--grid", grid_, red_, green_}).status, 2) << "no output";
    EXPECT_EQ(run({"gpr", "--grid", grid_, "-o", green_, red_, green_}).status, 2) << "output is an input";
    const BatchRun missing = run({"gpr", "--grid", path("missing.grd"), "-o", out, red_, green_});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Unable to open file.\n");
    EXPECT_FALSE(fs::exists(out));
}

}  // namespace
}  // namespace orvane::batch
