// The QC report of one slide: a self-contained HTML page (PNG pictures embedded, SVG plots
// inline) with the scans and the grid, a reduced picture with the quads and marked spots, spot
// maps of the background and the log ratio, the M-A plot, the SNR distributions and a table of
// every quad. Its numbers come from the same per-spot results as the GenePix Results file.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/progress.h"
#include "document/layered_image.h"
#include "grid/spot_grid.h"
#include "measure/png_image.h"
#include "measure/spot_results.h"

namespace orvane {

// A spot counts as found in a layer when at least this share of its pixels lies above the
// background median + 2 SD ("% > B+2SD"), the default of Mark Spots Not Found.
inline constexpr std::int64_t kFoundPercent = 70;

// One row of the quad table; the summary row has qx = qy = -1.
struct QuadQc {
    std::int32_t qx = -1, qy = -1, block = 0;
    std::int64_t spots = 0;             // every spot of the quad
    std::int64_t measured = 0;          // spots with a well (not excluded) in the scans
    std::int64_t outside = 0;           // spots with a well but no pixel in the scans (Not Found)
    std::int64_t marked = 0;            // measured spots marked (bit 1)
    std::int64_t excluded = 0;          // spots without a well
    std::int64_t saturated = 0;         // measured spots with "% Sat." above 0 in any layer
    std::int64_t flaggedSaturated = 0;  // spots FlagSaturatedSpots flagged
    std::array<std::optional<double>, kMaxLayers> medianSnr{};     // over measured spots
    std::array<std::optional<double>, kMaxLayers> foundPercent{};  // share with % > B+2SD >= 70
};

// One row per quad with results (in block order), then the summary row over all of them.
std::vector<QuadQc> SummariseQuads(const SpotResults& results);

// The names shown for the scans (as given on the command line) and the grid file, and how the
// grid was made: (key, value) pairs such as a workflow's steps with their options, shown in the
// order given under "How this was made" after the program's version.
struct QcReportInfo {
    std::vector<std::string> scanNames;
    std::string gridName;
    std::optional<double> flagSaturatedPercent;  // flag saturated spots (FlagSaturatedSpots)
    std::vector<std::pair<std::string, std::string>> settings;
};

// The page for measured results.
std::string QcReportHtml(const LayeredImage& image, const SpotGrid& grid,
                         const GridQuad& currentQuad, const SpotResults& results,
                         const QcReportInfo& info);

// Measures every spot as the GenePix export does and writes the page to `path` (complete or not
// at all). "Unable to open file." or a write error as CoreError, OutOfMemoryError for buffers.
void WriteQcReport(const std::string& path, const LayeredImage& image, const SpotGrid& grid,
                   const GridQuad& currentQuad, const QcReportInfo& info, Progress& progress);

// The pictures of the page, exposed for tests.
// The scan reduced to fit maxWidth x maxHeight (box means, never enlarged), layers as red,
// green, blue (one layer grey), each stretched between its 1st and 99.7th percentile; the quads
// outlined and marked spots crossed.
RgbPicture ReducedScanPicture(const LayeredImage& image, const SpotGrid& grid,
                              const SpotResults& results, std::int32_t maxWidth,
                              std::int32_t maxHeight);

}  // namespace orvane
