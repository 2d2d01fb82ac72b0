// orvane-batch adjust, extract, histogram and find: the grid commands of the measurement menu
// run on a grid file and its scans.
#include <cstdio>
#include <string>

#include "base/core_error.h"
#include "batch/batch_commands.h"
#include "batch/genepix_command.h"
#include "batch/image_inputs.h"
#include "batch/measure_options.h"
#include "grid/adjust_grid.h"
#include "measure/extract_grid_data.h"
#include "measure/find_genes.h"
#include "measure/genepix_results.h"
#include "measure/spot_geometry.h"
#include "measure/spot_histogram.h"

namespace orvane::batch {

namespace {

const char* const kCurrentQuadHelp =
    "  --current-quad QX,QY  the view's current quad (0-based, default 0,0), whose radii and\n"
    "                        pitch serve every quad\n";

AdjustMethod methodFrom(const ParsedArgs& args) {
    const std::optional<std::string> method = singleValue(args, "--method");
    if (!method) throw UsageError("no method given (--method 2dw, 1dw or cm)");
    if (*method == "2dw") return AdjustMethod::TwoDimensionalWindow;
    if (*method == "1dw") return AdjustMethod::OneDimensionalWindow;
    if (*method == "cm") return AdjustMethod::CentreOfMass;
    throw UsageError("--method takes 2dw, 1dw or cm, not '" + *method + "'");
}

int runAdjust(const ParsedArgs& args, CommandContext& context) {
    const AdjustMethod method = methodFrom(args);
    std::int64_t times = 1;
    if (const std::optional<std::string> text = singleValue(args, "--times")) {
        const std::optional<std::int64_t> value = parseInteger(*text, 1, 1000);
        if (!value) throw UsageError("--times takes a number from 1 to 1000, not '" + *text + "'");
        times = *value;
    }
    const std::string output = singleOutput(args, "OUT.grd");
    const QuadIndex current = currentQuadFrom(args);
    checkOutputIsNotInput(output, {args.positionals.begin() + (args.positionals.empty() ? 0 : 1),
                                   args.positionals.end()});
    GridInputs inputs = loadGridInputs(args, context.progress);
    const GridQuad& quad = currentQuadOf(inputs.grid, current);
    for (std::int64_t pass = 0; pass < times; ++pass) {
        context.progress.message("Adjusting grid, pass " + std::to_string(pass + 1) + " ...");
        AdjustGrid(inputs.grid, quad, inputs.image, method);
    }
    saveGridFile(output, inputs.grid);
    context.clearProgress();
    return kExitSuccess;
}

int runExtract(const ParsedArgs& args, CommandContext& context) {
    // -o, --gpr or both: the Spot Integral Intensity file and the GenePix Results of one run.
    const std::optional<std::string> gpr = singleValue(args, "--gpr");
    const std::optional<std::string> output =
        gpr && !args.has("--output") ? std::nullopt
                                     : std::optional(singleOutput(args, "SPOT_DATA.txt"));
    if (gpr && gpr->empty()) throw UsageError("the --gpr file name is empty");
    if (gpr && output && *gpr == *output) throw UsageError("-o and --gpr name the same file");
    const std::optional<double> saturated = percentOption(args, "--flag-saturated");
    if (saturated && !gpr) throw UsageError("--flag-saturated needs --gpr");
    const QuadIndex current = currentQuadFrom(args);
    for (const std::optional<std::string>& file : {output, gpr})
        if (file) checkOutputIsNotInput(*file, args.positionals);
    const GridInputs inputs = loadGridInputs(args, context.progress);
    const GridQuad& quad = currentQuadOf(inputs.grid, current);
    if (output)
        aboutFile(*output, [&] {
            ExtractGridData(*output, inputs.image, inputs.grid, quad, context.progress);
        });
    if (gpr) {
        GenePixExportInfo info;
        info.flagSaturatedPercent = saturated;
        info.imageFiles = genePixImageFiles({args.positionals.begin() + 1, args.positionals.end()});
        aboutFile(*gpr, [&] {
            WriteGenePixResults(*gpr, inputs.image, inputs.grid, quad, info, context.progress);
        });
    }
    context.clearProgress();
    warnSpotsOutsideScans(inputs, quad, context.err);
    return kExitSuccess;
}

// The width of the histogram dialog's client area: 360 dialog units of MS Sans Serif 8.
constexpr std::int64_t kDialogWidthPixels = 540;

int runHistogram(const ParsedArgs& args, CommandContext& context) {
    std::int64_t width = kDialogWidthPixels;
    if (const std::optional<std::string> text = singleValue(args, "--width")) {
        const std::optional<std::int64_t> value = parseInteger(*text, 25, 1000000);
        if (!value)
            throw UsageError("--width takes a number of pixels from 25 up, not '" + *text + "'");
        width = *value;
    }
    const QuadIndex current = currentQuadFrom(args);
    const GridInputs inputs = loadGridInputs(args, context.progress);
    const GridQuad& quad = currentQuadOf(inputs.grid, current);
    SpotHistogram histogram;
    histogram.SetData(MeasureGridSpotMeans(inputs.image, inputs.grid, quad));
    const HistogramBins bins = histogram.Bin(SpotHistogram::BinCount(static_cast<int>(width)));
    context.clearProgress();
    context.out << "bins: " << bins.bins << "\nspots: " << histogram.means().m << "\n";
    for (int k = 0; k < histogram.means().layerCount; ++k) {
        context.out << "layer " << k << ":";
        for (std::int32_t count : bins.counters[static_cast<std::size_t>(k)])
            context.out << " " << count;
        context.out << "\n";
    }
    return context.out ? kExitSuccess : kExitFailure;
}

int runFind(const ParsedArgs& args, CommandContext& context) {
    FindSettings settings;
    const std::optional<std::string> pattern = singleValue(args, "--pattern");
    if (!pattern) throw UsageError("no pattern given (--pattern TEXT)");
    if (pattern->size() > kMaxFindPatternLength)
        throw UsageError("the pattern is longer than the find dialog's 60 characters");
    settings.pattern = *pattern;
    settings.matchCase = args.has("--match-case");
    settings.matchWholeWord = args.has("--whole-word");
    settings.uidField = !args.has("--no-uid");
    settings.descrField = !args.has("--no-descr");
    const std::string output = singleOutput(args, "OUT.grd");
    if (args.positionals.size() != 1) throw UsageError("give one grid file");
    SpotGrid grid = loadGridFile(args.positionals[0]);
    RequireAnnotatedGrid(true, ToolKind::Grid, grid);
    const std::int32_t count = FindGenes(grid, settings);
    saveGridFile(output, grid);
    context.clearProgress();
    context.out << FindResultMessage(count) << "\n";
    return context.out ? kExitSuccess : kExitFailure;
}

}  // namespace

Command adjustCommand() {
    return Command{
        "adjust",
        "adjust --method 2dw|1dw|cm [--times N] [--current-quad QX,QY] -o OUT.grd GRID.grd IMAGE "
        "[OVERLAY...]",
        "move every spot onto its signal (Adjust Grid 2DW, 1DW or CM) and save the grid",
        std::string(
            "Loads the grid file as Load Grid does and the scans as Open and Overlay Image do, "
            "runs\n"
            "Adjust Grid with the method N times (default 1; each pass starts from the adjusted\n"
            "centres) and saves the grid as Save Grid does.\n"
            "  --method 2dw|1dw|cm   two-dimensional window, one-dimensional window, centre of "
            "mass\n") +
            kCurrentQuadHelp,
        {{"--method", "", true},
         {"--times", "", true},
         {"--current-quad", "", true},
         {"--output", "-o", true}},
        runAdjust,
    };
}

Command extractCommand() {
    return Command{
        "extract",
        "extract [--current-quad QX,QY] [-o SPOT_DATA.txt] [--gpr OUT.gpr [--flag-saturated PCT]] "
        "GRID.grd IMAGE [OVERLAY...]",
        "write the Spot Integral Intensity file (Extract Grid Data) and/or GenePix Results",
        std::string(
            "Measures every spot that is not excluded on every layer and writes the Spot Integral\n"
            "Intensity file exactly as Grid > Extract Grid Data does.\n"
            "  -o, --output FILE     the Spot Integral Intensity file\n"
            "  --gpr OUT.gpr         (beside or instead of -o) GenePix Results as Grid > Export\n"
            "                        GenePix Results writes them, for limma and other tools: the\n"
            "                        56 columns of GenePix Pro 6.1, every spot of every quad in\n"
            "                        use (excluded spots flagged -75, marked ones -100), IMAGE as\n"
            "                        635 and the first OVERLAY as 532; IMAGE alone gives a\n"
            "                        single-channel file (the 635 columns only)\n") +
            kCurrentQuadHelp + kFlagSaturatedHelp,
        {{"--current-quad", "", true},
         {"--output", "-o", true},
         {"--gpr", "", true},
         kFlagSaturatedOption},
        runExtract,
    };
}

Command histogramCommand() {
    return Command{
        "histogram",
        "histogram [--width PIXELS] [--current-quad QX,QY] GRID.grd IMAGE [OVERLAY...]",
        "print the grid data histogram's bins of the spot means (Grid Data Histogram)",
        std::string(
            "Measures the mean of every spot that is neither marked nor excluded on every layer,\n"
            "bins the means on the logarithmic axis of the histogram dialog and prints\n"
            "\"bins: B\", \"spots: M\" and one line a layer with its B bin counts.\n"
            "  --width PIXELS        the width of the dialog's client area (default 540): B is\n"
            "                        (PIXELS - 20) / 5, at most 2048\n") +
            kCurrentQuadHelp,
        {{"--width", "", true}, {"--current-quad", "", true}},
        runHistogram,
    };
}

Command findGenesCommand() {
    return Command{
        "find",
        "find --pattern TEXT [--match-case] [--whole-word] [--no-uid] [--no-descr] -o OUT.grd "
        "GRID.grd",
        "highlight the spots whose UID or description matches (Find / Highlight Genes)",
        "Searches the well UIDs and descriptions of the grid's slide map as Find / Highlight "
        "Genes\n"
        "does, replaces the highlights of the grid by the matches, saves the grid and prints\n"
        "\"Found N matching genes.\" or \"Pattern not found.\".\n"
        "  --pattern TEXT   at most 60 characters; an empty pattern matches every spot\n"
        "  --match-case     compare letter case too\n"
        "  --whole-word     the whole field must equal the pattern\n"
        "  --no-uid         do not search the UIDs\n"
        "  --no-descr       do not search the descriptions\n",
        {{"--pattern", "", true},
         {"--match-case", "", false},
         {"--whole-word", "", false},
         {"--no-uid", "", false},
         {"--no-descr", "", false},
         {"--output", "-o", true}},
        runFind,
    };
}

}  // namespace orvane::batch
