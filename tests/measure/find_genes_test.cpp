// Find / Highlight Genes: every option combination, counts and messages.
#include <gtest/gtest.h>

#include <memory>

#include "base/core_error.h"
#include "measure/find_genes.h"

namespace orvane {
namespace {

// One quad of 4 x 1 spots annotated ABC1, xAbC, AB1 and an empty well.
SpotGrid annotatedGrid() {
    SpotGrid grid;
    grid.parameters.cellsX = 4;
    grid.parameters.cellsY = 1;
    grid.quad(0, 0).InitQuad(0, 0, 30, 0, 4, 1, 3, 4, 1);
    auto map = std::make_shared<SlideMap>(1, 1, 4, 1);
    const char* uids[] = {"ABC1", "xAbC", "AB1", ""};
    const char* descriptions[] = {"heat shock", "Abc kinase", "ab", ""};
    for (int i = 0; i < 4; ++i) {
        map->GetSpotRecord(0, 0, i, 0)->SetUid(uids[i]);
        map->GetSpotRecord(0, 0, i, 0)->SetDescription(descriptions[i]);
    }
    grid.parameters.slideMap = map;
    return grid;
}

std::string highlights(const SpotGrid& grid) {
    std::string s;
    for (int i = 0; i < 4; ++i) s += (grid.quad(0, 0).Flags(i, 0) & Highlighted) ? '1' : '0';
    return s;
}

TEST(FindGenesTest, EveryOptionCombination) {
    struct Case {
        const char* pattern;
        bool matchCase, wholeWord, uid, descr;
        const char* expected;
    };
    const Case cases[] = {
        {"abc", false, false, true, true, "1100"},
        {"abc", true, false, true, true, "0000"},
        {"AbC", true, false, true, false, "0100"},
        {"Abc", true, false, false, true, "0100"},
        {"AB", false, true, true, false, "0000"},  // whole word: AB is not AB1
        {"AB", false, false, true, false, "1110"},
        {"ab", false, true, false, true, "0010"},
        {"ab", true, true, true, true, "0010"},
        {"AB1", true, true, true, true, "0010"},
        {"abc", false, false, false, false, "0000"},
        {"", false, false, true, true, "1111"},  // every text contains the empty text
        {"", false, true, true, true, "0001"},   // only empty fields equal it
        {"", false, true, false, true, "0001"},
        {"kinase", false, false, true, false, "0000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << '"' << c.pattern << "\" case " << c.matchCase << " whole " << c.wholeWord
                     << " uid " << c.uid << " descr " << c.descr);
        SpotGrid grid = annotatedGrid();
        const FindSettings settings{c.pattern, c.matchCase, c.wholeWord, c.uid, c.descr};
        const std::int32_t count = FindGenes(grid, settings);
        EXPECT_EQ(highlights(grid), c.expected);
        EXPECT_EQ(count, static_cast<std::int32_t>(std::count(c.expected, c.expected + 4, '1')));
    }
}

TEST(FindGenesTest, EachSearchReplacesTheHighlightsAndKeepsOtherBits) {
    SpotGrid grid = annotatedGrid();
    grid.quad(0, 0).Flags(1, 0) = Marked | Excluded;
    EXPECT_EQ(FindGenes(grid, {"abc", false, false, true, true}), 2) << "excluded spots take part";
    EXPECT_EQ(grid.quad(0, 0).Flags(1, 0), Marked | Excluded | Highlighted);
    EXPECT_EQ(FindGenes(grid, {"zzz", false, false, true, true}), 0);
    EXPECT_EQ(highlights(grid), "0000");
    EXPECT_EQ(grid.quad(0, 0).Flags(1, 0), Marked | Excluded);
}

TEST(FindGenesTest, MessagesAndPreconditions) {
    EXPECT_EQ(FindResultMessage(0), "Pattern not found.");
    EXPECT_EQ(FindResultMessage(3), "Found 3 matching genes.");
    SpotGrid grid = annotatedGrid();
    EXPECT_NO_THROW(RequireAnnotatedGrid(true, ToolKind::Grid, grid));
    EXPECT_THROW(RequireAnnotatedGrid(false, ToolKind::Grid, grid), CoreError);
    EXPECT_THROW(RequireAnnotatedGrid(true, ToolKind::Rectangle, grid), CoreError);
    grid.parameters.slideMap.reset();
    try {
        RequireAnnotatedGrid(true, ToolKind::Grid, grid);
        ADD_FAILURE() << "no error";
    } catch (const CoreError& e) {
        EXPECT_STREQ(e.what(), "Find requires annotated grid");
    }
}

TEST(FindGenesTest, SpotsBeyondASmallerMapMatchAsEmpty) {
    SpotGrid grid = annotatedGrid();
    grid.parameters.cellsX = 5;
    grid.quad(0, 0).InitQuad(0, 0, 40, 0, 5, 1, 3, 4, 1);
    EXPECT_EQ(FindGenes(grid, {"", false, true, true, false}), 2);
    EXPECT_EQ(grid.quad(0, 0).Flags(4, 0) & Highlighted, Highlighted);
}

}  // namespace
}  // namespace orvane
