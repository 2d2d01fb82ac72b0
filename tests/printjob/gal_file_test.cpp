// GenePix Array List files: block records, the feature table, the grid and map they give, the
// example from a public data set, and the refusals of files that cannot become a grid.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/core_error.h"
#include "document/layered_image.h"
#include "grid/define_grid.h"
#include "grid/layout_files.h"

namespace orvane {
namespace {

// A GAL of `blocks` block records (already formatted "x, y, ...") and feature rows, line ends
// `eol`.
std::string galText(const std::vector<std::string>& blocks, const std::vector<std::string>& rows,
                    const std::string& eol = "\n", const std::string& extraHeader = "") {
    std::string text = "ATF\t1.0" + eol + std::to_string(blocks.size() + 3) + "\t5" + eol;
    text += "\"Type=GenePix ArrayList V1.0\"" + eol +
            "\"BlockCount=" + std::to_string(blocks.size()) + "\"" + eol;
    text += "\"BlockType=0\"" + eol + extraHeader;
    for (std::size_t i = 0; i < blocks.size(); ++i)
        text += "\"Block" + std::to_string(i + 1) + "=" + blocks[i] + "\"" + eol;
    text += "\"Block\"\t\"Column\"\t\"Row\"\t\"ID\"\t\"Name\"" + eol;
    for (const std::string& row : rows) text += row + eol;
    return text;
}

GalFile parse(const std::string& text) {
    std::istringstream in(text);
    return ParseGal(in);
}

// 3 x 2 blocks of 3 x 2 features, listed out of row order: block 1 sits in the second row.
const std::vector<std::string> kSixBlocks = {
    "1000, 5500, 100, 3, 200, 2, 250", "1000, 1500, 100, 3, 200, 2, 250",
    "5000, 1500, 100, 3, 200, 2, 250", "9000, 1500, 100, 3, 200, 2, 250",
    "5000, 5500, 100, 3, 200, 2, 250", "9000, 5500, 100, 3, 200, 2, 250",
};

TEST(GalFileTest, RegularLayoutSetsTheGridAndTheMap) {
    for (const char* eol : {"\n", "\r\n"}) {
        SCOPED_TRACE(eol[0] == '\r' ? "CR LF" : "LF");
        const GalFile gal =
            parse(galText(kSixBlocks,
                          {"1\t1\t1\tW-1\t\"first, of block 1\"", "1\t3\t2\tempty\t\"empty\"",
                           "2\t2\t1\t\"EMPTY\"\tx", "6\t3\t2\t\"W 6\"\t\"last\""},
                          eol));
        ASSERT_EQ(gal.blocks.size(), 6u);
        EXPECT_EQ(gal.blocks[0].y, 5500);
        EXPECT_EQ(gal.blocks[0].xFeatures, 3);
        EXPECT_EQ(gal.blocks[0].ySpacing, 250);
        ASSERT_EQ(gal.features.size(), 4u);
        EXPECT_EQ(gal.features[0].name, "first, of block 1");

        GridParameters p;
        p.roundCells = 0;
        p.lockMode = 2;
        p.relativeOffsets = 0;
        p.zone = 1;
        ApplyGal(gal, p);
        EXPECT_EQ(p.cellsX, 3);
        EXPECT_EQ(p.cellsY, 2);
        EXPECT_DOUBLE_EQ(p.stepXmm, 0.2);
        EXPECT_DOUBLE_EQ(p.stepYmm, 0.25);
        EXPECT_DOUBLE_EQ(p.spotDiameter, 0.1);
        EXPECT_DOUBLE_EQ(p.backgroundDiameter, 0.15);
        EXPECT_EQ(p.quadsX, 3);
        EXPECT_EQ(p.quadsY, 2);
        EXPECT_DOUBLE_EQ(p.quadStepX, 4.0);
        EXPECT_DOUBLE_EQ(p.quadStepY, 4.0);
        EXPECT_DOUBLE_EQ(p.originX, 1.0);
        EXPECT_DOUBLE_EQ(p.originY, 1.5);
        EXPECT_EQ(p.relativeOffsets, 1) << "GAL positions are measured from the image corner";
        EXPECT_EQ(p.zone, 0);
        EXPECT_EQ(p.roundCells, 0) << "kept";
        EXPECT_EQ(p.lockMode, 2) << "kept";
        ASSERT_TRUE(p.slideMap);
        EXPECT_EQ(p.slideMapCount(), 36);
        // Block 1 lies at quad (0, 1), block 2 at (0, 0), block 6 at (2, 1).
        EXPECT_EQ(p.GetSpotRecord(0, 1, 0, 0)->Uid(), "W-1");
        EXPECT_EQ(p.GetSpotRecord(0, 1, 0, 0)->Description(), "first, of block 1");
        EXPECT_EQ(p.GetSpotRecord(0, 1, 2, 1)->Uid(), "") << "an ID of empty is no well";
        EXPECT_EQ(p.GetSpotRecord(0, 0, 1, 0)->Uid(), "") << "in any letter case";
        EXPECT_EQ(p.GetSpotRecord(2, 1, 2, 1)->Uid(), "W 6");
        EXPECT_EQ(p.GetSpotRecord(1, 0, 0, 0)->Uid(), "") << "a feature without a row";
    }
}

TEST(GalFileTest, TheExampleArrayListLoads) {
    // The header and blocks 1 and 48 of a GAL file from a public test-data set.
    GridParameters p;
    LoadGalFile(std::string(ORVANE_PRINTJOB_TEST_DATA) + "/genepix-array-list-blocks-1-48.gal", p);
    EXPECT_EQ(p.quadsX, 4);
    EXPECT_EQ(p.quadsY, 12);
    EXPECT_EQ(p.cellsX, 10);
    EXPECT_EQ(p.cellsY, 9);
    EXPECT_DOUBLE_EQ(p.stepXmm, 0.4);
    EXPECT_DOUBLE_EQ(p.stepYmm, 0.4);
    EXPECT_DOUBLE_EQ(p.spotDiameter, 0.11);
    EXPECT_DOUBLE_EQ(p.quadStepX, 4.5);
    EXPECT_DOUBLE_EQ(p.quadStepY, 4.5);
    EXPECT_DOUBLE_EQ(p.originX, 3.0);
    EXPECT_DOUBLE_EQ(p.originY, 18.3);
    EXPECT_EQ(p.slideMapCount(), 48 * 90);
    EXPECT_EQ(p.GetSpotRecord(0, 0, 0, 0)->Uid(), "8406");
    EXPECT_EQ(p.GetSpotRecord(0, 0, 0, 0)->Description(), "ndv0450|GABAb1 (14400)");
    EXPECT_EQ(p.GetSpotRecord(0, 0, 0, 2)->Uid(), "") << "empty";
    EXPECT_EQ(p.GetSpotRecord(3, 11, 9, 8)->Uid(), "12485");
    EXPECT_EQ(p.GetSpotRecord(3, 11, 9, 8)->Description(),
              "H3018D09|Mus musculus actin, beta, cytoplasmic (Actb), mRNA");
    for (std::size_t slot = 0; slot < p.quadShiftX.size(); ++slot) {
        EXPECT_EQ(p.quadShiftX[slot], 0.0) << "a regular file lies on its lattice, slot " << slot;
        EXPECT_EQ(p.quadShiftY[slot], 0.0) << "slot " << slot;
    }
}

// Blocks of 4 x 3 features at 0.4 mm, 3 x 2 blocks.
std::string galWithHeader(const std::string& atf, const std::string& countLine,
                          const std::vector<std::string>& records, const std::string& titles,
                          const std::vector<std::string>& rows) {
    std::string text = atf + "\n" + countLine + "\n";
    for (const std::string& r : records) text += r + "\n";
    text += titles + "\n";
    for (const std::string& r : rows) text += r + "\n";
    return text;
}

TEST(GalFileTest, HeaderVariantsOfRealFilesLoadAlike) {
    const std::vector<std::string> quoted = {
        "\"Type=GenePix ArrayList V1.0\"", "\"BlockCount=2\"", "\"BlockType=0\"",
        "\"Block1=1000, 1500, 100, 4, 400, 3, 400\"", "\"Block2=3000, 1500, 100, 4, 400, 3, 400\""};
    const std::vector<std::string> unquoted = {
        "Type=GenePix ArrayList V1.0", "Blockcount=2", "BlockType=0",
        "Block1=1000, 1500, 100, 4, 400, 3, 400", "Block2 = 3000, 1500, 100, 4, 400, 3, 400"};
    std::vector<std::string> trailingTabs;
    for (const std::string& r : quoted) trailingTabs.push_back(r + "\t\t\t");
    const std::string titles = "\"Block\"\t\"Column\"\t\"Row\"\t\"ID\"\t\"Name\"";
    const std::vector<std::string> rows = {"2\t3\t2\tW-7\tseven", "1\t1\t1\tW-1\tone"};
    struct Case {
        const char* name;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"quoted records", galWithHeader("ATF\t1.0", "7\t5", quoted, titles, rows)},
        {"unquoted records, Blockcount, ATF 1",
         galWithHeader("ATF 1", "7 5", unquoted, "Block\tColumn\tRow\tID\tName", rows)},
        {"trailing tabs everywhere",
         galWithHeader("ATF\t1.0\t", "7\t5\t\t", trailingTabs, titles + "\t\t",
                       {"2\t3\t2\tW-7\tseven\t\t", "1\t1\t1\tW-1\tone\t"})},
        {"columns in another order",
         galWithHeader("ATF\t1.0", "7\t5", quoted,
                       "\"ID\"\t\"Name\"\t\"Row\"\t\"Block\"\t\"Column\"",
                       {"W-7\tseven\t2\t2\t3", "W-1\tone\t1\t1\t1"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GridParameters p;
        std::istringstream in(c.text);
        ASSERT_NO_THROW(ApplyGal(ParseGal(in), p));
        EXPECT_EQ(p.cellsX, 4);
        EXPECT_EQ(p.cellsY, 3);
        EXPECT_EQ(p.quadsX, 2);
        EXPECT_DOUBLE_EQ(p.quadStepX, 2.0);
        EXPECT_DOUBLE_EQ(p.originX, 1.0);
        ASSERT_TRUE(p.slideMap);
        EXPECT_EQ(p.GetSpotRecord(1, 0, 2, 1)->Uid(), "W-7");
        EXPECT_EQ(p.GetSpotRecord(1, 0, 2, 1)->Description(), "seven");
        EXPECT_EQ(p.GetSpotRecord(0, 0, 0, 0)->Uid(), "W-1");
    }
}

// The block positions of a real array list: four columns at 2690, 7280, 11840 and 16270 um,
// rows that stray by some tens of micrometres. Define Grid puts every quad on its own block
// (within one pixel) and the parameters keep the best regular lattice through them.
TEST(GalFileTest, IrregularBlocksArePlacedWhereTheirRecordsSay) {
    const double xs[] = {2690, 7280, 11840, 16270};
    const double ys[][4] = {{5000, 5020, 4985, 5010}, {9530, 9490, 9505, 9560}};
    std::vector<std::string> blocks;
    for (const auto& row : ys)
        for (int c = 0; c < 4; ++c)
            blocks.push_back(std::to_string(xs[c]) + ", " + std::to_string(row[c]) +
                             ", 100, 10, 300, 9, 300");
    blocks.pop_back();  // the last block is not printed: its quad has no wells
    GridParameters p;
    std::istringstream in(galText(blocks, {"7\t10\t9\tW-7\tlast"}));
    ApplyGal(ParseGal(in), p);
    EXPECT_EQ(p.quadsX, 4);
    EXPECT_EQ(p.quadsY, 2);
    // Least squares over the seven blocks' (column, x): step 4.5404 mm, origin 2.7181 mm.
    EXPECT_NEAR(p.quadStepX, 33728.5714285714 / 7.4285714285714 / 1000, 1e-9);
    EXPECT_NEAR(p.originX, (59890 - 9 * p.quadStepX * 1000) / 7 / 1000, 1e-9);
    EXPECT_NEAR(p.quadStepY, (9530 + 9490 + 9505 - 5000 - 5020 - 4985) / 3.0 / 1000, 0.02);

    SpotGrid grid;
    grid.parameters = p;
    const LayeredImage image;  // 10 um pixels: 100 a millimetre
    DefineGridLayout(grid, image);
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 4; ++c) {
            SCOPED_TRACE("quad " + std::to_string(c) + "," + std::to_string(r));
            const GridQuad& q = grid.quad(c, r);
            ASSERT_TRUE(q.defined);
            if (r == 1 && c == 3) {
                // On the lattice, and without a well.
                EXPECT_NEAR(q.TL.x, (p.originX + 3 * p.quadStepX) * 100, 1);
                EXPECT_EQ(q.Flags(0, 0) & Excluded, Excluded);
                continue;
            }
            EXPECT_NEAR(q.TL.x, xs[c] / 10, 1);
            EXPECT_NEAR(q.TL.y, ys[r][c] / 10, 1);
            EXPECT_NEAR(q.BR.x, (xs[c] + 9 * 300) / 10, 1);
            EXPECT_NEAR(q.BR.y, (ys[r][c] + 8 * 300) / 10, 1);
            // Close to the lattice too, so that a grid laid out without the shifts is close.
            EXPECT_NEAR(q.TL.x, (p.originX + c * p.quadStepX) * 100, 10);
        }
    }
    EXPECT_EQ(grid.quad(2, 1).Flags(9, 8) & Excluded, 0) << "W-7 of block 7";
}

TEST(GalFileTest, RefusalsNameTheProblemAndChangeNothing) {
    const std::string ok = "1000, 1500, 100, 3, 200, 2, 250";
    struct Case {
        std::string text;
        std::string message;  // a part of the message
    };
    const std::vector<Case> cases = {
        {"", "does not begin with ATF"},
        {"Block\tColumn\n", "does not begin with ATF"},
        {"ATF\t1.0\n", "line 1: the file ends after its first line"},
        {"ATF\t1.0\nabc\n", "line 2: expected the number of header records"},
        {galText({ok}, {}, "\n", "\"BlockType=1\"\n"), "line 6: only rectangular blocks"},
        {galText({ok}, {}, "\n", "\"Type=Something else\"\n"), "not a GenePix Array List"},
        {galText({"1000, 1500, 100, 3, 200, 2"}, {}), "line 6: Block1 needs x, y, diameter"},
        {galText({"1000, 1500, 100, 3, -200, 2, 250"}, {}), "Block1 needs"},
        {galText({"1000, 1500, 100, 0, 200, 2, 250"}, {}), "Block1 needs"},
        {galText({"1000, 1500, 100, 10001, 200, 2, 250"}, {}), "Block1 needs"},
        {galText({"1000, 1500, 1e999, 3, 200, 2, 250"}, {}), "Block1 needs"},
        {galText({"1000, 408444444444444400, 100, 3, 200, 2, 250"}, {}), "lengths at most 1 m"},
        {galText({"1000, 1500, 100, 3, 200, 2, 1000001"}, {}), "lengths at most 1 m"},
        {galText({ok, ok}, {}, "\n", "\"Block2=" + ok + "\"\n"), "Block2 is given twice"},
        {galText({ok}, {}, "\n", "\"Block3=" + ok + "\"\n"), "Block2 is missing"},
        {galText({ok}, {}, "\n", "\"Block65=" + ok + "\"\n"), "Block65 is not a block"},
        {galText({ok}, {}, "\n", "\"BlockCount=2\"\n"),
         "line 8: Blockcount=2 but 1 blocks are described"},
        {galText({ok}, {}, "\n", "no equals sign\n"), "line 6: expected a header record"},
        {"ATF\t1.0\n1\t5\n\"Block1=" + ok + "\"\n", "ends before the column titles"},
        {"ATF\t1.0\n1\t3\n\"Block1=" + ok + "\"\n\"Block\"\t\"Column\"\t\"Row\"\n",
         "line 4: the column titles lack"},
        {galText({}, {}), "Blockcount is not a positive number"},
        {"ATF\t1.0\n0\t5\n\"Block\"\t\"Column\"\t\"Row\"\t\"ID\"\t\"Name\"\n",
         "line 3: the header records describe no block"},
        {galText({ok}, {"1\t4\t1\tX\tx"}), "line 8: Column or Row lies outside block 1"},
        {galText({ok}, {"1\t1\t3\tX\tx"}), "Column or Row lies outside block 1"},
        {galText({ok}, {"2\t1\t1\tX\tx"}), "Block is not one of the blocks 1 to 1"},
        {galText({ok}, {"0\t1\t1\tX\tx"}), "Block is not one of"},
        {galText({ok}, {"1\tone\t1\tX\tx"}), "Column or Row lies outside"},
        {galText({ok}, {"1\t1\t1"}), "fewer fields than the column titles"},
        // Layouts that cannot be one grid of at most 4 x 16 blocks of one size: two blocks in
        // one place (closer than half a block), too many columns, blocks that differ.
        {galText({ok, "1000.4, 1500, 100, 3, 200, 2, 250"}, {}), "regular grid"},
        {galText({ok, "1290, 1740, 100, 3, 200, 2, 250"}, {}), "regular grid"},
        {galText({ok, "2000, 1500, 100, 3, 200, 2, 250", "3000, 1500, 100, 3, 200, 2, 250",
                  "4000, 1500, 100, 3, 200, 2, 250", "5000, 1500, 100, 3, 200, 2, 250"},
                 {}),
         "at most 4 x 16"},
        {galText({ok, "5000, 1500, 100, 3, 200, 3, 250"}, {}), "differ in size"},
        {galText({ok, "5000, 1500, 120, 3, 200, 2, 250"}, {}), "differ in size"},
        {galText({"0, 0, 100, 10000, 200, 200, 250"}, {}), "more than 1000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        GridParameters p;
        const GridParameters before = p;
        try {
            std::istringstream in(c.text);
            ApplyGal(ParseGal(in), p);
            ADD_FAILURE() << "accepted";
        } catch (const CoreError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
        EXPECT_FALSE(p.slideMap);
        EXPECT_EQ(p.cellsX, before.cellsX);
        EXPECT_EQ(p.quadsX, before.quadsX);
        EXPECT_EQ(p.originX, before.originX);
    }
}

TEST(GalFileTest, PositionsWithinAMicrometreAreOneRowOrColumn) {
    GridParameters p;
    std::istringstream in(
        galText({"1000, 1500, 100, 3, 200, 2, 250", "5000.5, 1500.4, 100, 3, 200, 2, 250"}, {}));
    ApplyGal(ParseGal(in), p);
    EXPECT_EQ(p.quadsX, 2);
    EXPECT_EQ(p.quadsY, 1);
    EXPECT_DOUBLE_EQ(p.quadStepX, 4.0005);
    EXPECT_DOUBLE_EQ(p.quadStepY, 4.5) << "a single row keeps its template step";
}

TEST(GalFileTest, ByteOrderMarkIsNoPartOfTheFirstLine) {
    GridParameters p;
    std::istringstream in("\xEF\xBB\xBF" +
                          galText({"1000, 1500, 100, 3, 200, 2, 250"}, {"1\t2\t2\tW\tx"}));
    ApplyGal(ParseGal(in), p);
    EXPECT_EQ(p.cellsX, 3);
    EXPECT_EQ(p.GetSpotRecord(0, 0, 1, 1)->Uid(), "W");
}

// Found by fuzzing: an ID holding a NUL byte was stored cut at the NUL, so the spot silently got
// another well's ID. Any NUL now refuses the file, naming its line; nothing changes.
TEST(GalFileTest, NulBytesRefuseTheFile) {
    using namespace std::string_literals;
    const std::string ok = "1000, 1500, 100, 3, 200, 2, 250";
    struct Case {
        std::string text;
        std::string message;
    };
    const std::vector<Case> cases = {
        {galText({ok}, {"1\t1\t2\t\x01\0\0\0y\tgene"s}), "line 8: the line holds a NUL byte"},
        {galText({ok}, {"1\t1\t2\tW\tgene\0 2"s}), "line 8: the line holds a NUL byte"},
        {galText({ok}, {}, "\n", "\"Note=\0\"\n"s), "line 6: the line holds a NUL byte"},
        {"ATF\t1.0\n3\t5\0\n"s, "line 2: the line holds a NUL byte"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        GridParameters p;
        try {
            std::istringstream in(c.text);
            ApplyGal(ParseGal(in), p);
            ADD_FAILURE() << "accepted";
        } catch (const CoreError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
        EXPECT_FALSE(p.slideMap);
    }
}

TEST(GalFileTest, MissingFile) {
    GridParameters p;
    try {
        LoadGalFile("/nonexistent/array.gal", p);
        ADD_FAILURE() << "accepted";
    } catch (const CoreError& error) {
        EXPECT_STREQ(error.what(), "Unable to open file.");
    }
}

}  // namespace
}  // namespace orvane
