// The data of the "Selected Data Statistics" dialog: each layer's samples sorted, their sums,
// the scale index i99 and maximum M, the per-layer statistics line and the Save Data file.
#pragma once

#include <cstdint>
#include <string>

#include "measure/selection_samples.h"

namespace orvane {

class SelectionStatistics {
public:
    // Takes the samples, sorts each layer in ascending order and computes the sums, i99 and M.
    void SetData(SelectionSamples samples);

    // Layers present, counted from layer 0.
    int layerCount() const { return samples_.layerCount; }
    std::int64_t n() const { return samples_.n; }
    // Layer k's samples in ascending order.
    const std::int32_t* sorted(int k) const {
        return samples_.layers[static_cast<std::size_t>(k)].get();
    }
    double sum(int k) const { return sums_[static_cast<std::size_t>(k)]; }
    std::int32_t Imin(int k) const;
    std::int32_t Imax(int k) const;
    // n - floor(n / 100) - 1: about the 99th percentile; -1 when there are no samples.
    std::int64_t i99() const { return i99_; }
    // The largest sorted sample at i99 over the layers (the curve scale); 0 without samples.
    std::int32_t M() const { return m_; }

    // "Imin %d, Imax %d, Iint %.3e, Iavg %.3e, I%d/I1 %.3e" for layer k; an average over no
    // samples and a ratio to a zero sum read "NA".
    std::string StatisticsLine(int k) const;

    // The Save Data file: header, one statistics line per layer, then the sorted samples with
    // a row index. Throws CoreError("Unable to open file.") or a write error; never leaves a
    // partial file.
    void SaveData(const std::string& path) const;

private:
    SelectionSamples samples_;
    double sums_[kMaxLayers] = {0.0, 0.0, 0.0};
    std::int64_t i99_ = -1;
    std::int32_t m_ = 0;
};

}  // namespace orvane
