// Rectangle and disc sampling: visiting order, clipping, sum and list modes, backgrounds.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "../support/test_images.h"
#include "measure/sampling.h"

namespace orvane {
namespace {

using testing_support::makeImage;
using testing_support::uniformImage;

// Each sample encodes its own position, so a list shows which pixels were visited in order.
LayeredImage positionImage(int w, int h) {
    return makeImage(w, h, 2, [](int k, int x, int y) {
        return static_cast<std::uint16_t>(k * 10000 + y * 100 + x);
    });
}

std::vector<std::int32_t> listOf(const LayeredImage& image, Box box, ShapeKind kind,
                                 int layer = 0) {
    std::vector<std::int32_t> list(static_cast<std::size_t>(SampleListCapacity(box)) + 1, -1);
    const std::int64_t n = SampleArea(list.data(), image, box, layer, kind);
    EXPECT_EQ(list[static_cast<std::size_t>(n)], -1) << "wrote past the count";
    list.resize(static_cast<std::size_t>(n));
    return list;
}

// Naive reference of the disc rule: row y covers columns [cx - hw, cx + hw).
std::vector<std::int32_t> referenceDisc(const LayeredImage& image, Box b) {
    std::vector<std::int32_t> out;
    const int r = (b.right - b.left) / 2, cx = (b.left + b.right) / 2, cy = (b.top + b.bottom) / 2;
    for (int y = b.top; y < b.bottom; ++y) {
        const int d = y > cy ? y - cy : cy - y;
        const int hw = d * d <= r * r ? static_cast<int>(std::sqrt(double(r * r - d * d))) : 0;
        for (int x = cx - hw; x < cx + hw; ++x)
            if (x >= 0 && y >= 0 && x < image.width() && y < image.height())
                out.push_back(image.layers[0].at(x, y));
    }
    return out;
}

TEST(SamplingTest, RectangleVisitsRowsTopFirstLeftToRight) {
    const LayeredImage image = positionImage(8, 8);
    EXPECT_EQ(listOf(image, {2, 3, 5, 5}, ShapeKind::Rectangle),
              (std::vector<std::int32_t>{302, 303, 304, 402, 403, 404}));
    EXPECT_EQ(listOf(image, {2, 3, 5, 5}, ShapeKind::Rectangle, 1)[0], 10302)
        << "reads the given layer";
}

TEST(SamplingTest, DiscRowsAtTheRadiusAreEmpty) {
    const LayeredImage image = positionImage(8, 8);
    EXPECT_EQ(listOf(image, {0, 0, 4, 4}, ShapeKind::Disc),
              (std::vector<std::int32_t>{101, 102, 200, 201, 202, 203, 301, 302}));
}

TEST(SamplingTest, DiscMatchesReferenceOverManyBoxes) {
    const LayeredImage image = positionImage(17, 13);
    for (int x0 = -6; x0 < 15; x0 += 3)
        for (int y0 = -6; y0 < 12; y0 += 2)
            for (int size = 0; size < 14; size += 3) {
                const Box b{x0, y0, x0 + size, y0 + size + (size % 2)};
                SCOPED_TRACE(testing::Message() << "box " << b.left << "," << b.top << ","
                                                << b.right << "," << b.bottom);
                EXPECT_EQ(listOf(image, b, ShapeKind::Disc), referenceDisc(image, b));
            }
}

TEST(SamplingTest, ClipsWithoutWrapping) {
    const LayeredImage image = positionImage(8, 8);
    // A disc centred on (0, 0): only its lower-right quarter, rows 0 and 1.
    EXPECT_EQ(listOf(image, {-2, -2, 2, 2}, ShapeKind::Disc),
              (std::vector<std::int32_t>{0, 1, 100}));
    EXPECT_EQ(listOf(image, {6, 6, 10, 10}, ShapeKind::Rectangle),
              (std::vector<std::int32_t>{606, 607, 706, 707}));
}

TEST(SamplingTest, EmptyBoxesAndUnknownKindsVisitNothing) {
    const LayeredImage image = uniformImage(8, 8, 1, 7);
    struct Case {
        Box box;
        ShapeKind kind;
    };
    const Case cases[] = {
        {{3, 3, 3, 6}, ShapeKind::Rectangle}, {{3, 3, 2, 6}, ShapeKind::Rectangle},
        {{3, 3, 6, 3}, ShapeKind::Rectangle}, {{3, 3, 3, 6}, ShapeKind::Disc},
        {{3, 3, 6, 3}, ShapeKind::Disc},      {{3, 3, 6, 1}, ShapeKind::Disc},
        {{20, 20, 30, 30}, ShapeKind::Disc},  {{0, 0, 8, 8}, static_cast<ShapeKind>(2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.box.left << "," << c.box.top << "," << c.box.right
                                        << "," << c.box.bottom);
        std::int64_t sum = 99;
        EXPECT_EQ(SampleArea(sum, image, c.box, 0, c.kind), 0);
        EXPECT_EQ(sum, 0);
        std::int32_t list[4] = {-5, -5, -5, -5};
        EXPECT_EQ(SampleArea(list, image, c.box, 0, c.kind), 0);
        EXPECT_EQ(list[0], -5) << "the list stays untouched";
    }
}

TEST(SamplingTest, SumModeIsSixtyFourBit) {
    // 300 x 300 full-scale pixels sum to about 5.9e9, far beyond 32 bits.
    const LayeredImage image = uniformImage(300, 300, 1, 65535);
    std::int64_t sum = 0;
    EXPECT_EQ(SampleArea(sum, image, {0, 0, 300, 300}, 0, ShapeKind::Rectangle), 90000);
    EXPECT_EQ(sum, std::int64_t{65535} * 90000);
}

TEST(SamplingTest, SumAgreesWithList) {
    const LayeredImage image = positionImage(17, 13);
    for (ShapeKind kind : {ShapeKind::Rectangle, ShapeKind::Disc}) {
        const Box box{-3, 2, 9, 14};
        std::int64_t sum = 0;
        const std::int64_t n = SampleArea(sum, image, box, 1, kind);
        std::int64_t expected = 0;
        for (std::int32_t v : listOf(image, box, kind, 1)) expected += v;
        EXPECT_EQ(sum, expected);
        EXPECT_EQ(n, static_cast<std::int64_t>(listOf(image, box, kind, 1).size()));
    }
}

TEST(SamplingTest, LayerOutsideTheImageSamplesNothing) {
    const LayeredImage image = uniformImage(4, 4, 1, 7);
    std::int64_t sum = 5;
    EXPECT_EQ(SampleArea(sum, image, {0, 0, 4, 4}, 1, ShapeKind::Rectangle), 0);
    EXPECT_EQ(sum, 0);
}

TEST(SamplingTest, PositionsFollowTheSampleOrder) {
    const LayeredImage image = positionImage(8, 8);
    std::vector<PixelPosition> positions(30);
    const std::int64_t n = SamplePositions(positions.data(), image, {0, 0, 4, 4}, ShapeKind::Disc);
    const std::vector<std::int32_t> values = listOf(image, {0, 0, 4, 4}, ShapeKind::Disc);
    ASSERT_EQ(n, static_cast<std::int64_t>(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(values[i], positions[i].y * 100 + positions[i].x) << i;
}

TEST(SamplingBackgroundTest, RectangleSkipsTheInnerBox) {
    const LayeredImage image = positionImage(8, 8);
    std::int64_t sum = 0;
    EXPECT_EQ(SampleBackground(sum, image, {0, 0, 3, 3}, {1, 1, 2, 2}, 0, ShapeKind::Rectangle), 8);
    EXPECT_EQ(sum, 0 + 1 + 2 + 100 + 102 + 200 + 201 + 202);
    EXPECT_EQ(SampleBackground(sum, image, {2, 2, 4, 4}, {0, 0, 8, 8}, 0, ShapeKind::Rectangle), 0);
    EXPECT_EQ(sum, 0);
}

TEST(SamplingBackgroundTest, DiscSharesOnlyTheLeftColumnWithTheDataArea) {
    // Cell (0,0)-(10,10), data and inner box (3,3)-(7,7): r = 2, centre (5, 5).
    const LayeredImage image = makeImage(10, 10, 1, [](int, int, int) { return std::uint16_t{1}; });
    const Box data{3, 3, 7, 7};
    std::int64_t sum = 0;
    const std::int64_t nb = SampleBackground(sum, image, {0, 0, 10, 10}, data, 0, ShapeKind::Disc);
    // Rows 4 and 6 (hw = 1) drop only column 5; row 5 (hw = 2) drops 4, 5, 6; row 3 (d = r) is
    // whole.
    EXPECT_EQ(nb, 100 - 1 - 1 - 3);
    const std::int64_t n = SampleArea(sum, image, data, 0, ShapeKind::Disc);
    EXPECT_EQ(n, 8);
    // Columns cx - hw (4 in rows 4 and 6, 3 in row 5) are in both areas; cx + hw in neither data
    // area.
    std::int64_t both = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const int d = y > 5 ? y - 5 : 5 - y;
            const int hw = d * d <= 4 ? static_cast<int>(std::sqrt(4.0 - d * d)) : 0;
            const bool inData = y >= 3 && y < 7 && x >= 5 - hw && x < 5 + hw;
            const bool inBackground = x <= 5 - hw || x >= 5 + hw;
            both += inData && inBackground;
        }
    EXPECT_EQ(both, 3);
    EXPECT_EQ(n + nb, 100 + both);
}

TEST(SamplingBackgroundTest, ClipsTheOuterBox) {
    const LayeredImage image = uniformImage(6, 6, 1, 2);
    std::int64_t sum = 0;
    EXPECT_EQ(SampleBackground(sum, image, {-3, -3, 3, 3}, {-1, -1, 1, 1}, 0, ShapeKind::Rectangle),
              8);
    EXPECT_EQ(sum, 16);
    EXPECT_EQ(
        SampleBackground(sum, image, {0, 0, 6, 6}, {0, 0, 6, 6}, 0, static_cast<ShapeKind>(7)), 0);
}

}  // namespace
}  // namespace orvane
