// Tests of Load Map: line formats, geometry checks, the mirrored pin table and the map records.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/core_error.h"
#include "grid/layout_files.h"

namespace orvane {
namespace {

struct MapRun {
    GridParameters params;
    PrintJobParameters job;
    std::vector<std::string> messages;
    std::string diagnostics;
};

MapRun loadMap(const std::string& text, GridParameters params = {}) {
    MapRun run;
    run.params = std::move(params);
    std::istringstream in(text);
    std::ostringstream out;
    run.messages = LoadMap(in, run.params, run.job, out);
    run.diagnostics = out.str();
    return run;
}

std::string uidAt(const GridParameters& p, int qx, int qy, int sx, int sy) {
    const SlideMapRecord* r = p.GetSpotRecord(qx, qy, sx, sy);
    return r ? std::string(r->Uid()) : "<none>";
}

TEST(ParsePinLine, FieldsAndBlanks) {
    const auto pin = ParsePinLine("pin_x# 0, pin_y# 1, well_uid: AB 12, well_descr: kinase 3");
    ASSERT_TRUE(pin);
    EXPECT_EQ(pin->pinX, 0);
    EXPECT_EQ(pin->pinY, 1);
    EXPECT_EQ(pin->uid, "AB 12");
    EXPECT_EQ(pin->description, "kinase");
    const auto tight = ParsePinLine("pin_x#3,pin_y#-2,well_uid:X,well_descr:d\r");
    ASSERT_TRUE(tight);
    EXPECT_EQ(tight->pinY, -2);
    EXPECT_EQ(tight->description, "d");
}

TEST(ParsePinLine, IncompleteLinesAreNotPinLines) {
    for (const char* line :
         {"pin_x# 0, pin_y# 1, well_uid: A1, well_descr:",
          "pin_x# 0, pin_y# 1, well_uid: A1 well_descr: x",
          "pin_x# 0, pin_y# 1, well_uid: , well_descr: x",  // blank UID: %[^,] needs a character
          " pin_x# 0, pin_y# 1, well_uid: A1, well_descr: x",
          "pin_x #0, pin_y# 1, well_uid: A1, well_descr: x",
          "pin_x# 99999999999, pin_y# 1, well_uid: A1, well_descr: x", ""}) {
        SCOPED_TRACE(line);
        EXPECT_FALSE(ParsePinLine(line));
    }
}

TEST(ParseZoneLine, FieldsAndRefusals) {
    const auto zone =
        ParseZoneLine("zone# 2, block_col# 1, block_row# 0, spot_col# 3, spot_row# 5");
    ASSERT_TRUE(zone);
    EXPECT_EQ(zone->zone, 2);
    EXPECT_EQ(zone->blockCol, 1);
    EXPECT_EQ(zone->spotCol, 3);
    EXPECT_EQ(zone->spotRow, 5);
    EXPECT_FALSE(ParseZoneLine("zone# 2, block_col# 1, block_row# 0, spot_col# 3"));
    EXPECT_FALSE(ParseZoneLine("zone# 2; block_col# 1, block_row# 0, spot_col# 3, spot_row# 5"));
}

const char* kPins =
    "pins_x = 2\npins_y = 2\n"
    "pin_x# 0, pin_y# 0, well_uid: A1, well_descr: alpha\n"
    "pin_x# 1, pin_y# 0, well_uid: A2, well_descr: beta\n"
    "pin_x# 0, pin_y# 1, well_uid: B1, well_descr: gamma\n"
    "pin_x# 1, pin_y# 1, well_uid: B2, well_descr: delta\n";

TEST(LoadMap, PinRowsAreMirroredWithinTheBlock) {
    const MapRun run = loadMap(std::string(kPins) +
                               "zone# 0, block_col# 1, block_row# 0, spot_col# 3, spot_row# 5\n");
    EXPECT_EQ(uidAt(run.params, 2, 0, 3, 5), "B1");
    EXPECT_EQ(uidAt(run.params, 3, 0, 3, 5), "B2");
    EXPECT_EQ(uidAt(run.params, 2, 1, 3, 5), "A1");
    EXPECT_EQ(uidAt(run.params, 3, 1, 3, 5), "A2");
    EXPECT_EQ(run.params.GetSpotRecord(3, 1, 3, 5)->Description(), "beta");
    EXPECT_EQ(uidAt(run.params, 0, 0, 3, 5), "");  // block 0 never printed
    EXPECT_TRUE(run.messages.empty());
}

TEST(LoadMap, SetsTheGeometryFields) {
    GridParameters start;
    start.roundCells = 0;
    start.lockMode = 2;
    start.dragFullGrid = 1;
    start.spotDiameter = 1.0;
    const MapRun run =
        loadMap(std::string(kPins) +
                    "grid_step_x 0.4\nzone_0_origin_x 7.25\n"
                    "zone# 0, block_col# 1, block_row# 0, spot_col# 3, spot_row# 5\n",
                start);
    const GridParameters& p = run.params;
    EXPECT_EQ(p.cellsX, 4);
    EXPECT_EQ(p.cellsY, 6);
    EXPECT_EQ(p.quadsX, 4);
    EXPECT_EQ(p.quadsY, 2);
    EXPECT_EQ(p.stepXmm, 0.4);
    EXPECT_EQ(p.stepYmm, 0.35);
    EXPECT_EQ(p.quadStepX, 4.5);
    EXPECT_EQ(p.originX, 7.25);
    EXPECT_EQ(p.originY, 3.5);
    EXPECT_EQ(p.relativeOffsets, 0);
    EXPECT_EQ(p.zone, 0);
    EXPECT_EQ(p.spotDiameter, 0.2);
    EXPECT_EQ(p.backgroundDiameter, 0.3);
    EXPECT_EQ(p.roundCells, 0);
    EXPECT_EQ(p.lockMode, 2);
    EXPECT_EQ(p.dragFullGrid, 1);
    EXPECT_EQ(p.slideMapCount(), 4 * 2 * 4 * 6);
    EXPECT_EQ(p.slideMap->spotsY(), 6);
}

TEST(LoadMap, LaterPinLinesApplyOnlyToLaterStrokes) {
    const MapRun run = loadMap(std::string(kPins) +
                               "zone# 0, block_col# 0, block_row# 0, spot_col# 0, spot_row# 0\n"
                               "pin_x# 0, pin_y# 1, well_uid: C9, well_descr: new\n"
                               "zone# 0, block_col# 0, block_row# 0, spot_col# 1, spot_row# 0\n");
    EXPECT_EQ(uidAt(run.params, 0, 0, 0, 0), "B1");
    EXPECT_EQ(uidAt(run.params, 0, 0, 1, 0), "C9");
}

TEST(LoadMap, BadPinLinesReportOncePerLineAndAreSkipped) {
    const MapRun run = loadMap(std::string(kPins) +
                               "pin_x# 0, pin_y# 8, well_uid: X, well_descr: x\n"
                               "pin_x# 4, pin_y# 0, well_uid: X, well_descr: x\n"
                               "pin_x# -1, pin_y# 0, well_uid: X, well_descr: x\n"
                               "zone# 0, block_col# 0, block_row# 0, spot_col# 0, spot_row# 0\n");
    EXPECT_EQ(run.messages, std::vector<std::string>(3, "Parse error - pin assignment."));
    EXPECT_EQ(uidAt(run.params, 0, 1, 0, 0), "A1");  // table unchanged
}

TEST(LoadMap, UnloadedPinsGiveEmptyTexts) {
    const MapRun run = loadMap(
        "pins_x 1\npins_y 1\nzone# 0, block_col# 0, block_row# 0, spot_col# 1, spot_row# 1\n");
    EXPECT_EQ(run.params.slideMapCount(), 4);
    EXPECT_EQ(uidAt(run.params, 0, 0, 1, 1), "");
}

TEST(LoadMap, ZoneAndPinLinesAreReportedAsUnknownParameters) {
    const MapRun run = loadMap(std::string(kPins) +
                               "zone# 0, block_col# 0, block_row# 0, spot_col# 0, spot_row# 0\n");
    EXPECT_NE(run.diagnostics.find("\nunknown parameter at line 3, name \"pin_x\""),
              std::string::npos);
    EXPECT_NE(run.diagnostics.find("\nunknown parameter at line 7, name \"zone\""),
              std::string::npos);
}

struct RefusalCase {
    const char* name;
    std::string text;
    std::string message;
};

TEST(LoadMap, RefusedGeometryLeavesFieldsAndMapUnchanged) {
    const std::string zoneBlock2 =
        "zone# 0, block_col# 2, block_row# 0, spot_col# 0, spot_row# 0\n";
    const std::vector<RefusalCase> cases = {
        {"6 quads in x over grid_quad_ncols", "pins_x 2\n" + zoneBlock2, kMapGeometrySpecsMessage},
        {"6 quads in x within the job's specs", "pins_x 2\ngrid_quad_ncols 6\n" + zoneBlock2,
         kMapLimitsMessage},
        {"spots over grid_spot_ncols",
         "zone# 0, block_col# 0, block_row# 0, spot_col# 12, spot_row# 0\n",
         kMapGeometrySpecsMessage},
        {"rows over grid_quad_nrows",
         "zone# 0, block_col# 0, block_row# 1, spot_col# 0, spot_row# 0\n",
         kMapGeometrySpecsMessage},
        {"17 quads in y",
         "pins_y 1\ngrid_quad_nrows 99\n"
         "zone# 0, block_col# 0, block_row# 16, spot_col# 0, spot_row# 0\n",
         kMapLimitsMessage},
        {"spot_col at int max",
         "grid_spot_ncols 2147483647\n"
         "zone# 0, block_col# 0, block_row# 0, spot_col# 2147483647, spot_row# 0\n",
         kMapGeometrySpecsMessage},
        {"negative block index", "zone# 0, block_col# -1, block_row# 0, spot_col# 0, spot_row# 0\n",
         kZoneIndexMessage},
        {"negative spot index", "zone# 0, block_col# 0, block_row# 0, spot_col# 0, spot_row# -3\n",
         kZoneIndexMessage},
        {"pins_y above the pin table",
         "pins_y 9\ngrid_quad_nrows 99\n"
         "zone# 0, block_col# 0, block_row# 0, spot_col# 0, spot_row# 0\n",
         kPinCountMessage},
        {"pins_x of zero",
         "pins_x 0\n"
         "zone# 0, block_col# 0, block_row# 0, spot_col# 0, spot_row# 0\n",
         kPinCountMessage},
        {"negative pins",
         "pins_x -2\n"
         "zone# 0, block_col# 0, block_row# 0, spot_col# 0, spot_row# 0\n",
         kPinCountMessage},
        // Files that are no map, or only part of one, would silently replace a good grid.
        {"an empty file", "", kMapNoZonesMessage},
        {"a text file", "Dear colleagues,\nthe scans are in the usual folder.\n",
         kMapNoZonesMessage},
        {"a spot truth file",
         "quad_x\tquad_y\tspot_col\tspot_row\ttrue_x\ttrue_y\n0\t0\t0\t0\t35.2\t50.1\n",
         kMapNoZonesMessage},
        {"parameters only", "pins_x 2\ngrid_step_x 0.3\n", kMapNoZonesMessage},
        {"a step of 0",
         "grid_step_y 0\nzone# 0, block_col# 0, block_row# 0, spot_col# 0, spot_row# 0\n",
         kMapStepsMessage},
        {"cut short in the cells",
         "grid_spot_ncols 3\ngrid_spot_nrows 2\n"
         "zone# 0, block_col# 0, block_row# 0, spot_col# 2, spot_row# 0\n",
         "Incomplete slide map: its zone lines reach 3 x 1 cells of the 3 x 2 its print job "
         "declares."},
        {"cut short in the quads",
         "pins_x 1\npins_y 1\ngrid_quad_ncols 2\ngrid_quad_nrows 2\n"
         "zone# 0, block_col# 1, block_row# 0, spot_col# 0, spot_row# 0\n",
         "Incomplete slide map: its zone lines reach 2 x 1 quads of the 2 x 2 its print job "
         "declares."},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        GridParameters p;
        auto oldMap = std::make_shared<SlideMap>(1, 1, 11, 5);
        p.slideMap = oldMap;
        PrintJobParameters job;
        std::istringstream in(c.text);
        std::ostringstream out;
        try {
            LoadMap(in, p, job, out);
            ADD_FAILURE() << "accepted";
        } catch (const CoreError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_EQ(p.cellsX, 11);
        EXPECT_EQ(p.quadsX, 1);
        EXPECT_EQ(p.originX, 0.5);
        EXPECT_EQ(p.slideMap, oldMap);
    }
}

TEST(LoadMap, ParametersChangeEvenWhenTheGeometryIsRefused) {
    GridParameters p;
    PrintJobParameters job;
    std::istringstream in(
        "grid_step_x 0.9\n"
        "zone# 0, block_col# 0, block_row# 0, spot_col# 50, spot_row# 0\n");
    std::ostringstream out;
    EXPECT_THROW(LoadMap(in, p, job, out), CoreError);
    EXPECT_EQ(job.grid_step_x, 0.9);
}

TEST(LoadMap, ReadsParametersOnlyUpToTheHundredth) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "pins_step 1\n";
    text += "grid_step_x 0.9\n";
    const MapRun run =
        loadMap(text + "zone# 0, block_col# 0, block_row# 0, spot_col# 0, spot_row# 0\n");
    EXPECT_EQ(run.job.grid_step_x, 0.35);
}

TEST(LoadMap, LongUidsAreCutTo255) {
    const MapRun run =
        loadMap("pins_x 1\npins_y 1\npin_x# 0, pin_y# 0, well_uid: " + std::string(600, 'u') +
                ", well_descr: d\n"
                "zone# 0, block_col# 0, block_row# 0, spot_col# 0, spot_row# 0\n");
    EXPECT_EQ(uidAt(run.params, 0, 0, 0, 0), std::string(255, 'u'));
}

TEST(LoadMap, GarbledFilesNeverCrash) {
    const std::string good =
        std::string(kPins) + "zone# 0, block_col# 1, block_row# 0, spot_col# 3, spot_row# 5\n";
    std::mt19937 random(99);
    for (int round = 0; round < 300; ++round) {
        std::string garbled = good;
        for (int i = 0; i < 6; ++i)
            garbled[random() % garbled.size()] = static_cast<char>(random() & 0xff);
        GridParameters p;
        PrintJobParameters job;
        std::istringstream in(garbled);
        std::ostringstream out;
        try {
            LoadMap(in, p, job, out);
            // Whatever was accepted is a map of the dimensions the fields now say.
            ASSERT_TRUE(p.slideMap);
            EXPECT_EQ(p.slideMapCount(), p.quadsX * p.quadsY * p.cellsX * p.cellsY);
        } catch (const CoreError&) {
        }
    }
}

TEST(LoadMapFile, MissingFileAndDirectory) {
    GridParameters p;
    PrintJobParameters job;
    std::ostringstream out;
    for (const char* path : {"/nonexistent/slide_map_data.txt", "/tmp"}) {
        SCOPED_TRACE(path);
        try {
            LoadMapFile(path, p, job, out);
            ADD_FAILURE() << "opened";
        } catch (const CoreError& e) {
            EXPECT_STREQ(e.what(), "Unable to open file.");
        }
    }
}

}  // namespace
}  // namespace orvane
