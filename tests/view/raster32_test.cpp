// BuildRaster32 (the screen's 32-bit pixels, straight from the layers) against BuildRaster's
// 3-byte raster: every pixel, every mode and channel set, odd sizes, 1 and 2 threads, every
// kernel build, the same progress texts; and the byte-triple expansion at every row length.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "../support/kernel_choice.h"
#include "base/allocator.h"
#include "base/parallel.h"
#include "view/display_raster.h"
#include "view/raster_kernels.h"

namespace orvane {
namespace {

using testing_support::allowKernels;
using testing_support::KernelLevel;
using testing_support::kLevels;
using testing_support::randomImage;
using testing_support::setThreads;

class Recording : public Progress {
public:
    void message(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

// Builds both pictures and compares them pixel by pixel (0xffRRGGBB from blue, green, red) and
// text by text; the words past each row's pixels must stay untouched.
void expectSamePicture(const LayeredImage& image, const DisplayState& state) {
    const std::int32_t w = image.width(), h = image.height();
    const std::int64_t stride = RasterStride(w);
    std::vector<std::uint8_t> raster(static_cast<std::size_t>(stride * h), 0);
    Recording rasterTexts, pictureTexts;
    BuildRaster(image, state, raster.data(), stride, true, 0, 2147483647, 0, 2147483647,
                rasterTexts);
    const std::int64_t perRow = w + 3;
    std::vector<std::uint32_t> picture(static_cast<std::size_t>(perRow * h), 0x12345678u);
    BuildRaster32(image, state, picture.data(), perRow, pictureTexts);
    EXPECT_EQ(pictureTexts.texts, rasterTexts.texts);
    int mismatches = 0;
    for (std::int32_t y = 0; y < h && mismatches < 5; ++y) {
        for (std::int32_t x = 0; x < w && mismatches < 5; ++x) {
            const std::uint8_t* bgr = raster.data() + stride * y + 3 * x;
            const std::uint32_t want =
                0xff000000u | std::uint32_t{bgr[2]} << 16 | std::uint32_t{bgr[1]} << 8 | bgr[0];
            const std::uint32_t got = picture[static_cast<std::size_t>(perRow * y + x)];
            if (got != want) {
                ++mismatches;
                ADD_FAILURE() << "pixel (" << x << ", " << y << "): got " << std::hex << got
                              << ", want " << want;
            }
        }
        for (std::int64_t pad = w; pad < perRow; ++pad)
            if (picture[static_cast<std::size_t>(perRow * y + pad)] != 0x12345678u)
                ADD_FAILURE() << "word " << pad << " of row " << y << " was written";
    }
}

DisplayState displayState(bool log, bool inverted, std::array<bool, 3> on) {
    DisplayState state;
    state.logDisplay = log;
    state.invertedDisplay = inverted;
    state.channelOn = on;
    return state;
}

TEST(Raster32Test, SmallImagesEveryModeAndChannelSet) {
    struct Size {
        std::int32_t width, height;
    };
    for (Size size : {Size{1, 1}, Size{2, 7}, Size{17, 13}, Size{61, 37}}) {
        const LayeredImage image = randomImage(size.width, size.height, 3, 5 + size.width);
        for (int mask = 0; mask < 8; ++mask)
            for (int mode = 0; mode < 4; ++mode) {
                SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height) +
                             " channels " + std::to_string(mask) + " mode " + std::to_string(mode));
                expectSamePicture(image,
                                  displayState(mode & 2, mode & 1,
                                               {bool(mask & 1), bool(mask & 2), bool(mask & 4)}));
            }
    }
}

// Large enough for the tables, the byte kernel and the parallel rows; balanced too.
TEST(Raster32Test, LargeImagesOnOneAndTwoThreadsWithEveryKernelBuild) {
    const LayeredImage image = randomImage(1027, 263, 3, 17);
    DisplayState balanced = displayState(false, true, {true, true, false});
    balanced.channelGain[1] = 1.5f;
    const DisplayState states[] = {displayState(true, true, {true, false, false}),
                                   displayState(false, true, {false, true, false}),
                                   displayState(false, false, {true, true, false}),
                                   displayState(true, true, {true, true, true}),
                                   displayState(false, true, {true, true, true}),
                                   balanced};
    for (int threads : {1, 2})
        for (const KernelLevel& level : kLevels) {
            setThreads(threads);
            allowKernels(level);
            for (std::size_t s = 0; s < std::size(states); ++s) {
                SCOPED_TRACE("threads " + std::to_string(threads) + ", " + level.name + ", state " +
                             std::to_string(s));
                expectSamePicture(image, states[s]);
            }
        }
    setThreads(2);
    allowKernels(kLevels[0]);
}

// The vector expansion takes eight pixels a step and stops early enough not to read past the
// row: every length up to 41, against the one-pixel-at-a-time version, nothing written after.
TEST(Raster32Test, ExpansionMatchesPortableAtEveryLength) {
    std::vector<std::uint8_t> bgr(3 * 41);
    for (std::size_t k = 0; k < bgr.size(); ++k) bgr[k] = static_cast<std::uint8_t>(k * 37 + 11);
    for (std::int32_t count = 0; count <= 41; ++count) {
        // Exactly the row's bytes, so that the address sanitizer sees any read past them.
        std::vector<std::uint8_t> row(bgr.begin(), bgr.begin() + 3 * count);
        std::vector<std::uint32_t> want(static_cast<std::size_t>(count) + 2, 7u), got(want);
        raster::expandToRgb32Portable(row.data(), count, want.data());
        raster::expandToRgb32(row.data(), count, got.data());
        EXPECT_EQ(got, want) << "count " << count;
        if (count > 0) {
            EXPECT_EQ(want[0], 0xff000000u | std::uint32_t{bgr[2]} << 16 |
                                   std::uint32_t{bgr[1]} << 8 | bgr[0]);
        }
        EXPECT_EQ(want[static_cast<std::size_t>(count)], 7u);
    }
}

}  // namespace
}  // namespace orvane
