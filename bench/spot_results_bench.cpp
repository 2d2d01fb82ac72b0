// The Spot Results' recomputation on the largest grid there is: 4 x 16 quads of 12 x 12 spots
// (9216) over the two-layer 5 um demo slide, against the 250 ms a review dock may take.
//   spot_results_bench [--threads N]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/parallel.h"
#include "demo_pipeline.h"
#include "harness.h"
#include "measure/spot_results.h"

#ifdef _OPENMP
#include <omp.h>
#endif

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--threads") {
#ifdef _OPENMP
        omp_set_num_threads(std::atoi(argv[2]));
#endif
    }
    orvane::demo::DemoOptions options;
    options.pixelUm = 5.0;
    orvane::demo::DemoScan scan = orvane::demo::makeDemoScan(options);
    // The last four quad rows reach past the printed blocks, as on a slide printed with fewer.
    scan.grid.parameters.quadsY = 16;
    orvane::DefineGridLayout(scan.grid, scan.image);
    orvane::NullProgress progress;
    std::size_t spots = 0;
    bench::Table table;
    table.absolute("spot results, 9216 spots, 2 layers, 5 um", 250.0, [&] {
        spots =
            orvane::MeasureSpotResults(scan.image, scan.grid, scan.grid.quad(0, 0), progress,
                                       orvane::kMeasuringSpotsText, orvane::RatioDetail::LogRatio)
                .spots.size();
    });
    std::printf("%zu spots measured on %d thread(s), %d x %d pixels\n", spots, orvane::maxThreads(),
                scan.image.width(), scan.image.height());
    return table.print() == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
