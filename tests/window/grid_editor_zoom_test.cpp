// The mouse tools at 1/4, 1:1 and 4: the same image points, reached through window points at
// each zoom as the view maps them, give the same model change as at 1:1; the corner grab
// distance is 4 screen pixels.
#include <array>
#include <string>

#include <gtest/gtest.h>

#include "../grid/standard_grid.h"
#include "../support/test_images.h"
#include "view/zoom_scale.h"
#include "window/grid_editor.h"
#include "window/window_model.h"

namespace orvane {
namespace {

using testing_support::testParameters;
using testing_support::uniformImage;

// An editor driven through window points, as the view drives it at a zoom and scroll position.
struct ZoomedEditor {
    explicit ZoomedEditor(const LayeredImage& image, ZoomScale zoom, std::int64_t scroll)
        : zoom(zoom), scroll(scroll) {
        editor.SetImage(&image);
        editor.SetScale(zoom.num(), zoom.den());
        model.DefineGrid(testParameters());
    }
    // The window point over image point (x, y), and back as the view converts it.
    std::int32_t window(std::int32_t v) const {
        return static_cast<std::int32_t>(zoom.ToScreen(v) - scroll);
    }
    std::int32_t image(std::int32_t w) const {
        return static_cast<std::int32_t>(zoom.ToImage(w + scroll));
    }
    void press(std::int32_t x, std::int32_t y, bool shift = false) {
        editor.LeftButtonDown(image(window(x)), image(window(y)), shift);
    }
    void drag(std::int32_t x, std::int32_t y) {
        const std::int32_t wx = window(x), wy = window(y);
        const auto s = static_cast<std::int32_t>(scroll);
        const auto content = static_cast<std::int32_t>(zoom.ContentSize(600));
        editor.MouseMove(wx, wy, image(wx), image(wy), {true, false, false},
                         {s, s, 5000, 5000, content, content});
    }

    ZoomScale zoom;
    std::int64_t scroll;
    WindowModel model;
    GridEditor& editor = model.editor();
};

struct Outcome {
    std::array<GridPoint, 8> corners;
    std::int32_t quadX, selCol, selRow;
    std::array<std::int32_t, 5> shape;  // tool, x0, y0, x1, y1
    double originX, stepXmm;
    bool operator==(const Outcome&) const = default;
};

Outcome outcome(const GridEditor& e) {
    Outcome o{};
    const GridQuad& a = e.grid().quad(0, 0);
    const GridQuad& b = e.grid().quad(1, 0);
    o.corners = {a.TL, a.TR, a.BL, a.BR, b.TL, b.TR, b.BL, b.BR};
    o.quadX = e.selectedQuadX();
    o.selCol = e.currentQuad().selCol;
    o.selRow = e.currentQuad().selRow;
    const SelectionShape& s = e.shape();
    o.shape = {static_cast<std::int32_t>(s.tool), s.x0, s.y0, s.x1, s.y1};
    o.originX = e.grid().parameters.originX;
    o.stepXmm = e.grid().parameters.stepXmm;
    return o;
}

// Image points are multiples of 4, so that each is the first pixel of its screen pixel at 1/4.
using Gesture = void (*)(ZoomedEditor&);
const struct {
    const char* name;
    Gesture gesture;
} kGestures[] = {
    {"corner drag",
     [](ZoomedEditor& z) {
         z.press(100, 100);
         z.drag(120, 112);
         z.drag(140, 120);
         z.editor.LeftButtonUp();
     }},
    {"whole-quad drag",
     [](ZoomedEditor& z) {
         z.press(340, 100, true);
         z.drag(360, 120);
         z.drag(364, 128);
         z.editor.LeftButtonUp();
     }},
    {"spot click",
     [](ZoomedEditor& z) {
         z.press(132, 128);
         z.editor.LeftButtonUp();
     }},
    {"spot click in the second quad",
     [](ZoomedEditor& z) {
         z.press(312, 160);
         z.editor.LeftButtonUp();
     }},
    {"rectangle",
     [](ZoomedEditor& z) {
         z.editor.SelectTool(ToolKind::Rectangle);
         z.press(40, 60);
         z.drag(200, 148);
         z.editor.LeftButtonUp();
     }},
    {"circle by radius",
     [](ZoomedEditor& z) {
         z.editor.SelectTool(ToolKind::CircleByRadius);
         z.press(300, 200);
         z.drag(320, 216);
         z.editor.LeftButtonUp();
     }},
};

TEST(GridEditorZoom, EveryToolGivesTheSameModelChangeAtEveryZoom) {
    const LayeredImage image = uniformImage(600, 400, 1, 1000);
    for (const auto& g : kGestures) {
        ZoomedEditor reference(image, ZoomScale(), 0);
        g.gesture(reference);
        const Outcome expected = outcome(reference.editor);
        for (const ZoomScale zoom : {ZoomScale(1, 4), ZoomScale(1, 1), ZoomScale(4, 1)}) {
            for (std::int64_t scroll : {0, 37}) {
                SCOPED_TRACE(std::string(g.name) + " at " + zoom.PercentText() + " scroll " +
                             std::to_string(scroll));
                ZoomedEditor zoomed(image, zoom, scroll);
                g.gesture(zoomed);
                EXPECT_EQ(outcome(zoomed.editor), expected);
                EXPECT_FALSE(zoomed.editor.dragging());
            }
        }
    }
}

TEST(GridEditorZoom, CornerGrabReachesFourScreenPixels) {
    const LayeredImage image = uniformImage(600, 400, 1, 1000);
    struct Case {
        ZoomScale zoom;
        std::int32_t dx;  // image pixels right of quad [0][0]'s TL corner (100, 100)
        bool grabs;
    };
    const Case cases[] = {
        {ZoomScale(1, 1), 4, true},  {ZoomScale(1, 1), 5, false},  {ZoomScale(4, 1), 1, true},
        {ZoomScale(4, 1), 2, false}, {ZoomScale(1, 4), 16, true},  {ZoomScale(1, 4), 17, false},
        {ZoomScale(16, 1), 0, true}, {ZoomScale(16, 1), 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zoom.PercentText() + " dx " + std::to_string(c.dx));
        WindowModel model;
        GridEditor& editor = model.editor();
        editor.SetImage(&image);
        editor.SetScale(c.zoom.num(), c.zoom.den());
        model.DefineGrid(testParameters());
        editor.LeftButtonDown(100 + c.dx, 100, false);
        EXPECT_EQ(editor.dragging(), c.grabs);
    }
}

// Away from 1:1 the grabbed corner or quad keeps its offset from the pointer; at 1:1 the corner
// jumps to the pointer at the press, as it always has. Above 1:1 the drawn mark (4 image pixels
// outside the corner) grabs too.
TEST(GridEditorZoom, DragsKeepTheGrabOffsetAwayFromOneToOne) {
    const LayeredImage image = uniformImage(600, 400, 1, 1000);
    struct Case {
        ZoomScale zoom;
        GridPoint press;  // near quad [0][0]'s TL corner (100, 100)
        bool shift;
    };
    const Case cases[] = {
        {ZoomScale(1, 16), {140, 100}, false}, {ZoomScale(1, 16), {140, 100}, true},
        {ZoomScale(1, 1), {103, 98}, false},   {ZoomScale(1, 1), {103, 98}, true},
        {ZoomScale(4, 1), {98, 96}, false},    {ZoomScale(4, 1), {98, 96}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zoom.PercentText() + (c.shift ? " quad" : " corner"));
        WindowModel model;
        GridEditor& editor = model.editor();
        editor.SetImage(&image);
        editor.SetScale(c.zoom.num(), c.zoom.den());
        model.DefineGrid(testParameters());
        const GridQuad& q = editor.grid().quad(0, 0);
        const GridPoint tr = q.TR;
        editor.LeftButtonDown(c.press.x, c.press.y, c.shift);
        ASSERT_TRUE(editor.dragging());
        editor.MouseMove(0, 0, c.press.x + 30, c.press.y + 20, {true, false, false},
                         {0, 0, 5000, 5000, 5000, 5000});
        editor.LeftButtonUp();
        const bool jump = c.zoom.isOne();
        const GridPoint moved =
            jump ? GridPoint{c.press.x + 30, c.press.y + 20} : GridPoint{130, 120};
        EXPECT_EQ(q.TL, moved);
        if (c.shift) {
            EXPECT_EQ(q.TR.x - tr.x, moved.x - 100) << "the whole quad moved with its corner";
        } else {
            EXPECT_EQ(q.TR, tr);
        }
    }
}

TEST(GridEditorZoom, PanningMovesByScreenPixels) {
    const LayeredImage image = uniformImage(600, 400, 1, 1000);
    GridEditor editor;
    editor.SetImage(&image);
    editor.SetScale(4, 1);
    // At 4 screen pixels an image pixel: the pointer moved 3 image pixels left of the anchor,
    // so the view scrolls 12 screen pixels right.
    editor.MiddleButtonDown(100, 100);
    EXPECT_EQ(
        editor.MouseMove(0, 0, 97, 100, {false, true, false}, {400, 400, 300, 200, 2400, 1600}),
        (ScrollPosition{412, 400}));
}

}  // namespace
}  // namespace orvane
