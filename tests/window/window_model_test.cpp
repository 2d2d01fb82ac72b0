// The window model's history: every kind of step undone to the grid file's bytes and redone,
// one selection after an Undo, the step limit, the saved state and what observers hear.
#include <gtest/gtest.h>

#include <functional>
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
        editor_.DefineGrid(testParameters());
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

TEST_F(WindowModelTest, EveryKindOfStepUndoesToTheSameBytesAndRedoes) {
    GridParameters wider = testParameters();
    wider.cellsX = 5;
    const struct {
        const char* name;
        std::function<void(GridEditor&)> change;
    } steps[] = {
        {"Move Corner",
         [](GridEditor& e) {
             e.LeftButtonDown(100, 100, false);
             e.MouseMove(0, 0, 112, 106, {true, false, false}, {0, 0, 900, 900, 600, 400});
             e.LeftButtonUp();
         }},
        {"Move Quad",
         [](GridEditor& e) {
             e.LeftButtonDown(250, 100, true);
             e.MouseMove(0, 0, 240, 90, {true, false, false}, {0, 0, 900, 900, 600, 400});
             e.LeftButtonUp();
         }},
        {"Mark Spot",
         [](GridEditor& e) {
             e.SelectSpot(0, 0, 1, 1);
             e.CharKey('X');
         }},
        {"Adjust Grid CM", [](GridEditor& e) { e.AdjustGrid(AdjustMethod::CentreOfMass); }},
        {"Define Grid", [&](GridEditor& e) { e.DefineGrid(wider); }},
    };
    editor_.ShowOverlay(false);
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        const std::string before = bytes();
        ASSERT_TRUE(step(s.name, [&] { s.change(editor_); }));
        const std::string after = bytes();
        ASSERT_NE(after, before);
        EXPECT_EQ(history_.UndoName(), s.name);
        undo();
        EXPECT_EQ(bytes(), before);
        EXPECT_EQ(history_.RedoName(), s.name);
        redo();
        EXPECT_EQ(bytes(), after);
    }
}

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

}  // namespace
}  // namespace orvane
