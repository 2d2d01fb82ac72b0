// orvane-batch results and mark-not-found: the Spot Results table of a grid over its scans, and
// Grid > Mark Spots Not Found saved as a grid file. Both refuse what extract refuses.
#include <string>
#include <vector>

#include "batch/batch_commands.h"
#include "batch/image_inputs.h"
#include "batch/measure_options.h"
#include "measure/spot_results.h"

namespace orvane::batch {

namespace {

const char* const kCurrentQuadHelp =
    "  --current-quad QX,QY  the view's current quad (0-based, default 0,0), whose radii and\n"
    "                        pitch serve every quad\n";

std::vector<std::string> scansOf(const ParsedArgs& args) {
    return {args.positionals.begin() + (args.positionals.empty() ? 0 : 1), args.positionals.end()};
}

int runResults(const ParsedArgs& args, CommandContext& context) {
    const std::string output = singleOutput(args, "SPOTS.tsv");
    const QuadIndex current = currentQuadFrom(args);
    checkOutputIsNotInput(output, args.positionals);
    const std::optional<double> saturated = percentOption(args, "--flag-saturated");
    const GridInputs inputs = loadGridInputs(args, context.progress);
    const GridQuad& quad = currentQuadOf(inputs.grid, current);
    SpotResults results = MeasureSpotResults(inputs.image, inputs.grid, quad, context.progress,
                                             kMeasuringSpotsText, RatioDetail::LogRatio);
    if (saturated) FlagSaturatedSpots(results, *saturated);
    aboutFile(output, [&] { WriteSpotResultsTable(output, results); });
    context.clearProgress();
    warnSpotsOutsideScans(inputs, quad, context.err);
    return kExitSuccess;
}

int runMarkNotFound(const ParsedArgs& args, CommandContext& context) {
    NotFoundRule rule;
    rule.minPercent = percentOption(args, "--min-percent").value_or(kDefaultNotFoundPercent);
    rule.anyLayer = args.has("--any-layer");
    const std::string output = singleOutput(args, "OUT.grd");
    const QuadIndex current = currentQuadFrom(args);
    // The grid may be written over its own file: it is read whole first and saved atomically.
    checkOutputIsNotInput(output, scansOf(args));
    GridInputs inputs = loadGridInputs(args, context.progress);
    const GridQuad& quad = currentQuadOf(inputs.grid, current);
    const SpotResults results =
        MeasureSpotResults(inputs.image, inputs.grid, quad, context.progress, kMeasuringSpotsText,
                           RatioDetail::LogRatio);
    const MarkNotFoundResult marked = MarkSpotsNotFound(inputs.grid, results, rule);
    saveGridFile(output, inputs.grid);
    context.clearProgress();
    context.out << MarkNotFoundMessage(marked) << "\n";
    return context.out ? kExitSuccess : kExitFailure;
}

}  // namespace

Command resultsCommand() {
    return Command{
        "results",
        "results [--current-quad QX,QY] [--flag-saturated PCT] -o SPOTS.tsv GRID.grd IMAGE "
        "[OVERLAY...]",
        "write the Spot Results table: every spot's statistics on every layer",
        std::string(
            "Measures every spot of every quad in use on every layer as Export GenePix Results\n"
            "does and writes a tab-separated table: one header line, then one line per spot in\n"
            "the GenePix file's order. Columns: Block, Column, Row, Flags (the spot's flag byte),\n"
            "ID, Name, then per layer k: Fk Median, Fk Mean, Fk SD, Bk Median, Bk Mean, Bk SD,\n"
            "% > Bk+2SD, Fk % Sat., SNR k, and with two or more layers Log Ratio (1/2). Each\n"
            "value is written as the GenePix file writes it (layer 1 is its 635, layer 2 its "
            "532).\n"
            "  -o, --output FILE     the table to write\n") +
            kCurrentQuadHelp + kFlagSaturatedHelp,
        {{"--current-quad", "", true}, {"--output", "-o", true}, kFlagSaturatedOption},
        runResults,
    };
}

Command markNotFoundCommand() {
    return Command{
        "mark-not-found",
        "mark-not-found [--min-percent P] [--any-layer] [--current-quad QX,QY] -o OUT.grd "
        "GRID.grd IMAGE [OVERLAY...]",
        "mark the spots not found (Mark Spots Not Found) and save the grid",
        std::string("Measures every spot as the results command does and marks (as the X key "
                    "does) every\n"
                    "spot that is not excluded and whose % > B+2SD is below P in every loaded "
                    "layer;\n"
                    "other marks stay. Saves the grid and prints \"Marked N of M spots.\" (N "
                    "spots not found,\n"
                    "marked before or not, of M spots with a well inside the scans). Marked spots "
                    "go to\nGenePix results flagged -100.\n"
                    "  --min-percent P       the threshold, 0 to 100 (default 70)\n"
                    "  --any-layer           below P in any loaded layer is enough\n"
                    "  -o, --output OUT      the grid file to write; it may be GRID.grd itself\n") +
            kCurrentQuadHelp,
        {{"--min-percent", "", true},
         {"--any-layer", "", false},
         {"--current-quad", "", true},
         {"--output", "-o", true}},
        runMarkNotFound,
    };
}

}  // namespace orvane::batch
