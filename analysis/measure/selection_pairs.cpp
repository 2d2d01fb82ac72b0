// Selection pairs: maxima and the selection pairs file.
#include "selection_pairs.h"

#include <algorithm>
#include <cinttypes>

#include "base/core_error.h"
#include "measure/result_file.h"

namespace orvane {

SelectionSamples SamplePairsSelection(const LayeredImage& image, const SelectionShape& shape,
                                      const std::optional<SelectedSpot>& gridSpot) {
    if (image.layerCount < 2) throw CoreError("Two layers are required for this graph");
    return SampleSelection(image, shape, gridSpot);
}

void SelectionPairs::SetData(SelectionSamples samples) {
    samples_ = std::move(samples);
    xmax_ = 0;
    ymax_ = 0;
    if (samples_.layerCount < 2) {
        samples_.n = 0;  // nothing to pair
        return;
    }
    for (std::int64_t i = 0; i < samples_.n; ++i) {
        xmax_ = std::max(xmax_, x()[i]);
        ymax_ = std::max(ymax_, y()[i]);
    }
}

void SelectionPairs::SaveData(const std::string& path) const {
    ResultFile file(path);
    const int layers = std::min(layerCount(), kMaxLayers);
    file.printf("Selection Pairs Data File.\n");
    file.printf("Number of Layers %d.\n", layers);
    file.printf("Number of Data Samples %" PRId64 ".\n", n());
    file.printf("Layer 1 Imax %d, Layer 2 Imax %d\n", Xmax(), Ymax());
    file.printf("Selection Data Pairs (sampling order, one pixel a row):\n");
    for (std::int64_t j = 0; j < n(); ++j) {
        file.printf("%" PRId64, j);
        for (int k = 0; k < layers; ++k)
            file.printf(", %d", samples_.layers[static_cast<std::size_t>(k)][j]);
        file.printf("\n");
    }
    file.Commit();
}

}  // namespace orvane
