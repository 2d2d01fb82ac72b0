// Sampling of the current selection for the statistics, pairs and raw-data commands.
#include "selection_samples.h"

#include <cinttypes>

#include "base/allocator.h"
#include "base/core_error.h"
#include "measure/result_file.h"

namespace orvane {

namespace {

SelectionArea checkedArea(const SelectionShape& shape,
                          const std::optional<SelectedSpot>& gridSpot) {
    const std::optional<SelectionArea> area = GetSelectionArea(shape, gridSpot);
    if (!area) throw CoreError("Please select an object first");
    if (area->box.width() <= 0 || area->box.height() <= 0)
        throw CoreError("Please select non-zero area first");
    return *area;
}

}  // namespace

SelectionSamples SampleSelection(const LayeredImage& image, const SelectionShape& shape,
                                 const std::optional<SelectedSpot>& gridSpot) {
    SelectionSamples samples;
    samples.area = checkedArea(shape, gridSpot);
    const std::int64_t capacity = SampleListCapacity(samples.area.box);
    for (int k = 0; k < image.layerCount && k < kMaxLayers; ++k) {
        auto& list = samples.layers[static_cast<std::size_t>(k)];
        list = allocateBuffer<std::int32_t>(checkedCount(capacity, 1, sizeof(std::int32_t)));
        samples.n = SampleArea(list.get(), image, samples.area.box, k, samples.area.kind);
        samples.layerCount = k + 1;
    }
    return samples;
}

void SaveSelectionRawData(const std::string& path, const LayeredImage& image,
                          const SelectionShape& shape,
                          const std::optional<SelectedSpot>& gridSpot) {
    const SelectionSamples samples = SampleSelection(image, shape, gridSpot);
    const std::int64_t capacity = SampleListCapacity(samples.area.box);
    auto positions =
        allocateBuffer<PixelPosition>(checkedCount(capacity, 1, sizeof(PixelPosition)));
    const std::int64_t n =
        SamplePositions(positions.get(), image, samples.area.box, samples.area.kind);

    ResultFile file(path);
    file.printf("Selection Raw Data File.\n");
    file.printf("Number of Layers %d.\n", samples.layerCount);
    file.printf("Number of Data Samples %" PRId64 ".\n", samples.n);
    file.printf("Selection Data Samples (sampling order: index, x, y, layer values):\n");
    for (std::int64_t j = 0; j < n && j < samples.n; ++j) {
        file.printf("%" PRId64 ", %d, %d", j, positions[j].x, positions[j].y);
        for (int k = 0; k < samples.layerCount; ++k)
            file.printf(", %d", samples.layers[static_cast<std::size_t>(k)][j]);
        file.printf("\n");
    }
    file.Commit();
}

}  // namespace orvane
