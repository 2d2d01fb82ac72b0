// Logarithmic binning of spot means: bin b holds the means in [e^(b/s), e^((b+1)/s)).
#include "spot_histogram.h"

#include <algorithm>
#include <cmath>

#include "base/allocator.h"
#include "grid/spot_walk.h"
#include "measure/spot_geometry.h"

namespace orvane {

int SpotHistogram::BinCount(int clientWidth) {
    const int bins = (clientWidth - 20) / 5;
    return std::clamp(bins, 0, kMaxHistogramBins);
}

float SpotHistogram::Scale(int bins) { return static_cast<float>(bins / std::log(65535.0)); }

int SpotHistogram::BinOf(std::int32_t mean, float scale, int bins) {
    if (bins <= 0) return -1;
    if (mean <= 0) return 0;
    const double position = std::log(static_cast<double>(mean)) * static_cast<double>(scale);
    const int b = static_cast<int>(position);
    return std::clamp(b, 0, bins - 1);
}

HistogramBins SpotHistogram::Bin(int bins) const {
    HistogramBins result;
    result.bins = std::clamp(bins, 0, kMaxHistogramBins);
    if (result.bins == 0) return result;
    const float scale = Scale(result.bins);
    for (int k = 0; k < means_.layerCount; ++k) {
        std::vector<std::int32_t>& counters = result.counters[static_cast<std::size_t>(k)];
        counters.assign(static_cast<std::size_t>(result.bins), 0);
        const std::int32_t* means = means_.dataMean[static_cast<std::size_t>(k)].get();
        for (std::int64_t i = 0; i < means_.m; ++i) {
            const int b = BinOf(means[i], scale, result.bins);
            result.largest = std::max(result.largest, ++counters[static_cast<std::size_t>(b)]);
        }
    }
    return result;
}

SpotMeans MeasureGridSpotMeans(const LayeredImage& image, const SpotGrid& grid,
                               const GridQuad& currentQuad) {
    const GridParameters& p = grid.parameters;
    const std::int32_t qxs = std::clamp(p.quadsX, 0, kMaxQuadsX);
    const std::int32_t qys = std::clamp(p.quadsY, 0, kMaxQuadsY);
    const std::uint64_t capacity =
        checkedCount(checkedCount(p.cellsX, p.cellsY, 1), static_cast<std::int64_t>(qxs) * qys,
                     sizeof(std::int32_t));
    SpotMeans means;
    means.layerCount = std::clamp(image.layerCount, 0, kMaxLayers);
    for (int k = 0; k < means.layerCount; ++k) {
        means.dataMean[static_cast<std::size_t>(k)] = allocateBuffer<std::int32_t>(capacity);
        means.backgroundMean[static_cast<std::size_t>(k)] = allocateBuffer<std::int32_t>(capacity);
    }
    const SpotGeometry geometry = SpotGeometry::Of(currentQuad);
    ForEachSpot<WalkOrder::ByRow>(grid, [&](std::int32_t, std::int32_t, const GridQuad& quad,
                                            std::int32_t sx, std::int32_t sy) {
        if ((quad.Flags(sx, sy) & (Marked | Excluded)) != 0) return;
        const SpotAreas areas = SpotAreasAt(*quad.SpotCentre(sx, sy), geometry, quad.roundCells);
        for (int k = 0; k < means.layerCount; ++k)
            SpotAreaMeans(image, areas, k, means.dataMean[static_cast<std::size_t>(k)][means.m],
                          means.backgroundMean[static_cast<std::size_t>(k)][means.m]);
        ++means.m;
    });
    return means;
}

}  // namespace orvane
