// The window model's history: one selection after an Undo and Redo back to the same bytes, the
// step limit, the saved state, a failed change and what observers hear; zoom and spots. Each kind
// of step against the grid file's bytes is tested through the program (gui_undo_test).
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "../grid/standard_grid.h"
#include "../support/temp_dir.h"
#include "../support/test_images.h"
#include "base/core_error.h"
#include "grid/grid_file.h"
#include "window/window_model.h"

namespace orvane {
namespace {

using testing_support::TempDir;
using testing_support::testParameters;
using testing_support::uniformImage;

class WindowModelTest : public ::testing::Test {
protected:
    WindowModelTest() {
        editor_.SetImage(&image_);
        model_.DefineGrid(testParameters());
    }
    std::string bytes() {
        const std::string path = dir_.file("g.grd");
        SaveGrid(editor_.grid(), path);
        return testing_support::readFile(path);
    }
    bool step(const std::string& name, const std::function<void()>& change) {
        return model_.Step(name, change);
    }
    void undo() { ASSERT_TRUE(model_.Undo()); }
    void redo() { ASSERT_TRUE(model_.Redo()); }
    int selectedQuads() const {
        int n = 0;
        for (const GridQuad& q : editor_.grid().quads) n += q.HasSelection();
        return n;
    }

    TempDir dir_{"orvane-window-model"};
    LayeredImage image_ = uniformImage(600, 400, 1, 1000);
    WindowModel model_;
    GridEditor& editor_ = model_.editor();
    const GridHistory& history_ = model_.history();
};

TEST_F(WindowModelTest, AClickIsNoStepAndUndoLeavesOneSelection) {
    EXPECT_FALSE(step("Select", [&] { editor_.SelectSpot(0, 0, 1, 1); })) << "a click is no step";
    ASSERT_TRUE(step("Mark Spot", [&] { editor_.CharKey('X'); }));
    editor_.SelectSpot(1, 0, 3, 2);  // the user moves on, then undoes
    const std::string movedOn = bytes();
    undo();
    EXPECT_EQ(editor_.grid().quad(0, 0).Flags(1, 1) & Marked, 0);
    EXPECT_EQ(editor_.currentSlot(), SpotGrid::slot(0, 0)) << "current as before the step";
    EXPECT_EQ(selectedQuads(), 1);
    redo();
    EXPECT_EQ(bytes(), movedOn) << "Redo brings back also the selection Undo took";
}

TEST_F(WindowModelTest, StepLimitAndSavedState) {
    EXPECT_FALSE(model_.GridUnsaved());
    for (int i = 0; i < 105; ++i)
        step("Mark Spot", [&] { editor_.grid().quad(0, 0).Flags(i % 4, 0) ^= Marked; });
    EXPECT_TRUE(model_.GridUnsaved());
    model_.MarkSaved();
    int undone = 0;
    for (; history_.CanUndo(); ++undone) undo();
    EXPECT_EQ(undone, int(GridHistory::kMaxSteps));
    EXPECT_TRUE(model_.GridUnsaved());
    while (history_.CanRedo()) redo();
    EXPECT_FALSE(model_.GridUnsaved()) << "back at the saved grid";
    undo();
    step("Mark Spot", [&] { editor_.grid().quad(1, 0).Flags(0, 0) ^= Marked; });
    EXPECT_FALSE(history_.CanRedo()) << "a new step drops what was undone";
    EXPECT_TRUE(model_.GridUnsaved());
}

TEST_F(WindowModelTest, AFailedChangeCanBeTakenBackAndObserversHear) {
    std::vector<ModelChange> heard;
    model_.AddObserver([&](ModelChange change) { heard.push_back(change); });
    EXPECT_THROW(model_.Step("Find Genes",
                             [&] {
                                 editor_.grid().quad(0, 0).Flags(0, 0) |= Highlighted;
                                 throw CoreError("stopped half way");
                             }),
                 CoreError);
    EXPECT_EQ(history_.UndoName(), "Find Genes");
    undo();
    EXPECT_EQ(editor_.grid().quad(0, 0).Flags(0, 0) & Highlighted, 0);
    model_.MarkSaved();
    EXPECT_EQ(heard, (std::vector{ModelChange::Stepped, ModelChange::Swapped, ModelChange::Saved}));
}

TEST_F(WindowModelTest, ZoomAndSpotsTellTheViewWhatToShow) {
    std::vector<ModelChange> heard;
    std::optional<WindowPoint> anchor;
    model_.ResetPicture(600, 400);
    model_.SetWindowArea(300, 100);
    EXPECT_EQ(model_.fitScale(), ZoomScale(1, 4));
    const int handle = model_.AddObserver([&](ModelChange change) {
        heard.push_back(change);
        if (change == ModelChange::Zoom) anchor = model_.zoomAnchor();
    });
    model_.SetZoom(ZoomScale(2, 1), WindowPoint{5, 7});
    model_.SetZoom(ZoomScale(2, 1));  // the same scale: nothing to hear
    ASSERT_TRUE(anchor.has_value());
    EXPECT_EQ(anchor->x, 5);
    EXPECT_FALSE(model_.zoomAnchor()) << "the anchor is for that one change";
    EXPECT_EQ(model_.previousZoom(), ZoomScale());

    model_.SelectTool(ToolKind::Point);
    const SpotIndex spot{1, 0, 2, 1};
    ASSERT_TRUE(model_.ShowSpot(spot));
    EXPECT_EQ(editor_.tool(), ToolKind::Grid);
    EXPECT_EQ(model_.focusPoint(), *editor_.grid().quad(1, 0).SpotCentre(2, 1));
    EXPECT_FALSE(model_.ShowSpot({3, 3, 0, 0})) << "a quad not in use";
    EXPECT_EQ(model_.HighlightSpots({spot, {0, 0, 1, 1}}), 2);
    EXPECT_EQ(history_.UndoName(), "Highlight Spots");
    model_.RemoveObserver(handle);
    model_.Notify(ModelChange::Samples);
    using enum ModelChange;
    EXPECT_EQ(heard,
              (std::vector{Zoom, Selection, Selection, Focus, Selection, Selection, Stepped}));
}

}  // namespace
}  // namespace orvane
