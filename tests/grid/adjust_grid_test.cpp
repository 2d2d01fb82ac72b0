// The three adjustment methods on the bright-square and uniform examples, clipping, and the
// grid-wide adjustment.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "../support/test_images.h"
#include "grid/adjust_grid.h"

namespace orvane {
namespace {

using testing_support::makeImage;
using testing_support::uniformImage;

// A bright square of side 20 (columns and rows 8 to 27) inside the 36 x 36 box at (100, 200).
LayeredImage brightSquare(int layers, std::uint16_t v) {
    return makeImage(300, 300, layers, [v](int, int x, int y) {
        const int i = x - 100, j = y - 200;
        return static_cast<std::uint16_t>(i >= 8 && i <= 27 && j >= 8 && j <= 27 ? v : 0);
    });
}

const Box kSquareBox{100, 200, 136, 236};

TEST(AdjustMethodsTest, BrightSquareMovesOnePixelUpAndLeftForEveryMethod) {
    for (int layers : {1, 3}) {
        SCOPED_TRACE(layers);
        const LayeredImage image = brightSquare(layers, 65535);
        EXPECT_EQ(CentreOfMass(image, kSquareBox), (Displacement{-1, -1}));
        EXPECT_EQ(OneDimensionalWindow(image, kSquareBox, 20, 20), (Displacement{-1, -1}));
        EXPECT_EQ(TwoDimensionalWindow(image, kSquareBox, 20, 20),
                  (std::optional<Displacement>{{-1, -1}}));
    }
}

TEST(AdjustMethodsTest, UniformBox) {
    const LayeredImage image = uniformImage(300, 300, 1, 1000);
    EXPECT_EQ(TwoDimensionalWindow(image, kSquareBox, 20, 20), std::nullopt) << "no contrast";
    // p = wx - 1 = 19: 19 - (36 + 20) / 2 = -9.
    EXPECT_EQ(OneDimensionalWindow(image, kSquareBox, 20, 20), (Displacement{-9, -9}));
    EXPECT_EQ(CentreOfMass(image, kSquareBox), (Displacement{-1, -1}));
}

TEST(AdjustMethodsTest, CentreOfMassMomentsBeyondThirtyTwoBits) {
    // Three full-scale layers over a 200 x 200 box: the moment sum is about 2.6e11.
    const LayeredImage image = uniformImage(400, 400, 3, 65535);
    const Box box{0, 0, 200, 200};
    // mx = sum(c_i i) / (1 + sum c_i) = 99.5 less a hair -> 99; dx = 99 - 100.
    EXPECT_EQ(CentreOfMass(image, box), (Displacement{-1, -1}));
}

TEST(AdjustMethodsTest, BoxOutsideTheImage) {
    const LayeredImage image = uniformImage(50, 50, 1, 500);
    const Box outside{100, 100, 136, 130};
    EXPECT_EQ(CentreOfMass(image, outside), (Displacement{-18, -15}));
    EXPECT_EQ(OneDimensionalWindow(image, outside, 20, 20), (Displacement{-28, -25}));
    EXPECT_EQ(TwoDimensionalWindow(image, outside, 20, 20), std::nullopt);
}

TEST(AdjustMethodsTest, TwoDimensionalWindowWithoutAFullWindowLeavesTheSpot) {
    const LayeredImage image = brightSquare(1, 4000);
    EXPECT_EQ(TwoDimensionalWindow(image, kSquareBox, 36, 20), std::nullopt) << "W <= wx";
    EXPECT_EQ(TwoDimensionalWindow(image, kSquareBox, 20, 40), std::nullopt) << "H <= wy";
}

TEST(AdjustMethodsTest, ZeroWidthBox) {
    const LayeredImage image = uniformImage(50, 50, 1, 500);
    const Box thin{10, 10, 10, 30};  // hx = 0: a quad with one column
    EXPECT_EQ(CentreOfMass(image, thin).dx, 0);
    EXPECT_EQ(OneDimensionalWindow(image, thin, 6, 6).dx, -3);
}

// Naive 2DW over every full window, for comparison with the running sums.
std::optional<Displacement> naiveTwoDimensionalWindow(const LayeredImage& image, const Box& b,
                                                      int wx, int wy) {
    const int W = b.right - b.left, H = b.bottom - b.top;
    auto t = [&](int i, int j) -> std::int64_t {
        const int x = b.left + i, y = b.top + j;
        if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return 0;
        std::int64_t s = 0;
        for (int k = 0; k < image.layerCount; ++k)
            s += static_cast<std::int64_t>(
                std::pow(double(image.layers[k].at(x, y)), double(0.33f)) * 10.0);
        return s;
    };
    std::int64_t min = INT64_MAX, max = 0;
    int bi = wx, bj = wy;
    bool any = false;
    for (int j = 0; j < H; ++j)
        for (int i = 0; i < W; ++i) {
            const int y = b.top + j, x = b.left + i;
            if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) continue;
            if (j < wy || i < wx) continue;
            std::int64_t a = 0;
            for (int jj = j - wy + 1; jj <= j; ++jj)
                for (int ii = i - wx + 1; ii <= i; ++ii) a += t(ii, jj);
            any = true;
            if (a <= min) min = a;
            if (a > max) max = a, bi = i, bj = j;
        }
    if (!any || !(4 * min < 3 * max)) return std::nullopt;
    return Displacement{bi - (W + wx) / 2, bj - (H + wy) / 2};
}

TEST(AdjustMethodsTest, TwoDimensionalWindowMatchesTheNaiveSearch) {
    // A textured image with two blobs; boxes inside, across the edges and off the image.
    const LayeredImage image = makeImage(41, 37, 2, [](int k, int x, int y) {
        const double a = std::exp(-((x - 12) * (x - 12) + (y - 9) * (y - 9)) / 18.0);
        const double b = std::exp(-((x - 30) * (x - 30) + (y - 27) * (y - 27)) / 8.0);
        return static_cast<std::uint16_t>(30000 * a + 50000 * b + (x * 7 + y * 13 + k * 5) % 200);
    });
    for (int left = -10; left < 35; left += 7)
        for (int top = -9; top < 33; top += 6)
            for (int w : {4, 7}) {
                const Box box{left, top, left + 18, top + 16};
                SCOPED_TRACE(testing::Message() << left << "," << top << " w " << w);
                EXPECT_EQ(TwoDimensionalWindow(image, box, w, w),
                          naiveTwoDimensionalWindow(image, box, w, w));
            }
}

// One quad of 2 x 2 spots, pitch 36, windows of 20, spots 18 pixels apart from (118, 218).
SpotGrid squareGrid() {
    SpotGrid grid;
    grid.parameters.cellsX = 2;
    grid.parameters.cellsY = 2;
    grid.quad(0, 0).InitQuad(118, 218, 154, 254, 2, 2, 10, 14, 1);
    return grid;
}

TEST(AdjustGridTest, MovesSpotsOntoTheirSignalAndSkipsExcludedOnes) {
    // The only bright square spans 108..127 x 208..227, centre (117.5, 217.5), so spot (0, 0)
    // at (118, 218) moves by (-1, -1).
    const LayeredImage image = brightSquare(1, 30000);
    for (AdjustMethod method : {AdjustMethod::CentreOfMass, AdjustMethod::OneDimensionalWindow,
                                AdjustMethod::TwoDimensionalWindow}) {
        SCOPED_TRACE(static_cast<int>(method));
        SpotGrid grid = squareGrid();
        grid.quad(0, 0).Flags(1, 1) = Excluded;
        grid.quad(0, 0).OffsetX(1, 1) = 5;
        AdjustGrid(grid, grid.quad(0, 0), image, method);
        EXPECT_EQ(grid.quad(0, 0).OffsetX(0, 0), -1);
        EXPECT_EQ(grid.quad(0, 0).OffsetY(0, 0), -1);
        EXPECT_EQ(grid.quad(0, 0).OffsetX(1, 1), 5) << "excluded spots keep their offsets";
        EXPECT_EQ(grid.quad(0, 0).OffsetY(1, 1), 0);
        EXPECT_EQ(grid.quad(0, 0).TL, (GridPoint{118, 218})) << "corners stay";
    }
}

TEST(AdjustGridTest, SecondCentreOfMassPassStaysNearby) {
    const LayeredImage image = makeImage(300, 300, 1, [](int, int x, int y) {
        return static_cast<std::uint16_t>(
            40000 * std::exp(-((x - 113) * (x - 113) + (y - 211) * (y - 211)) / 30.0));
    });
    SpotGrid grid = squareGrid();
    AdjustGrid(grid, grid.quad(0, 0), image, AdjustMethod::CentreOfMass);
    const GridPoint once = *grid.quad(0, 0).SpotCentre(0, 0);
    EXPECT_NEAR(once.x, 113, 1);
    EXPECT_NEAR(once.y, 211, 1);
    AdjustGrid(grid, grid.quad(0, 0), image, AdjustMethod::CentreOfMass);
    const GridPoint twice = *grid.quad(0, 0).SpotCentre(0, 0);
    EXPECT_LE(std::abs(twice.x - once.x), 1);
    EXPECT_LE(std::abs(twice.y - once.y), 1);
}

TEST(AdjustGridTest, QuadsOutsideTheGridAreLeftAlone) {
    const LayeredImage image = brightSquare(1, 30000);
    SpotGrid grid = squareGrid();
    grid.quad(1, 0).InitQuad(118, 218, 154, 254, 2, 2, 10, 14, 1);  // slot outside Quads X = 1
    AdjustGrid(grid, grid.quad(0, 0), image, AdjustMethod::CentreOfMass);
    EXPECT_EQ(grid.quad(1, 0).OffsetX(0, 0), 0);
}

}  // namespace
}  // namespace orvane
