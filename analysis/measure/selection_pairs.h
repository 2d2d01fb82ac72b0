// The data of the "Selected Data Pairs" dialog: layer 0 against layer 1 for every pixel of the
// selection, their maxima, and the pairs file of Save Data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "measure/selection_samples.h"

namespace orvane {

// The pairs command's checks and sampling: "Two layers are required for this graph" comes
// first, then the messages of SampleSelection.
SelectionSamples SamplePairsSelection(const LayeredImage& image, const SelectionShape& shape,
                                      const std::optional<SelectedSpot>& gridSpot = {});

class SelectionPairs {
public:
    // Takes samples with at least two layers (unsorted) and computes Xmax and Ymax.
    void SetData(SelectionSamples samples);

    std::int64_t n() const { return samples_.n; }
    int layerCount() const { return samples_.layerCount; }
    const std::int32_t* x() const { return samples_.layers[0].get(); }
    const std::int32_t* y() const { return samples_.layers[1].get(); }
    std::int32_t Xmax() const { return xmax_; }
    std::int32_t Ymax() const { return ymax_; }

    // One pixel a row in sampling order: index, layer 0, layer 1 and layer 2 when present,
    // after a header like that of the statistics file. Never leaves a partial file.
    void SaveData(const std::string& path) const;

private:
    SelectionSamples samples_;
    std::int32_t xmax_ = 0;
    std::int32_t ymax_ = 0;
};

}  // namespace orvane
