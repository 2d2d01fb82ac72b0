// orvane-batch place on a generated demo slide with a large placement error and bent pins: the
// message, the grid written, and the refusals of a wrong command line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <vector>

#include "batch/batch_commands.h"
#include "batch_run.h"
#include "demo_slide_files.h"
#include "demo_slide_plan.h"
#include "document/tiff_loader.h"
#include "document/tiff_messages.h"
#include "grid/define_grid.h"
#include "grid/grid_file.h"
#include "grid/layout_files.h"

namespace orvane::batch {
namespace {

namespace fs = std::filesystem;

class PlaceCommandTest : public testing::Test {
protected:
    // A 20 um demo slide off by up to 1.5 mm with pins off by up to 0.4 pitch, and the grid that
    // Load Map and Define Grid lay out on it.
    static void SetUpTestSuite() {
        setTiffMessageSink({});
        dir_ = new fs::path(fs::temp_directory_path() /
                            ("orvane_place_test_" + std::to_string(::getpid())));
        demo::DemoOptions options;
        options.pixelUm = 20.0;
        options.seed = 3;
        options.placementMm = 1.5;
        options.pinOffsetPitch = 0.4;
        options.outDir = dir_->string();
        slide_ = new demo::DemoSlide(demo::planDemoSlide(options));
        demo::writeDemoSlide(*slide_);
        LayeredImage image;
        NullProgress progress;
        AppendLayer(image, path(demo::kChannelFile[0]), progress);
        SpotGrid grid;
        PrintJobParameters job;
        std::ostringstream diagnostics;
        LoadMapFile(path(demo::kMapFile), grid.parameters, job, diagnostics);
        grid.parameters.spotDiameter = 0.14;
        DefineGridLayout(grid, image);
        SaveGrid(grid, path("nominal.grd"));
    }
    static void TearDownTestSuite() {
        fs::remove_all(*dir_);
        delete dir_;
        delete slide_;
    }
    static std::string path(const std::string& name) { return (*dir_ / name).string(); }

    static fs::path* dir_;
    static demo::DemoSlide* slide_;
};

fs::path* PlaceCommandTest::dir_ = nullptr;
demo::DemoSlide* PlaceCommandTest::slide_ = nullptr;

TEST_F(PlaceCommandTest, PlacesTheQuadsAndWritesTheGrid) {
    const RunResult r = run({"place", "-o", path("placed.grd"), path("nominal.grd"),
                             path(demo::kChannelFile[0]), path(demo::kChannelFile[1])});
    ASSERT_EQ(r.status, kExitSuccess) << r.err;
    EXPECT_EQ(r.out, "Placed 48 of 48 quads.\n");
    EXPECT_EQ(r.err, "");
    SpotGrid placed;
    LoadGrid(path("placed.grd"), placed);
    // Every quad's spots lie, on average, within a pixel or two of the truth (before: far off).
    std::vector<double> dx(64, 0.0), dy(64, 0.0);
    for (const demo::Spot& spot : slide_->spots) {
        const GridPoint c = *placed.quad(spot.qx, spot.qy).SpotCentre(spot.col, spot.row);
        dx[SpotGrid::slot(spot.qx, spot.qy)] += (spot.x - c.x) / 144.0;
        dy[SpotGrid::slot(spot.qx, spot.qy)] += (spot.y - c.y) / 144.0;
    }
    for (std::size_t q = 0; q < dx.size(); ++q)
        EXPECT_LT(std::hypot(dx[q], dy[q]), 1.5) << "slot " << q;

    // The grid file may be replaced in place.
    fs::copy_file(path("nominal.grd"), path("again.grd"), fs::copy_options::overwrite_existing);
    const RunResult again =
        run({"place", "-o", path("again.grd"), path("again.grd"), path(demo::kChannelFile[0])});
    EXPECT_EQ(again.status, kExitSuccess) << again.err;
    EXPECT_EQ(again.out, "Placed 48 of 48 quads.\n");
}

TEST_F(PlaceCommandTest, RefusesAWrongCommandLine) {
    const std::string red = path(demo::kChannelFile[0]);
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"place", path("nominal.grd"), red}, kExitUsage, "no output grid given"},
        {{"place", "-o", path("x.grd"), path("nominal.grd")},
         kExitUsage,
         "a grid file and at least one image"},
        {{"place", "-o", red, path("nominal.grd"), red}, kExitUsage, "is one of the input files"},
        {{"place", "-o", path("x.grd"), path("missing.grd"), red},
         kExitFailure,
         "Unable to open file."},
        {{"place", "-o", path("x.grd"), red, red},
         kExitFailure,
         ""},  // an image is not a grid file
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        const RunResult r = run(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(fs::exists(path("x.grd")));
}

}  // namespace
}  // namespace orvane::batch
