// Extract Grid Data: measures every spot of the grid on every layer and writes the Spot
// Integral Intensity file, one line per measured spot and a summary block per quad.
#pragma once

#include <string>

#include "base/progress.h"
#include "document/layered_image.h"
#include "grid/spot_grid.h"

namespace orvane {

// Writes the file to `path`. The radii and pitch of `currentQuad` serve every quad; each quad
// keeps its own spot shape. Excluded spots are skipped. The file appears complete or not at
// all: "Unable to open file." or a write error (CoreError), OutOfMemoryError for the buffers.
// The caller has checked the grid display (RequireGridDisplay).
void ExtractGridData(const std::string& path, const LayeredImage& image, const SpotGrid& grid,
                     const GridQuad& currentQuad, Progress& progress);

}  // namespace orvane
