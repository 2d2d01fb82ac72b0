// Times orvane-batch report (loading the scans, measuring every spot, the pictures, plots and
// the page) in process on the 5 um demo slide with its map's grid forced to 4 x 16 quads of
// 12 x 12 spots (9216 spots), two layers, against a fixed 2 s.
//
// Usage: report_bench DEMO_DIR   (a folder written by `orvane-demo-slide --pixel-um 5`)
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "batch/batch_commands.h"
#include "harness.h"

namespace {

int batch(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    orvane::NullProgress progress;
    orvane::batch::CommandContext context{out, err, progress};
    const int status = orvane::batch::runBatch(args, context);
    if (status != 0)
        std::fprintf(stderr, "orvane-batch %s: %s", args[0].c_str(), err.str().c_str());
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: report_bench DEMO_DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    const std::string red = dir + "/demo_635.tif", green = dir + "/demo_532.tif";
    const std::string grid = dir + "/report_bench.grd", out = dir + "/report_bench.html";
    if (batch({"define-grid", "--map", dir + "/slide_map_data.txt", "--set", "quadsY=16", "--set",
               "spotDiameter=0.14", "-o", grid, red, green}) != 0)
        return 1;
    bench::Table table;
    int status = 0;
    table.absolute(
        "orvane-batch report, 9216 spots, 2 layers 5 um", 2000.0,
        [&] {
            status |= batch({"report", "-o", out, grid, red, green});
        },
        3);
    return table.print() + status;
}
