// The demo slide through the program's own path: Open and Overlay, Load Map of its slide map data
// file, Define Grid. The grid must land on the truth file's nominal centres, and exactly the
// spots of empty wells must be excluded.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "demo_slide_files.h"
#include "demo_slide_plan.h"
#include "document/tiff_loader.h"
#include "grid/define_grid.h"
#include "grid/layout_files.h"
#include "grid/spot_grid.h"

namespace orvane::demo {
namespace {

namespace fs = std::filesystem;

TEST(DemoSlideGridTest, LoadMapAndDefineGridLandOnTheNominalCentres) {
    for (const double pixelUm : {40.0, 10.0}) {
        SCOPED_TRACE(pixelUm);
        DemoOptions options;
        options.pixelUm = pixelUm;
        options.seed = 21;
        options.outDir =
            (fs::temp_directory_path() / ("orvane_grid_check_" + std::to_string(::getpid())))
                .string();
        const DemoSlide slide = planDemoSlide(options);
        writeDemoSlide(slide);

        LayeredImage image;
        NullProgress progress;
        AppendLayer(image, (fs::path(options.outDir) / kChannelFile[0]).string(), progress);
        AppendLayer(image, (fs::path(options.outDir) / kChannelFile[1]).string(), progress);
        SpotGrid grid;
        PrintJobParameters job;
        std::ostringstream
            diagnostics;  // the pin and zone lines are "unknown parameters" to the reader
        const std::vector<std::string> pinErrors = LoadMapFile(
            (fs::path(options.outDir) / kMapFile).string(), grid.parameters, job, diagnostics);
        EXPECT_TRUE(pinErrors.empty());
        DefineGridLayout(grid, image);
        fs::remove_all(options.outDir);

        ASSERT_EQ(grid.parameters.quadsX, slide.layout.quadsX());
        ASSERT_EQ(grid.parameters.quadsY, slide.layout.quadsY());
        ASSERT_EQ(grid.parameters.cellsX, slide.layout.spotsX);
        ASSERT_EQ(grid.parameters.cellsY, slide.layout.spotsY);
        int misplaced = 0, misflagged = 0, excluded = 0;
        for (const Spot& spot : slide.spots) {
            const GridQuad& quad = grid.quad(spot.qx, spot.qy);
            const std::optional<GridPoint> centre = quad.SpotCentre(spot.col, spot.row);
            ASSERT_TRUE(centre);
            if (centre->x != spot.nominalX || centre->y != spot.nominalY) {
                if (++misplaced <= 3)
                    ADD_FAILURE() << "quad " << spot.qx << "," << spot.qy << " spot " << spot.col
                                  << "," << spot.row << ": grid (" << centre->x << ", " << centre->y
                                  << "), nominal (" << spot.nominalX << ", " << spot.nominalY
                                  << ")";
            }
            const bool isExcluded = (quad.Flags(spot.col, spot.row) & Excluded) != 0;
            excluded += isExcluded;
            misflagged += isExcluded == spot.printed;
        }
        EXPECT_EQ(misplaced, 0);
        EXPECT_EQ(misflagged, 0);
        EXPECT_GT(excluded, 0);
    }
}

}  // namespace
}  // namespace orvane::demo
