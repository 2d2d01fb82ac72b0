// Overlay geometry: pens, DrawQuad (border-only, corner marks, clip, excluded spots),
// RedrawChangedSpots and the selection figures.
#include <algorithm>

#include <gtest/gtest.h>

#include "grid/overlay_figure.h"

namespace orvane {
namespace {

constexpr OverlayClip kEverywhere = {-100000, -100000, 100000, 100000};

GridQuad makeQuad(int nx, int ny, int roundCells = 1) {
    GridQuad q;
    q.InitQuad(100, 100, 100 + 30 * (nx - 1), 100 + 30 * (ny - 1), nx, ny, 8, 12, roundCells);
    return q;
}

std::size_t countOf(const OverlayFigure& f, OverlayShape shape, OverlayPenKind pen) {
    return static_cast<std::size_t>(
        std::count_if(f.primitives.begin(), f.primitives.end(),
                      [&](const OverlayPrimitive& p) { return p.shape == shape && p.pen == pen; }));
}

TEST(OverlayPens, ColoursInBothDisplayModes) {
    struct Case {
        OverlayPenKind kind;
        OverlayPen normal;
        OverlayPen inverted;
    };
    const Case cases[] = {
        {OverlayPenKind::Selection, {0, 127, 255, 1}, {0, 127, 255, 1}},
        {OverlayPenKind::Spot, {0, 255, 255, 1}, {255, 0, 0, 1}},
        {OverlayPenKind::Highlight, {255, 255, 0, 1}, {0, 0, 255, 1}},
        {OverlayPenKind::Selected, {255, 255, 0, 2}, {0, 0, 255, 2}},
        {OverlayPenKind::Background, {192, 192, 192, 1}, {192, 192, 192, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        EXPECT_EQ(PenOf(c.kind, false), c.normal);
        EXPECT_EQ(PenOf(c.kind, true), c.inverted);
    }
}

TEST(DrawQuad, FullDisplayDrawsEverySpotWithBackgroundAndFourCornerMarks) {
    GridQuad q = makeQuad(4, 3);
    OverlayFigure f;
    EXPECT_EQ(DrawQuad(q, kEverywhere, f), 1);
    EXPECT_EQ(countOf(f, OverlayShape::Ellipse, OverlayPenKind::Spot), 12u);
    EXPECT_EQ(countOf(f, OverlayShape::Ellipse, OverlayPenKind::Background), 12u);
    EXPECT_EQ(countOf(f, OverlayShape::Line, OverlayPenKind::Highlight), 8u);
    // Spot (1, 2): centre (130, 160), radius 8; background radius 12.
    const OverlayPrimitive spot{OverlayShape::Ellipse, OverlayPenKind::Spot, 122, 152, 138, 168};
    EXPECT_NE(std::find(f.primitives.begin(), f.primitives.end(), spot), f.primitives.end());
    // The TL mark: from (96, 96) right to (104, 96) and down to (96, 104).
    const OverlayPrimitive tlRight{OverlayShape::Line, OverlayPenKind::Highlight, 96, 96, 104, 96};
    const OverlayPrimitive tlDown{OverlayShape::Line, OverlayPenKind::Highlight, 96, 96, 96, 104};
    EXPECT_NE(std::find(f.primitives.begin(), f.primitives.end(), tlRight), f.primitives.end());
    EXPECT_NE(std::find(f.primitives.begin(), f.primitives.end(), tlDown), f.primitives.end());
}

TEST(DrawQuad, SquareCellsUseRectangles) {
    GridQuad q = makeQuad(2, 2, 0);
    OverlayFigure f;
    DrawQuad(q, kEverywhere, f);
    EXPECT_EQ(countOf(f, OverlayShape::Rectangle, OverlayPenKind::Spot), 4u);
    EXPECT_EQ(countOf(f, OverlayShape::Ellipse, OverlayPenKind::Spot), 0u);
}

TEST(DrawQuad, BorderOnlySkipsJustTheInnerSpotsAndTheirShownFlags) {
    GridQuad q = makeQuad(3, 3);
    q.fullDisplay = 0;
    q.Flags(1, 1) = Marked;
    q.Flags(0, 0) = Marked;
    OverlayFigure f;
    DrawQuad(q, kEverywhere, f);
    EXPECT_EQ(countOf(f, OverlayShape::Ellipse, OverlayPenKind::Spot), 8u);
    EXPECT_EQ(countOf(f, OverlayShape::Ellipse, OverlayPenKind::Background), 0u);
    EXPECT_EQ(q.shownFlags[0], Marked);
    EXPECT_EQ(q.shownFlags[4], 0) << "the centre spot is not drawn, so not recorded";
}

TEST(DrawQuad, CornerMarksFollowTheQuadShape) {
    struct Case {
        int nx, ny;
        std::size_t lines;
    };
    const Case cases[] = {{1, 1, 2}, {1, 4, 4}, {4, 1, 4}, {2, 2, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nx << " x " << c.ny);
        GridQuad q = makeQuad(c.nx, c.ny);
        OverlayFigure f;
        DrawQuad(q, kEverywhere, f);
        EXPECT_EQ(countOf(f, OverlayShape::Line, OverlayPenKind::Highlight), c.lines);
    }
    // nx = 1: the marks are TL's and BL's, BL's starting below the corner.
    GridQuad q = makeQuad(1, 4);
    OverlayFigure f;
    DrawQuad(q, kEverywhere, f);
    const OverlayPrimitive blRight{
        OverlayShape::Line, OverlayPenKind::Highlight, 96, 194, 104, 194};
    EXPECT_NE(std::find(f.primitives.begin(), f.primitives.end(), blRight), f.primitives.end());
}

TEST(DrawQuad, PensFollowFlagsAndExcludedSpotsDrawNothing) {
    GridQuad q = makeQuad(4, 1);
    q.Flags(0, 0) = Highlighted;
    q.Flags(1, 0) = Highlighted | Selected;
    q.Flags(2, 0) = Excluded | Marked;
    q.Flags(3, 0) = Marked;
    OverlayFigure f;
    DrawQuad(q, kEverywhere, f);
    EXPECT_EQ(countOf(f, OverlayShape::Ellipse, OverlayPenKind::Highlight), 1u);
    EXPECT_EQ(countOf(f, OverlayShape::Ellipse, OverlayPenKind::Selected), 1u);
    EXPECT_EQ(countOf(f, OverlayShape::Ellipse, OverlayPenKind::Spot), 1u);
    EXPECT_EQ(countOf(f, OverlayShape::Ellipse, OverlayPenKind::Background), 3u);
    EXPECT_EQ(countOf(f, OverlayShape::Line, OverlayPenKind::Spot), 2u) << "one Marked cross";
    EXPECT_EQ(q.shownFlags[2], Excluded | Marked) << "excluded spots are recorded as shown";
}

TEST(DrawQuad, ClippedAwayQuadDrawsNothingAndKeepsItsDifferences) {
    GridQuad q = makeQuad(2, 2);
    q.Flags(1, 1) = Marked;
    OverlayFigure f;
    // Bounding box 100..130 enlarged by 12 + 3: it reaches x = 85, so a clip ending at 85 misses.
    EXPECT_EQ(DrawQuad(q, {0, 0, 85, 85}, f), 1);
    EXPECT_TRUE(f.empty());
    EXPECT_EQ(q.shownFlags[3], 0);
    // A later incremental redraw still sees the old difference: plain circle out, cross in.
    OverlayFigure redraw;
    RedrawChangedSpots(q, kEverywhere, redraw);
    EXPECT_EQ(countOf(redraw, OverlayShape::Ellipse, OverlayPenKind::Spot), 2u);
    EXPECT_EQ(countOf(redraw, OverlayShape::Line, OverlayPenKind::Spot), 2u);
    // One more pixel of clip reaches the enlarged box.
    GridQuad other = makeQuad(2, 2);
    OverlayFigure g;
    DrawQuad(other, {0, 0, 86, 86}, g);
    EXPECT_FALSE(g.empty());
}

TEST(DrawQuad, NoSpotsGivesZero) {
    GridQuad q;
    OverlayFigure f;
    EXPECT_EQ(DrawQuad(q, kEverywhere, f), 0);
    EXPECT_EQ(RedrawChangedSpots(q, kEverywhere, f), 0);
    EXPECT_TRUE(f.empty());
}

TEST(RedrawChangedSpots, ErasesTheShownFigureAndDrawsTheNewOneForChangedSpotsOnly) {
    GridQuad q = makeQuad(3, 2);
    OverlayFigure first;
    DrawQuad(q, kEverywhere, first);
    q.SelectSpot(2, 1);
    q.Flags(0, 0) |= Marked;
    OverlayFigure f;
    RedrawChangedSpots(q, kEverywhere, f);
    // (0, 0): plain circle out, plain circle and cross in; (2, 1): plain out, selected in.
    EXPECT_EQ(countOf(f, OverlayShape::Ellipse, OverlayPenKind::Spot), 3u);
    EXPECT_EQ(countOf(f, OverlayShape::Line, OverlayPenKind::Spot), 2u);
    EXPECT_EQ(countOf(f, OverlayShape::Ellipse, OverlayPenKind::Selected), 1u);
    EXPECT_EQ(countOf(f, OverlayShape::Ellipse, OverlayPenKind::Background), 0u);
    EXPECT_EQ(countOf(f, OverlayShape::Line, OverlayPenKind::Highlight), 0u) << "no corner marks";
    EXPECT_EQ(q.prevSelCol, 2);
    EXPECT_EQ(q.prevSelRow, 1);
    OverlayFigure again;
    RedrawChangedSpots(q, kEverywhere, again);
    EXPECT_TRUE(again.empty());
}

TEST(SelectionFigure, EachToolDrawsItsOutline) {
    struct Case {
        ToolKind tool;
        std::vector<OverlayPrimitive> expected;
    };
    // (10, 20) to (16, 28): length 10.
    const Case cases[] = {
        {ToolKind::Point, {}},
        {ToolKind::Grid, {}},
        {ToolKind::Rectangle,
         {{OverlayShape::Rectangle, OverlayPenKind::Selection, 10, 20, 16, 28}}},
        {ToolKind::CircleByDiameter,
         {{OverlayShape::Ellipse, OverlayPenKind::Selection, 8, 19, 18, 29}}},
        {ToolKind::CircleByRadius,
         {{OverlayShape::Ellipse, OverlayPenKind::Selection, 0, 10, 20, 30}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.tool));
        OverlayFigure f;
        DrawSelectionFigure({c.tool, 10, 20, 16, 28}, f);
        EXPECT_EQ(f.primitives, c.expected);
    }
}

TEST(SelectionFigure, DiameterCentreTruncatesTowardZero) {
    OverlayFigure f;
    // Centre (-3 + 0) / 2 = -1 (not -2); length 3, radius 1.
    DrawSelectionFigure({ToolKind::CircleByDiameter, -3, 0, 0, 0}, f);
    ASSERT_EQ(f.primitives.size(), 1u);
    EXPECT_EQ(f.primitives[0],
              (OverlayPrimitive{OverlayShape::Ellipse, OverlayPenKind::Selection, -2, -1, 0, 1}));
}

TEST(OverlayFigureBounds, CoversThePenWidth) {
    OverlayFigure f;
    EXPECT_EQ(f.Bounds(), Box{});
    f.primitives.push_back({OverlayShape::Ellipse, OverlayPenKind::Selected, 10, 20, 30, 40});
    f.primitives.push_back({OverlayShape::Line, OverlayPenKind::Spot, 50, 5, 45, 6});
    EXPECT_EQ(f.Bounds(), (Box{8, 3, 53, 43}));
}

}  // namespace
}  // namespace orvane
