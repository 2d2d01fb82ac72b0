// The Spot Integral Intensity file. Integral intensities are plain sums of 16-bit samples; the
// per-quad averages are kept in single precision, as downstream comparisons expect.
#include "extract_grid_data.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <vector>

#include "base/allocator.h"
#include "grid/spot_walk.h"
#include "measure/result_file.h"
#include "measure/sampling.h"
#include "measure/spot_geometry.h"

namespace orvane {

namespace {

constexpr std::int32_t kSaturated = 65534;  // 0xFFFE and 0xFFFF both count as saturated

// Sums over the spots of one quad, per layer.
struct QuadSummary {
    float dataMeans[kMaxLayers] = {0.0f, 0.0f, 0.0f};
    float backgroundMeans[kMaxLayers] = {0.0f, 0.0f, 0.0f};
    std::int32_t spots = 0;
};

struct SpotText {
    std::string uid = "NA";
    std::string description = "NA";
};

SpotText annotationOf(const GridParameters& p, std::int32_t qx, std::int32_t qy, std::int32_t sx,
                      std::int32_t sy) {
    SpotText text;
    if (const SlideMapRecord* record = p.GetSpotRecord(qx, qy, sx, sy)) {
        text.uid = std::string(record->Uid());
        text.description = std::string(record->Description());
    }
    return text;
}

void writeHeader(ResultFile& file, const GridParameters& p, const GridQuad& current) {
    file.printf("Spot Integral Intensity File\n");
    file.printf("Grid: %d by %d, spot diameter %.3f, spot style ", p.cellsX, p.cellsY,
                p.spotDiameter);
    file.printf(current.roundCells == 1 ? "round\n" : "square\n");
    file.printf(
        "XQN, YQN, XSN, YSN, Attr, UID, Descr, Data Area, Bkg Area, (N of Saturated Pixels, "
        "Spot Integral Intensity, Spot Background Integral Intensity) x M\n");
}

// Measures one spot on every layer, writes its fields after the annotation and adds its means
// to the quad's summary.
void measureSpot(ResultFile& file, const LayeredImage& image, const SpotAreas& areas,
                 std::int32_t* list, QuadSummary& summary) {
    for (int k = 0; k < image.layerCount && k < kMaxLayers; ++k) {
        const std::int64_t n = SampleArea(list, image, areas.data, k, areas.kind);
        std::int64_t b = 0;
        const std::int64_t nb =
            SampleBackground(b, image, areas.background, areas.inner, k, areas.kind);
        summary.backgroundMeans[k] +=
            nb != 0 ? static_cast<double>(b) / static_cast<double>(nb) : 0.0;
        double s = 0.0;
        std::int64_t saturated = 0;
        for (std::int64_t i = 0; i < n; ++i) {
            s += list[i];
            saturated += list[i] >= kSaturated;
        }
        summary.dataMeans[k] += n != 0 ? s / static_cast<double>(n) : 0.0;
        if (k == 0) file.printf("%" PRId64 ", %" PRId64, n, nb);
        file.printf(", %" PRId64 ", %.3e, %.3e", saturated, s, static_cast<double>(b));
    }
}

// A single-precision quotient ("%.3e", or "%.3f" for the SNR), as the accumulators are single
// precision; "NA" for a quad without measured spots or without background.
std::string floatQuotient(float numerator, float denominator, bool fixed = false) {
    if (denominator == 0.0f) return "NA";
    char text[64];
    std::snprintf(text, sizeof text, fixed ? "%.3f" : "%.3e",
                  static_cast<double>(numerator / denominator));
    return text;
}

// The summary of quad (qx, qy) in the quads' row-major list.
std::size_t quadIndex(const GridParameters& p, std::int32_t qx, std::int32_t qy) {
    return static_cast<std::size_t>(qy) * static_cast<std::size_t>(p.quadsX) +
           static_cast<std::size_t>(qx);
}

void writeSummaries(ResultFile& file, const GridParameters& p,
                    const std::vector<QuadSummary>& quads, int layers) {
    // Every summary of the list, in use or not.
    ForEachCell<WalkOrder::ByRow>(p.quadsX, p.quadsY, [&](std::int32_t qx, std::int32_t qy) {
        const QuadSummary& q = quads[quadIndex(p, qx, qy)];
        const float m = static_cast<float>(q.spots);
        file.printf("\nQuad X %d, Y %d, spots %d", qx, qy, q.spots);
        for (int k = 0; k < layers; ++k)
            file.printf("\nlayer %d, avg intensity %s, avg bkg %s, avg SNR %s", k,
                        floatQuotient(q.dataMeans[k], m).c_str(),
                        floatQuotient(q.backgroundMeans[k], m).c_str(),
                        floatQuotient(q.dataMeans[k], q.backgroundMeans[k], true).c_str());
        file.printf("\n");
    });
}

}  // namespace

void ExtractGridData(const std::string& path, const LayeredImage& image, const SpotGrid& grid,
                     const GridQuad& currentQuad, Progress& progress) {
    const GridParameters& p = grid.parameters;
    const SpotGeometry geometry = SpotGeometry::Of(currentQuad);
    const std::int64_t side = static_cast<std::int64_t>(geometry.spotRadius) + 1;
    auto list = allocateBuffer<std::int32_t>(
        checkedCount(4 * side, side > 0 ? side : 0, sizeof(std::int32_t)));
    std::vector<QuadSummary> quads(static_cast<std::size_t>(std::max(p.quadsX, 0)) *
                                   static_cast<std::size_t>(std::max(p.quadsY, 0)));

    ResultFile file(path);
    writeHeader(file, p, currentQuad);
    ForEachQuad<WalkOrder::ByRow>(
        grid, [&](std::int32_t qx, std::int32_t qy, const GridQuad& quad) {
            QuadSummary& summary = quads[quadIndex(p, qx, qy)];
            ForEachSpotOf<WalkOrder::ByRow>(
                quad, p.cellsX, p.cellsY, [&](std::int32_t sx, std::int32_t sy) {
                    if ((quad.Flags(sx, sy) & Excluded) != 0) return;
                    ++summary.spots;
                    const SpotAreas areas =
                        SpotAreasAt(*quad.SpotCentre(sx, sy), geometry, quad.roundCells);
                    const SpotText text = annotationOf(p, qx, qy, sx, sy);
                    file.printf("%d, %d, %d, %d, %u, %s, %s, ", qx + 1, qy + 1, sx + 1, sy + 1,
                                static_cast<unsigned>(quad.Flags(sx, sy)), text.uid.c_str(),
                                text.description.c_str());
                    measureSpot(file, image, areas, list.get(), summary);
                    file.printf("\n");
                });
            progress.message("Extracting grid data ...");
        });
    writeSummaries(file, p, quads, std::min(image.layerCount, kMaxLayers));
    file.Commit();
}

}  // namespace orvane
