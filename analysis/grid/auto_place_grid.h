// Auto Place Grid: moves every quad of a freshly laid-out grid onto its printed block, first by
// the slide's common placement error, then by each pin's own offset. Only corners move.
#pragma once

#include <cstdint>
#include <string>

#include "document/layered_image.h"
#include "grid/spot_grid.h"

namespace orvane {

// How far the searches reach: the slide's placement in millimetres each way, and each quad's
// own offset around it in spot pitches each way.
inline constexpr double kAutoPlaceCommonRangeMm = 2.0;
inline constexpr double kAutoPlaceQuadRangePitch = 0.5;

struct AutoPlaceResult {
    std::int32_t placed = 0;  // quads moved onto their own best match
    std::int32_t quads = 0;   // defined quads in use
    GridPoint commonOffset;   // pixels every quad was moved by before its own search
};

// Starts from the layout the grid parameters give, as Define Grid lays it out (offsets cleared),
// whatever was done to the grid before; each quad keeps its flags (marks, highlights,
// exclusions, the selection) when its size is unchanged. For each defined quad in use, the
// nominal spot pattern (excluded spots left out) is matched against the intensity summed over the
// loaded layers. The best common shift of the whole grid is searched within
// +-kAutoPlaceCommonRangeMm, then each quad's shift within at least +-kAutoPlaceQuadRangePitch
// pitches of it. A quad whose best match does not stand clearly above the rest of its search
// area (an empty block, a block of excluded spots), or not clearly above the shifts one spot
// pitch away (it may sit a column or row off), keeps the common shift and is not counted as
// placed. When no quad is placed at all the grid does not change. The pitch and spot radius come
// from the first defined quad in use of the fresh layout.
AutoPlaceResult AutoPlaceGrid(SpotGrid& grid, const LayeredImage& image);

// "Placed %d of %d quads."
std::string AutoPlaceMessage(const AutoPlaceResult& result);

}  // namespace orvane
