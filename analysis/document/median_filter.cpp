// MedianFilter: the square median filter of half-width r.
//
// Border rule: the window of pixel (x, y) covers columns max(x - r, 0) .. min(x + r, width - 1)
// and rows max(y - r, 0) .. min(y + r, height - 1), nothing mirrored or invented. Of its n
// samples the value of rank n / 2 (from 0, ascending) is taken: for even n the upper middle
// one, so the 4th smallest of 6 along an edge and the 3rd smallest of 4 at a corner (r = 1).
#include <algorithm>
#include <stdexcept>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "base/allocator.h"
#include "base/parallel.h"
#include "image_processing.h"
#include "rows_in_place.h"

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
        const std::uint16_t* row =
            g.in + static_cast<std::size_t>(wy) * static_cast<std::size_t>(g.width);
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

// The 3 x 3 interior of one row, columns 1 .. width - 2: with each column's three samples
// sorted into low <= mid <= high, the median of the nine is median3(max of the lows, median of
// the mids, min of the highs). Each column is sorted once per row and shared by the three
// windows that contain it. Nothing here overlaps (__restrict lets both loops vectorise).
[[gnu::always_inline]] inline void interiorRow3x3Body(const std::uint16_t* __restrict above,
                                                      const std::uint16_t* __restrict here,
                                                      const std::uint16_t* __restrict below,
                                                      std::size_t w, std::uint16_t* __restrict low,
                                                      std::uint16_t* __restrict mid,
                                                      std::uint16_t* __restrict high,
                                                      std::uint16_t* __restrict outRow) {
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

using InteriorKernel = void (*)(const std::uint16_t*, const std::uint16_t*, const std::uint16_t*,
                                std::size_t, std::uint16_t*, std::uint16_t*, std::uint16_t*,
                                std::uint16_t*);

void interiorRow3x3Portable(const std::uint16_t* above, const std::uint16_t* here,
                            const std::uint16_t* below, std::size_t w, std::uint16_t* low,
                            std::uint16_t* mid, std::uint16_t* high, std::uint16_t* outRow) {
    interiorRow3x3Body(above, here, below, w, low, mid, high, outRow);
}

#ifdef ORVANE_AVX2_BUILD
// The unsigned 16-bit minimum and maximum are single instructions from SSE4.1 on; the
// baseline build has to emulate them.
ORVANE_TARGET_AVX2 void interiorRow3x3Avx2(const std::uint16_t* above, const std::uint16_t* here,
                                           const std::uint16_t* below, std::size_t w,
                                           std::uint16_t* low, std::uint16_t* mid,
                                           std::uint16_t* high, std::uint16_t* outRow) {
    interiorRow3x3Body(above, here, below, w, low, mid, high, outRow);
}
#endif

#ifdef ORVANE_AVX2_BUILD
// The samples x .. x + 31 of the three rows (zeros past the row's end) sorted column by column.
struct SortedColumns {
    __m512i low, mid, high;
};

ORVANE_TARGET_AVX512 inline SortedColumns sortedColumnsAt(const std::uint16_t* above,
                                                          const std::uint16_t* here,
                                                          const std::uint16_t* below, std::size_t w,
                                                          std::size_t x) {
    const __mmask32 in = x + 32 <= w ? ~__mmask32{0}
                         : x >= w    ? __mmask32{0}
                                     : static_cast<__mmask32>((1ULL << (w - x)) - 1);
    const __m512i a = _mm512_maskz_loadu_epi16(in, above + x);
    const __m512i b = _mm512_maskz_loadu_epi16(in, here + x);
    const __m512i c = _mm512_maskz_loadu_epi16(in, below + x);
    const __m512i lo = _mm512_min_epu16(a, b), hi = _mm512_max_epu16(a, b);
    return {_mm512_min_epu16(lo, c), _mm512_max_epu16(lo, _mm512_min_epu16(hi, c)),
            _mm512_max_epu16(hi, c)};
}

ORVANE_TARGET_AVX512 inline __m512i median3(__m512i a, __m512i b, __m512i c) {
    return _mm512_max_epu16(_mm512_min_epu16(a, b), _mm512_min_epu16(_mm512_max_epu16(a, b), c));
}

// The same selection 32 columns at a time with the sorted columns kept in registers: each
// block of columns is loaded and sorted once, and the neighbours x - 1 and x + 1 of every
// column come from the blocks before and after it through a two-source word permute. Columns
// 0 and w - 1 get values from the zeros beyond the row; the caller overwrites both.
ORVANE_TARGET_AVX512 void interiorRow3x3Avx512(const std::uint16_t* above,
                                               const std::uint16_t* here,
                                               const std::uint16_t* below, std::size_t w,
                                               std::uint16_t*, std::uint16_t*, std::uint16_t*,
                                               std::uint16_t* outRow) {
    // Lane k takes word k - 1 (previous) or k + 1 (next) of the 64 words of two blocks.
    const __m512i previous =
        _mm512_set_epi16(62, 61, 60, 59, 58, 57, 56, 55, 54, 53, 52, 51, 50, 49, 48, 47, 46, 45, 44,
                         43, 42, 41, 40, 39, 38, 37, 36, 35, 34, 33, 32, 31);
    const __m512i next =
        _mm512_set_epi16(32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15, 14,
                         13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1);
    SortedColumns before{_mm512_setzero_si512(), _mm512_setzero_si512(), _mm512_setzero_si512()};
    SortedColumns at = sortedColumnsAt(above, here, below, w, 0);
    for (std::size_t x = 0; x < w; x += 32) {
        const SortedColumns after = sortedColumnsAt(above, here, below, w, x + 32);
        const __m512i maxLow = _mm512_max_epu16(
            _mm512_max_epu16(_mm512_permutex2var_epi16(before.low, previous, at.low), at.low),
            _mm512_permutex2var_epi16(at.low, next, after.low));
        const __m512i minHigh = _mm512_min_epu16(
            _mm512_min_epu16(_mm512_permutex2var_epi16(before.high, previous, at.high), at.high),
            _mm512_permutex2var_epi16(at.high, next, after.high));
        const __m512i midMid = median3(_mm512_permutex2var_epi16(before.mid, previous, at.mid),
                                       at.mid, _mm512_permutex2var_epi16(at.mid, next, after.mid));
        const __mmask32 out =
            x + 32 <= w ? ~__mmask32{0} : static_cast<__mmask32>((1ULL << (w - x)) - 1);
        _mm512_mask_storeu_epi16(outRow + x, out, median3(maxLow, midMid, minHigh));
        before = at;
        at = after;
    }
}
#endif

InteriorKernel interiorKernel() {
#ifdef ORVANE_AVX2_BUILD
    if (useAvx512Kernels()) return interiorRow3x3Avx512;
    if (useAvx2Kernels()) return interiorRow3x3Avx2;
#endif
    return interiorRow3x3Portable;
}

// The window of column x from the rows given (null: outside the image), cut at the edges.
std::uint16_t smallWindowMedian(const std::uint16_t* const rows[3], std::int32_t width,
                                std::int32_t x) {
    std::uint16_t values[9];
    int n = 0;
    const std::int32_t left = std::max(x - 1, 0), right = std::min(x + 1, width - 1);
    for (int r = 0; r < 3; ++r)
        if (rows[r] != nullptr)
            for (std::int32_t wx = left; wx <= right; ++wx) values[n++] = rows[r][wx];
    std::nth_element(values, values + n / 2, values + n);
    return values[n / 2];
}

// One output row of the 3 x 3 filter from the original rows around it.
void medianRow3x3(InteriorKernel kernel, const std::uint16_t* above, const std::uint16_t* here,
                  const std::uint16_t* below, std::int32_t width, std::uint16_t* columns,
                  std::uint16_t* outRow) {
    const std::uint16_t* const rows[3] = {above, here, below};
    const auto w = static_cast<std::size_t>(width);
    if (above == nullptr || below == nullptr || width < 3) {
        for (std::int32_t x = 0; x < width; ++x) outRow[x] = smallWindowMedian(rows, width, x);
        return;
    }
    kernel(above, here, below, w, columns, columns + w, columns + 2 * w, outRow);
    outRow[0] = smallWindowMedian(rows, width, 0);
    outRow[w - 1] = smallWindowMedian(rows, width, width - 1);
}

}  // namespace

void MedianFilter(LayeredImage& image, std::int32_t r) {
    if (r < 0) throw std::invalid_argument("MedianFilter: negative half-width");
    const std::int32_t width = image.width();
    const std::int32_t height = image.height();
    r = std::min(r, std::max(width, height));  // a window wider than the image is the image
    if (r == 1) {
        // The menu's filter: in place, so no second layer buffer; each stripe has its own
        // sorted column rows, allocated before any layer changes.
        const int stripes = stripeCount(width, height);
        auto columns = allocateBuffer<std::uint16_t>(
            checkedCount(3 * std::int64_t{stripes}, width, sizeof(std::uint16_t)));
        const InteriorKernel kernel = interiorKernel();
        const auto w = static_cast<std::size_t>(width);
        for (std::int32_t i = 0; i < image.layerCount; ++i)
            filterRowsInPlace(
                image.layers[static_cast<std::size_t>(i)].samples.get(), width, height, stripes,
                [&](const std::uint16_t* above, const std::uint16_t* here,
                    const std::uint16_t* below, std::uint16_t* out, int stripe) {
                    medianRow3x3(kernel, above, here, below, width,
                                 columns.get() + 3 * w * static_cast<std::size_t>(stripe), out);
                });
        return;
    }
    // Any other r: rows are independent; each thread has its own work array (a window never
    // holds more than the image), allocated up front.
    const bool parallel = std::int64_t{width} * height >= kParallelPixels;
    const int threads = parallel ? maxThreads() : 1;
    const std::int64_t span = 2 * std::int64_t{r} + 1;
    const std::uint64_t window =
        checkedCount(std::min<std::int64_t>(span, width), std::min<std::int64_t>(span, height),
                     sizeof(std::uint16_t));
    auto work = allocateBuffer<std::uint16_t>(
        checkedCount(threads, static_cast<std::int64_t>(window), sizeof(std::uint16_t)));
    const auto w = static_cast<std::size_t>(width);
    for (std::int32_t i = 0; i < image.layerCount; ++i) {
        ImageLayer& layer = image.layers[static_cast<std::size_t>(i)];
        auto filtered =
            allocateBuffer<std::uint16_t>(checkedCount(width, height, sizeof(std::uint16_t)));
        const Geometry g{layer.samples.get(), width, height, r};
        std::uint16_t* out = filtered.get();
#pragma omp parallel for schedule(static) if (parallel)
        for (std::int32_t y = 0; y < height; ++y)
            genericRow(g, y, 0, width, out + static_cast<std::size_t>(y) * w,
                       work.get() + window * static_cast<std::size_t>(threadNumber()));
        layer.samples = std::move(filtered);
    }
}

}  // namespace orvane
