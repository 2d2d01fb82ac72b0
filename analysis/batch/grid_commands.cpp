// orvane-batch params, define-grid and grid-info: the print-job parameter reader, Define Grid
// with Load Map and Save Grid, and a summary of a grid definition file.
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "base/core_error.h"
#include "batch/batch_commands.h"
#include "batch/image_inputs.h"
#include "batch/measure_options.h"
#include "grid/define_grid.h"
#include "grid/grid_file.h"
#include "grid/grid_info.h"
#include "grid/layout_files.h"
#include "printjob/load_map.h"
#include "printjob/print_job_parameters.h"

namespace orvane::batch {

namespace {

void expectPositionals(const ParsedArgs& args, std::size_t count, const char* what) {
    if (args.positionals.size() != count) throw UsageError(std::string("expected ") + what);
}

int runParams(const ParsedArgs& args, CommandContext& context) {
    expectPositionals(args, 1, "one parameter file");
    std::ifstream in(args.positionals[0], std::ios::binary);
    if (!in) throw CoreError("Unable to open file. (" + args.positionals[0] + ")");
    PrintJobParameters& job = processPrintJobParameters();
    // Diagnostics and listing both go to standard output, in the reader's own words; one line
    // feed ends the output, since every text of the reader starts with one instead.
    ReadParameters(in, &context.out, parameterTable(job), 0, context.out);
    context.out << "\n";
    return context.out ? kExitSuccess : kExitFailure;
}

int runDefineGrid(const ParsedArgs& args, CommandContext& context) {
    const std::vector<std::string> outputs = args.values("--output");
    if (outputs.size() != 1 || outputs[0].empty()) throw UsageError("expected one -o GRID.grd");
    const std::vector<std::string> maps = args.values("--map");
    if (maps.size() > 1) throw UsageError("more than one --map given");
    const std::vector<std::string> gals = args.values("--gal");
    if (gals.size() > 1) throw UsageError("more than one --gal given");
    if (!maps.empty() && !gals.empty())
        throw UsageError("--map and --gal both give the layout; give one");
    checkOutputIsNotInput(outputs[0], args.positionals);
    const auto settings = keyValueOptions(args, "--set", "FIELD=VALUE");
    const LayeredImage image = loadInputs(args.positionals, context.progress);
    context.clearProgress();

    SpotGrid grid;
    PrintJobParameters& job = processPrintJobParameters();
    for (const std::string& map : maps) {
        // Refused pin lines are reported and skipped, as Load Map's message boxes do.
        for (const std::string& message :
             aboutFile(map, [&] { return LoadMapFile(map, grid.parameters, job, context.out); }))
            context.err << message << "\n";
    }
    for (const std::string& gal : gals) aboutFile(gal, [&] { LoadGalFile(gal, grid.parameters); });
    try {
        ApplyGridSettings(grid.parameters, settings, job);
    } catch (const GridFieldError& error) {
        throw CoreError(std::string(GridFieldName(error.field())) + ": " + error.what());
    }
    DefineGridLayout(grid, image);
    saveGridFile(outputs[0], grid);
    return kExitSuccess;
}

// Every field name, comma-separated, wrapped to the help's line width.
std::string gridFieldNames() {
    constexpr std::size_t kHelpWidth = 88;
    std::string text, line;
    for (const GridFieldSpec& field : kGridFields) {
        const bool last = field.field == kGridFields.back().field;
        const std::string word = std::string(field.name) + (last ? "" : ",");
        if (!line.empty() && line.size() + 1 + word.size() > kHelpWidth) {
            text += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    return text + line;
}

std::string defineGridHelp() {
    return "Starts from the Grid Parameters of a new view; --map reads a slide map data file as\n"
           "the Load Map button does, --gal a GenePix Array List as the Load GAL... button does\n"
           "(block records and the Block/Column/Row/ID/Name table); each --set then sets one\n"
           "field, named as in GridParameters:\n" +
           gridFieldNames() +
           " (setting zone takes that zone's origin from the print job).\n"
           "All fields are validated as the dialog's OK does; the grid is laid out on the "
           "image's\nresolution and scan origin and saved as Save Grid writes it.\n";
}

int runGridInfo(const ParsedArgs& args, CommandContext& context) {
    expectPositionals(args, 1, "one grid definition file");
    const SpotGrid grid = loadGridFile(args.positionals[0]);
    DescribeGrid(grid, context.out);
    return context.out ? kExitSuccess : kExitFailure;
}

}  // namespace

Command paramsCommand() {
    return Command{
        "params",
        "params FILE",
        "read print-job parameters from a file and list them",
        "Reads the parameter lines of FILE (a slide map data file or a robot job file) as\n"
        "Load Map does, but without a limit on their number, and prints the reader's\n"
        "diagnostics and the listing of all 42 parameters on standard output.\n",
        {},
        runParams,
    };
}

Command defineGridCommand() {
    return Command{
        "define-grid",
        "define-grid [--map SLIDE_MAP | --gal ARRAY.gal] [--set FIELD=VALUE]... -o GRID.grd IMAGE "
        "[OVERLAY...]",
        "lay out a grid as Define Grid does and save it as a grid definition file",
        defineGridHelp(),
        {{"--map", "", true}, {"--gal", "", true}, {"--set", "", true}, {"--output", "-o", true}},
        runDefineGrid,
    };
}

Command gridInfoCommand() {
    return Command{
        "grid-info",
        "grid-info GRID.grd",
        "check and summarise a grid definition file",
        "Loads GRID.grd as Load Grid does (a damaged file is refused with the reason) and prints\n"
        "key: value lines: every Grid Parameters field, slideMap and slideMapRecords, and for\n"
        "each quad in use quad[QX][QY].defined, TL, TR, BL, BR, nx, ny, spotRadius,\n"
        "backgroundRadius, stepX, stepY, selection, and the number of spots with each flag:\n"
        "highlighted, marked, selected, excluded.\n",
        {},
        runGridInfo,
    };
}

}  // namespace orvane::batch
