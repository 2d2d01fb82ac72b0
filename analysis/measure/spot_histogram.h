// The data of the grid data histogram: spot data and background means per layer, the bin count
// from the plot width, the single-precision logarithmic scale and the binning, and the balance
// fields the dialog keeps for the life of the view.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "document/layered_image.h"
#include "grid/spot_grid.h"

namespace orvane {

// 2048 counters a layer; wider windows are limited to them.
inline constexpr int kMaxHistogramBins = 2048;

// Integer spot means of the measured spots (m of them), layer 0 first.
struct SpotMeans {
    int layerCount = 0;
    std::int64_t m = 0;
    std::array<std::unique_ptr<std::int32_t[]>, kMaxLayers> dataMean;
    std::array<std::unique_ptr<std::int32_t[]>, kMaxLayers> backgroundMean;
};

struct HistogramBins {
    int bins = 0;
    // counters[k][b] for layer k, bins entries each.
    std::array<std::vector<std::int32_t>, kMaxLayers> counters;
    // The largest counter over every layer and bin (0 when nothing was binned).
    std::int32_t largest = 0;
};

class SpotHistogram {
public:
    // Replaces the data of the previous run; the balance fields stay.
    void SetData(SpotMeans means) { means_ = std::move(means); }
    const SpotMeans& means() const { return means_; }

    // floor((width - 20) / 5), limited to 0 ... kMaxHistogramBins.
    static int BinCount(int clientWidth);
    // bins / ln 65535, held in single precision as the dialog always has.
    static float Scale(int bins);
    // floor(ln(mean) * scale); a mean of 0 (or below) counts in bin 0, and a mean whose product
    // reaches `bins` through the rounding of the scale (65535) goes to the top bin instead of
    // stopping the histogram. -1 when there are no bins.
    static int BinOf(std::int32_t mean, float scale, int bins);

    // Counts the data means of every layer into `bins` bins.
    HistogramBins Bin(int bins) const;

    // Channel balance fields of the dialog (Offset ch1, Gain ch1, ...).
    std::array<float, kMaxLayers> offset = {0.0f, 0.0f, 0.0f};
    std::array<float, kMaxLayers> gain = {1.0f, 1.0f, 1.0f};

private:
    SpotMeans means_;
};

// The integer data and background means of every spot that is neither Marked nor Excluded, on
// every layer; the radii and pitch of `currentQuad` serve every quad, each quad keeps its own
// spot shape. The caller has checked the grid display (RequireGridDisplay).
SpotMeans MeasureGridSpotMeans(const LayeredImage& image, const SpotGrid& grid,
                               const GridQuad& currentQuad);

}  // namespace orvane
