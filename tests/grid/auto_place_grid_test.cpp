// Tests of Auto Place Grid on synthetic slides: a lattice of discs per quad, moved by a known
// slide placement and per-quad pin offsets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "grid/auto_place_grid.h"
#include "grid/define_grid.h"
#include "grid_printers.h"

namespace orvane {
namespace {

constexpr std::int32_t kNx = 6, kNy = 5, kPitch = 24, kRadius = 7;
constexpr std::int32_t kQuadsX = 3, kQuadsY = 2;
constexpr std::int32_t kWidth = 1100, kHeight = 800;

// The layout Define Grid gives at 100 pixels per millimetre (an image without resolution tags):
// quads 200 and 220 pixels apart from (250, 220), spots 24 pixels apart. The lengths are a
// hair long so that the truncation to pixels never falls on the wrong side of a binary fraction.
GridParameters slideParameters() {
    constexpr double kHair = 1e-7;
    GridParameters p;
    p.cellsX = kNx;
    p.cellsY = kNy;
    p.stepXmm = p.stepYmm = 0.24 + kHair;
    p.originX = 2.5 + kHair;
    p.originY = 2.2 + kHair;
    p.quadsX = kQuadsX;
    p.quadsY = kQuadsY;
    p.quadStepX = 2.0 + kHair;
    p.quadStepY = 2.2 + kHair;
    p.spotDiameter = 0.145;
    p.backgroundDiameter = 0.205;
    return p;
}

GridPoint nominalTL(std::int32_t qx, std::int32_t qy) { return {250 + qx * 200, 220 + qy * 220}; }

// Pin offsets within +-0.4 pitch, one per quad (qx outer).
const GridPoint kPin[kQuadsX * kQuadsY] = {{5, -3}, {-8, 6}, {0, 9}, {9, -9}, {-4, -7}, {7, 2}};

GridPoint plus(GridPoint a, GridPoint b) { return {a.x + b.x, a.y + b.y}; }

struct Slide {
    LayeredImage image;
    SpotGrid grid;
};

void addLayer(LayeredImage& image) {
    ImageLayer& layer = image.layers[static_cast<std::size_t>(image.layerCount++)];
    layer.width = kWidth;
    layer.height = kHeight;
    layer.samples = std::make_unique<std::uint16_t[]>(static_cast<std::size_t>(kWidth) * kHeight);
    // A graded background with a little deterministic texture.
    for (std::int32_t y = 0; y < kHeight; ++y)
        for (std::int32_t x = 0; x < kWidth; ++x)
            layer.samples[static_cast<std::size_t>(y) * kWidth + x] =
                static_cast<std::uint16_t>(150 + x / 20 + (x * 7 + y * 13) % 11);
}

void addDisc(ImageLayer& layer, std::int32_t cx, std::int32_t cy, std::uint16_t level) {
    for (std::int32_t y = cy - kRadius; y <= cy + kRadius; ++y)
        for (std::int32_t x = cx - kRadius; x <= cx + kRadius; ++x)
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= kRadius * kRadius && x >= 0 &&
                y >= 0 && x < layer.width && y < layer.height)
                layer.samples[static_cast<std::size_t>(y) * layer.width + x] += level;
}

// Two layers; quads with even qx print on layer 0, odd ones on layer 1, so that a match needs
// both. Every quad in `empty` prints nothing; spot levels vary from 600 to 3000.
Slide makeSlide(GridPoint placement, const std::vector<GridPoint>& empty = {}) {
    Slide s;
    addLayer(s.image);
    addLayer(s.image);
    s.grid.parameters = slideParameters();
    DefineGridLayout(s.grid, s.image);
    for (std::int32_t qx = 0; qx < kQuadsX; ++qx)
        for (std::int32_t qy = 0; qy < kQuadsY; ++qy) {
            const GridPoint tl = nominalTL(qx, qy);
            const GridQuad& quad = s.grid.quad(qx, qy);
            EXPECT_EQ(quad.TL, tl);
            EXPECT_EQ(quad.BR, plus(tl, {(kNx - 1) * kPitch, (kNy - 1) * kPitch}));
            EXPECT_EQ(quad.spotRadius, kRadius);
            if (std::find(empty.begin(), empty.end(), GridPoint{qx, qy}) != empty.end()) continue;
            const GridPoint pin = kPin[qx * kQuadsY + qy];
            for (std::int32_t row = 0; row < kNy; ++row)
                for (std::int32_t col = 0; col < kNx; ++col)
                    addDisc(s.image.layers[static_cast<std::size_t>(qx % 2)],
                            tl.x + col * kPitch + placement.x + pin.x,
                            tl.y + row * kPitch + placement.y + pin.y,
                            static_cast<std::uint16_t>(600 + (col * 7 + row * 5 + qx) % 9 * 300));
        }
    return s;
}

void expectNear(GridPoint actual, GridPoint expected, std::int32_t tolerance) {
    EXPECT_LE(std::abs(actual.x - expected.x), tolerance)
        << "x: " << actual.x << " vs " << expected.x;
    EXPECT_LE(std::abs(actual.y - expected.y), tolerance)
        << "y: " << actual.y << " vs " << expected.y;
}

// The slide's placement ranges from none to 1.5 mm (150 pixels at the default 100 pixels per
// millimetre), several pitches: the whole grid's edges must pick the right lattice period.
TEST(AutoPlaceGrid, PlacesEveryQuadOnItsBlock) {
    const GridPoint placements[] = {{0, 0}, {31, -17}, {-150, 120}, {149, -149}, {-60, 100}};
    for (const GridPoint placement : placements) {
        SCOPED_TRACE(testing::Message()
                     << "placement (" << placement.x << ", " << placement.y << ")");
        Slide s = makeSlide(placement);
        const AutoPlaceResult result = AutoPlaceGrid(s.grid, s.image);
        EXPECT_EQ(result.placed, kQuadsX * kQuadsY);
        EXPECT_EQ(result.quads, kQuadsX * kQuadsY);
        // The common shift lies among the pins' spread around the placement.
        expectNear(result.commonOffset, placement, 9);
        for (std::int32_t qx = 0; qx < kQuadsX; ++qx)
            for (std::int32_t qy = 0; qy < kQuadsY; ++qy) {
                SCOPED_TRACE(testing::Message() << "quad " << qx << ", " << qy);
                const GridQuad& quad = s.grid.quad(qx, qy);
                const GridPoint expected =
                    plus(plus(nominalTL(qx, qy), placement), kPin[qx * kQuadsY + qy]);
                expectNear(quad.TL, expected, 1);
                // The quad moves as a whole: the other corners keep their distances.
                EXPECT_EQ(quad.BR.x - quad.TL.x, (kNx - 1) * kPitch);
                EXPECT_EQ(quad.BR.y - quad.TL.y, (kNy - 1) * kPitch);
                EXPECT_EQ(quad.TR.y, quad.TL.y);
                EXPECT_EQ(quad.BL.x, quad.TL.x);
            }
    }
}

TEST(AutoPlaceGrid, EmptyBlockKeepsTheCommonShiftAndIsCounted) {
    const GridPoint placement{40, 25};
    Slide s = makeSlide(placement, {{2, 1}, {0, 0}});
    const AutoPlaceResult result = AutoPlaceGrid(s.grid, s.image);
    EXPECT_EQ(result.placed, 4);
    EXPECT_EQ(result.quads, 6);
    EXPECT_EQ(AutoPlaceMessage(result), "Placed 4 of 6 quads.");
    expectNear(result.commonOffset, placement, 9);
    for (const GridPoint q : {GridPoint{2, 1}, GridPoint{0, 0}})
        EXPECT_EQ(s.grid.quad(q.x, q.y).TL, plus(nominalTL(q.x, q.y), result.commonOffset));
    expectNear(s.grid.quad(1, 1).TL, plus(plus(nominalTL(1, 1), placement), kPin[3]), 1);
}

// A quad whose every spot is excluded has no pattern to match, even over printed spots.
TEST(AutoPlaceGrid, ExcludedSpotsAreLeftOutOfThePattern) {
    Slide s = makeSlide({20, 20});
    GridQuad& quad = s.grid.quad(1, 0);
    for (std::int32_t i = 0; i < quad.count; ++i)
        quad.flags[static_cast<std::size_t>(i)] |= Excluded;
    const AutoPlaceResult result = AutoPlaceGrid(s.grid, s.image);
    EXPECT_EQ(result.placed, 5);
    EXPECT_EQ(quad.TL, plus(nominalTL(1, 0), result.commonOffset));
}

TEST(AutoPlaceGrid, NothingToFindLeavesTheGridAlone) {
    Slide s = makeSlide({0, 0}, {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}});
    const AutoPlaceResult result = AutoPlaceGrid(s.grid, s.image);
    EXPECT_EQ(result.placed, 0);
    EXPECT_EQ(result.quads, 6);
    EXPECT_EQ(result.commonOffset, GridPoint{});
    for (std::int32_t qx = 0; qx < kQuadsX; ++qx)
        for (std::int32_t qy = 0; qy < kQuadsY; ++qy)
            EXPECT_EQ(s.grid.quad(qx, qy).TL, nominalTL(qx, qy));

    SpotGrid undefined;
    const AutoPlaceResult none = AutoPlaceGrid(undefined, s.image);
    EXPECT_EQ(AutoPlaceMessage(none), "Placed 0 of 0 quads.");
    Slide noImage = makeSlide({0, 0});
    noImage.image = LayeredImage{};
    EXPECT_EQ(AutoPlaceGrid(noImage.grid, noImage.image).placed, 0);
}

// A grid file from a scan of another resolution is laid out for this one (its parameters are
// millimetres); at a resolution where the layout falls outside the picture nothing is placed,
// the grid stays as it was, and the search stays within the picture instead of reaching 2 mm.
TEST(AutoPlaceGrid, LaysTheGridOutForTheImagesResolution) {
    Slide s = makeSlide({31, -17});
    s.image.resolutionUnit = kResolutionUnitCentimetre;
    s.image.xResolution = s.image.yResolution = 1000.0f;  // the same 100 pixels per millimetre
    s.grid.quad(1, 1).TL.x += 7;                          // a drag that Auto Place undoes
    EXPECT_EQ(AutoPlaceGrid(s.grid, s.image).placed, kQuadsX * kQuadsY);
    expectNear(s.grid.quad(1, 1).TL, plus(plus(nominalTL(1, 1), GridPoint{31, -17}), kPin[3]), 1);

    s.image.xResolution = s.image.yResolution = 1.0e6f;  // 2 mm = 200000 pixels
    const GridPoint before = s.grid.quad(1, 1).TL;
    EXPECT_EQ(AutoPlaceGrid(s.grid, s.image).placed, 0);
    EXPECT_EQ(s.grid.quad(1, 1).TL, before);
}

// Auto Place starts from the parameters' layout: offsets are cleared as Define Grid clears them,
// flags, marks and the selection stay; slots outside Quads X x Quads Y are not touched even when
// they hold a quad.
TEST(AutoPlaceGrid, StartsFromTheLayoutAndKeepsTheFlags) {
    Slide s = makeSlide({12, -30});
    Slide dragged = makeSlide({12, -30});
    GridQuad& quad = dragged.grid.quad(0, 1);
    quad.OffsetX(2, 3) = 4;
    quad.OffsetY(2, 3) = -2;
    quad.Flags(1, 1) |= Marked;
    quad.SelectSpot(4, 0);
    for (GridPoint* corner : {&quad.TL, &quad.TR, &quad.BL, &quad.BR}) corner->x += 17;
    GridQuad& spare = dragged.grid.quad(3, 0);
    spare.InitQuad(900, 100, 1000, 200, 2, 2, 5, 7, 1);
    AutoPlaceGrid(s.grid, s.image);
    AutoPlaceGrid(dragged.grid, dragged.image);
    EXPECT_EQ(quad.OffsetX(2, 3), 0);
    EXPECT_EQ(quad.OffsetY(2, 3), 0);
    EXPECT_EQ(quad.Flags(1, 1), Marked);
    EXPECT_EQ(quad.selCol, 4);
    EXPECT_EQ(quad.Flags(4, 0), Selected);
    for (std::int32_t qx = 0; qx < kQuadsX; ++qx)
        for (std::int32_t qy = 0; qy < kQuadsY; ++qy)
            EXPECT_EQ(dragged.grid.quad(qx, qy).TL, s.grid.quad(qx, qy).TL) << "the same placement";
    EXPECT_EQ(spare.TL, (GridPoint{900, 100}));
    EXPECT_EQ(spare.BR, (GridPoint{1000, 200}));
}

// A block whose edge column is as bright as one beyond it cannot tell its column: one more
// printed column left of quad (1, 0) makes a shift of one pitch score as well, so the quad is
// not counted as placed.
TEST(AutoPlaceGrid, AQuadThatMaySitAColumnOffIsNotCounted) {
    Slide s = makeSlide({0, 0});
    const GridPoint tl = nominalTL(1, 0);
    for (std::int32_t row = 0; row < kNy; ++row) {
        addDisc(s.image.layers[1], tl.x - kPitch + kPin[2].x, tl.y + row * kPitch + kPin[2].y,
                3000);
        addDisc(s.image.layers[1], tl.x + kNx * kPitch + kPin[2].x, tl.y + row * kPitch + kPin[2].y,
                3000);
    }
    const AutoPlaceResult result = AutoPlaceGrid(s.grid, s.image);
    EXPECT_EQ(result.placed, kQuadsX * kQuadsY - 1);
}

}  // namespace
}  // namespace orvane
