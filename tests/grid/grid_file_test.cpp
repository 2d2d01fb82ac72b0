// Tests of the grid definition file: layout and size, line-end translation, round trips, and
// refusal of damaged files without touching the grid.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "../support/grid_field_values.h"
#include "../support/temp_dir.h"
#include "base/core_error.h"
#include "grid/define_grid.h"
#include "grid/grid_file.h"
#include "grid_printers.h"

namespace orvane {
namespace {

std::string stored(const SpotGrid& grid) {
    std::ostringstream out;
    WriteGrid(grid, out);
    return out.str();
}

// The content bytes of a stored file (CR LF back to LF).
std::string content(const std::string& file) {
    std::string c;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] == '\r' && i + 1 < file.size() && file[i + 1] == '\n') continue;
        c.push_back(file[i]);
    }
    return c;
}

std::string translate(const std::string& c) {
    std::string file;
    for (char ch : c) {
        if (ch == '\n') file.push_back('\r');
        file.push_back(ch);
    }
    return file;
}

void putI32(std::string& c, std::size_t offset, std::int32_t v) {
    for (int i = 0; i < 4; ++i)
        c[offset + i] = static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xff);
}

std::int32_t getI32(const std::string& c, std::size_t offset) {
    std::uint32_t u = 0;
    for (int i = 3; i >= 0; --i) u = (u << 8) | static_cast<unsigned char>(c[offset + i]);
    return static_cast<std::int32_t>(u);
}

constexpr std::size_t kParams = 43;           // content offset of the parameter block
constexpr std::size_t kFirstQuad = 43 + 208;  // without a map

SpotGrid definedGrid(std::int32_t quadsX = 1, std::int32_t quadsY = 1) {
    SpotGrid grid;
    grid.parameters.quadsX = quadsX;
    grid.parameters.quadsY = quadsY;
    DefineGridLayout(grid, LayeredImage{});
    return grid;
}

void readInto(const std::string& file, SpotGrid& grid) {
    std::istringstream in(file);
    ReadGrid(in, grid);
}

TEST(GridFile, OneQuadOf11By5Has921ContentBytes) {
    const SpotGrid grid = definedGrid();
    const std::string file = stored(grid);
    const std::string c = content(file);
    EXPECT_EQ(c.size(), 921u);
    EXPECT_EQ(file.size(), 921u + static_cast<std::size_t>(std::count(c.begin(), c.end(), '\n')));
    EXPECT_EQ(file.substr(0, 44), std::string(kGridFileHeader) + "\r\n");
    EXPECT_EQ(getI32(c, kParams + 100), 11);
    EXPECT_EQ(getI32(c, kParams + 164), 1);
    EXPECT_EQ(getI32(c, kFirstQuad + 16), 55);
    EXPECT_EQ(getI32(c, kFirstQuad + 60), 10);  // spotRadius
    EXPECT_EQ(getI32(c, kFirstQuad + 100), 1);  // defined
}

TEST(GridFile, EachContentLineFeedAddsOneStoredByte) {
    SpotGrid grid = definedGrid();
    grid.quad(0, 0).TL.x = 11;
    const std::size_t base = stored(grid).size();
    grid.quad(0, 0).TL.x = 10;  // one more 0x0A byte
    EXPECT_EQ(stored(grid).size(), base + 1);
    grid.quad(0, 0).OffsetY(3, 2) = 0x0a0a;
    EXPECT_EQ(stored(grid).size(), base + 3);
}

TEST(GridFile, MapAdds512BytesPerSpot) {
    SpotGrid grid = definedGrid(2, 1);
    const std::size_t without = content(stored(grid)).size();
    grid.parameters.slideMap = std::make_shared<SlideMap>(2, 1, 11, 5);
    const std::string c = content(stored(grid));
    EXPECT_EQ(c.size(), without + 2 * 55 * 512);
    EXPECT_EQ(getI32(c, kParams + 92), 1);
    EXPECT_EQ(getI32(c, kParams + 96), 110);
}

TEST(GridFile, RoundTripKeepsCornersOffsetsFlagsSelectionsAndMap) {
    SpotGrid grid = definedGrid(2, 2);
    GridQuad& q = grid.quad(1, 0);
    q.TR = {900, -3};
    q.BL = {26, 0x0d0a};  // 0x1A and 0D 0A in the data
    q.Flags(0, 0) = Highlighted;
    q.Flags(1, 0) = Marked;
    q.Flags(2, 0) = Excluded;
    q.Flags(3, 0) = 0x0a;
    q.SelectSpot(4, 3);
    q.OffsetX(5, 1) = 0x0a;
    q.OffsetY(5, 1) = 0x0d;
    q.OffsetX(6, 1) = 0x1a;
    q.OffsetY(6, 1) = 0x0a0d;  // content 0D 0A is stored 0D 0D 0A
    q.OffsetX(7, 1) = -1;
    q.fullDisplay = 0;
    grid.quad(0, 1).SelectSpot(0, 0);
    auto map = std::make_shared<SlideMap>(2, 2, 11, 5);
    map->GetSpotRecord(1, 1, 10, 4)->SetUid("AB 12");
    map->GetSpotRecord(1, 1, 10, 4)->SetDescription("line\nfeed\r\n\x1a");
    grid.parameters.slideMap = map;
    grid.parameters.stepYmm = 0.1;
    grid.parameters.lockMode = 2;

    SpotGrid loaded;
    readInto(stored(grid), loaded);
    EXPECT_EQ(loaded.parameters.stepYmm, 0.1);
    EXPECT_EQ(loaded.parameters.lockMode, 2);
    EXPECT_EQ(loaded.parameters.quadsY, 2);
    ASSERT_TRUE(loaded.parameters.slideMap);
    EXPECT_EQ(loaded.parameters.GetSpotRecord(1, 1, 10, 4)->Uid(), "AB 12");
    EXPECT_EQ(loaded.parameters.GetSpotRecord(1, 1, 10, 4)->Description(), "line\nfeed\r\n\x1a");
    for (std::int32_t qx = 0; qx < 2; ++qx) {
        for (std::int32_t qy = 0; qy < 2; ++qy) {
            SCOPED_TRACE(testing::Message() << "quad " << qx << "," << qy);
            const GridQuad& a = grid.quad(qx, qy);
            const GridQuad& b = loaded.quad(qx, qy);
            EXPECT_EQ(b.TL, a.TL);
            EXPECT_EQ(b.TR, a.TR);
            EXPECT_EQ(b.BL, a.BL);
            EXPECT_EQ(b.BR, a.BR);
            EXPECT_EQ(b.selCol, a.selCol);
            EXPECT_EQ(b.selRow, a.selRow);
            EXPECT_EQ(b.fullDisplay, a.fullDisplay);
            EXPECT_EQ(b.stepX, a.stepX);
            ASSERT_EQ(b.count, a.count);
            for (std::int32_t i = 0; i < a.count; ++i) {
                EXPECT_EQ(b.flags[i], a.flags[i]) << i;
                EXPECT_EQ(b.offsetX[i], a.offsetX[i]) << i;
                EXPECT_EQ(b.offsetY[i], a.offsetY[i]) << i;
            }
        }
    }
}

// Each field set by its --set name keeps its value through the file, and no other field moves.
TEST(GridFile, EveryFieldSetByNameRoundTrips) {
    for (const GridFieldSpec& field : kGridFields) {
        SpotGrid grid;
        const std::string value = testing_support::otherFieldText(field, grid.parameters);
        ApplyGridSettings(grid.parameters, {{field.name, value}}, PrintJobParameters{});
        ASSERT_EQ(FormatGridFields(grid.parameters)[static_cast<std::size_t>(field.field)], value);
        SpotGrid loaded;
        readInto(stored(grid), loaded);
        EXPECT_EQ(FormatGridFields(loaded.parameters), FormatGridFields(grid.parameters))
            << field.name;
    }
}

TEST(GridFile, CarriageReturnNotBeforeLineFeedIsData) {
    // A content 0x0D followed by 0x0A is stored 0D 0D 0A; the reader must not eat the first.
    SpotGrid grid = definedGrid();
    grid.quad(0, 0).OffsetX(0, 0) = 0x0a0d;
    const std::string file = stored(grid);
    EXPECT_NE(file.find(std::string("\r\r\n", 3)), std::string::npos);
    SpotGrid loaded;
    readInto(file, loaded);
    EXPECT_EQ(loaded.quad(0, 0).OffsetX(0, 0), 0x0a0d);
}

TEST(GridFile, LoadingFewerQuadsLeavesOtherSlots) {
    SpotGrid loaded = definedGrid(2, 3);
    loaded.quad(1, 2).TL = {7, 7};
    readInto(stored(definedGrid(1, 1)), loaded);
    EXPECT_EQ(loaded.parameters.quadsX, 1);
    EXPECT_EQ(loaded.quad(1, 2).TL, (GridPoint{7, 7}));
    EXPECT_FALSE(loaded.parameters.slideMap);
}

TEST(GridFile, UndefinedSlotsRoundTripAsEmpty) {
    SpotGrid grid;
    grid.parameters.quadsX = 2;
    grid.quad(0, 0).InitQuad(0, 0, 10, 10, 2, 2, 1, 1, 1);
    SpotGrid loaded = definedGrid(2, 1);
    readInto(stored(grid), loaded);
    EXPECT_EQ(loaded.quad(1, 0).defined, 0);
    EXPECT_EQ(loaded.quad(1, 0).flags, nullptr);
    EXPECT_EQ(loaded.quad(0, 0).count, 4);
}

TEST(GridFile, MapIsReindexedWhenCellsChangedAfterLoadMap) {
    SpotGrid grid = definedGrid();
    auto map = std::make_shared<SlideMap>(1, 1, 3, 2);
    map->GetSpotRecord(0, 0, 2, 1)->SetUid("W21");
    grid.parameters.slideMap = map;  // the grid itself has 11 x 5 cells
    SpotGrid loaded;
    readInto(stored(grid), loaded);
    EXPECT_EQ(loaded.parameters.slideMapCount(), 55);
    EXPECT_EQ(loaded.parameters.GetSpotRecord(0, 0, 2, 1)->Uid(), "W21");
    EXPECT_EQ(loaded.parameters.GetSpotRecord(0, 0, 10, 4)->Uid(), "");
}

TEST(GridFile, WritingOutOfRangeCountsIsRefused) {
    SpotGrid grid;
    grid.parameters.cellsX = 0;  // as Load Map leaves it for a file without zone lines
    std::ostringstream out;
    EXPECT_THROW(WriteGrid(grid, out), CoreError);
}

// Asserts that reading `file` is refused and leaves `grid` as it was.
void expectRefused(const std::string& file, const std::string& messagePart) {
    SpotGrid grid = definedGrid();
    grid.quad(0, 0).SelectSpot(1, 1);
    grid.parameters.originX = 1.25;
    const std::string before = stored(grid);
    try {
        readInto(file, grid);
        ADD_FAILURE() << "accepted";
    } catch (const CoreError& e) {
        EXPECT_NE(std::string(e.what()).find(messagePart), std::string::npos) << e.what();
    }
    EXPECT_EQ(stored(grid), before);
}

struct DamageCase {
    const char* name;
    std::vector<std::pair<std::size_t, std::int32_t>> fields;  // content offset, new int32 value
    const char* messagePart;
};

TEST(GridFile, CountsOutsideTheRangesAreRefused) {
    const std::string good = content(stored(definedGrid()));
    const std::vector<DamageCase> cases = {
        {"quadsX 0", {{kParams + 164, 0}}, "Quads X"},
        {"quadsX 5", {{kParams + 164, 5}}, "Quads X"},
        {"quadsY 17", {{kParams + 176, 17}}, "Quads Y"},
        {"quadsY negative", {{kParams + 176, -1}}, "Quads Y"},
        {"cellsX 0", {{kParams + 100, 0}}, "Cells X"},
        {"cellsY 10001", {{kParams + 104, 10001}}, "Cells Y"},
        {"map count without records", {{kParams + 92, 1}}, "slide map"},
        {"quad count differs", {{kFirstQuad + 16, 54}}, "nx x ny"},
        {"nx zero", {{kFirstQuad + 52, 0}}, "outside 1..10000"},
        {"ny too large", {{kFirstQuad + 56, 10001}}, "outside 1..10000"},
        {"selection outside", {{kFirstQuad + 76, 11}}, "selected spot"},
        {"half a selection", {{kFirstQuad + 76, 3}, {kFirstQuad + 80, -1}}, "selected spot"},
        {"undefined with spots", {{kFirstQuad + 100, 0}}, "undefined"},
    };
    for (const DamageCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string damaged = good;
        for (const auto& [offset, value] : c.fields) putI32(damaged, offset, value);
        expectRefused(translate(damaged), c.messagePart);
    }
}

TEST(GridFile, MapCountMustMatchTheGeometry) {
    SpotGrid grid = definedGrid();
    grid.parameters.slideMap = std::make_shared<SlideMap>(1, 1, 11, 5);
    std::string c = content(stored(grid));
    putI32(c, kParams + 96, 54);
    expectRefused(translate(c), "slide map");
    putI32(c, kParams + 96, -55);
    expectRefused(translate(c), "slide map");
}

TEST(GridFile, HeaderMustMatch) {
    const std::string good = stored(definedGrid());
    for (const std::string& file :
         {std::string("grid definition file (binary, do not edit!)\r\n") + good.substr(44),
          "GRID" + good.substr(4), good.substr(0, 42) + good.substr(44), std::string(),
          std::string(5000, 'g')}) {
        SCOPED_TRACE(file.substr(0, 50));
        expectRefused(file, "header");
    }
}

TEST(GridFile, EveryTruncationIsRefused) {
    SpotGrid grid = definedGrid(1, 2);
    grid.parameters.slideMap = std::make_shared<SlideMap>(1, 2, 11, 5);
    const std::string file = stored(grid);
    for (std::size_t length = 0; length < file.size(); length += (length < 300 ? 1 : 97)) {
        SCOPED_TRACE(length);
        SpotGrid target = definedGrid();
        const std::string before = stored(target);
        std::istringstream in(file.substr(0, length));
        EXPECT_THROW(ReadGrid(in, target), CoreError);
        EXPECT_EQ(stored(target), before);
    }
}

TEST(GridFile, HugeDeclaredQuadInATinyFileIsRefusedBeforeAllocating) {
    std::string c = content(stored(definedGrid()));
    putI32(c, kFirstQuad + 52, 10000);
    putI32(c, kFirstQuad + 56, 10000);
    putI32(c, kFirstQuad + 16, 100000000);
    expectRefused(translate(c), "ends early");
}

TEST(GridFile, ByteAfterTheLastQuadIsIgnoredAndGarbledFilesNeverCrash) {
    SpotGrid grid = definedGrid(1, 2);
    grid.parameters.slideMap = std::make_shared<SlideMap>(1, 2, 11, 5);
    const std::string file = stored(grid);
    SpotGrid trailing;
    readInto(file + "x", trailing);  // the reader stops after the last quad record
    EXPECT_EQ(trailing.quad(0, 1).count, 55);
    std::mt19937 random(1234);
    for (int round = 0; round < 300; ++round) {
        std::string garbled = file;
        const int flips = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < flips; ++i) {
            // Damage the header, parameter block or quad headers most of the time.
            const std::size_t limit = (random() % 4 == 0) ? garbled.size() : 400;
            garbled[random() % limit] = static_cast<char>(random() & 0xff);
        }
        SpotGrid target;
        try {
            readInto(garbled, target);
        } catch (const CoreError&) {
            EXPECT_EQ(target.quad(0, 0).defined, 0);  // nothing half-loaded
        }
    }
}

class GridFileOnDisk : public testing::Test {
protected:
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir_),
                                                      std::filesystem::directory_iterator()));
    }
    testing_support::TempDir temp_{"grid_file_test"};
    const std::filesystem::path dir_ = temp_.path();
};

TEST_F(GridFileOnDisk, SaveAndLoad) {
    const std::string path = (dir_ / "grid_definition.grd").string();
    SpotGrid grid = definedGrid();
    grid.quad(0, 0).OffsetX(1, 1) = 26;
    SaveGrid(grid, path);
    EXPECT_EQ(entries(), 1u);
    SpotGrid loaded;
    LoadGrid(path, loaded);
    EXPECT_EQ(loaded.quad(0, 0).OffsetX(1, 1), 26);
}

TEST_F(GridFileOnDisk, FailedSaveKeepsTheOldFileAndLeavesNoTemporary) {
    const std::string path = (dir_ / "g.grd").string();
    SaveGrid(definedGrid(), path);
    const auto size = std::filesystem::file_size(path);
    SpotGrid bad = definedGrid(2, 1);
    bad.parameters.quadsX = 9;
    EXPECT_THROW(SaveGrid(bad, path), CoreError);
    EXPECT_EQ(std::filesystem::file_size(path), size);
    EXPECT_EQ(entries(), 1u);
}

TEST_F(GridFileOnDisk, UnopenablePaths) {
    SpotGrid grid;
    for (const std::string& path : {(dir_ / "missing" / "g.grd").string(), dir_.string()}) {
        SCOPED_TRACE(path);
        try {
            LoadGrid(path, grid);
            ADD_FAILURE() << "loaded";
        } catch (const CoreError& e) {
            EXPECT_STREQ(e.what(), "Unable to open file.");
        }
    }
    try {
        SaveGrid(definedGrid(), (dir_ / "missing" / "g.grd").string());
        ADD_FAILURE() << "saved";
    } catch (const CoreError& e) {
        EXPECT_STREQ(e.what(), "Unable to open file.");
    }
}

}  // namespace
}  // namespace orvane
