// Per-spot results: every spot of every quad in use measured on every loaded layer, with the
// statistics the GenePix Results file reports. One computation serves that file, the Spot Results
// table (GUI and orvane-batch results) and the marking of spots not found.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/progress.h"
#include "document/layered_image.h"
#include "grid/spot_grid.h"
#include "measure/spot_geometry.h"
#include "measure/spot_statistics.h"

namespace orvane {

// One spot of the grid: quad (qx, qy), spot (col, row), all 0-based.
struct SpotIndex {
    std::int32_t qx = 0, qy = 0, col = 0, row = 0;
    friend bool operator==(const SpotIndex&, const SpotIndex&) = default;
};

struct SpotResult {
    std::int32_t qx = 0, qy = 0;    // the quad (0-based)
    std::int32_t col = 0, row = 0;  // the spot in its quad (0-based)
    std::int32_t block = 0;         // GenePix block number: qy x quadsX + qx + 1
    GridPoint centre;               // the measured centre, offsets included
    std::uint8_t flags = 0;         // the SpotFlags byte when measured
    std::string id, name;           // the slide map's UID and description; empty without a map
    std::array<ChannelStatistics, kMaxLayers> channels{};  // the first layerCount are set
    RatioStatistics ratios;  // layer 0 over layer 1; all empty with one layer
    ScanCover cover = ScanCover::Inside;
    bool saturated = false;  // flagged by FlagSaturatedSpots

    SpotIndex index() const { return {qx, qy, col, row}; }
    // Excluded spots (no well) are listed with their flags but take no part in marking.
    bool measured() const { return (flags & Excluded) == 0; }
    // A spot with a well but no pixel in the scans: Not Found, whatever its zeros say.
    bool outsideScans() const { return measured() && cover == ScanCover::Outside; }
};

struct SpotResults {
    int layerCount = 0;
    std::int32_t spotRadius = 0;  // of the current quad: the diameter written to results
    // Quads row by row (qy outer), spots row by row within a quad: the GenePix file's order.
    std::vector<SpotResult> spots;
    std::optional<double> saturatedPercent;  // the threshold FlagSaturatedSpots applied
};

// What is computed of the layer 1/2 pair: every ratio column of the GenePix file, or only the
// ratios of medians and means and the log ratio (all the table, the plot and marking read; the
// pixel-pair statistics cost about a third of the time).
enum class RatioDetail { All, LogRatio };

inline constexpr const char* kMeasuringSpotsText = "Measuring spots ...";

// Measures every spot of every defined quad in use on every layer, with the areas of Extract
// Grid Data: the radii and pitch of `currentQuad`, each quad's own shape. `progressText` goes to
// `progress` after each quad. OutOfMemoryError for the buffers. Runs over the spots of a quad in
// parallel where the build has OpenMP; the results do not depend on the thread count.
SpotResults MeasureSpotResults(const LayeredImage& image, const SpotGrid& grid,
                               const GridQuad& currentQuad, Progress& progress,
                               const std::string& progressText = kMeasuringSpotsText,
                               RatioDetail detail = RatioDetail::All);

// (mean - background mean) / background SD as GenePix computes its SNR; none for an SD of 0.
std::optional<double> SpotSnr(const ChannelStatistics& c);

// "%.3f", or "Error" where the value is undefined (none or not finite), as GenePix writes it.
std::string FormatResultDecimal(std::optional<double> value);

// A spot's states as the table's Flags cell writes them: "marked", "no well" and "highlighted"
// in that order, comma-separated; empty for none. The selection is never a flag.
std::string SpotFlagWords(std::uint8_t flags);
// The Flags cell of a spot: its flag words, then "not found" for a spot with a well that has no
// pixel inside the scans (flagged -50 in the GenePix file), then "saturated" for a spot
// FlagSaturatedSpots flagged (-100 in the GenePix file).
std::string SpotStateWords(const SpotResult& spot);

// The Spot Results table: tab-separated, one header line, then one line per spot in the order of
// `results`, every line ending in "\n". Values are written as the GenePix Results file writes the
// same quantity; IDs and names have tabs and line breaks replaced by blanks.
std::vector<std::string> SpotResultsColumns(int layerCount);
// The cells of one spot's line, in the order of SpotResultsColumns.
std::vector<std::string> SpotResultsCells(const SpotResult& spot, int layerCount);
std::string SpotResultsTableText(const SpotResults& results);
// Writes the table to `path` through a ResultFile: the file appears complete or not at all.
void WriteSpotResultsTable(const std::string& path, const SpotResults& results);

// Spots with a well whose data area lies partly or wholly outside the scans.
struct OutsideScansCount {
    std::int64_t partly = 0;
    std::int64_t wholly = 0;
};
OutsideScansCount CountSpotsOutsideScans(const LayeredImage& image, const SpotGrid& grid,
                                         const GridQuad& currentQuad);
// "N spots lie wholly or partly outside the scans (W wholly: flagged Not Found)"; empty for none.
std::string OutsideScansWarning(const OutsideScansCount& count);

// Mark Spots Not Found: a measured spot is not found when its "% > B+2SD" is below
// `minPercent` (equal is not below) in every loaded layer, or with `anyLayer` in any of them.
// Spots outside the scans are left alone: nothing was measured to judge them by.
inline constexpr double kDefaultNotFoundPercent = 70.0;
struct NotFoundRule {
    double minPercent = kDefaultNotFoundPercent;
    bool anyLayer = false;
};
bool IsSpotNotFound(const SpotResult& spot, int layerCount, const NotFoundRule& rule);

struct MarkNotFoundResult {
    std::int32_t notFound = 0;  // spots the rule finds, whether they were marked before or not
    std::int32_t measured = 0;  // spots with a well that lie in the scans
};
// Sets bit 1 (Marked) of every spot the rule finds in `results` (measured on this grid); other
// marks and flags stay as they are. The count does not depend on earlier marks, so the program
// and orvane-batch report the same numbers for the same grid.
MarkNotFoundResult MarkSpotsNotFound(SpotGrid& grid, const SpotResults& results,
                                     const NotFoundRule& rule);
// "Marked %d of %d spots."
std::string MarkNotFoundMessage(const MarkNotFoundResult& result);
// Re-reads every listed spot's flag byte from `grid` (after a click, a mark or a highlight: the
// statistics do not depend on the flags).
void RefreshSpotFlags(SpotResults& results, const SpotGrid& grid);

// Replaces the highlights (bit 0, as Find sets them) of every quad in use by the listed spots;
// returns how many of them it highlighted (spots outside the grid are skipped).
std::int32_t HighlightSpots(SpotGrid& grid, const std::vector<SpotIndex>& spots);

// Saturated spots kept out of the statistics: a measured spot is saturated when more than
// `percent` % of its feature pixels are saturated (65534 or 65535) in any loaded layer (equal is
// not above). It goes to the GenePix file flagged -100 and to the table as "saturated".
inline constexpr double kDefaultSaturatedPercent = 10.0;
bool IsSpotSaturated(const SpotResult& spot, int layerCount, double percent);
// Flags every saturated spot of `results` and records the threshold; returns how many it flagged.
std::int32_t FlagSaturatedSpots(SpotResults& results, double percent);

// The threshold's range, as the dialog and orvane-batch check it.
inline constexpr double kMinNotFoundPercent = 0.0;
inline constexpr double kMaxNotFoundPercent = 100.0;

}  // namespace orvane
