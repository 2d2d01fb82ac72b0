// The colour mapping of the display raster, its byte orders, stride, clipping and progress.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "base/allocator.h"
#include "view/display_raster.h"

namespace orvane {
namespace {

using Rgb = std::array<std::uint8_t, 3>;

class RecordingProgress : public Progress {
public:
    void message(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

// An image of `layerValues.size()` layers, every sample of layer i equal to layerValues[i].
LayeredImage uniformImage(std::int32_t width, std::int32_t height,
                          std::vector<std::uint16_t> layerValues) {
    LayeredImage image;
    for (std::size_t i = 0; i < layerValues.size(); ++i) {
        ImageLayer& layer = image.layers[i];
        layer.width = width;
        layer.height = height;
        const std::size_t count = static_cast<std::size_t>(width) * height;
        layer.samples = allocateBuffer<std::uint16_t>(count);
        std::fill_n(layer.samples.get(), count, layerValues[i]);
    }
    image.layerCount = static_cast<std::int32_t>(layerValues.size());
    return image;
}

DisplayState state(bool log, bool inverted, std::array<bool, 3> on) {
    DisplayState s;
    s.logDisplay = log;
    s.invertedDisplay = inverted;
    s.channelOn = on;
    return s;
}

TEST(DisplayRasterTest, MappingExamples) {
    struct Case {
        const char* name;
        std::vector<std::uint16_t> samples;
        DisplayState state;
        Rgb expected;
    };
    const bool lin = false, log = true, plain = false, inv = true;
    const Case cases[] = {
        {"linear 65535", {65535}, state(lin, plain, {true, false, false}), {255, 0, 0}},
        {"linear 255", {255}, state(lin, plain, {true, false, false}), {0, 0, 0}},
        {"initial 0", {0}, state(log, inv, {true, false, false}), {255, 255, 255}},
        {"initial 1000", {1000}, state(log, inv, {true, false, false}), {255, 194, 194}},
        {"initial 65535", {65535}, state(log, inv, {true, false, false}), {255, 11, 11}},
        {"log 1000", {1000}, state(log, plain, {true, false, false}), {61, 0, 0}},
        {"two log", {60000, 20000}, state(log, plain, {true, true, false}), {196, 65, 65}},
        {"two log inverted", {60000, 20000}, state(log, inv, {true, true, false}), {190, 59, 59}},
        {"three linear",
         {30000, 30000, 30000},
         state(lin, plain, {true, true, true}),
         {117, 117, 117}},
        {"three log", {30000, 30000, 30000}, state(log, plain, {true, true, true}), {90, 90, 90}},
        {"red off linear",
         {40000, 10000, 20000},
         state(lin, plain, {false, true, true}),
         {39, 39, 78}},
        {"red off inverted",
         {40000, 10000, 20000},
         state(lin, inv, {false, true, true}),
         {177, 177, 216}},
        {"zeros log", {0, 0, 0}, state(log, plain, {true, true, true}), {0, 0, 0}},
        {"zeros linear", {0, 0, 0}, state(lin, plain, {true, true, true}), {0, 0, 0}},
        {"zeros log inverted", {0, 0, 0}, state(log, inv, {true, true, true}), {255, 255, 255}},
        {"zeros linear inverted", {0, 0}, state(lin, inv, {true, true, false}), {255, 255, 255}},
        // A channel whose layer is not loaded shows nothing even when its flag is on.
        {"flag without layer", {65535}, state(lin, plain, {true, true, true}), {255, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LayeredImage image = uniformImage(3, 2, c.samples);
        EXPECT_EQ(MapPixel(image, c.state, 1, 1), c.expected);
        // The same pixel in a built raster, in export byte order.
        NullProgress progress;
        const DisplayRaster raster = BuildDisplayRaster(image, c.state, false, progress);
        const Rgb built{raster.row(1)[3], raster.row(1)[4], raster.row(1)[5]};
        EXPECT_EQ(built, c.expected);
    }
}

// The mapping written out step by step, with the power function called per pixel.
Rgb referenceMapping(const std::uint16_t s[3], const DisplayState& st) {
    std::int64_t v[3], out[3];
    for (int i = 0; i < 3; ++i) v[i] = st.channelOn[i] ? s[i] : 0;
    const std::int64_t sum = v[0] + v[1] + v[2];
    for (int i = 0; i < 3; ++i) {
        if (!st.channelOn[i])
            out[i] = 0;
        else if (!st.logDisplay)
            out[i] = v[i] / 256;
        else if (sum == 0)
            out[i] = 0;
        else {
            const double f = std::pow(static_cast<double>(sum), 0.33000001311302185) *
                             6.300000190734863 / static_cast<double>(sum);
            out[i] = static_cast<std::int64_t>(std::trunc(static_cast<double>(v[i]) * f));
        }
    }
    const std::int64_t c0 = st.channelOn[0] ? out[0] : std::min(out[1], out[2]);
    const std::int64_t c1 = st.channelOn[1] ? out[1] : std::min(out[2], c0);
    const std::int64_t c2 = st.channelOn[2] ? out[2] : std::min(c0, c1);
    if (!st.invertedDisplay)
        return {static_cast<std::uint8_t>(c0), static_cast<std::uint8_t>(c1),
                static_cast<std::uint8_t>(c2)};
    return {static_cast<std::uint8_t>(255 - std::max(c1, c2)),
            static_cast<std::uint8_t>(255 - std::max(c2, c0)),
            static_cast<std::uint8_t>(255 - std::max(c0, c1))};
}

TEST(DisplayRasterTest, EveryStateMatchesTheReferenceOnRandomAndExtremeSamples) {
    const std::int32_t width = 37, height = 11;
    LayeredImage image = uniformImage(width, height, {0, 0, 0});
    std::mt19937 random(7);
    std::uniform_int_distribution<int> any(0, 65535);
    for (int i = 0; i < 3; ++i)
        for (std::int32_t k = 0; k < width * height; ++k) {
            const int pick = any(random);
            // Mix full-range values with the extremes and small values where rounding bites.
            image.layers[i].samples[k] = static_cast<std::uint16_t>(pick % 7 == 0   ? 0
                                                                    : pick % 7 == 1 ? 65535
                                                                    : pick % 7 == 2 ? pick % 300
                                                                                    : pick);
        }
    for (int mode = 0; mode < 32; ++mode) {
        const DisplayState st =
            state(mode & 1, mode & 2, {bool(mode & 4), bool(mode & 8), bool(mode & 16)});
        SCOPED_TRACE(mode);
        NullProgress progress;
        for (bool bitmap : {false, true}) {
            const DisplayRaster raster = BuildDisplayRaster(image, st, bitmap, progress);
            for (std::int32_t y = 0; y < height; ++y)
                for (std::int32_t x = 0; x < width; ++x) {
                    const std::uint16_t s[3] = {image.layers[0].at(x, y), image.layers[1].at(x, y),
                                                image.layers[2].at(x, y)};
                    const Rgb want = referenceMapping(s, st);
                    const std::uint8_t* p = raster.row(y) + 3 * x;
                    const Rgb got = bitmap ? Rgb{p[2], p[1], p[0]} : Rgb{p[0], p[1], p[2]};
                    ASSERT_EQ(got, want) << "at " << x << "," << y << " bitmap " << bitmap;
                }
        }
    }
}

// Whole-screen rasters of one shown channel go through a table of every sample value: check
// each of the 65536 values in every mode against the reference.
TEST(DisplayRasterTest, SingleChannelRasterMatchesTheReferenceForEverySampleValue) {
    const std::int32_t width = 600, height = 500;
    LayeredImage image = uniformImage(width, height, {0, 0});
    for (std::int32_t k = 0; k < width * height; ++k) {
        image.layers[0].samples[k] = static_cast<std::uint16_t>(k);
        image.layers[1].samples[k] = static_cast<std::uint16_t>(k * 7);
    }
    for (int mode = 0; mode < 8; ++mode) {
        const bool secondOnly = mode & 4;
        const DisplayState st = state(mode & 1, mode & 2, {!secondOnly, secondOnly, false});
        SCOPED_TRACE(mode);
        NullProgress progress;
        const DisplayRaster raster = BuildDisplayRaster(image, st, true, progress);
        for (std::int32_t k = 0; k < 65536 + 7; ++k) {
            const std::int32_t x = k % width, y = k / width;
            const std::uint16_t s[3] = {image.layers[0].at(x, y), image.layers[1].at(x, y), 0};
            const Rgb want = referenceMapping(s, st);
            const std::uint8_t* p = raster.row(y) + 3 * x;
            ASSERT_EQ((Rgb{p[2], p[1], p[0]}), want) << "sample index " << k;
        }
    }
}

TEST(DisplayRasterTest, ByteOrderOfARedPixel) {
    const LayeredImage image = uniformImage(1, 1, {65535});
    const DisplayState st = state(false, false, {true, false, false});
    NullProgress progress;
    const DisplayRaster bitmap = BuildDisplayRaster(image, st, true, progress);
    const DisplayRaster exported = BuildDisplayRaster(image, st, false, progress);
    EXPECT_EQ((Rgb{bitmap.row(0)[0], bitmap.row(0)[1], bitmap.row(0)[2]}), (Rgb{0, 0, 255}));
    EXPECT_EQ((Rgb{exported.row(0)[0], exported.row(0)[1], exported.row(0)[2]}), (Rgb{255, 0, 0}));
}

TEST(DisplayRasterTest, StrideIsThreeBytesAPixelRoundedUpToFour) {
    const std::pair<std::int32_t, std::int64_t> cases[] = {
        {0, 0}, {1, 4}, {4, 12}, {5, 16}, {101, 304}, {2147483647, 6442450944}};
    for (auto [width, stride] : cases) EXPECT_EQ(RasterStride(width), stride) << width;
}

TEST(DisplayRasterTest, ClipsTheBoxAndLeavesPaddingAlone) {
    LayeredImage image = uniformImage(6, 4, {0});
    for (std::int32_t k = 0; k < 24; ++k)
        image.layers[0].samples[k] = static_cast<std::uint16_t>(k * 2700);
    const DisplayState st = state(false, false, {true, false, false});
    const std::int64_t stride = RasterStride(6);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(stride * 4), 0xAB);
    NullProgress progress;
    BuildRaster(image, st, buffer.data(), stride, false, -10, 1000, 2, 4, progress);
    for (std::int32_t r = 0; r < 2; ++r) {
        for (std::int32_t x = 0; x < 6; ++x) {
            const Rgb want = MapPixel(image, st, x, 2 + r);
            const std::uint8_t* p = &buffer[static_cast<std::size_t>(r * stride + 3 * x)];
            EXPECT_EQ((Rgb{p[0], p[1], p[2]}), want) << x << "," << r;
        }
        for (std::int64_t pad = 18; pad < stride; ++pad)
            EXPECT_EQ(buffer[static_cast<std::size_t>(r * stride + pad)], 0xAB);
    }
    // Rows past the clipped box are untouched.
    EXPECT_TRUE(std::all_of(buffer.begin() + 2 * stride, buffer.end(),
                            [](std::uint8_t b) { return b == 0xAB; }));
}

TEST(DisplayRasterTest, SubBoxStartsAtItsOwnCorner) {
    LayeredImage image = uniformImage(6, 4, {0});
    for (std::int32_t k = 0; k < 24; ++k)
        image.layers[0].samples[k] = static_cast<std::uint16_t>(k * 2700);
    const DisplayState st = state(false, false, {true, false, false});
    std::vector<std::uint8_t> buffer(64, 0);
    NullProgress progress;
    BuildRaster(image, st, buffer.data(), 12, false, 2, 5, 1, 3, progress);
    for (std::int32_t r = 0; r < 2; ++r)
        for (std::int32_t k = 0; k < 3; ++k)
            EXPECT_EQ(buffer[static_cast<std::size_t>(r * 12 + 3 * k)],
                      MapPixel(image, st, 2 + k, 1 + r)[0]);
}

TEST(DisplayRasterTest, EmptyBoxAfterClippingWritesNothingAndReportsNothing) {
    const LayeredImage image = uniformImage(4, 4, {1000});
    const DisplayState st;
    std::vector<std::uint8_t> buffer(64, 0xAB);
    RecordingProgress progress;
    BuildRaster(image, st, buffer.data(), 12, true, 4, 10, 0, 4, progress);  // right of the image
    BuildRaster(image, st, buffer.data(), 12, true, 2, 2, 0, 4, progress);   // zero width
    BuildRaster(image, st, buffer.data(), 12, true, 0, 4, -5, 0, progress);  // above the image
    EXPECT_TRUE(
        std::all_of(buffer.begin(), buffer.end(), [](std::uint8_t b) { return b == 0xAB; }));
    EXPECT_TRUE(progress.texts.empty());
}

std::vector<std::string> progressOfRows(std::int32_t rows) {
    const LayeredImage image = uniformImage(2, rows, {5});
    RecordingProgress progress;
    (void)BuildDisplayRaster(image, DisplayState{}, true, progress);
    return progress.texts;
}

TEST(DisplayRasterTest, ProgressAtEveryRowWhoseShareIsAMultipleOfFive) {
    std::vector<std::string> hundred;
    for (int p = 0; p < 100; p += 5) {
        char text[64];
        std::snprintf(text, sizeof text, "Processing Tiff File, %02d%% completed ...", p);
        hundred.push_back(text);
    }
    hundred.push_back("Ready");
    EXPECT_EQ(progressOfRows(100), hundred);
    // With 200 rows each share recurs on two rows, and each shows again.
    const std::vector<std::string> twoHundred = progressOfRows(200);
    ASSERT_EQ(twoHundred.size(), 41u);
    EXPECT_EQ(twoHundred[0], "Processing Tiff File, 00% completed ...");
    EXPECT_EQ(twoHundred[1], "Processing Tiff File, 00% completed ...");
    EXPECT_EQ(twoHundred[39], "Processing Tiff File, 95% completed ...");
    // Seven rows: 0, 14, 28, 42, 57, 71, 85.
    EXPECT_EQ(progressOfRows(7),
              (std::vector<std::string>{"Processing Tiff File, 00% completed ...",
                                        "Processing Tiff File, 85% completed ...", "Ready"}));
}

TEST(DisplayRasterTest, StateAfterLoadingShowsEveryLoadedLayer) {
    const LayeredImage two = uniformImage(5, 3, {1, 2});
    const DisplayState st = DisplayStateAfterLoading(two);
    EXPECT_TRUE(st.logDisplay);
    EXPECT_TRUE(st.invertedDisplay);
    EXPECT_EQ(st.channelOn, (std::array<bool, 3>{true, true, false}));
    EXPECT_EQ(st.imageWidth, 5);
    EXPECT_EQ(st.imageHeight, 3);
    const DisplayState fresh;
    EXPECT_EQ(fresh.channelOn, (std::array<bool, 3>{true, false, false}));
}

TEST(DisplayRasterTest, NoLayersGiveAnEmptyRaster) {
    const LayeredImage empty;
    NullProgress progress;
    const DisplayRaster raster = BuildDisplayRaster(empty, DisplayState{}, true, progress);
    EXPECT_EQ(raster.bytes, nullptr);
    EXPECT_EQ(raster.height, 0);
}

}  // namespace
}  // namespace orvane
