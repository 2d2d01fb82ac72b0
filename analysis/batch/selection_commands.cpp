// orvane-batch stats and pairs: the Save Data files of the "Selected Data Statistics" and
// "Selected Data Pairs" dialogs for a selection given on the command line.
#include <cinttypes>
#include <cstdio>

#include "batch/batch_commands.h"
#include "batch/image_inputs.h"
#include "batch/measure_options.h"
#include "measure/selection_pairs.h"
#include "measure/selection_statistics.h"

namespace orvane::batch {

namespace {

const char* const kSelectionHelp =
    "The selection is one of:\n"
    "  --rect X0,Y0,X1,Y1             a rectangle with opposite corners (X0,Y0) and (X1,Y1)\n"
    "  --circle-diameter X0,Y0,X1,Y1  the circle whose diameter is the segment (X0,Y0)-(X1,Y1)\n"
    "  --circle-radius X0,Y0,X1,Y1    the circle around (X0,Y0) through (X1,Y1)\n"
    "  --spot QX,QY,COL,ROW --grid GRID.grd\n"
    "                                 the grid tool's selected spot: quad (QX,QY), spot "
    "(COL,ROW),\n"
    "                                 all 0-based, in the grid file as Save Grid wrote it\n"
    "in image pixels, as the mouse tools define them (the anchor, then the end of the drag).\n";

struct Inputs {
    LayeredImage image;
    std::optional<SelectedSpot> spot;
};

Inputs loadSelectionInputs(const ParsedArgs& args, const SelectionRequest& request,
                           CommandContext& context) {
    Inputs inputs;
    if (request.gridPath) inputs.spot = selectedSpotOf(loadGridFile(*request.gridPath), request);
    inputs.image = loadInputs(args.positionals, context.progress);
    return inputs;
}

int runStats(const ParsedArgs& args, CommandContext& context) {
    const SelectionRequest request = selectionRequestFrom(args);
    const std::string output = singleOutput(args, "SELECTION_DATA.txt");
    const bool raw = args.has("--raw");
    checkOutputIsNotInput(output, args.positionals);
    const Inputs inputs = loadSelectionInputs(args, request, context);
    if (raw) {
        SaveSelectionRawData(output, inputs.image, request.shape, inputs.spot);
        context.clearProgress();
        return kExitSuccess;
    }
    SelectionStatistics statistics;
    statistics.SetData(SampleSelection(inputs.image, request.shape, inputs.spot));
    statistics.SaveData(output);
    context.clearProgress();
    context.out << "N of samples " << statistics.n() << "\n";
    for (int k = 0; k < statistics.layerCount(); ++k)
        context.out << "Layer " << k + 1 << ", " << statistics.StatisticsLine(k) << "\n";
    return context.out ? kExitSuccess : kExitFailure;
}

int runPairs(const ParsedArgs& args, CommandContext& context) {
    const SelectionRequest request = selectionRequestFrom(args);
    const std::string output = singleOutput(args, "SELECTION_PAIRS.txt");
    checkOutputIsNotInput(output, args.positionals);
    const Inputs inputs = loadSelectionInputs(args, request, context);
    SelectionPairs pairs;
    pairs.SetData(SamplePairsSelection(inputs.image, request.shape, inputs.spot));
    pairs.SaveData(output);
    context.clearProgress();
    context.out << "N of samples " << pairs.n() << "\nXmax " << pairs.Xmax() << ", Ymax "
                << pairs.Ymax() << "\n";
    return context.out ? kExitSuccess : kExitFailure;
}

}  // namespace

Command statsCommand() {
    std::vector<OptionSpec> options = selectionOptions();
    options.push_back({"--raw", "", false});
    return Command{
        "stats",
        "stats (--rect | --circle-diameter | --circle-radius) X0,Y0,X1,Y1 [--raw] -o "
        "SELECTION_DATA.txt "
        "IMAGE [OVERLAY...]\n       orvane-batch stats --spot QX,QY,COL,ROW --grid GRID.grd "
        "[--raw] -o "
        "SELECTION_DATA.txt IMAGE [OVERLAY...]",
        "write the selection statistics file of an area (Show Selection Statistics, Save Data)",
        std::string(
            "Samples every layer inside the selection and writes the file that Save Data of the\n"
            "\"Selected Data Statistics\" dialog writes: the statistics line of each layer and "
            "the\n"
            "samples of each layer sorted; prints the statistics lines. With --raw writes what\n"
            "Selection > Save Raw Data writes instead: every pixel in sampling order with its\n"
            "coordinates and one value per layer.\n\n") +
            kSelectionHelp,
        options,
        runStats,
    };
}

Command pairsCommand() {
    return Command{
        "pairs",
        "pairs (--rect | --circle-diameter | --circle-radius) X0,Y0,X1,Y1 -o SELECTION_PAIRS.txt "
        "IMAGE "
        "OVERLAY [OVERLAY]\n       orvane-batch pairs --spot QX,QY,COL,ROW --grid GRID.grd -o "
        "SELECTION_PAIRS.txt IMAGE OVERLAY [OVERLAY]",
        "write the selection pairs file of an area (Show Selection Pairs, Save Data)",
        std::string(
            "Samples every layer inside the selection and writes, one pixel a row in sampling\n"
            "order, its index and its value on layer 0, layer 1 and layer 2 when loaded, after\n"
            "a header; prints the number of pairs and the largest value of layers 0 and 1.\n"
            "Two layers are required.\n\n") +
            kSelectionHelp,
        selectionOptions(),
        runPairs,
    };
}

}  // namespace orvane::batch
