// orvane-batch gpr: loads a grid definition file and the scans, and writes the GenePix Results
// file that limma and other downstream tools read.
#include "batch/genepix_command.h"

#include <filesystem>
#include <system_error>

#include "batch/batch_commands.h"
#include "batch/image_inputs.h"
#include "grid/grid_file.h"
#include "measure/spot_geometry.h"

namespace orvane::batch {

namespace {

std::string absolute(const std::string& path) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return error ? path : full.lexically_normal().string();
}

int runGpr(const ParsedArgs& args, CommandContext& context) {
    const std::vector<std::string> outputs = args.values("--output");
    if (outputs.size() != 1 || outputs[0].empty()) throw UsageError("expected one -o OUT.gpr");
    const std::vector<std::string> grids = args.values("--grid");
    if (grids.size() != 1 || grids[0].empty()) throw UsageError("expected one --grid GRID.grd");
    checkOutputIsNotInput(outputs[0], args.positionals);
    checkOutputIsNotInput(outputs[0], grids);
    SpotGrid grid;
    LoadGrid(grids[0], grid);
    const LayeredImage image = loadInputs(args.positionals, context.progress);
    exportGenePix(outputs[0], grid, image, args.positionals, context.progress);
    context.clearProgress();
    return kExitSuccess;
}

}  // namespace

std::vector<GenePixImageFile> genePixImageFiles(const std::vector<std::string>& inputs) {
    std::vector<GenePixImageFile> files;
    for (const std::string& input : inputs) files.push_back({absolute(input), 0});
    return files;
}

void exportGenePix(const std::string& output, const SpotGrid& grid, const LayeredImage& image,
                   const std::vector<std::string>& inputs, Progress& progress) {
    const GridQuad& currentQuad = grid.quad(0, 0);
    RequireGridDisplay(ToolKind::Grid, currentQuad);
    GenePixExportInfo info;
    info.imageFiles = genePixImageFiles(inputs);
    if (info.imageFiles.size() > 2) info.imageFiles.resize(2);
    WriteGenePixResults(output, image, grid, currentQuad, info, progress);
}

Command gprCommand() {
    return Command{
        "gpr",
        "gpr --grid GRID.grd -o OUT.gpr IMAGE OVERLAY [OVERLAY]",
        "measure a grid's spots and write GenePix Results for limma and other tools",
        "Loads IMAGE and its OVERLAYs as Open and Overlay Image do and the grid as Load Grid\n"
        "does, then writes OUT.gpr as Grid > Export GenePix Results does with quad [0][0] as the\n"
        "current quad: the 56 columns of GenePix Pro 6.1 results, one row per spot of every quad\n"
        "in use, IMAGE as 635 and the first OVERLAY as 532. Marked spots are flagged -100,\n"
        "excluded spots -75. The spot and background areas are those of Extract Grid Data.\n"
        "options:\n"
        "  --grid GRID.grd     the grid definition file (required)\n"
        "  -o, --output OUT    the GenePix Results file to write (required); it replaces an\n"
        "                      existing file only once complete\n",
        {{"--grid", "", true}, {"--output", "-o", true}},
        runGpr,
    };
}

}  // namespace orvane::batch
