// The row-parallel filters against the naive window definition on images large enough to be
// split between threads, for 1, 2 and 3 threads: the result must not depend on the split. The
// AVX2 and baseline builds of the kernels are checked too (this processor may run AVX-512 ones).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "../support/kernel_choice.h"
#include "base/allocator.h"
#include "base/parallel.h"
#include "document/image_processing.h"

namespace orvane {
namespace {

using testing_support::allowKernels;
using testing_support::KernelLevel;
using testing_support::kLevels;
using testing_support::randomImage;
using testing_support::setThreads;

using Samples = std::vector<std::uint16_t>;

// Flat areas with ties, extremes and noise: the median's comparisons see every ordering.
Samples randomSamples(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> any(0, 65535);
    Samples s(count);
    for (auto& v : s) {
        const int pick = any(random);
        v = static_cast<std::uint16_t>(pick % 6 == 0   ? 0
                                       : pick % 6 == 1 ? 65535
                                       : pick % 6 == 2 ? 1000 + pick % 3
                                                       : pick);
    }
    return s;
}

LayeredImage imageOf(std::int32_t width, std::int32_t height, const Samples& samples) {
    LayeredImage image;
    ImageLayer& layer = image.layers[0];
    layer.width = width;
    layer.height = height;
    layer.samples =
        allocateBuffer<std::uint16_t>(static_cast<std::uint64_t>(width + 1) * (height + 1));
    std::copy(samples.begin(), samples.end(), layer.samples.get());
    image.layerCount = 1;
    return image;
}

// The window of (x, y) from the border rule, its mean (fraction dropped) and its value of
// rank n / 2.
struct Reference {
    std::uint16_t mean, median;
};

Reference reference(const Samples& s, std::int32_t w, std::int32_t h, std::int32_t r,
                    std::int32_t x, std::int32_t y, Samples& window) {
    window.clear();
    for (std::int32_t wy = std::max(y - r, 0); wy <= std::min(y + r, h - 1); ++wy)
        for (std::int32_t wx = std::max(x - r, 0); wx <= std::min(x + r, w - 1); ++wx)
            window.push_back(s[static_cast<std::size_t>(wy) * w + wx]);
    std::uint64_t sum = 0;
    for (std::uint16_t v : window) sum += v;
    std::nth_element(window.begin(), window.begin() + window.size() / 2, window.end());
    return {static_cast<std::uint16_t>(sum / window.size()), window[window.size() / 2]};
}

TEST(FilterThreadsTest, ParallelFiltersMatchTheWindowDefinitionForAnyThreadCount) {
    struct Case {
        std::int32_t width, height, r;
    };
    // Odd sizes above the parallel threshold; r = 1 takes the 3 x 3 kernels, the others the
    // running sums (mean) and the generic window (median), cut into stripes.
    const Case cases[] = {{331, 211, 1}, {257, 263, 2}, {1031, 67, 1}, {263, 251, 4}};
    unsigned seed = 7;
    for (const Case& c : cases) {
        const Samples in = randomSamples(static_cast<std::size_t>(c.width) * c.height, seed++);
        std::vector<Reference> want;
        Samples window;
        for (std::int32_t y = 0; y < c.height; ++y)
            for (std::int32_t x = 0; x < c.width; ++x)
                want.push_back(reference(in, c.width, c.height, c.r, x, y, window));
        for (int threads : {1, 2, 3})
            for (const KernelLevel level : kLevels) {
                SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " r " << c.r
                                                << " threads " << threads << ", " << level.name);
                setThreads(threads);
                allowKernels(level);
                LayeredImage mean = imageOf(c.width, c.height, in);
                LayeredImage median = imageOf(c.width, c.height, in);
                MeanFilter(mean, c.r);
                MedianFilter(median, c.r);
                for (std::size_t k = 0; k < want.size(); ++k) {
                    ASSERT_EQ(mean.layers[0].samples[k], want[k].mean)
                        << "mean at " << k % c.width << "," << k / c.width;
                    ASSERT_EQ(median.layers[0].samples[k], want[k].median)
                        << "median at " << k % c.width << "," << k / c.width;
                }
            }
    }
    setThreads(2);
    allowKernels(kLevels[0]);
}

// The 3 x 3 median's vector kernels work in blocks of 16 or 32 columns with masked or scalar
// ends: every width around those blocks, on one thread, against the window definition.
TEST(FilterThreadsTest, MedianKernelsMatchTheWindowDefinitionAtEveryWidthAroundTheirBlocks) {
    setThreads(1);
    const std::int32_t height = 5;
    Samples window;
    for (std::int32_t width = 1; width <= 99; ++width) {
        const Samples in = randomSamples(static_cast<std::size_t>(width) * height,
                                         100 + static_cast<unsigned>(width));
        for (const KernelLevel level : kLevels) {
            SCOPED_TRACE(testing::Message() << "width " << width << ", " << level.name);
            allowKernels(level);
            LayeredImage median = imageOf(width, height, in);
            MedianFilter(median, 1);
            for (std::int32_t y = 0; y < height; ++y)
                for (std::int32_t x = 0; x < width; ++x)
                    ASSERT_EQ(median.layers[0].samples[static_cast<std::size_t>(y) * width + x],
                              reference(in, width, height, 1, x, y, window).median)
                        << "at " << x << "," << y;
        }
    }
    setThreads(2);
    allowKernels(kLevels[0]);
}

}  // namespace
}  // namespace orvane
