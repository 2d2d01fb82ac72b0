// Command-line pieces shared by the measurement subcommands of orvane-batch: the one output
// file, quad and spot indices, the selection options and the grid file.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/progress.h"
#include "batch/cli_parse.h"
#include "document/layered_image.h"
#include "grid/selection_shape.h"
#include "grid/spot_grid.h"

namespace orvane::batch {

// The value of "-o"/"--output", given exactly once and not empty.
std::string singleOutput(const ParsedArgs& args, const std::string& example);

// The value of an option given at most once; none when absent.
std::optional<std::string> singleValue(const ParsedArgs& args, const std::string& name);

// A percentage option given at most once, 0 to 100; none when absent.
std::optional<double> percentOption(const ParsedArgs& args, const std::string& name);

// --flag-saturated PCT of extract --gpr, results and report: spots with more than PCT %
// saturated feature pixels in a layer are flagged (FlagSaturatedSpots); none when absent.
inline constexpr const char* kFlagSaturatedHelp =
    "  --flag-saturated PCT  flag every spot with more than PCT % (0 to 100) saturated feature\n"
    "                        pixels in any layer: Flags -100 (Bad) in GenePix Results,\n"
    "                        \"saturated\" in the results table, its own count in the report\n";
inline const OptionSpec kFlagSaturatedOption{"--flag-saturated", "", true};

// "QX,QY" (0-based quad indices inside 4 x 16) of --current-quad; 0,0 when absent.
struct QuadIndex {
    std::int32_t qx = 0;
    std::int32_t qy = 0;
};
QuadIndex currentQuadFrom(const ParsedArgs& args);

// A list of `count` comma-separated 32-bit integers; none when it is not one.
std::optional<std::vector<std::int32_t>> parseIntegerList(const std::string& text,
                                                          std::size_t count);

// The selection options of stats and pairs: one of --rect, --circle-diameter, --circle-radius
// (X0,Y0,X1,Y1: the anchor and the end point of the drag) or --spot QX,QY,COL,ROW with --grid.
std::vector<OptionSpec> selectionOptions();

struct SelectionRequest {
    SelectionShape shape;
    std::optional<std::string> gridPath;
    QuadIndex quad;
    std::int32_t col = -1, row = -1;
};
SelectionRequest selectionRequestFrom(const ParsedArgs& args);

// The selected spot of --spot in a loaded grid as the grid tool would have it: none when the quad
// is not in use or undefined, or the spot lies outside it or is Excluded (a click cannot select
// those).
std::optional<SelectedSpot> selectedSpotOf(const SpotGrid& grid, const SelectionRequest& request);

// Loads a grid file as Load Grid does; CoreError with its message when it is refused.
SpotGrid loadGridFile(const std::string& path);
// Saves the grid as Save Grid writes it; CoreError when it cannot be written.
void saveGridFile(const std::string& path, const SpotGrid& grid);

// The inputs of the grid measurement commands: the grid file first (positionals[0]), then the
// image and its overlays, loaded as Load Grid, Open and Overlay Image do.
struct GridInputs {
    SpotGrid grid;
    LayeredImage image;
};
GridInputs loadGridInputs(const ParsedArgs& args, Progress& progress);

// The quad --current-quad names, refusing one outside the grid's quads in use or undefined with
// the grid commands' message.
const GridQuad& currentQuadOf(const SpotGrid& grid, const QuadIndex& index);

// Prints one "warning: " line on `err` when spots with a well lie wholly or partly outside the
// scans; the run goes on (those wholly outside are flagged Not Found where results are written).
void warnSpotsOutsideScans(const GridInputs& inputs, const GridQuad& currentQuad,
                           std::ostream& err);

}  // namespace orvane::batch
