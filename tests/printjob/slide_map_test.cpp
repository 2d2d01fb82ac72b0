// Tests of the slide map records and their lookup.
#include <gtest/gtest.h>

#include <string>

#include "base/core_error.h"
#include "grid/grid_parameters.h"
#include "printjob/slide_map.h"

namespace orvane {
namespace {

TEST(SlideMap, RecordIndexFollowsQuadThenSpotOrder) {
    SlideMap map(2, 3, 4, 5);
    EXPECT_EQ(map.recordCount(), 120);
    // ((qx * nqy + qy) * nsx + sx) * nsy + sy
    EXPECT_EQ(map.GetSpotRecord(1, 2, 3, 4) - map.records(), 119);
    EXPECT_EQ(map.GetSpotRecord(1, 0, 2, 1) - map.records(), ((1 * 3 + 0) * 4 + 2) * 5 + 1);
    EXPECT_TRUE(map.GetSpotRecord(0, 0, 0, 0)->Uid().empty());
}

TEST(SlideMap, NoRecordOutsideItsOwnDimensions) {
    const SlideMap map(2, 3, 4, 5);
    for (auto [qx, qy, sx, sy] : {std::tuple{2, 0, 0, 0},
                                  {0, 3, 0, 0},
                                  {0, 0, 4, 0},
                                  {0, 0, 0, 5},
                                  {-1, 0, 0, 0},
                                  {0, 0, 0, -1}}) {
        SCOPED_TRACE(testing::Message() << qx << qy << sx << sy);
        EXPECT_EQ(map.GetSpotRecord(qx, qy, sx, sy), nullptr);
    }
}

TEST(SlideMap, TextsAreCutTo255AndAlwaysTerminated) {
    SlideMap map(1, 1, 1, 1);
    SlideMapRecord* r = map.GetSpotRecord(0, 0, 0, 0);
    r->SetUid(std::string(300, 'u'));
    r->SetDescription("kinase");
    EXPECT_EQ(r->Uid().size(), 255u);
    EXPECT_EQ(r->uid[255], '\0');
    EXPECT_EQ(r->Description(), "kinase");
    // A record without terminator (as a damaged file may hold) is read within its field.
    std::fill(std::begin(r->uid), std::end(r->uid), 'x');
    EXPECT_EQ(r->Uid().size(), 256u);
}

// Regression: an empty string_view with a null data pointer reached memcpy (UBSan report).
TEST(SlideMap, SettingAnEmptyViewClearsTheText) {
    SlideMap map(1, 1, 1, 1);
    SlideMapRecord* r = map.GetSpotRecord(0, 0, 0, 0);
    r->SetUid("A1");
    r->SetUid(std::string_view());
    r->SetDescription(std::string_view());
    EXPECT_TRUE(r->Uid().empty());
    EXPECT_TRUE(r->Description().empty());
}

TEST(SlideMap, EmptyAndImpossibleSizes) {
    const SlideMap empty(0, 0, 0, 0);
    EXPECT_EQ(empty.recordCount(), 0);
    EXPECT_EQ(empty.GetSpotRecord(0, 0, 0, 0), nullptr);
    EXPECT_THROW(SlideMap(4, 16, 100000, 100000), OutOfMemoryError);
    EXPECT_THROW(SlideMap(-1, 1, 1, 1), OutOfMemoryError);
}

TEST(GridParameters, LookupWithoutMapYieldsNothing) {
    GridParameters p;
    EXPECT_EQ(p.slideMapCount(), 0);
    EXPECT_EQ(p.GetSpotRecord(0, 0, 0, 0), nullptr);
    p.slideMap = std::make_shared<SlideMap>(1, 1, 11, 5);
    EXPECT_EQ(p.slideMapCount(), 55);
    EXPECT_NE(p.GetSpotRecord(0, 0, 10, 4), nullptr);
    EXPECT_EQ(p.GetSpotRecord(0, 0, 11, 0), nullptr);
}

}  // namespace
}  // namespace orvane
