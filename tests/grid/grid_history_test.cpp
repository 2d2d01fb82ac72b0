// The grid history: every kind of step undone to the grid file's bytes and redone, only changed
// quads kept, one selection after an Undo, the step limit and the saved state.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "../support/temp_dir.h"
#include "../support/test_images.h"
#include "grid/grid_editor.h"
#include "grid/grid_file.h"
#include "grid/grid_history.h"
#include "standard_grid.h"

namespace orvane {
namespace {

using testing_support::TempDir;
using testing_support::testParameters;
using testing_support::uniformImage;

class GridHistoryTest : public ::testing::Test {
protected:
    GridHistoryTest() {
        editor_.SetImage(&image_);
        editor_.DefineGrid(testParameters());
    }
    std::string bytes() {
        const std::string path = dir_.file("g.grd");
        SaveGrid(editor_.grid(), path);
        return testing_support::readFile(path);
    }
    bool step(const std::string& name, const std::function<void()>& change) {
        history_.Begin(editor_.grid(), editor_.currentSlot());
        change();
        return history_.Commit(editor_.grid(), name);
    }
    void undo() { swap(&GridHistory::Undo); }
    void redo() { swap(&GridHistory::Redo); }
    void swap(void (GridHistory::*how)(SpotGrid&, std::size_t&)) {
        std::size_t current = editor_.currentSlot();
        (history_.*how)(editor_.grid(), current);
        editor_.RestoreCurrentSlot(current);
    }
    int selectedQuads() const {
        int n = 0;
        for (const GridQuad& q : editor_.grid().quads) n += q.HasSelection();
        return n;
    }

    TempDir dir_{"orvane-grid-history"};
    LayeredImage image_ = uniformImage(600, 400, 1, 1000);
    GridEditor editor_;
    GridHistory history_;
};

TEST_F(GridHistoryTest, EveryKindOfStepUndoesToTheSameBytesAndRedoes) {
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

TEST_F(GridHistoryTest, AClickIsNoStepAndUndoLeavesOneSelection) {
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

TEST_F(GridHistoryTest, StepLimitAndSavedState) {
    EXPECT_FALSE(history_.Modified());
    for (int i = 0; i < 105; ++i)
        step("Mark Spot", [&] { editor_.grid().quad(0, 0).Flags(i % 4, 0) ^= Marked; });
    EXPECT_TRUE(history_.Modified());
    history_.MarkSaved();
    int undone = 0;
    for (; history_.CanUndo(); ++undone) undo();
    EXPECT_EQ(undone, int(GridHistory::kMaxSteps));
    EXPECT_TRUE(history_.Modified());
    while (history_.CanRedo()) redo();
    EXPECT_FALSE(history_.Modified()) << "back at the saved grid";
    undo();
    step("Mark Spot", [&] { editor_.grid().quad(1, 0).Flags(0, 0) ^= Marked; });
    EXPECT_FALSE(history_.CanRedo()) << "a new step drops what was undone";
    EXPECT_TRUE(history_.Modified());
}

}  // namespace
}  // namespace orvane
