// The samples of every layer inside the current selection, and the checks that the statistics,
// pairs and raw-data commands make before sampling.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "document/layered_image.h"
#include "grid/selection_shape.h"
#include "measure/sampling.h"

namespace orvane {

// List-mode samples of each loaded layer (layer 0 first), all of the same length n, in
// sampling order: entry i of every layer is the same pixel.
struct SelectionSamples {
    std::array<std::unique_ptr<std::int32_t[]>, kMaxLayers> layers;
    int layerCount = 0;
    std::int64_t n = 0;
    SelectionArea area;
};

// Checks the selection and samples every layer of the image inside it. Throws CoreError
// "Please select an object first" for the Point tool or a grid without a selected spot, and
// "Please select non-zero area first" for an empty box.
SelectionSamples SampleSelection(const LayeredImage& image, const SelectionShape& shape,
                                 const std::optional<SelectedSpot>& gridSpot = {});

// Save Raw Data: every sampled pixel of the selection in sampling order, with its coordinates
// and one column per layer. Same checks and messages as SampleSelection; write errors throw.
void SaveSelectionRawData(const std::string& path, const LayeredImage& image,
                          const SelectionShape& shape,
                          const std::optional<SelectedSpot>& gridSpot = {});

}  // namespace orvane
