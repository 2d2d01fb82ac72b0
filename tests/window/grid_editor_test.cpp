// The grid editor: overlay state rules, corner and quad dragging, spot picking and panes, keys,
// auto-scroll and panning, and the grid commands, against a surface that tracks inversions.
#include <cstdio>
#include <map>
#include <memory>
#include <tuple>

#include <gtest/gtest.h>

#include "../grid/standard_grid.h"
#include "../support/test_images.h"
#include "base/core_error.h"
#include "grid/grid_file.h"
#include "measure/find_genes.h"
#include "window/grid_editor.h"
#include "window/window_model.h"

namespace orvane {
namespace {

using testing_support::testParameters;
using testing_support::uniformImage;

// A picture that remembers which outlines are inverted: painting a primitive twice removes it,
// as NOT-XOR does with pixels.
class ToggleSurface : public OverlaySurface {
public:
    using Key = std::tuple<int, int, int, int, int, int, bool>;

    void PaintFigure(const OverlayFigure& figure, bool inverted) override {
        ++paints;
        for (const OverlayPrimitive& p : figure.primitives) toggle(key(p, inverted));
    }
    OverlayClip ClipBox() const override { return {0, 0, 600, 400}; }

    static Key key(const OverlayPrimitive& p, bool inverted) {
        return {
            static_cast<int>(p.shape), static_cast<int>(p.pen), p.x0, p.y0, p.x1, p.y1, inverted};
    }
    void toggle(const Key& k) {
        if (!inverted.erase(k)) inverted.insert({k, 1});
    }

    std::map<Key, int> inverted;
    int paints = 0;
};

class GridEditorTest : public testing::Test {
protected:
    void SetUp() override {
        editor.SetImage(&image);
        editor.SetSurface(&surface);
    }

    void define(const GridParameters& p = testParameters()) { model.DefineGrid(p); }

    // What the picture must show: the overlay of the current state drawn once, or nothing.
    void expectPictureMatchesState() {
        ToggleSurface expected;
        if (editor.overlayShown()) {
            OverlayFigure figure;
            if (editor.tool() == ToolKind::Grid) {
                for (int qx = 0; qx < editor.grid().parameters.quadsX; ++qx)
                    for (int qy = 0; qy < editor.grid().parameters.quadsY; ++qy)
                        DrawQuad(editor.grid().quad(qx, qy), surface.ClipBox(), figure);
            } else {
                DrawSelectionFigure(editor.shape(), figure);
            }
            expected.PaintFigure(figure, editor.invertedDisplay());
        }
        EXPECT_EQ(surface.inverted, expected.inverted);
    }

    void move(int wx, int wy, ViewScroll view = {0, 0, 600, 400, 600, 400}) {
        editor.MouseMove(wx, wy, {true, false, false}, view);
    }

    LayeredImage image = uniformImage(600, 400, 1, 1000);
    ToggleSurface surface;
    WindowModel model;
    GridEditor& editor = model.editor();
};

TEST_F(GridEditorTest, GridToolNeedsADefinedQuad) {
    try {
        editor.SelectTool(ToolKind::Grid);
        FAIL() << "no error";
    } catch (const CoreError& e) {
        EXPECT_STREQ(e.what(), "Please define / load grid.");
    }
    EXPECT_EQ(editor.tool(), ToolKind::Point);
    EXPECT_EQ(surface.paints, 0);
}

TEST_F(GridEditorTest, ShowAndHideKeepTheirStateRules) {
    define();
    EXPECT_EQ(editor.tool(), ToolKind::Grid);
    EXPECT_TRUE(editor.overlayShown());
    expectPictureMatchesState();
    const int paints = surface.paints;
    editor.ShowOverlay(false);
    EXPECT_EQ(surface.paints, paints) << "ShowOverlay twice draws once";
    editor.HideOverlay(false);
    EXPECT_TRUE(surface.inverted.empty()) << "drawn twice, the overlay is gone";
    editor.HideOverlay(false);
    EXPECT_EQ(surface.paints, paints + 1);
    editor.DrawOverlay(false);
    editor.DrawOverlay(false);
    EXPECT_TRUE(surface.inverted.empty());
}

TEST_F(GridEditorTest, ToolChangesRedrawTheSelectionInTheNewForm) {
    editor.SelectTool(ToolKind::Rectangle);
    editor.LeftButtonDown(50, 60, false);
    move(80, 100);
    EXPECT_EQ(editor.shape().x0, 50);
    EXPECT_EQ(editor.shape().x1, 80);
    expectPictureMatchesState();
    editor.SelectTool(ToolKind::CircleByRadius);
    expectPictureMatchesState();
    EXPECT_FALSE(surface.inverted.empty());
    editor.SelectTool(ToolKind::Point);
    EXPECT_FALSE(editor.overlayShown());
    EXPECT_TRUE(surface.inverted.empty());
    editor.LeftButtonDown(7, 9, false);
    EXPECT_EQ(editor.shape().x0, 7);
    move(20, 20);
    EXPECT_EQ(editor.shape().x1, 7) << "the Point tool keeps no end point";
}

TEST_F(GridEditorTest, CornerDragMovesTheCornerThenSetsOriginAndSteps) {
    define();
    // Within 4 pixels of TL, also over spot (0, 0): the corner wins.
    editor.LeftButtonDown(102, 101, false);
    ASSERT_TRUE(editor.dragging());
    const GridQuad& q = editor.grid().quad(0, 0);
    EXPECT_EQ(q.TL, (GridPoint{102, 101}));
    EXPECT_EQ(q.fullDisplay, 0) << "border only while dragging";
    EXPECT_FALSE(q.HasSelection());
    expectPictureMatchesState();
    move(120, 110);
    EXPECT_EQ(q.TL, (GridPoint{120, 110}));
    EXPECT_EQ(q.TR, (GridPoint{190, 100})) << "only the grabbed corner moves";
    expectPictureMatchesState();
    editor.LeftButtonUp();
    EXPECT_FALSE(editor.dragging());
    EXPECT_EQ(q.fullDisplay, 1);
    expectPictureMatchesState();
    const GridParameters& p = editor.grid().parameters;
    EXPECT_DOUBLE_EQ(p.originX, 1.2);
    EXPECT_DOUBLE_EQ(p.originY, 1.1);
    EXPECT_DOUBLE_EQ(p.stepXmm, 0.7 / 3);
    EXPECT_DOUBLE_EQ(p.stepYmm, 0.25);
}

TEST_F(GridEditorTest, DragFullGridKeepsEverySpotWhileDragging) {
    GridParameters p = testParameters();
    p.dragFullGrid = 1;
    define(p);
    editor.LeftButtonDown(190, 160, false);
    EXPECT_EQ(editor.grid().quad(0, 0).fullDisplay, 1);
    move(195, 170);
    expectPictureMatchesState();
    editor.LeftButtonUp();
    expectPictureMatchesState();
}

TEST_F(GridEditorTest, ShiftDragMovesTheWholeQuadAfterAFirstJump) {
    define();
    editor.LeftButtonDown(253, 102, true);
    ASSERT_TRUE(editor.dragging());
    EXPECT_EQ(editor.selectedQuadX(), 1);
    const GridQuad& q = editor.grid().quad(1, 0);
    EXPECT_EQ(q.TL, (GridPoint{250, 100})) << "the press itself moves nothing";
    // First move: the jump from the grabbed corner to the pointer (3, 2) plus the move (10, 0).
    move(263, 102);
    EXPECT_EQ(q.TL, (GridPoint{263, 102}));
    EXPECT_EQ(q.BR, (GridPoint{353, 162}));
    // Then the quad follows the pointer; the press's Shift decides for the whole drag.
    move(268, 100);
    EXPECT_EQ(q.TL, (GridPoint{268, 100}));
    EXPECT_EQ(q.BL, (GridPoint{268, 160}));
    expectPictureMatchesState();
    editor.LeftButtonUp();
    expectPictureMatchesState();
    const GridParameters& p = editor.grid().parameters;
    EXPECT_DOUBLE_EQ(p.stepXmm, 0.3) << "a whole-quad drag keeps the steps";
    EXPECT_DOUBLE_EQ(p.originX, 1.0) << "the origin follows quad [0][0]";
}

TEST_F(GridEditorTest, CornerDragOfASecondQuadSetsStepsFromItButOriginFromTheFirst) {
    define();
    editor.LeftButtonDown(340, 160, false);
    move(370, 180);
    editor.LeftButtonUp();
    const GridParameters& p = editor.grid().parameters;
    EXPECT_DOUBLE_EQ(p.originX, 1.0);
    EXPECT_DOUBLE_EQ(p.stepXmm, 1.2 / 3);
    EXPECT_DOUBLE_EQ(p.stepYmm, 0.4);
}

TEST_F(GridEditorTest, OriginWithoutRelativeOffsetsAddsTheScanOrigin) {
    image.scanOriginX = 2.0;
    image.scanOriginY = 3.0;
    GridParameters p = testParameters();
    p.relativeOffsets = 0;
    p.originX = 4.6;
    p.originY = 4.9;
    define(p);
    const GridPoint tl = editor.grid().quad(0, 0).TL;
    EXPECT_EQ(tl.x, image.LengthToPixelsX(4.6 - 2.0 - 1.6));
    EXPECT_EQ(tl.y, image.LengthToPixelsY(4.9 - 3.0 - 0.9));
    editor.LeftButtonDown(tl.x, tl.y, false);
    move(110, 105);
    editor.LeftButtonUp();
    EXPECT_DOUBLE_EQ(editor.grid().parameters.originX, image.PixelsToLengthX(110) + 2.0 + 1.6);
    EXPECT_DOUBLE_EQ(editor.grid().parameters.originY, image.PixelsToLengthY(105) + 3.0 + 0.9);
}

TEST_F(GridEditorTest, SharedCornerIsTakenFromTheFirstQuad) {
    GridParameters p = testParameters();
    p.quadStepX = 0.9;  // quad [1][0]'s TL lies on quad [0][0]'s TR
    define(p);
    editor.LeftButtonDown(190, 100, false);
    EXPECT_EQ(editor.selectedQuadX(), 0);
    move(192, 100);
    EXPECT_EQ(editor.grid().quad(0, 0).TR, (GridPoint{192, 100}));
    EXPECT_EQ(editor.grid().quad(1, 0).TL, (GridPoint{190, 100}));
    editor.LeftButtonUp();
    expectPictureMatchesState();
}

TEST_F(GridEditorTest, SpotClickSelectsAndFillsThePanes) {
    const GridPaneTexts none = editor.PaneTexts();
    EXPECT_EQ(none.quad, "Not Selected.");
    EXPECT_EQ(none.intensity, "Not Selected.");
    define();
    editor.LeftButtonDown(131, 131, false);
    const GridQuad& q = editor.grid().quad(0, 0);
    EXPECT_EQ(q.selCol, 1);
    EXPECT_EQ(q.selRow, 1);
    EXPECT_EQ(q.Flags(1, 1), Selected);
    expectPictureMatchesState();
    const GridPaneTexts texts = editor.PaneTexts();
    EXPECT_EQ(texts.quad, "Quad: (1, 1)");
    EXPECT_EQ(texts.spot, "Spot: (2, 2)");
    EXPECT_EQ(texts.uid, "UID: NA");
    EXPECT_EQ(texts.description, "Descr: NA");
    EXPECT_EQ(texts.intensity, "IA: (1000/1000, 0/0, 0/0)") << "one layer: the others are 0/0";
    // A click in the other quad moves the selection there.
    editor.LeftButtonDown(280, 130, false);
    EXPECT_FALSE(q.HasSelection());
    EXPECT_EQ(editor.PaneTexts().quad, "Quad: (2, 1)");
    EXPECT_EQ(editor.SelectedGridSpot()->cx, 280);
    expectPictureMatchesState();
}

TEST_F(GridEditorTest, ClicksOnNothingOrOnExcludedSpotsChangeNothing) {
    auto map = std::make_shared<SlideMap>(2, 1, 4, 3);
    map->GetSpotRecord(0, 0, 1, 1)->SetUid("AB 12");
    map->GetSpotRecord(0, 0, 1, 1)->SetDescription("kinase");
    map->GetSpotRecord(0, 0, 2, 1)->SetUid("na");
    GridParameters p = testParameters();
    p.slideMap = map;
    define(p);
    EXPECT_EQ(editor.grid().quad(0, 0).Flags(2, 1), Excluded);
    editor.LeftButtonDown(131, 131, false);
    EXPECT_EQ(editor.PaneTexts().uid, "UID: AB 12");
    EXPECT_EQ(editor.PaneTexts().description, "Descr: kinase");
    const int paints = surface.paints;
    editor.LeftButtonDown(160, 130, false);  // the excluded spot
    editor.LeftButtonDown(500, 350, false);  // no quad
    EXPECT_EQ(surface.paints, paints);
    EXPECT_EQ(editor.grid().quad(0, 0).selCol, 1);
    expectPictureMatchesState();
}

TEST_F(GridEditorTest, KeysMarkAndClear) {
    define();
    editor.LeftButtonDown(131, 131, false);
    GridQuad& q = editor.grid().quad(0, 0);
    EXPECT_TRUE(editor.CharKey('x'));
    EXPECT_EQ(q.Flags(1, 1), Selected | Marked);
    expectPictureMatchesState();
    EXPECT_TRUE(editor.CharKey('X'));
    EXPECT_EQ(q.Flags(1, 1), Selected) << "X twice restores the flags";
    editor.CharKey('x');
    editor.grid().quad(1, 0).Flags(3, 2) |= Highlighted | Marked;
    editor.RedrawAllChangedSpots();
    EXPECT_TRUE(editor.CharKey('r'));
    EXPECT_EQ(q.Flags(1, 1), Selected);
    EXPECT_EQ(editor.grid().quad(1, 0).Flags(3, 2), 0);
    expectPictureMatchesState();
    EXPECT_FALSE(editor.CharKey('q'));
}

TEST_F(GridEditorTest, KeysAreIgnoredWithAnotherToolOrTheOverlayHidden) {
    define();
    editor.LeftButtonDown(131, 131, false);
    editor.SelectTool(ToolKind::Rectangle);
    EXPECT_FALSE(editor.CharKey('x'));
    editor.SelectTool(ToolKind::Grid);
    editor.HideOverlay(false);
    EXPECT_FALSE(editor.CharKey('x'));
    EXPECT_EQ(editor.grid().quad(0, 0).Flags(1, 1), Selected);
    editor.ShowOverlay(false);
    // During a drag only the border is drawn: keys wait for the release.
    editor.LeftButtonDown(100, 100, false);
    EXPECT_FALSE(editor.CharKey('x'));
    editor.LeftButtonUp();
    expectPictureMatchesState();
}

TEST_F(GridEditorTest, AutoScrollAndPanning) {
    struct Case {
        const char* name;
        int wx, wy;
        MouseButtons buttons;
        ViewScroll view;
        std::optional<ScrollPosition> expected;
    };
    // Image 1000 x 800 in a 300 x 200 window: maxX = 700, maxY = 600.
    const Case cases[] = {
        {"inside", 100, 100, {true, false, false}, {50, 50, 300, 200, 1000, 800}, std::nullopt},
        {"right of the window",
         320,
         100,
         {true, false, false},
         {50, 50, 300, 200, 1000, 800},
         ScrollPosition{70, 50}},
        {"left of the window",
         -30,
         -10,
         {false, false, true},
         {50, 50, 300, 200, 1000, 800},
         ScrollPosition{20, 40}},
        {"clamped at zero",
         -80,
         100,
         {true, false, false},
         {50, 50, 300, 200, 1000, 800},
         ScrollPosition{0, 50}},
        {"fully scrolled right",
         350,
         100,
         {true, false, false},
         {700, 0, 300, 200, 1000, 800},
         std::nullopt},
        {"below",
         100,
         260,
         {true, false, false},
         {0, 590, 300, 200, 1000, 800},
         ScrollPosition{0, 600}},
        {"no button", 500, 500, {false, false, false}, {0, 0, 300, 200, 1000, 800}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(editor.MouseMove(c.wx, c.wy, c.buttons, c.view), c.expected);
    }
    // Panning keeps the image point (100, 100) under the cursor.
    editor.MiddleButtonDown(100, 100);
    EXPECT_EQ(editor.cursor(), EditorCursor::Move);
    EXPECT_EQ(editor.MouseMove(60, 50, {false, true, false}, {50, 50, 300, 200, 1000, 800}),
              (ScrollPosition{40, 50}));
    editor.MiddleButtonUp();
    EXPECT_EQ(editor.cursor(), EditorCursor::Arrow);
}

TEST_F(GridEditorTest, SaveAndLoadGridRestoreTheGridAndThePicture) {
    define();
    editor.LeftButtonDown(131, 131, false);
    editor.CharKey('x');
    const std::string path = testing::TempDir() + "grid_editor_test.grd";
    editor.CheckSaveGrid();
    SaveGrid(editor.grid(), path);
    const auto shownWithMark = surface.inverted;

    editor.LeftButtonDown(100, 100, true);
    move(140, 120);
    editor.LeftButtonUp();
    editor.SelectTool(ToolKind::Rectangle);
    EXPECT_THROW(editor.CheckSaveGrid(), CoreError);
    model.LoadGrid(path);
    EXPECT_EQ(editor.tool(), ToolKind::Grid);
    EXPECT_EQ(editor.grid().quad(0, 0).TL, (GridPoint{100, 100}));
    EXPECT_EQ(surface.inverted, shownWithMark);
    expectPictureMatchesState();

    try {
        model.LoadGrid(path + ".missing");
        FAIL() << "no error";
    } catch (const CoreError& e) {
        EXPECT_STREQ(e.what(), "Unable to open file.");
    }
    EXPECT_TRUE(editor.overlayShown()) << "a refused file leaves the grid on the window";
    EXPECT_EQ(surface.inverted, shownWithMark);
    std::remove(path.c_str());
}

TEST_F(GridEditorTest, FindHighlightsAndRedrawsOnlyWithAnAnnotatedGrid) {
    define();
    FindSettings settings;
    settings.pattern = "ab";
    EXPECT_THROW(model.FindGenes(settings), CoreError);
    auto map = std::make_shared<SlideMap>(2, 1, 4, 3);
    for (int sx = 0; sx < 4; ++sx)
        for (int sy = 0; sy < 3; ++sy) map->GetSpotRecord(1, 0, sx, sy)->SetUid("ABC");
    GridParameters p = editor.grid().parameters;
    p.slideMap = map;
    editor.SetParameters(p);
    EXPECT_EQ(model.FindGenes(settings), 12);
    EXPECT_EQ(editor.grid().quad(1, 0).Flags(0, 0), Highlighted);
    expectPictureMatchesState();
}

TEST_F(GridEditorTest, ParameterChangesAndAdjustmentKeepThePictureConsistent) {
    define();
    GridParameters p = editor.grid().parameters;
    p.quadsX = 1;
    editor.SetParameters(p);
    expectPictureMatchesState();
    // A uniform image pulls every spot one pixel up and left (the 1 in the CM denominator).
    model.AdjustGrid(AdjustMethod::CentreOfMass);
    EXPECT_EQ(editor.grid().quad(0, 0).OffsetX(3, 2), -1);
    EXPECT_EQ(editor.grid().quad(1, 0).OffsetX(3, 2), 0) << "quads outside Quads X stay";
    expectPictureMatchesState();
    editor.SelectTool(ToolKind::Rectangle);
    try {
        model.AdjustGrid(AdjustMethod::OneDimensionalWindow);
        FAIL() << "no error";
    } catch (const CoreError& e) {
        EXPECT_STREQ(e.what(), "Please define / load grid and select grid display.");
    }
}

TEST_F(GridEditorTest, AutoPlaceMovesTheQuadsAndRedrawsThem) {
    define();
    // Every spot printed 7 pixels right and 5 down of where the layout puts it.
    for (int qx = 0; qx < 2; ++qx)
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 4; ++col) {
                const GridPoint c = *editor.grid().quad(qx, 0).SpotCentre(col, row);
                for (int y = c.y + 5 - 8; y <= c.y + 5 + 8; ++y)
                    for (int x = c.x + 7 - 8; x <= c.x + 7 + 8; ++x)
                        if ((x - c.x - 7) * (x - c.x - 7) + (y - c.y - 5) * (y - c.y - 5) <= 64)
                            image.layers[0].samples[static_cast<std::size_t>(y) * 600 + x] = 20000;
            }
    const AutoPlaceResult result = model.AutoPlaceGrid();
    EXPECT_EQ(AutoPlaceMessage(result), "Placed 2 of 2 quads.");
    EXPECT_EQ(editor.grid().quad(0, 0).TL, (GridPoint{107, 105}));
    EXPECT_EQ(editor.grid().quad(1, 0).BR, (GridPoint{347, 165}));
    expectPictureMatchesState();
    editor.SelectTool(ToolKind::Point);
    try {
        model.AutoPlaceGrid();
        FAIL() << "no error";
    } catch (const CoreError& e) {
        EXPECT_STREQ(e.what(), "Please define / load grid and select grid display.");
    }
    EXPECT_EQ(editor.grid().quad(0, 0).TL, (GridPoint{107, 105}));
}

}  // namespace
}  // namespace orvane
