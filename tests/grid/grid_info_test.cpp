// Tests of the grid-info summary.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "grid/define_grid.h"
#include "grid/grid_info.h"

namespace orvane {
namespace {

TEST(DescribeGrid, ParametersMapAndQuadLines) {
    SpotGrid grid;
    grid.parameters.quadsY = 2;
    auto map = std::make_shared<SlideMap>(1, 2, 11, 5);
    map->GetSpotRecord(0, 0, 0, 0)->SetUid("A1");
    grid.parameters.slideMap = map;
    DefineGridLayout(grid, LayeredImage{});
    grid.quad(0, 0).SelectSpot(0, 0);
    grid.quad(0, 0).Flags(1, 0) |= Marked | Highlighted;
    std::ostringstream out;
    DescribeGrid(grid, out);
    const std::string text = out.str();
    for (const char* line :
         {"cellsX: 11\n", "spotDiameter: 0.2\n", "backgroundDiameter: 0.3\n", "slideMap: yes\n",
          "slideMapRecords: 110\n", "quad[0][0].TL: 50 50\n", "quad[0][0].BR: 425 200\n",
          "quad[0][0].stepX: 37\n", "quad[0][0].selection: 0 0\n", "quad[0][0].excluded: 54\n",
          "quad[0][0].marked: 1\n", "quad[0][0].highlighted: 1\n", "quad[0][0].selected: 1\n",
          "quad[0][1].selection: none\n", "quad[0][1].excluded: 55\n"}) {
        SCOPED_TRACE(line);
        EXPECT_NE(text.find(line), std::string::npos) << text;
    }
    EXPECT_EQ(text.find("quad[1]"), std::string::npos);
}

}  // namespace
}  // namespace orvane
