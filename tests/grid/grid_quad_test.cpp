// Tests of the grid quad: layout, spot centres, selection, flags and the two hit tests.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "base/core_error.h"
#include "grid/grid_quad.h"
#include "grid/spot_grid.h"
#include "grid_printers.h"

namespace orvane {
namespace {

GridQuad makeQuad(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                  std::int32_t nx, std::int32_t ny) {
    GridQuad q;
    q.InitQuad(x0, y0, x1, y1, nx, ny, 10, 15, 1);
    return q;
}

TEST(GridQuad, NewSlotIsEmpty) {
    GridQuad q;
    EXPECT_EQ(q.defined, 0);
    EXPECT_EQ(q.count, 0);
    EXPECT_EQ(q.selCol, -1);
    EXPECT_EQ(q.prevSelRow, -1);
    EXPECT_FALSE(q.HasSelection());
    EXPECT_FALSE(q.SpotCentre(0, 0));
    EXPECT_EQ(q.HitCorner(0, 0), nullptr);
}

TEST(GridQuad, InitQuadLaysOutAnUprightRectangle) {
    GridQuad q = makeQuad(50, 50, 425, 200, 11, 5);
    EXPECT_EQ(q.TL, (GridPoint{50, 50}));
    EXPECT_EQ(q.TR, (GridPoint{425, 50}));
    EXPECT_EQ(q.BL, (GridPoint{50, 200}));
    EXPECT_EQ(q.BR, (GridPoint{425, 200}));
    EXPECT_EQ(q.stepX, 37);  // 375 / 10 truncated
    EXPECT_EQ(q.stepY, 37);  // 150 / 4 truncated
    EXPECT_EQ(q.count, 55);
    EXPECT_EQ(q.defined, 1);
    EXPECT_EQ(q.fullDisplay, 1);
    EXPECT_EQ(q.spotRadius, 10);
    EXPECT_EQ(q.backgroundRadius, 15);
    for (int i = 0; i < 55; ++i) {
        EXPECT_EQ(q.flags[i], 0);
        EXPECT_EQ(q.shownFlags[i], 0);
        EXPECT_EQ(q.offsetX[i], 0);
        EXPECT_EQ(q.offsetY[i], 0);
    }
}

TEST(GridQuad, InitQuadResetsFlagsOffsetsAndSelection) {
    GridQuad q = makeQuad(0, 0, 10, 10, 3, 3);
    q.SelectSpot(1, 1);
    q.Flags(2, 2) = Marked | Excluded;
    q.OffsetX(0, 1) = 7;
    q.InitQuad(0, 0, 20, 20, 2, 4, 1, 2, 0);
    EXPECT_FALSE(q.HasSelection());
    EXPECT_EQ(q.count, 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(q.flags[i] | q.offsetX[i], 0);
}

TEST(GridQuad, InitQuadStepsWithOneSpotAcrossOrDownAreZero) {
    EXPECT_EQ(makeQuad(0, 0, 30, 40, 1, 5).stepX, 0);
    EXPECT_EQ(makeQuad(0, 0, 30, 40, 5, 1).stepY, 0);
    EXPECT_EQ(makeQuad(0, 0, -7, 40, 3, 5).stepX, -3);  // -7 / 2 toward zero
}

TEST(GridQuad, InitQuadWithoutSpotsLeavesSlotEmpty) {
    GridQuad q = makeQuad(0, 0, 10, 10, 3, 3);
    q.InitQuad(0, 0, 10, 10, 0, 3, 1, 1, 1);
    EXPECT_EQ(q.defined, 0);
    EXPECT_EQ(q.flags, nullptr);
    EXPECT_FALSE(q.SpotCentre(0, 0));
}

TEST(GridQuad, InitQuadOutOfMemoryLeavesQuadUndefined) {
    GridQuad q = makeQuad(0, 0, 10, 10, 3, 3);
    // 2^31 - 1 squared spots cannot be allocated; the limit check refuses before trying.
    EXPECT_THROW(q.InitQuad(0, 0, 10, 10, INT32_MAX, INT32_MAX, 1, 1, 1), OutOfMemoryError);
    EXPECT_EQ(q.defined, 0);
    EXPECT_EQ(q.flags, nullptr);
    EXPECT_EQ(q.offsetY, nullptr);
    EXPECT_EQ(q.nx, 0);
}

struct CentreCase {
    const char* name;
    GridPoint tl, tr, bl, br;
    std::int32_t nx, ny, col, row;
    GridPoint expected;
};

TEST(GridQuad, SpotCentreInterpolatesWithTruncationTowardZero) {
    const std::vector<CentreCase> cases = {
        {"top edge col 1: 10*1/3", {0, 0}, {10, 0}, {0, 9}, {10, 9}, 4, 2, 1, 0, {3, 0}},
        {"top edge col 2: 10*2/3", {0, 0}, {10, 0}, {0, 9}, {10, 9}, 4, 2, 2, 0, {6, 0}},
        {"top edge col 3", {0, 0}, {10, 0}, {0, 9}, {10, 9}, 4, 2, 3, 0, {10, 0}},
        {"negative: -7*1/2 = -3", {0, 0}, {-7, 0}, {0, 5}, {-7, 5}, 3, 2, 1, 0, {-3, 0}},
        {"negative rows: -7/2", {0, 0}, {4, 0}, {0, -7}, {4, -7}, 2, 3, 0, 1, {0, -3}},
        {"nx 1: column on TL-BL", {5, 5}, {99, 99}, {9, 25}, {99, 99}, 1, 3, 0, 1, {7, 15}},
        {"ny 1: bottom corners unused",
         {0, 0},
         {20, 10},
         {500, 500},
         {900, 900},
         3,
         1,
         1,
         0,
         {10, 5}},
        {"nx ny 1: TL", {4, 6}, {50, 50}, {60, 60}, {70, 70}, 1, 1, 0, 0, {4, 6}},
        // A trapezoid: middle rows lie between the moved edges, not on a rectangle.
        {"trapezoid middle", {0, 0}, {100, 0}, {20, 40}, {80, 40}, 3, 3, 2, 1, {90, 20}},
        {"trapezoid bottom", {0, 0}, {100, 0}, {20, 40}, {80, 40}, 3, 3, 1, 2, {50, 40}},
        // Each division where it stands: col gives tx = 3, bx = 13 (not 3.3 + 10 rounded later).
        {"two-stage truncation", {0, 0}, {10, 0}, {10, 10}, {21, 10}, 4, 4, 1, 1, {6, 3}},
    };
    for (const CentreCase& c : cases) {
        SCOPED_TRACE(c.name);
        GridQuad q = makeQuad(0, 0, 1, 1, c.nx, c.ny);
        q.TL = c.tl;
        q.TR = c.tr;
        q.BL = c.bl;
        q.BR = c.br;
        const auto centre = q.SpotCentre(c.col, c.row);
        ASSERT_TRUE(centre);
        EXPECT_EQ(*centre, c.expected);
    }
}

TEST(GridQuad, SpotCentreAddsOffsetsAndRefusesOutsideIndices) {
    GridQuad q = makeQuad(0, 0, 30, 20, 4, 3);
    q.OffsetX(2, 1) = -4;
    q.OffsetY(2, 1) = 6;
    EXPECT_EQ(*q.SpotCentre(2, 1), (GridPoint{16, 16}));
    EXPECT_EQ(*q.SpotCentre(1, 2), (GridPoint{10, 20}));  // neighbours unaffected
    for (auto [col, row] : {std::pair{-1, 0}, {4, 0}, {0, -1}, {0, 3}}) {
        SCOPED_TRACE(testing::Message() << col << "," << row);
        EXPECT_FALSE(q.SpotCentre(col, row));
    }
}

TEST(GridQuad, SpotCentreFarCornersDoNotOverflow) {
    GridQuad q = makeQuad(0, 0, 1, 1, 3, 3);
    q.TL = {-2000000000, 0};
    q.TR = {2000000000, 0};
    q.BL = q.TL;
    q.BR = q.TR;
    EXPECT_EQ(q.SpotCentre(1, 0)->x, 0);
}

TEST(GridQuad, SelectionKeepsBitTwoAndIndicesInStep) {
    GridQuad q = makeQuad(0, 0, 10, 10, 3, 2);
    q.SelectSpot(2, 1);
    EXPECT_TRUE(q.HasSelection());
    EXPECT_EQ(q.selCol, 2);
    EXPECT_EQ(q.selRow, 1);
    EXPECT_EQ(q.Flags(2, 1), Selected);
    q.Flags(2, 1) |= Marked;
    q.ClearSelection();
    EXPECT_FALSE(q.HasSelection());
    EXPECT_EQ(q.Flags(2, 1), Marked);  // only bit 2 cleared
    q.ClearSelection();                // nothing selected: no-op
    EXPECT_EQ(q.Flags(2, 1), Marked);
}

TEST(GridQuad, SelectSpotOutsideIsIgnored) {
    GridQuad q = makeQuad(0, 0, 10, 10, 3, 2);
    for (auto [col, row] : {std::pair{3, 0}, {0, 2}, {-1, 0}, {0, -1}}) {
        q.SelectSpot(col, row);
        EXPECT_FALSE(q.HasSelection());
    }
    GridQuad empty;
    empty.SelectSpot(0, 0);
    EXPECT_FALSE(empty.HasSelection());
}

TEST(GridQuad, SelectSpotDoesNotClearEarlierSelection) {
    GridQuad q = makeQuad(0, 0, 10, 10, 3, 2);
    q.SelectSpot(0, 0);
    q.SelectSpot(1, 1);
    EXPECT_EQ(q.Flags(0, 0), Selected);
    EXPECT_EQ(q.selCol, 1);
}

TEST(GridQuad, HasSelectionNeedsBothIndicesMinusOne) {
    GridQuad q;
    q.selCol = -1;
    q.selRow = 0;
    EXPECT_TRUE(q.HasSelection());
    q.ClearSelection();  // names no spot of an empty quad: must not touch any array
    EXPECT_FALSE(q.HasSelection());
}

TEST(GridQuad, ClearFlagsClearsOnlyTheMask) {
    GridQuad q = makeQuad(0, 0, 10, 10, 2, 2);
    q.Flags(0, 0) = Highlighted | Marked;
    q.Flags(1, 1) = Highlighted | Excluded;
    q.ClearFlags(Highlighted);
    EXPECT_EQ(q.Flags(0, 0), Marked);
    EXPECT_EQ(q.Flags(1, 1), Excluded);
    GridQuad empty;
    empty.ClearFlags(0xff);  // no arrays: nothing to do
}

TEST(GridQuad, HitCornerWithinFourPixels) {
    GridQuad q = makeQuad(100, 100, 200, 160, 5, 4);
    struct Case {
        std::int32_t x, y;
        const GridPoint* expected;
    };
    const std::vector<Case> cases = {
        {100, 100, &q.TL},  {104, 104, &q.TL},   {96, 96, &q.TL},   {105, 100, nullptr},
        {100, 95, nullptr}, {95, 100, nullptr},  {200, 100, &q.TR}, {196, 163, &q.BR},
        {100, 164, &q.BL},  {150, 130, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(q.HitCorner(c.x, c.y), c.expected);
    }
}

TEST(GridQuad, HitCornerTriesTopLeftFirst) {
    GridQuad q = makeQuad(100, 100, 103, 100, 2, 1);  // TL and TR three pixels apart
    EXPECT_EQ(q.HitCorner(102, 100), &q.TL);
    GridQuad none = makeQuad(0, 0, 10, 10, 2, 2);
    none.nx = 0;
    EXPECT_EQ(none.HitCorner(0, 0), nullptr);
}

TEST(GridQuad, HitSpotColumnZeroReachesAFullPitchFurther) {
    // TL.x = 100, W = 90, nx = 10: pitch 10, half pitch 5.
    GridQuad q = makeQuad(100, 0, 190, 0, 10, 1);
    struct Case {
        std::int32_t x, col;
        bool inside;
    };
    const std::vector<Case> cases = {
        {86, 0, true},
        {104, 0, true},
        {105, 1, true},
        {114, 1, true},
        {115, 2, true},
        {194, 9, true},
        {195, 10, false},
        {85, -1, false},  // (5 - 100 + 85) * 9 / 90 = -1: column
                          // 0 ends just above 85
        {75, -2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        const SpotHit hit = q.HitSpot(c.x, 0);
        EXPECT_EQ(hit.col, c.col);
        EXPECT_EQ(hit.row, 0);
        EXPECT_EQ(hit.inside, c.inside);
    }
}

TEST(GridQuad, HitSpotRowsAndDegenerateQuads) {
    GridQuad q = makeQuad(0, 100, 0, 190, 1, 10);  // one column: every x is col 0
    for (std::int32_t x : {-1000, 0, 1000}) {
        SCOPED_TRACE(x);
        const SpotHit hit = q.HitSpot(x, 110);
        EXPECT_EQ(hit.col, 0);
        EXPECT_EQ(hit.row, 1);
        EXPECT_TRUE(hit.inside);
    }
    EXPECT_EQ(q.HitSpot(0, 86).row, 0);
    // Offsets and the TR/BL corners are ignored.
    GridQuad r = makeQuad(0, 0, 40, 40, 5, 5);
    r.TR = {1000, 1000};
    r.OffsetX(2, 2) = 500;
    const SpotHit hit = r.HitSpot(20, 30);
    EXPECT_EQ(hit.col, 2);
    EXPECT_EQ(hit.row, 3);
    // A quad collapsed to zero width keeps every point in column 0.
    GridQuad flat = makeQuad(10, 0, 10, 40, 5, 5);
    EXPECT_EQ(flat.HitSpot(900, 0).col, 0);
}

TEST(GridQuad, HitSpotFarAwayNeverWrapsInside) {
    GridQuad q = makeQuad(0, 0, 1, 1, 10000, 2);
    const SpotHit hit = q.HitSpot(INT32_MAX, 0);
    EXPECT_FALSE(hit.inside);
    const SpotHit low = q.HitSpot(INT32_MIN, 0);
    EXPECT_FALSE(low.inside);
}

TEST(SpotGrid, SlotsAreAddressedQxTimesSixteenPlusQy) {
    SpotGrid grid;
    grid.quad(1, 2).nx = 7;
    EXPECT_EQ(grid.quads[18].nx, 7);
    grid.parameters.quadsX = 2;
    grid.parameters.quadsY = 3;
    EXPECT_TRUE(grid.InUse(1, 2));
    EXPECT_FALSE(grid.InUse(2, 0));
    EXPECT_FALSE(grid.InUse(0, 3));
}

}  // namespace
}  // namespace orvane
