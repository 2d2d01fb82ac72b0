// The fast display mapping (colour tables, vectorised kernels, parallel rows) against the
// straightforward per-pixel pow() mapping: every one-channel value, random images of odd sizes,
// every mode and channel combination, 1 and 2 threads, portable, AVX2 and AVX-512 kernels.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
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

using Rgb = std::array<std::uint8_t, 3>;

// The mapping exactly as written: one pow() per pixel, no table.
Rgb referencePixel(const std::array<std::uint16_t, 3>& s, const std::array<bool, 3>& on, bool log,
                   bool inverted) {
    std::int64_t sum = 0;
    for (int i = 0; i < 3; ++i) sum += on[i] ? s[i] : 0;
    int out[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        if (!on[i]) continue;
        if (!log) {
            out[i] = s[i] / 256;
        } else if (sum != 0) {
            const double S = static_cast<double>(sum);
            const double f =
                std::pow(S, static_cast<double>(0.33f)) * static_cast<double>(6.3f) / S;
            out[i] = static_cast<int>(std::trunc(static_cast<double>(s[i]) * f));
        }
    }
    const int c0 = on[0] ? out[0] : std::min(out[1], out[2]);
    const int c1 = on[1] ? out[1] : std::min(out[2], c0);
    const int c2 = on[2] ? out[2] : std::min(c0, c1);
    if (!inverted)
        return {static_cast<std::uint8_t>(c0), static_cast<std::uint8_t>(c1),
                static_cast<std::uint8_t>(c2)};
    return {static_cast<std::uint8_t>(255 - std::max(c1, c2)),
            static_cast<std::uint8_t>(255 - std::max(c2, c0)),
            static_cast<std::uint8_t>(255 - std::max(c0, c1))};
}

DisplayState displayState(bool log, bool inverted, std::array<bool, 3> on) {
    DisplayState state;
    state.logDisplay = log;
    state.invertedDisplay = inverted;
    state.channelOn = on;
    return state;
}

// Builds the whole raster and compares every pixel with the reference; the padding bytes at
// the end of each row must stay as they were.
void expectRasterMatchesReference(const LayeredImage& image, const DisplayState& state,
                                  bool bitmapOrder) {
    const std::int64_t stride = RasterStride(image.width());
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(stride * image.height()), 0xA5);
    NullProgress progress;
    BuildRaster(image, state, buffer.data(), stride, bitmapOrder, 0, 2147483647, 0, 2147483647,
                progress);
    std::array<bool, 3> on{};
    for (int i = 0; i < 3; ++i) on[i] = state.channelOn[i] && i < image.layerCount;
    int mismatches = 0;
    for (std::int32_t y = 0; y < image.height() && mismatches < 5; ++y) {
        const std::uint8_t* row = buffer.data() + stride * y;
        for (std::int32_t x = 0; x < image.width() && mismatches < 5; ++x) {
            std::array<std::uint16_t, 3> s{};
            for (int i = 0; i < image.layerCount; ++i) s[i] = image.layers[i].at(x, y);
            Rgb want = referencePixel(s, on, state.logDisplay, state.invertedDisplay);
            if (bitmapOrder) std::swap(want[0], want[2]);
            const Rgb got{row[3 * x], row[3 * x + 1], row[3 * x + 2]};
            if (got != want) {
                ++mismatches;
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") samples " << s[0] << " " << s[1]
                              << " " << s[2] << ": got " << int(got[0]) << " " << int(got[1]) << " "
                              << int(got[2]) << ", want " << int(want[0]) << " " << int(want[1])
                              << " " << int(want[2]);
            }
        }
        for (std::int64_t pad = 3 * std::int64_t{image.width()}; pad < stride; ++pad)
            if (row[pad] != 0xA5)
                ADD_FAILURE() << "padding byte " << pad << " of row " << y << " was written";
    }
}

TEST(RasterIdentityTest, EveryOneChannelValueThroughTheColourTables) {
    for (int channel = 0; channel < 3; ++channel)
        for (int mode = 0; mode < 8; ++mode) {
            const bool log = mode & 4, inverted = mode & 2, bitmap = mode & 1;
            SCOPED_TRACE("channel " + std::to_string(channel) + " log " + std::to_string(log) +
                         " inverted " + std::to_string(inverted) + " bitmap " +
                         std::to_string(bitmap));
            const raster::ColourTable& table =
                raster::singleChannelTable(channel, log, inverted, bitmap);
            std::array<bool, 3> on{};
            on[channel] = true;
            int mismatches = 0;
            for (std::uint32_t v = 0; v < 65536 && mismatches < 5; ++v) {
                std::array<std::uint16_t, 3> s{};
                s[channel] = static_cast<std::uint16_t>(v);
                Rgb want = referencePixel(s, on, log, inverted);
                if (bitmap) std::swap(want[0], want[2]);
                const std::uint32_t t = table[v];
                const Rgb got{std::uint8_t(t), std::uint8_t(t >> 8), std::uint8_t(t >> 16)};
                if (got != want) {
                    ++mismatches;
                    ADD_FAILURE() << "value " << v << ": got " << int(got[0]) << " " << int(got[1])
                                  << " " << int(got[2]) << ", want " << int(want[0]) << " "
                                  << int(want[1]) << " " << int(want[2]);
                }
            }
        }
}

// An image large enough for the table path, holding every sample value, with each row's
// length not a multiple of 4 pixels (the table row writes four pixels as three words).
TEST(RasterIdentityTest, OneChannelRasterOfEveryValue) {
    LayeredImage image = randomImage(1027, 263, 2, 5);
    for (std::size_t k = 0; k < 1027u * 263u; ++k)
        image.layers[1].samples[k] = static_cast<std::uint16_t>(k * 40503u);
    for (int threads : {1, 2}) {
        setThreads(threads);
        for (int mode = 0; mode < 8; ++mode) {
            SCOPED_TRACE("threads " + std::to_string(threads) + " mode " + std::to_string(mode));
            expectRasterMatchesReference(
                image, displayState(mode & 4, mode & 2, {false, true, false}), mode & 1);
        }
    }
    setThreads(2);
}

TEST(RasterIdentityTest, RandomImagesEveryModeAndChannelCombination) {
    struct Size {
        std::int32_t width, height;
    };
    for (Size size : {Size{1, 1}, Size{2, 7}, Size{17, 13}, Size{61, 37}}) {
        const LayeredImage image = randomImage(size.width, size.height, 3, 11 + size.width);
        for (int mask = 0; mask < 8; ++mask)
            for (int mode = 0; mode < 8; ++mode) {
                SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height) +
                             " channels " + std::to_string(mask) + " mode " + std::to_string(mode));
                expectRasterMatchesReference(
                    image,
                    displayState(mode & 4, mode & 2,
                                 {bool(mask & 1), bool(mask & 2), bool(mask & 4)}),
                    mode & 1);
            }
    }
}

TEST(RasterIdentityTest, LargeRandomImagesOnOneAndTwoThreads) {
    for (int layers : {2, 3}) {
        const LayeredImage image = randomImage(613, 433, layers, 100 + layers);
        for (int threads : {1, 2})
            for (const KernelLevel& level : kLevels) {
                setThreads(threads);
                allowKernels(level);
                SCOPED_TRACE(std::to_string(layers) + " layers, threads " +
                             std::to_string(threads) + ", " + level.name);
                expectRasterMatchesReference(image, displayState(true, true, {true, true, true}),
                                             true);
                expectRasterMatchesReference(
                    image, displayState(false, false, {true, true, layers == 2}), false);
            }
    }
    setThreads(2);
    allowKernels(kLevels[0]);
}

// Linear with two channels shown goes through a table of the pairs of top bytes: every pair of
// channels, both colour modes and byte orders, on an image large enough for the table.
TEST(RasterIdentityTest, TwoChannelLinearTables) {
    const LayeredImage image = randomImage(1027, 263, 3, 21);
    const std::array<std::array<bool, 3>, 3> pairs = {
        {{true, true, false}, {true, false, true}, {false, true, true}}};
    for (const KernelLevel& level : kLevels)
        for (const auto& on : pairs)
            for (int mode = 0; mode < 4; ++mode) {
                SCOPED_TRACE("channels " + std::to_string(on[0]) + std::to_string(on[1]) +
                             std::to_string(on[2]) + " mode " + std::to_string(mode) + ", " +
                             level.name);
                allowKernels(level);
                expectRasterMatchesReference(image, displayState(false, mode & 2, on), mode & 1);
            }
    allowKernels(kLevels[0]);
}

// The byte kernel of linear mode must give the portable kernel's bytes for every channel
// combination, colour mode, byte order and row length, with plain and streaming stores at
// every alignment of the row, and write nothing outside the row's pixels.
TEST(RasterIdentityTest, LinearByteKernelMatchesPortable) {
    if (!raster::haveLinearRowKernel()) GTEST_SKIP() << "no AVX-512 VBMI on this processor";
    constexpr std::int32_t kLength = 203;
    const LayeredImage image = randomImage(kLength, 1, 3, 91);
    const std::uint16_t zeros[kLength] = {};
    for (int mask = 0; mask < 8; ++mask)
        for (int mode = 0; mode < 4; ++mode)
            for (std::int32_t count : {1, 63, 64, 65, 127, 128, 129, 200, 203})
                for (int offset = 0; offset < 64; offset += 4)
                    for (bool streaming : {false, true}) {
                        raster::RowJob job{};
                        for (int i = 0; i < 3; ++i) {
                            job.on[i] = mask & (1 << i);
                            job.samples[i] = job.on[i] ? image.layers[i].samples.get() : zeros;
                        }
                        job.inverted = mode & 2;
                        job.bitmapOrder = mode & 1;
                        std::vector<std::uint8_t> portable(3 * kLength + 128, 0x5A);
                        // A 64-byte aligned row plus `offset` bytes, as a raster row may start.
                        alignas(64) std::uint8_t bytes[3 * kLength + 128];
                        std::fill(std::begin(bytes), std::end(bytes), std::uint8_t{0x5A});
                        raster::mapRowPortable(job, count, portable.data() + offset);
                        raster::mapRowLinear(job, count, bytes + offset, streaming);
                        raster::fenceStreamingStores();
                        ASSERT_TRUE(std::equal(portable.begin(), portable.end(), bytes))
                            << "channels " << mask << " mode " << mode << " count " << count
                            << " offset " << offset << (streaming ? " streaming" : "");
                    }
}

// The AVX2 build of the kernel must give the portable build's bytes for every mode, channel
// combination and row length (the vector loop's remainder included).
TEST(RasterIdentityTest, Avx2KernelMatchesPortable) {
    if (!raster::cpuHasAvx2()) GTEST_SKIP() << "no AVX2 on this processor";
    const LayeredImage image = randomImage(67, 3, 3, 77);
    const std::uint16_t zeros[67] = {};
    for (int mask = 0; mask < 8; ++mask)
        for (int mode = 0; mode < 8; ++mode)
            for (std::int32_t count = 1; count <= 67; count += 3) {
                raster::RowJob job{};
                for (int i = 0; i < 3; ++i) {
                    job.on[i] = mask & (1 << i);
                    job.samples[i] = job.on[i] ? image.layers[i].samples.get() + 67 : zeros;
                }
                job.log = mode & 4;
                job.inverted = mode & 2;
                job.bitmapOrder = mode & 1;
                std::vector<std::uint8_t> portable(3 * 67, 0), avx2(3 * 67, 0);
                raster::mapRowPortable(job, count, portable.data());
                raster::mapRowAvx2(job, count, avx2.data());
                ASSERT_EQ(portable, avx2)
                    << "channels " << mask << " mode " << mode << " count " << count;
            }
}

// A raster larger than the caches is written with non-temporal stores (two or more layers):
// every row must still hold the portable kernel's bytes once BuildRaster returns, on one and
// two threads, and the padding must stay untouched.
TEST(RasterIdentityTest, LargeLinearRasterWrittenPastTheCaches) {
    const std::int32_t width = 2731, height = 4100;  // 33.6 MB of raster, rows of odd length
    const LayeredImage image = randomImage(width, height, 2, 55);
    const std::int64_t stride = RasterStride(width);
    const std::vector<std::uint16_t> zeros(static_cast<std::size_t>(width), 0);
    for (int threads : {1, 2}) {
        setThreads(threads);
        std::vector<std::uint8_t> raster(static_cast<std::size_t>(stride * height), 0xA5);
        NullProgress progress;
        BuildRaster(image, displayState(false, true, {true, true, false}), raster.data(), stride,
                    true, 0, 2147483647, 0, 2147483647, progress);
        std::vector<std::uint8_t> want(static_cast<std::size_t>(stride), 0xA5);
        for (std::int32_t y = 0; y < height; ++y) {
            const std::size_t start = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
            const raster::RowJob job{{image.layers[0].samples.get() + start,
                                      image.layers[1].samples.get() + start, zeros.data()},
                                     {true, true, false},
                                     false,
                                     true,
                                     true};
            raster::mapRowPortable(job, width, want.data());
            ASSERT_TRUE(std::equal(want.begin(), want.end(), raster.begin() + stride * y))
                << "row " << y << ", threads " << threads;
        }
    }
    setThreads(2);
}

// Texts are shown in row order before the rows are mapped, whatever the thread count.
TEST(RasterIdentityTest, ProgressTextsInRowOrderOnTwoThreads) {
    class Recording : public Progress {
    public:
        void message(const std::string& text) override { texts.push_back(text); }
        std::vector<std::string> texts;
    };
    const LayeredImage image = randomImage(700, 230, 1, 3);
    std::vector<std::string> expected;
    for (std::int32_t y = 0; y < 230; ++y) {
        const int p = 100 * y / 230;
        if (p % 5 == 0) {
            char text[64];
            std::snprintf(text, sizeof text, "Processing Tiff File, %02d%% completed ...", p);
            expected.push_back(text);
        }
    }
    expected.push_back("Ready");
    for (int threads : {1, 2}) {
        setThreads(threads);
        Recording progress;
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(RasterStride(700) * 230));
        BuildRaster(image, DisplayStateAfterLoading(image), buffer.data(), RasterStride(700), true,
                    0, 700, 0, 230, progress);
        EXPECT_EQ(progress.texts, expected) << "threads " << threads;
    }
    setThreads(2);
}

}  // namespace
}  // namespace orvane
