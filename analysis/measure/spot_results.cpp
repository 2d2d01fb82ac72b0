// The per-spot results and their table. Sample lists are allocated once per thread for the
// current quad's geometry (every spot's areas fit the same boxes) before the parallel loop, so
// that nothing inside it can throw.
#include "measure/spot_results.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "base/allocator.h"
#include "base/parallel.h"
#include "grid/spot_walk.h"
#include "measure/result_file.h"
#include "measure/sampling.h"
#include "measure/spot_geometry.h"

namespace orvane {

namespace {

struct SpotBuffers {
    std::unique_ptr<std::int32_t[]> feature[kMaxLayers];
    std::unique_ptr<std::int32_t[]> background[kMaxLayers];
    std::unique_ptr<std::int32_t[]> scratch;
    std::unique_ptr<double[]> ratios;

    SpotBuffers(const SpotGeometry& g, int layers) {
        const SpotAreas areas = SpotAreasAt({0, 0}, g, 0);
        const std::uint64_t featureCount =
            checkedCount(SampleListCapacity(areas.data), 1, sizeof(std::int32_t));
        const std::uint64_t backgroundCount =
            checkedCount(SampleListCapacity(areas.background), 1, sizeof(std::int32_t));
        for (int k = 0; k < layers; ++k) {
            feature[k] = allocateBuffer<std::int32_t>(featureCount);
            background[k] = allocateBuffer<std::int32_t>(backgroundCount);
        }
        scratch = allocateBuffer<std::int32_t>(std::max(featureCount, backgroundCount));
        ratios = allocateBuffer<double>(featureCount);
    }
};

void measureSpot(const LayeredImage& image, int layers, const SpotAreas& areas, RatioDetail detail,
                 SpotBuffers& b, SpotResult& spot) {
    std::int64_t n[kMaxLayers] = {}, nb[kMaxLayers] = {};
    for (int k = 0; k < layers; ++k) {
        n[k] = SampleArea(b.feature[k].get(), image, areas.data, k, areas.kind);
        nb[k] = SampleBackground(b.background[k].get(), image, areas.background, areas.inner, k,
                                 areas.kind);
        spot.channels[static_cast<std::size_t>(k)] = ChannelStatisticsOf(
            b.feature[k].get(), n[k], b.background[k].get(), nb[k], b.scratch.get());
    }
    if (layers < 2) return;
    if (detail == RatioDetail::LogRatio) {
        spot.ratios = MedianRatiosOf(spot.channels[0], spot.channels[1]);
        return;
    }
    const PairSamples pair{b.feature[0].get(),    b.feature[1].get(),    n[0],
                           b.background[0].get(), b.background[1].get(), nb[0]};
    spot.ratios = RatioStatisticsOf(spot.channels[0], spot.channels[1], pair, b.ratios.get());
}

SpotResult placeOf(const GridParameters& p, const GridQuad& quad, std::int32_t qx, std::int32_t qy,
                   std::int32_t sx, std::int32_t sy) {
    SpotResult spot;
    spot.qx = qx;
    spot.qy = qy;
    spot.col = sx;
    spot.row = sy;
    spot.block = qy * p.quadsX + qx + 1;
    spot.centre = *quad.SpotCentre(sx, sy);
    spot.flags = quad.Flags(sx, sy);
    if (const SlideMapRecord* record = p.GetSpotRecord(qx, qy, sx, sy)) {
        spot.id = std::string(record->Uid());
        spot.name = std::string(record->Description());
    }
    return spot;
}

// Tabs and line breaks would end a cell or a line of the table.
std::string cellText(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return out;
}

}  // namespace

SpotResults MeasureSpotResults(const LayeredImage& image, const SpotGrid& grid,
                               const GridQuad& currentQuad, Progress& progress,
                               const std::string& progressText, RatioDetail detail) {
    SpotResults results;
    const int layers = std::clamp(image.layerCount, 0, kMaxLayers);
    results.layerCount = layers;
    results.spotRadius = currentQuad.spotRadius;
    const GridParameters& p = grid.parameters;
    const SpotGeometry geometry = SpotGeometry::Of(currentQuad);
    const int threads = std::max(1, maxThreads());
    // Pixels sampled per spot: below kParallelPixels a quad's spots run on the calling thread,
    // as the filters' small images do (starting threads costs more).
    const SpotAreas extent = SpotAreasAt({0, 0}, geometry, 0);
    const std::int64_t spotPixels =
        (SampleListCapacity(extent.data) + SampleListCapacity(extent.background)) *
        std::max(layers, 1);
    std::vector<SpotBuffers> buffers;
    buffers.reserve(static_cast<std::size_t>(threads));
    for (int t = 0; t < threads; ++t) buffers.emplace_back(geometry, layers);

    ForEachQuad<WalkOrder::ByRow>(
        grid, [&](std::int32_t qx, std::int32_t qy, const GridQuad& quad) {
            const std::size_t first = results.spots.size();
            ForEachSpotOf<WalkOrder::ByRow>(
                quad, p.cellsX, p.cellsY, [&](std::int32_t sx, std::int32_t sy) {
                    results.spots.push_back(placeOf(p, quad, qx, qy, sx, sy));
                });
            const auto count = static_cast<std::int64_t>(results.spots.size() - first);
            SpotResult* spots = results.spots.data() + first;
            const bool parallel = threads > 1 && count * spotPixels >= kParallelPixels;
#pragma omp parallel for schedule(dynamic, 8) if (parallel)
            for (std::int64_t i = 0; i < count; ++i) {
                SpotResult& spot = spots[i];
                const SpotAreas areas = SpotAreasAt(spot.centre, geometry, quad.roundCells);
                measureSpot(image, layers, areas, detail,
                            buffers[static_cast<std::size_t>(threadNumber())], spot);
                if (layers > 0) spot.cover = ScanCoverOf(image, areas);
            }
            progress.message(progressText);
        });
    return results;
}

std::optional<double> SpotSnr(const ChannelStatistics& c) {
    if (c.backgroundSd == 0) return std::nullopt;
    return static_cast<double>(c.featureMean - c.backgroundMean) /
           static_cast<double>(c.backgroundSd);
}

std::string FormatResultDecimal(std::optional<double> value) {
    if (!value || !std::isfinite(*value)) return "Error";
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", *value);
    return text;
}

std::vector<std::string> SpotResultsColumns(int layerCount) {
    std::vector<std::string> columns = {"Block", "Column", "Row", "Flags", "ID", "Name"};
    for (int k = 1; k <= layerCount; ++k) {
        const std::string n = std::to_string(k);
        for (const std::string& c : {"F" + n + " Median", "F" + n + " Mean", "F" + n + " SD",
                                     "B" + n + " Median", "B" + n + " Mean", "B" + n + " SD",
                                     "% > B" + n + "+2SD", "F" + n + " % Sat.", "SNR " + n})
            columns.push_back(c);
    }
    if (layerCount >= 2) columns.push_back("Log Ratio (1/2)");
    return columns;
}

std::string SpotFlagWords(std::uint8_t flags) {
    // The selection is the table's own row selection, never a state of the spot's results.
    static constexpr std::pair<std::uint8_t, const char*> kWords[] = {
        {Marked, "marked"}, {Excluded, "no well"}, {Highlighted, "highlighted"}};
    std::string words;
    for (const auto& [bit, word] : kWords) {
        if ((flags & bit) == 0) continue;
        if (!words.empty()) words += ',';
        words += word;
    }
    return words;
}

std::string SpotStateWords(const SpotResult& spot) {
    std::string words = SpotFlagWords(spot.flags);
    const auto add = [&words](const char* word) {
        if (!words.empty()) words += ',';
        words += word;
    };
    if (spot.outsideScans()) add("not found");
    if (spot.saturated) add("saturated");
    return words;
}

std::vector<std::string> SpotResultsCells(const SpotResult& spot, int layerCount) {
    std::vector<std::string> cells = {std::to_string(spot.block),
                                      std::to_string(spot.col + 1),
                                      std::to_string(spot.row + 1),
                                      SpotStateWords(spot),
                                      cellText(spot.id),
                                      cellText(spot.name)};
    for (int k = 0; k < layerCount && k < kMaxLayers; ++k) {
        const ChannelStatistics& c = spot.channels[static_cast<std::size_t>(k)];
        for (std::int64_t v :
             {c.featureMedian, c.featureMean, c.featureSd, c.backgroundMedian, c.backgroundMean,
              c.backgroundSd, c.percentAbove2Sd, c.percentSaturated})
            cells.push_back(std::to_string(v));
        cells.push_back(FormatResultDecimal(SpotSnr(c)));
    }
    if (layerCount >= 2) cells.push_back(FormatResultDecimal(spot.ratios.logRatio));
    return cells;
}

namespace {

std::string tableLine(const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) line += '\t';
        line += cells[i];
    }
    return line + "\n";
}

}  // namespace

std::string SpotResultsTableText(const SpotResults& results) {
    std::string text = tableLine(SpotResultsColumns(results.layerCount));
    for (const SpotResult& spot : results.spots)
        text += tableLine(SpotResultsCells(spot, results.layerCount));
    return text;
}

void WriteSpotResultsTable(const std::string& path, const SpotResults& results) {
    ResultFile file(path);
    file.write(SpotResultsTableText(results));
    file.Commit();
}

bool IsSpotNotFound(const SpotResult& spot, int layerCount, const NotFoundRule& rule) {
    if (!spot.measured() || spot.outsideScans() || layerCount <= 0) return false;
    int below = 0;
    for (int k = 0; k < layerCount && k < kMaxLayers; ++k)
        below += static_cast<double>(spot.channels[static_cast<std::size_t>(k)].percentAbove2Sd) <
                 rule.minPercent;
    return rule.anyLayer ? below > 0 : below == std::min(layerCount, kMaxLayers);
}

bool IsSpotSaturated(const SpotResult& spot, int layerCount, double percent) {
    if (!spot.measured()) return false;
    for (int k = 0; k < layerCount && k < kMaxLayers; ++k) {
        const ChannelStatistics& c = spot.channels[static_cast<std::size_t>(k)];
        // Both products are exact integers in a double: the edge compares exactly.
        if (100.0 * static_cast<double>(c.saturatedPixels) >
            percent * static_cast<double>(c.featurePixels))
            return true;
    }
    return false;
}

std::int32_t FlagSaturatedSpots(SpotResults& results, double percent) {
    std::int32_t flagged = 0;
    for (SpotResult& spot : results.spots) {
        spot.saturated = IsSpotSaturated(spot, results.layerCount, percent);
        flagged += spot.saturated;
    }
    results.saturatedPercent = percent;
    return flagged;
}

MarkNotFoundResult MarkSpotsNotFound(SpotGrid& grid, const SpotResults& results,
                                     const NotFoundRule& rule) {
    MarkNotFoundResult result;
    for (const SpotResult& spot : results.spots) {
        if (!spot.measured() || spot.outsideScans()) continue;
        ++result.measured;
        if (!IsSpotNotFound(spot, results.layerCount, rule)) continue;
        GridQuad& quad = grid.quad(spot.qx, spot.qy);
        if (!quad.ValidSpot(spot.col, spot.row)) continue;
        std::uint8_t& flags = quad.Flags(spot.col, spot.row);
        flags = static_cast<std::uint8_t>(flags | Marked);
        ++result.notFound;
    }
    return result;
}

void RefreshSpotFlags(SpotResults& results, const SpotGrid& grid) {
    for (SpotResult& spot : results.spots) {
        const GridQuad& quad = grid.quad(spot.qx, spot.qy);
        if (quad.ValidSpot(spot.col, spot.row)) spot.flags = quad.Flags(spot.col, spot.row);
    }
}

std::int32_t HighlightSpots(SpotGrid& grid, const std::vector<SpotIndex>& spots) {
    ForEachQuad<WalkOrder::ByColumn>(grid, [](std::int32_t, std::int32_t, GridQuad& quad) {
        if (quad.defined != 0) quad.ClearFlags(Highlighted);
    });
    std::int32_t count = 0;
    for (const SpotIndex& s : spots) {
        if (!grid.InUse(s.qx, s.qy)) continue;
        GridQuad& quad = grid.quad(s.qx, s.qy);
        if (!quad.ValidSpot(s.col, s.row)) continue;
        std::uint8_t& flags = quad.Flags(s.col, s.row);
        count += (flags & Highlighted) == 0;
        flags = static_cast<std::uint8_t>(flags | Highlighted);
    }
    return count;
}

OutsideScansCount CountSpotsOutsideScans(const LayeredImage& image, const SpotGrid& grid,
                                         const GridQuad& currentQuad) {
    OutsideScansCount count;
    if (image.layerCount < 1) return count;
    const SpotGeometry geometry = SpotGeometry::Of(currentQuad);
    ForEachSpot<WalkOrder::ByRow>(grid, [&](std::int32_t, std::int32_t, const GridQuad& quad,
                                            std::int32_t sx, std::int32_t sy) {
        if ((quad.Flags(sx, sy) & Excluded) != 0) return;
        const SpotAreas areas = SpotAreasAt(*quad.SpotCentre(sx, sy), geometry, quad.roundCells);
        const ScanCover cover = ScanCoverOf(image, areas);
        count.partly += cover == ScanCover::Partly;
        count.wholly += cover == ScanCover::Outside;
    });
    return count;
}

std::string OutsideScansWarning(const OutsideScansCount& count) {
    if (count.partly + count.wholly == 0) return "";
    return std::to_string(count.partly + count.wholly) +
           " spots lie wholly or partly outside the scans (" + std::to_string(count.wholly) +
           " wholly: flagged Not Found)";
}

std::string MarkNotFoundMessage(const MarkNotFoundResult& result) {
    char text[64];
    std::snprintf(text, sizeof text, "Marked %d of %d spots.", static_cast<int>(result.notFound),
                  static_cast<int>(result.measured));
    return text;
}

}  // namespace orvane
