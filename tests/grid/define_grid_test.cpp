// Tests of the Grid Parameters validation, the Zone rule and the Define Grid layout.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid/define_grid.h"
#include "grid_printers.h"

namespace orvane {
namespace {

GridFieldTexts defaults() { return FormatGridFields(GridParameters{}); }

std::string& text(GridFieldTexts& texts, GridField field) {
    return texts[static_cast<std::size_t>(field)];
}

TEST(GridFields, DefaultsFormatAndReadBack) {
    const GridFieldTexts texts = defaults();
    EXPECT_EQ(texts[0], "11");
    EXPECT_EQ(texts[static_cast<std::size_t>(GridField::spotDiameter)], "0.2");
    EXPECT_EQ(texts[static_cast<std::size_t>(GridField::stepXmm)], "0.375");
    GridParameters p;
    p.cellsX = 3;
    EXPECT_FALSE(ValidateGridFields(texts, p));
    EXPECT_EQ(p.cellsX, 11);
    EXPECT_EQ(p.stepYmm, 0.375);
}

TEST(GridFields, NamesRoundTrip) {
    for (std::size_t i = 0; i < kGridFieldCount; ++i) {
        const auto field = static_cast<GridField>(i);
        EXPECT_EQ(FindGridField(GridFieldName(field)), field);
    }
    EXPECT_STREQ(GridFieldName(GridField::backgroundDiameter), "backgroundDiameter");
    EXPECT_FALSE(FindGridField("CellsX"));
}

struct ValidationCase {
    GridField field;
    std::string value;
    std::string message;
};

TEST(GridFields, MessagesAndBounds) {
    const std::vector<ValidationCase> cases = {
        {GridField::cellsX, "", "Please enter an integer."},
        {GridField::cellsX, "1.5", "Please enter an integer."},
        {GridField::cellsX, "0", "Please enter an integer between 1 and 10000."},
        {GridField::cellsY, "10001", "Please enter an integer between 1 and 10000."},
        {GridField::cellsY, "99999999999999999999", "Please enter an integer between 1 and 10000."},
        {GridField::spotDiameter, "abc", "Please enter a number."},
        {GridField::spotDiameter, "0.04", "Please enter a number between 0.05 and 25."},
        {GridField::spotDiameter, "nan", "Please enter a number between 0.05 and 25."},
        {GridField::originX, "-0.1", "Please enter a number between 0 and 25."},
        {GridField::stepYmm, "75.5", "Please enter a number between 0.05 and 75."},
        {GridField::originY, "1e999", "Please enter a number between 0 and 75."},
        {GridField::quadsX, "5", "Please enter an integer between 1 and 4."},
        {GridField::quadsY, "17", "Please enter an integer between 1 and 16."},
        {GridField::quadStepY, "inf", "Please enter a number between 0 and 75."},
        {GridField::zone, "3", "Please enter an integer between 0 and 2."},
        {GridField::zone, "", "Please enter an integer."},
        {GridField::lockMode, "-1", "Please enter an integer between 0 and 2."},
        {GridField::dragFullGrid, "2", "Please enter an integer between 0 and 1."},
        {GridField::backgroundDiameter, "26", "Please enter a number between 0.05 and 25."},
    };
    for (const ValidationCase& c : cases) {
        SCOPED_TRACE(std::string(GridFieldName(c.field)) + "=" + c.value);
        GridFieldTexts texts = defaults();
        text(texts, c.field) = c.value;
        GridParameters p;
        p.cellsX = 7;
        const auto error = ValidateGridFields(texts, p);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->field, c.field);
        EXPECT_EQ(error->message, c.message);
        EXPECT_EQ(p.cellsX, 7);  // nothing stored on failure
    }
}

TEST(GridFields, BoundsThemselvesAreAccepted) {
    GridFieldTexts texts = defaults();
    text(texts, GridField::cellsX) = " 10000 ";
    text(texts, GridField::spotDiameter) = "0.05";
    text(texts, GridField::originY) = "75";
    text(texts, GridField::quadStepX) = "0";
    GridParameters p;
    EXPECT_FALSE(ValidateGridFields(texts, p));
    EXPECT_EQ(p.cellsX, 10000);
    EXPECT_EQ(p.originY, 75.0);
}

TEST(GridFields, FirstFailingFieldInDialogOrderWins) {
    GridFieldTexts texts = defaults();
    text(texts, GridField::backgroundDiameter) = "x";
    text(texts, GridField::stepYmm) = "x";
    text(texts, GridField::originX) = "x";
    GridParameters p;
    EXPECT_EQ(ValidateGridFields(texts, p)->field, GridField::originX);
}

TEST(GridFields, ValidationKeepsTheSlideMap) {
    GridParameters p;
    p.slideMap = std::make_shared<SlideMap>(1, 1, 1, 1);
    const auto map = p.slideMap;
    EXPECT_FALSE(ValidateGridFields(defaults(), p));
    EXPECT_EQ(p.slideMap, map);
}

TEST(ZoneChange, OriginComesFromThePrintJob) {
    PrintJobParameters job;
    job.zone_2_origin_x = 12.5;
    job.zone_2_origin_y = 40.25;
    for (auto [zone, x, y] : {std::tuple{"1", 3.5, 3.5}, {"2", 12.5, 40.25}, {"0", 3.5, 3.5}}) {
        SCOPED_TRACE(zone);
        GridFieldTexts texts = defaults();
        text(texts, GridField::zone) = zone;
        GridParameters p;
        EXPECT_FALSE(ApplyZoneChange(texts, p, job));
        EXPECT_EQ(p.originX, x);
        EXPECT_EQ(p.originY, y);
    }
}

TEST(ZoneChange, InvalidFieldsLeaveTheOriginAlone) {
    PrintJobParameters job;
    for (auto [field, value] :
         {std::pair{GridField::zone, "3"}, {GridField::zone, ""}, {GridField::cellsX, "x"}}) {
        GridFieldTexts texts = defaults();
        text(texts, field) = value;
        GridParameters p;
        const auto error = ApplyZoneChange(texts, p, job);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->field, field);
        EXPECT_EQ(p.originX, 0.5);
    }
}

TEST(GridSettings, AppliedInOrderWithTheZoneRule) {
    PrintJobParameters job;
    job.zone_1_origin_x = 9.0;
    GridParameters p;
    // The zone sets the origin; a later originX overrides it, an earlier one would not.
    ApplyGridSettings(p, {{"originY", "2"}, {"zone", "1"}, {"originX", "4.5"}, {"cellsX", "3"}},
                      job);
    EXPECT_EQ(p.zone, 1);
    EXPECT_EQ(p.originX, 4.5);
    EXPECT_EQ(p.originY, 3.5);
    EXPECT_EQ(p.cellsX, 3);
}

TEST(GridSettings, FailuresNameTheFieldAndChangeNothing) {
    PrintJobParameters job;
    GridParameters p;
    try {
        ApplyGridSettings(p, {{"cellsX", "3"}, {"quadsY", "17"}}, job);
        ADD_FAILURE() << "accepted";
    } catch (const GridFieldError& e) {
        EXPECT_EQ(e.field(), GridField::quadsY);
        EXPECT_STREQ(e.what(), "Please enter an integer between 1 and 16.");
    }
    try {
        ApplyGridSettings(p, {{"cellsX", "3"}, {"zone", "x"}}, job);
        ADD_FAILURE() << "accepted";
    } catch (const GridFieldError& e) {
        EXPECT_STREQ(e.what(), "Please enter an integer.");
    }
    EXPECT_THROW(ApplyGridSettings(p, {{"cells", "3"}}, job), CoreError);
    EXPECT_EQ(p.cellsX, 11);
}

TEST(EmptyWell, NaInAnyCase) {
    for (const char* uid : {"", "NA", "na", "Na", "nA"}) EXPECT_TRUE(IsEmptyWell(uid)) << uid;
    for (const char* uid : {" NA", "NA ", "N", "NAN", "A1"}) EXPECT_FALSE(IsEmptyWell(uid)) << uid;
}

// 10 um pixels without a resolution tag: 100 pixels per millimetre.
LayeredImage plainImage() { return LayeredImage{}; }

TEST(DefineGridLayout, DefaultsOnTenMicronPixels) {
    SpotGrid grid;
    DefineGridLayout(grid, plainImage());
    const GridQuad& q = grid.quad(0, 0);
    EXPECT_EQ(q.TL, (GridPoint{50, 50}));
    EXPECT_EQ(q.BR, (GridPoint{425, 200}));
    EXPECT_EQ(q.spotRadius, 10);
    EXPECT_EQ(q.backgroundRadius, 15);
    EXPECT_EQ(q.stepX, 37);
    EXPECT_EQ(q.stepY, 37);
    EXPECT_EQ(q.nx, 11);
    EXPECT_EQ(q.ny, 5);
    EXPECT_EQ(q.roundCells, 1);
    EXPECT_EQ(grid.quad(0, 1).defined, 0);
}

TEST(DefineGridLayout, QuadTemplateStepAndUnusedSlots) {
    SpotGrid grid;
    grid.quad(3, 15).InitQuad(1, 2, 3, 4, 2, 2, 1, 1, 0);
    grid.parameters.quadsX = 2;
    grid.parameters.quadsY = 2;
    DefineGridLayout(grid, plainImage());
    EXPECT_EQ(grid.quad(1, 0).TL.x - grid.quad(0, 0).TL.x, 450);
    EXPECT_EQ(grid.quad(0, 1).TL.y - grid.quad(0, 0).TL.y, 450);
    EXPECT_EQ(grid.quad(1, 1).TL, (GridPoint{500, 500}));
    EXPECT_EQ(grid.quad(3, 15).TL, (GridPoint{1, 2}));  // outside the range: untouched
}

TEST(DefineGridLayout, AbsoluteOriginSubtractsScanOriginAndSlideEdge) {
    SpotGrid grid;
    grid.parameters.relativeOffsets = 0;
    grid.parameters.originX = 3.5;
    grid.parameters.originY = 3.5;
    LayeredImage image;
    DefineGridLayout(grid, image);
    EXPECT_EQ(grid.quad(0, 0).TL, (GridPoint{190, 260}));  // 1.9 mm and 2.6 mm
    image.scanOriginX = 1.0;
    image.scanOriginY = 2.0;
    DefineGridLayout(grid, image);
    // 3.5 - 1.0 - 1.6 is 0.8999... in binary: truncation gives 89, not 90.
    EXPECT_EQ(grid.quad(0, 0).TL, (GridPoint{89, 60}));
}

TEST(DefineGridLayout, ResolutionOfTheImage) {
    SpotGrid grid;
    LayeredImage image;
    image.resolutionUnit = kResolutionUnitCentimetre;
    image.xResolution = 2000.0f;  // 200 px/mm
    image.yResolution = 500.0f;   // 50 px/mm
    DefineGridLayout(grid, image);
    const GridQuad& q = grid.quad(0, 0);
    EXPECT_EQ(q.TL, (GridPoint{100, 25}));
    EXPECT_EQ(q.BR, (GridPoint{850, 100}));
    EXPECT_EQ(q.spotRadius, 20);  // both radii on the x resolution
    EXPECT_EQ(q.backgroundRadius, 30);
}

TEST(DefineGridLayout, RedefiningResetsFlagsAndExcludesSpotsWithoutWell) {
    SpotGrid grid;
    grid.parameters.cellsX = 3;
    grid.parameters.cellsY = 2;
    auto map = std::make_shared<SlideMap>(1, 1, 3, 1);  // one row short of the grid
    map->GetSpotRecord(0, 0, 0, 0)->SetUid("A1");
    map->GetSpotRecord(0, 0, 1, 0)->SetUid("nA");
    map->GetSpotRecord(0, 0, 2, 0)->SetUid(" NA");
    grid.parameters.slideMap = map;
    DefineGridLayout(grid, plainImage());
    GridQuad& q = grid.quad(0, 0);
    EXPECT_EQ(q.Flags(0, 0), 0);
    EXPECT_EQ(q.Flags(1, 0), Excluded);
    EXPECT_EQ(q.Flags(2, 0), 0);
    EXPECT_EQ(q.Flags(0, 1), Excluded);  // beyond the map: no well
    q.SelectSpot(0, 0);
    q.OffsetX(2, 0) = 5;
    grid.parameters.slideMap.reset();
    DefineGridLayout(grid, plainImage());
    EXPECT_FALSE(q.HasSelection());
    EXPECT_EQ(q.OffsetX(2, 0), 0);
    EXPECT_EQ(q.Flags(1, 0), 0);
}

}  // namespace
}  // namespace orvane
