// MeanFilter: the square mean filter of half-width r.
//
// Border rule: the window of pixel (x, y) covers columns max(x - r, 0) .. min(x + r, width - 1)
// and rows max(y - r, 0) .. min(y + r, height - 1); nothing is mirrored or invented, so an edge
// pixel averages fewer samples (6 along an edge, 4 at a corner for r = 1). Every window reads the
// samples as they were before the filter.
#include <algorithm>
#include <limits>
#include <stdexcept>

#include "base/allocator.h"
#include "base/parallel.h"
#include "image_processing.h"
#include "rows_in_place.h"

namespace orvane {

namespace {

// Running sums over the rows yBegin..yEnd-1: per column over the window's rows, then along the
// row over the window's columns. Each output costs a few additions and one division whatever r
// is, and the sum is exact (Sum is wide enough for a full window of 65535).
template <typename Sum>
void meanRows(const std::uint16_t* in, std::int32_t width, std::int32_t height, std::int32_t r,
              std::int32_t yBegin, std::int32_t yEnd, Sum* column, std::uint16_t* out) {
    std::fill_n(column, width, Sum{0});
    const auto w = static_cast<std::size_t>(width);
    std::int32_t top = std::max(yBegin - r, 0), bottom = top - 1;  // rows summed into `column`
    for (std::int32_t y = yBegin; y < yEnd; ++y) {
        const std::int32_t wantTop = std::max(y - r, 0);
        const std::int32_t wantBottom = std::min(y + r, height - 1);
        while (bottom < wantBottom) {
            const std::uint16_t* row = in + static_cast<std::size_t>(++bottom) * w;
            for (std::size_t x = 0; x < w; ++x) column[x] += row[x];
        }
        while (top < wantTop) {
            const std::uint16_t* row = in + static_cast<std::size_t>(top++) * w;
            for (std::size_t x = 0; x < w; ++x) column[x] -= row[x];
        }
        const std::int32_t rowCount = bottom - top + 1;
        const auto rows = static_cast<Sum>(rowCount);
        Sum sum = 0;
        std::int32_t left = 0, right = -1;
        std::uint16_t* outRow = out + static_cast<std::size_t>(y) * w;
        for (std::int32_t x = 0; x < width; ++x) {
            const std::int32_t wantRight = std::min(x + r, width - 1);
            while (right < wantRight) sum += column[++right];
            while (left < x - r) sum -= column[left++];
            const Sum n = rows * static_cast<Sum>(right - left + 1);
            outRow[x] = static_cast<std::uint16_t>(sum / n);
        }
    }
}

// Any r: the rows are cut into one stripe per thread, each with its own running column sums,
// so the result does not depend on the number of threads.
template <typename Sum>
void meanLayer(const std::uint16_t* in, std::int32_t width, std::int32_t height, std::int32_t r,
               std::uint16_t* out) {
    const bool parallel = std::int64_t{width} * height >= kParallelPixels;
    const int stripes = parallel ? maxThreads() : 1;
    auto columns = allocateBuffer<Sum>(checkedCount(stripes, width, sizeof(Sum)));
#pragma omp parallel for schedule(static, 1) if (parallel)
    for (int s = 0; s < stripes; ++s) {
        const auto yBegin = static_cast<std::int32_t>(std::int64_t{height} * s / stripes);
        const auto yEnd = static_cast<std::int32_t>(std::int64_t{height} * (s + 1) / stripes);
        meanRows<Sum>(in, width, height, r, yBegin, yEnd,
                      columns.get() + static_cast<std::size_t>(s) * static_cast<std::size_t>(width),
                      out);
    }
}

// One row of the 3 x 3 window the menu command uses: column sums of the (up to) three rows,
// then the sum of three neighbouring columns. With the divisor a constant inside the image the
// compiler turns the division into a multiplication, and the loops vectorise.
[[gnu::always_inline]] inline void meanRow3x3Body(const std::uint16_t* above,
                                                  const std::uint16_t* __restrict here,
                                                  const std::uint16_t* below, std::int32_t width,
                                                  std::uint32_t* __restrict column,
                                                  std::uint16_t* __restrict outRow) {
    const auto w = static_cast<std::size_t>(width);
    if (above && below) {
        const std::uint16_t* __restrict a = above;
        const std::uint16_t* __restrict b = below;
        for (std::size_t x = 0; x < w; ++x) column[x] = std::uint32_t{here[x]} + a[x] + b[x];
    } else {
        for (std::size_t x = 0; x < w; ++x)
            column[x] = std::uint32_t{here[x]} + (above ? above[x] : 0u) + (below ? below[x] : 0u);
    }
    const std::uint32_t rows = 1u + (above ? 1u : 0u) + (below ? 1u : 0u);
    if (width == 1) {
        outRow[0] = static_cast<std::uint16_t>(column[0] / rows);
        return;
    }
    outRow[0] = static_cast<std::uint16_t>((column[0] + column[1]) / (2 * rows));
    outRow[w - 1] = static_cast<std::uint16_t>((column[w - 2] + column[w - 1]) / (2 * rows));
    if (rows == 3) {
        for (std::size_t x = 1; x + 1 < w; ++x)
            outRow[x] =
                static_cast<std::uint16_t>((column[x - 1] + column[x] + column[x + 1]) / 9u);
    } else {
        for (std::size_t x = 1; x + 1 < w; ++x)
            outRow[x] = static_cast<std::uint16_t>((column[x - 1] + column[x] + column[x + 1]) /
                                                   (3 * rows));
    }
}

using MeanRowKernel = void (*)(const std::uint16_t*, const std::uint16_t*, const std::uint16_t*,
                               std::int32_t, std::uint32_t*, std::uint16_t*);

void meanRow3x3Portable(const std::uint16_t* above, const std::uint16_t* here,
                        const std::uint16_t* below, std::int32_t width, std::uint32_t* column,
                        std::uint16_t* outRow) {
    meanRow3x3Body(above, here, below, width, column, outRow);
}

#ifdef ORVANE_AVX2_BUILD
ORVANE_TARGET_AVX2 void meanRow3x3Avx2(const std::uint16_t* above, const std::uint16_t* here,
                                       const std::uint16_t* below, std::int32_t width,
                                       std::uint32_t* column, std::uint16_t* outRow) {
    meanRow3x3Body(above, here, below, width, column, outRow);
}
#endif

MeanRowKernel meanRowKernel() {
#ifdef ORVANE_AVX2_BUILD
    if (useAvx2Kernels()) return meanRow3x3Avx2;
#endif
    return meanRow3x3Portable;
}

// In place, each stripe with its own column sums.
void meanLayer3x3(std::uint16_t* samples, std::int32_t width, std::int32_t height, int stripes,
                  std::uint32_t* columns) {
    const MeanRowKernel kernel = meanRowKernel();
    filterRowsInPlace(
        samples, width, height, stripes,
        [&](const std::uint16_t* above, const std::uint16_t* here, const std::uint16_t* below,
            std::uint16_t* out, int stripe) {
            kernel(above, here, below, width,
                   columns + static_cast<std::size_t>(stripe) * static_cast<std::size_t>(width),
                   out);
        });
}

}  // namespace

void MeanFilter(LayeredImage& image, std::int32_t r) {
    if (r < 0) throw std::invalid_argument("MeanFilter: negative half-width");
    const std::int32_t width = image.width();
    const std::int32_t height = image.height();
    // A window wider than the image is cut to the image: clamping keeps x + r in range.
    r = std::min(r, std::max(width, height));
    const std::uint64_t windowPixels =
        static_cast<std::uint64_t>(std::min<std::int64_t>(2 * std::int64_t{r} + 1, width)) *
        static_cast<std::uint64_t>(std::min<std::int64_t>(2 * std::int64_t{r} + 1, height));
    const bool narrow = windowPixels * 65535u <= std::numeric_limits<std::uint32_t>::max();
    if (r == 1) {
        // The menu's filter: in place, so no second layer buffer (scratch allocated up front,
        // before any layer changes).
        const int stripes = stripeCount(width, height);
        auto columns =
            allocateBuffer<std::uint32_t>(checkedCount(stripes, width, sizeof(std::uint32_t)));
        for (std::int32_t i = 0; i < image.layerCount; ++i)
            meanLayer3x3(image.layers[static_cast<std::size_t>(i)].samples.get(), width, height,
                         stripes, columns.get());
        return;
    }
    for (std::int32_t i = 0; i < image.layerCount; ++i) {
        ImageLayer& layer = image.layers[static_cast<std::size_t>(i)];
        auto filtered =
            allocateBuffer<std::uint16_t>(checkedCount(width, height, sizeof(std::uint16_t)));
        if (narrow)
            meanLayer<std::uint32_t>(layer.samples.get(), width, height, r, filtered.get());
        else
            meanLayer<std::uint64_t>(layer.samples.get(), width, height, r, filtered.get());
        layer.samples = std::move(filtered);
    }
}

}  // namespace orvane
