// orvane-batch params, define-grid and grid-info: outputs, the dialog's messages and refusals.
#include <gtest/gtest.h>
#include <tiffio.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "../support/temp_dir.h"
#include "../support/tiff_writer.h"
#include "batch/batch_commands.h"
#include "batch_run.h"
#include "printjob/load_map.h"

namespace orvane::batch {
namespace {

namespace fs = std::filesystem;

class GridCommandsTest : public testing::Test {
protected:
    void SetUp() override {
        image_ = (dir_ / "scan.tif").string();
        // 16-bit grey, no resolution tags: 100 pixels per millimetre.
        ASSERT_TRUE(testing_support::writeUniformScan(image_, 64, 32, 100));
    }

    testing_support::TempDir temp_{"orvane_grid_commands"};
    const std::filesystem::path dir_ = temp_.path();
    std::string image_;
};

TEST_F(GridCommandsTest, ParamsPrintsDiagnosticsAndListing) {
    const std::string file = temp_.write("job.txt", "pins_x = 3\nbogus 1\ngrid_step_x abc\n");
    const RunResult r = run({"params", file});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("\nunknown parameter at line 2, name \"bogus\""
                          "\nparse error at line 3, name \"grid_step_x\", assuming default value"
                          "\nparameter file processed, the following parameters will be used :"
                          "\nsetup_file_name = set.txt",
                          0),
              0u)
        << r.out;
    EXPECT_NE(r.out.find("\npins_x = 3\n"), std::string::npos);
    EXPECT_TRUE(r.out.ends_with("\ngrid_quad_step_y = 4.500\n"));

    const std::string missing = (dir_ / "missing.txt").string();
    EXPECT_EQ(run({"params", missing}).err, "Unable to open file. (" + missing + ")\n");
    EXPECT_EQ(run({"params"}).status, 2);
}

const char* kMap =
    "pins_x 2\npins_y 1\ngrid_step_x 0.1\ngrid_step_y 0.1\ngrid_quad_step_x 0.3\n"
    "zone_0_origin_x 0.1\nzone_0_origin_y 0.05\nzone_1_origin_x 0.2\nzone_1_origin_y 0.06\n"
    "grid_quad_nrows 2\n"
    "pin_x# 0, pin_y# 0, well_uid: A1, well_descr: one\n"
    "pin_x# 1, pin_y# 0, well_uid: NA, well_descr: none\n"
    "pin_x# 0, pin_y# 9, well_uid: X, well_descr: x\n"
    "zone# 0, block_col# 0, block_row# 0, spot_col# 0, spot_row# 0\n"
    "zone# 0, block_col# 0, block_row# 0, spot_col# 1, spot_row# 1\n";

TEST_F(GridCommandsTest, DefineGridFromAMapAndGridInfo) {
    const std::string map = temp_.write("slide_map_data.txt", kMap);
    const std::string grid = (dir_ / "g.grd").string();
    // Relative offsets back on, so the origin is measured from the image corner.
    const RunResult define =
        run({"define-grid", "--map", map, "--set", "relativeOffsets=1", "-o", grid, image_});
    ASSERT_EQ(define.status, 0) << define.err;
    EXPECT_EQ(define.err, "Parse error - pin assignment.\n");
    EXPECT_NE(define.out.find("unknown parameter at line 11, name \"pin_x\""), std::string::npos);

    const RunResult info = run({"grid-info", grid});
    ASSERT_EQ(info.status, 0) << info.err;
    for (const char* line :
         {"cellsX: 2\n", "quadsX: 2\n", "quadsY: 1\n", "stepXmm: 0.1\n", "relativeOffsets: 1\n",
          "slideMap: yes\n", "slideMapRecords: 8\n", "quad[0][0].TL: 10 5\n",
          "quad[0][0].BR: 20 15\n", "quad[1][0].TL: 40 5\n", "quad[0][0].excluded: 2\n",
          "quad[1][0].excluded: 4\n"}) {
        SCOPED_TRACE(line);
        EXPECT_NE(info.out.find(line), std::string::npos) << info.out;
    }
}

TEST_F(GridCommandsTest, DefineGridSettingsAndTheirMessages) {
    const std::string map = temp_.write("slide_map_data.txt", kMap);
    const std::string grid = (dir_ / "g.grd").string();
    const RunResult zone = run({"define-grid", "--map", map, "--set", "zone=1", "--set",
                                "relativeOffsets=1", "-o", grid, image_});
    ASSERT_EQ(zone.status, 0) << zone.err;
    EXPECT_NE(run({"grid-info", grid}).out.find("quad[0][0].TL: 20 6\n"), std::string::npos);

    struct Case {
        std::vector<std::string> sets;
        int status;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"cellsX=0"}, 1, "cellsX: Please enter an integer between 1 and 10000.\n"},
        {{"spotDiameter=big"}, 1, "spotDiameter: Please enter a number.\n"},
        {{"zone=5"}, 1, "zone: Please enter an integer between 0 and 2.\n"},
        {{"cells=3"}, 1, "Unknown grid parameter \"cells\".\n"},
        {{"cellsX"}, 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sets[0]);
        std::vector<std::string> args = {"define-grid"};
        for (const std::string& s : c.sets) args.insert(args.end(), {"--set", s});
        const std::string out = (dir_ / "refused.grd").string();
        args.insert(args.end(), {"-o", out, image_});
        const RunResult r = run(args);
        EXPECT_EQ(r.status, c.status);
        if (!c.err.empty()) {
            EXPECT_EQ(r.err, c.err);
        }
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST_F(GridCommandsTest, MapWithoutZoneLinesIsRefused) {
    const std::string map = temp_.write("empty_map.txt", "pins_x 2\n");
    const RunResult r = run({"define-grid", "--map", map, "-o", (dir_ / "g.grd").string(), image_});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, std::string(kMapNoZonesMessage) + "\n");
    EXPECT_FALSE(fs::exists(dir_ / "g.grd"));
}

TEST_F(GridCommandsTest, GridInfoRefusesDamagedFiles) {
    const std::string grid = (dir_ / "g.grd").string();
    ASSERT_EQ(run({"define-grid", "-o", grid, image_}).status, 0);
    std::string bytes;
    {
        std::ifstream in(grid, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    const std::string cut = temp_.write("cut.grd", bytes.substr(0, bytes.size() - 7));
    const RunResult r = run({"grid-info", cut});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Invalid grid definition file: it ends early. (" + cut + ")\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(run({"grid-info", image_}).err,
              "Invalid grid definition file: the header line differs. (" + image_ + ")\n");
}

}  // namespace
}  // namespace orvane::batch
