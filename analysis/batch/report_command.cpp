// orvane-batch report: the QC report page of one slide from its grid file and scans.
#include <string>
#include <vector>

#include "batch/batch_commands.h"
#include "batch/image_inputs.h"
#include "batch/measure_options.h"
#include "measure/qc_report.h"

namespace orvane::batch {

namespace {

int runReport(const ParsedArgs& args, CommandContext& context) {
    const std::string output = singleOutput(args, "REPORT.html");
    const QuadIndex current = currentQuadFrom(args);
    QcReportInfo info;
    // "How this was made", in the order given.
    info.settings = keyValueOptions(args, "--setting", "KEY=VALUE");
    // What extract refuses, the report refuses the same way and before writing anything.
    checkOutputIsNotInput(output, args.positionals);
    info.flagSaturatedPercent = percentOption(args, "--flag-saturated");
    const GridInputs inputs = loadGridInputs(args, context.progress);
    const GridQuad& quad = currentQuadOf(inputs.grid, current);
    info.scanNames.assign(args.positionals.begin() + 1, args.positionals.end());
    info.gridName = args.positionals[0];
    aboutFile(output, [&] {
        WriteQcReport(output, inputs.image, inputs.grid, quad, info, context.progress);
    });
    context.clearProgress();
    warnSpotsOutsideScans(inputs, quad, context.err);
    return kExitSuccess;
}

}  // namespace

Command reportCommand() {
    return Command{
        "report",
        "report [--current-quad QX,QY] [--flag-saturated PCT] [--setting KEY=VALUE]... -o "
        "REPORT.html GRID.grd IMAGE [OVERLAY...]",
        "write a QC report of the slide as one self-contained HTML page",
        "Measures every spot as extract --gpr does (the same statistics) and writes one HTML\n"
        "file that needs nothing else to open: the scans and the grid's geometry, a reduced\n"
        "picture of the scan with the quads and marked spots, per-quad spot maps of the\n"
        "background and (two or more layers) the log ratio, the M-A plot, the SNR distribution\n"
        "of each layer, and a table of every quad with a summary row.\n"
        "  --current-quad QX,QY  the view's current quad (0-based, default 0,0), whose radii and\n"
        "                        pitch serve every quad\n"
        "  --setting KEY=VALUE   a row of the table \"How this was made\" after the program's\n"
        "                        version (repeatable, in the order given): how the grid was\n"
        "                        made, for example a step and its options\n" +
            std::string(kFlagSaturatedHelp),
        {{"--current-quad", "", true},
         {"--setting", "", true},
         {"--output", "-o", true},
         kFlagSaturatedOption},
        runReport,
    };
}

}  // namespace orvane::batch
