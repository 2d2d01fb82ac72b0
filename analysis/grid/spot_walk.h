// Walks over quads and spots. The files the program writes depend on the order of the walk, so
// every walk names its order; the visitors are inlined, so a walk costs what its loops cost.
#pragma once

#include <algorithm>
#include <cstdint>

#include "grid/spot_grid.h"

namespace orvane {

// Which index runs slowest. ByColumn: x outermost (qx then qy, sx then sy), the grid file's
// order. ByRow: y outermost (qy then qx, sy then sx), the order of the result files.
enum class WalkOrder { ByColumn, ByRow };

// visit(x, y) for every cell of a width x height block; nothing when either is below 1.
template <WalkOrder Order, class Visit>
void ForEachCell(std::int32_t width, std::int32_t height, Visit&& visit) {
    if constexpr (Order == WalkOrder::ByColumn) {
        for (std::int32_t x = 0; x < width; ++x)
            for (std::int32_t y = 0; y < height; ++y) visit(x, y);
    } else {
        for (std::int32_t y = 0; y < height; ++y)
            for (std::int32_t x = 0; x < width; ++x) visit(x, y);
    }
}

// visit(qx, qy) for every quad slot in use by `params`: inside Quads X x Quads Y and 4 x 16.
template <WalkOrder Order, class Visit>
void ForEachQuadSlot(const GridParameters& params, Visit&& visit) {
    ForEachCell<Order>(std::clamp(params.quadsX, 0, kMaxQuadsX),
                       std::clamp(params.quadsY, 0, kMaxQuadsY), visit);
}

// visit(qx, qy, quad) for every quad in use; the quad is const when the grid is.
template <WalkOrder Order, class Grid, class Visit>
void ForEachQuad(Grid& grid, Visit&& visit) {
    ForEachQuadSlot<Order>(grid.parameters, [&](std::int32_t qx, std::int32_t qy) {
        visit(qx, qy, grid.quad(qx, qy));
    });
}

// visit(sx, sy) for every spot of `quad` among its first cols x rows cells, that is every
// (sx, sy) there for which quad.ValidSpot holds; nothing for an undefined quad.
template <WalkOrder Order, class Visit>
void ForEachSpotOf(const GridQuad& quad, std::int32_t cols, std::int32_t rows, Visit&& visit) {
    if (quad.defined == 0) return;
    ForEachCell<Order>(std::min(cols, quad.nx), std::min(rows, quad.ny), visit);
}

// visit(qx, qy, quad, sx, sy) for every spot of the Cells X x Cells Y of every quad in use,
// quads and spots both in `Order`.
template <WalkOrder Order, class Grid, class Visit>
void ForEachSpot(Grid& grid, Visit&& visit) {
    const std::int32_t cols = grid.parameters.cellsX, rows = grid.parameters.cellsY;
    ForEachQuad<Order>(grid, [&](std::int32_t qx, std::int32_t qy, auto& quad) {
        ForEachSpotOf<Order>(quad, cols, rows, [&](std::int32_t sx, std::int32_t sy) {
            visit(qx, qy, quad, sx, sy);
        });
    });
}

}  // namespace orvane
