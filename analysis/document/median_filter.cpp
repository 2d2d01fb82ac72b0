// MedianFilter: the square median filter of half-width r.
//
// Border rule: the window of pixel (x, y) covers columns max(x - r, 0) .. min(x + r, width - 1)
// and rows max(y - r, 0) .. min(y + r, height - 1), nothing mirrored or invented. Of its n
// samples the value of rank n / 2 (from 0, ascending) is taken: for even n the upper middle
// one, so the 4th smallest of 6 along an edge and the 3rd smallest of 4 at a corner (r = 1).
#include <algorithm>
#include <memory>
#include <stdexcept>

#include "buffer.h"
#include "image_processing.h"
#include "parallel.h"

namespace orvane {

namespace {

struct Geometry {
    const std::uint16_t* in;
    std::int32_t width;
    std::int32_t height;
    std::int32_t r;
};

// Any window: copy its samples and select the rank n / 2. Used at the borders and for r > 1.
std::uint16_t windowMedian(const Geometry& g, std::int32_t x, std::int32_t y, std::uint16_t* work) {
    const std::int32_t left = std::max(x - g.r, 0), right = std::min(x + g.r, g.width - 1);
    const std::int32_t top = std::max(y - g.r, 0), bottom = std::min(y + g.r, g.height - 1);
    std::size_t n = 0;
    for (std::int32_t wy = top; wy <= bottom; ++wy) {
        const std::uint16_t* row = g.in + static_cast<std::size_t>(wy) * static_cast<std::size_t>(g.width);
        for (std::int32_t wx = left; wx <= right; ++wx) work[n++] = row[wx];
    }
    std::nth_element(work, work + n / 2, work + n);
    return work[n / 2];
}

void genericRow(const Geometry& g, std::int32_t y, std::int32_t fromX, std::int32_t toX,
                std::uint16_t* outRow, std::uint16_t* work) {
    for (std::int32_t x = fromX; x < toX; ++x) outRow[x] = windowMedian(g, x, y, work);
}

inline std::uint16_t median3(std::uint16_t a, std::uint16_t b, std::uint16_t c) {
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

// The 3 x 3 interior: with each column's three samples sorted into low <= mid <= high, the
// median of the nine is median3(max of the lows, median of the mids, min of the highs). Each
// column is sorted once per row and shared by the three windows that contain it.
// The work rows never overlap each other or the output (__restrict lets both loops vectorise).
void interiorRow3x3(const Geometry& g, std::int32_t y, std::uint16_t* __restrict low,
                    std::uint16_t* __restrict mid, std::uint16_t* __restrict high,
                    std::uint16_t* __restrict outRow) {
    const auto w = static_cast<std::size_t>(g.width);
    const std::uint16_t* above = g.in + static_cast<std::size_t>(y - 1) * w;
    const std::uint16_t* here = above + w;
    const std::uint16_t* below = here + w;
    for (std::size_t x = 0; x < w; ++x) {
        const std::uint16_t a = above[x], b = here[x], c = below[x];
        const std::uint16_t lo = std::min(a, b), hi = std::max(a, b);
        low[x] = std::min(lo, c);
        high[x] = std::max(hi, c);
        mid[x] = std::max(lo, std::min(hi, c));
    }
    for (std::size_t x = 1; x + 1 < w; ++x) {
        const std::uint16_t maxLow = std::max(std::max(low[x - 1], low[x]), low[x + 1]);
        const std::uint16_t minHigh = std::min(std::min(high[x - 1], high[x]), high[x + 1]);
        outRow[x] = median3(maxLow, median3(mid[x - 1], mid[x], mid[x + 1]), minHigh);
    }
}

// One output row of the 3 x 3 filter: the vectorised interior, the generic window at the two
// edge columns, and the generic window for the whole of the first and last rows.
void medianRow3x3(const Geometry& g, std::int32_t y, std::uint16_t* columns, std::uint16_t* outRow,
                  std::uint16_t* work) {
    if (y == 0 || y == g.height - 1 || g.width < 3) {
        genericRow(g, y, 0, g.width, outRow, work);
        return;
    }
    const auto w = static_cast<std::size_t>(g.width);
    interiorRow3x3(g, y, columns, columns + w, columns + 2 * w, outRow);
    genericRow(g, y, 0, 1, outRow, work);
    genericRow(g, y, g.width - 1, g.width, outRow, work);
}

}  // namespace

void MedianFilter(LayeredImage& image, std::int32_t r) {
    if (r < 0) throw std::invalid_argument("MedianFilter: negative half-width");
    const std::int32_t width = image.width();
    const std::int32_t height = image.height();
    r = std::min(r, std::max(width, height));  // a window wider than the image is the image
    // Rows are independent: each thread has its own work array (a window never holds more
    // than the image) and, for r = 1, its own sorted column rows. All allocated up front.
    const bool parallel = std::int64_t{width} * height >= kParallelPixels;
    const int threads = parallel ? maxThreads() : 1;
    const std::int64_t span = 2 * std::int64_t{r} + 1;
    const std::uint64_t window = checkedCount(std::min<std::int64_t>(span, width), std::min<std::int64_t>(span, height),
                                              sizeof(std::uint16_t));
    auto work = allocateBuffer<std::uint16_t>(checkedCount(threads, static_cast<std::int64_t>(window), sizeof(std::uint16_t)));
    std::unique_ptr<std::uint16_t[]> columns;
    if (r == 1) columns = allocateBuffer<std::uint16_t>(checkedCount(3 * std::int64_t{threads}, width, sizeof(std::uint16_t)));
    const auto w = static_cast<std::size_t>(width);
    for (std::int32_t i = 0; i < image.layerCount; ++i) {
        ImageLayer& layer = image.layers[static_cast<std::size_t>(i)];
        auto filtered = allocateBuffer<std::uint16_t>(checkedCount(width, height, sizeof(std::uint16_t)));
        const Geometry g{layer.samples.get(), width, height, r};
        std::uint16_t* out = filtered.get();
#pragma omp parallel for schedule(static) if (parallel)
        for (std::int32_t y = 0; y < height; ++y) {
            const auto t = static_cast<std::size_t>(threadNumber());
            std::uint16_t* outRow = out + static_cast<std::size_t>(y) * w;
            if (r == 1) medianRow3x3(g, y, columns.get() + 3 * w * t, outRow, work.get() + window * t);
            else genericRow(g, y, 0, width, outRow, work.get() + window * t);
        }
        layer.samples = std::move(filtered);
    }
}

}  // namespace orvane
