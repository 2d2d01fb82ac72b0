// Tests of the quad and spot walks: the files depend on their orders and bounds.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "grid/spot_walk.h"

namespace orvane {
namespace {

// 2 x 2 quads of 2 x 2 cells; quad [1][0] holds only 1 x 2 spots, quad [0][1] is undefined.
SpotGrid unevenGrid() {
    SpotGrid grid;
    grid.parameters.quadsX = 2;
    grid.parameters.quadsY = 2;
    grid.parameters.cellsX = 2;
    grid.parameters.cellsY = 2;
    grid.quad(0, 0).InitQuad(0, 0, 10, 10, 2, 2, 1, 2, 0);
    grid.quad(1, 0).InitQuad(0, 0, 10, 10, 1, 2, 1, 2, 0);
    grid.quad(1, 1).InitQuad(0, 0, 10, 10, 3, 3, 1, 2, 0);
    return grid;
}

template <WalkOrder Order>
std::string visited(const SpotGrid& grid) {
    std::string text;
    ForEachSpot<Order>(grid, [&](int qx, int qy, const GridQuad&, int sx, int sy) {
        text +=
            std::to_string(qx) + std::to_string(qy) + std::to_string(sx) + std::to_string(sy) + " ";
    });
    return text;
}

TEST(SpotWalk, OrdersSkipUndefinedQuadsAndStayInsideCellsAndQuad) {
    const SpotGrid grid = unevenGrid();
    // Quad [1][1] has 3 x 3 spots, but only Cells X x Cells Y of them are walked.
    EXPECT_EQ(visited<WalkOrder::ByColumn>(grid),
              "0000 0001 0010 0011 1000 1001 1100 1101 1110 1111 ");
    EXPECT_EQ(visited<WalkOrder::ByRow>(grid),
              "0000 0010 0001 0011 1000 1001 1100 1110 1101 1111 ");
}

TEST(SpotWalk, QuadsBeyondTheSlotsOrBelowOneAreNotWalked) {
    SpotGrid grid = unevenGrid();
    for (auto [quadsX, quadsY, expected] : {std::tuple{9, 1, 4}, {2, 99, 32}, {-1, 2, 0}}) {
        grid.parameters.quadsX = quadsX;
        grid.parameters.quadsY = quadsY;
        int quads = 0;
        ForEachQuad<WalkOrder::ByRow>(grid, [&](int, int, const GridQuad&) { ++quads; });
        EXPECT_EQ(quads, expected) << quadsX << " x " << quadsY;
    }
}

}  // namespace
}  // namespace orvane
