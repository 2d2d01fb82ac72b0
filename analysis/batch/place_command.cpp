// orvane-batch place: Grid > Auto Place Grid on a saved grid over the loaded scans, saved as a
// grid file again.
#include <string>
#include <vector>

#include "batch/batch_commands.h"
#include "batch/image_inputs.h"
#include "batch/measure_options.h"
#include "grid/auto_place_grid.h"

namespace orvane::batch {

namespace {

int runPlace(const ParsedArgs& args, CommandContext& context) {
    const std::vector<std::string> outputs = args.values("--output");
    if (outputs.empty()) throw UsageError("no output grid given (-o OUT.grd)");
    if (outputs.size() > 1) throw UsageError("more than one output grid given");
    if (args.positionals.size() < 2)
        throw UsageError("a grid file and at least one image are needed");
    const std::string& gridPath = args.positionals.front();
    const std::vector<std::string> images(args.positionals.begin() + 1, args.positionals.end());
    // The grid may be written over its own file: it is read whole first and saved atomically.
    checkOutputIsNotInput(outputs.front(), images);
    SpotGrid grid = loadGridFile(gridPath);
    const LayeredImage image = loadInputs(images, context.progress);
    const AutoPlaceResult result = AutoPlaceGrid(grid, image);
    saveGridFile(outputs.front(), grid);
    context.clearProgress();
    context.out << AutoPlaceMessage(result) << "\n";
    return kExitSuccess;
}

}  // namespace

Command placeCommand() {
    return Command{
        "place",
        "place -o OUT.grd GRID.grd IMAGE [OVERLAY...]",
        "move a grid's quads onto their printed blocks (Auto Place Grid)",
        "Loads the grid file GRID.grd (as Load Grid does), IMAGE and up to two OVERLAYs, and runs\n"
        "Grid > Auto Place Grid: the grid is laid out afresh from its parameters as Define Grid\n"
        "does (offsets cleared; flags and marks kept), the whole grid is shifted by the slide's\n"
        "placement found within +-2 mm, then every quad by its own offset within half a spot\n"
        "pitch of it; a quad without a clear match, or one that may sit a column or row off,\n"
        "keeps the common shift and is not counted. Prints\n"
        "\"Placed N of M quads.\" and writes the grid to OUT.grd.\n"
        "options:\n"
        "  -o, --output OUT   the grid file to write (required); it may be GRID.grd itself\n",
        {{"--output", "-o", true}},
        runPlace,
    };
}

}  // namespace orvane::batch
