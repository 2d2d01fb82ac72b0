// Row kernels of the display mapping: portable and AVX2 builds of one source, and the
// one-channel colour tables.
#include "raster_kernels.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "base/parallel.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace orvane::raster {

namespace {

// The whole mapping of one pixel, written so that the compiler vectorises the loop: no branch
// on the channel flags (a channel that is off reads zeros and is replaced through a mask), and
// the factor of the logarithmic mode is one indexed load (a gather in the AVX2 build). The
// arithmetic is exactly the per-pixel formula: v x f(S) in double precision, truncated.
// Third: whether channel 2 is read at all; with it off (the usual two-layer picture) its
// sample is the constant 0 and its share of the work disappears.
template <bool Log, bool Inverted, bool Bitmap, bool Third>
[[gnu::always_inline]] inline void mapRowBody(const RowJob& job, std::int32_t count,
                                              std::uint8_t* __restrict out) {
    const std::uint16_t* __restrict a = job.samples[0];
    const std::uint16_t* __restrict b = job.samples[1];
    const std::uint16_t* __restrict c = job.samples[2];
    const double* __restrict factors = logFactors();
    // All ones keeps the channel's own value; zero takes the common part of the others.
    const std::int32_t m0 = job.on[0] ? -1 : 0, m1 = job.on[1] ? -1 : 0, m2 = job.on[2] ? -1 : 0;
    for (std::int32_t k = 0; k < count; ++k) {
        const std::int32_t v0 = a[k], v1 = b[k], v2 = Third ? c[k] : 0;
        std::int32_t o0, o1, o2;
        if constexpr (Log) {
            const double f = factors[v0 + v1 + v2];  // 0 for S = 0
            o0 = static_cast<std::int32_t>(v0 * f);
            o1 = static_cast<std::int32_t>(v1 * f);
            o2 = Third ? static_cast<std::int32_t>(v2 * f) : 0;
        } else {
            o0 = v0 >> 8;
            o1 = v1 >> 8;
            o2 = v2 >> 8;
        }
        // A channel that is off shows the common part of the others, each from values already
        // final, so that a pixel where all shown layers agree comes out grey.
        const std::int32_t c0 = (o0 & m0) | (std::min(o1, o2) & ~m0);
        const std::int32_t c1 = (o1 & m1) | (std::min(o2, c0) & ~m1);
        const std::int32_t c2 = (o2 & m2) | (std::min(c0, c1) & ~m2);
        std::int32_t red = c0, green = c1, blue = c2;
        if constexpr (Inverted) {
            red = 255 - std::max(c1, c2);
            green = 255 - std::max(c2, c0);
            blue = 255 - std::max(c0, c1);
        }
        out[3 * k] = static_cast<std::uint8_t>(Bitmap ? blue : red);
        out[3 * k + 1] = static_cast<std::uint8_t>(green);
        out[3 * k + 2] = static_cast<std::uint8_t>(Bitmap ? red : blue);
    }
}

template <bool Log, bool Inverted, bool Bitmap, bool Third>
void portableRow(const RowJob& job, std::int32_t count, std::uint8_t* out) {
    mapRowBody<Log, Inverted, Bitmap, Third>(job, count, out);
}

#if defined(__x86_64__) && defined(__GNUC__)
#define ORVANE_HAVE_AVX2_BUILD 1
template <bool Log, bool Inverted, bool Bitmap, bool Third>
[[gnu::target("avx2")]] void avx2Row(const RowJob& job, std::int32_t count, std::uint8_t* out) {
    mapRowBody<Log, Inverted, Bitmap, Third>(job, count, out);
}
#endif

int modeIndex(const RowJob& job) {
    return (job.on[2] ? 8 : 0) + (job.log ? 4 : 0) + (job.inverted ? 2 : 0) +
           (job.bitmapOrder ? 1 : 0);
}

// Every combination of the four flags for one kernel template, in modeIndex order.
template <template <bool, bool, bool, bool> class Kernel>
constexpr std::array<RowKernel, 16> kernelTable() {
    return {Kernel<false, false, false, false>::run, Kernel<false, false, true, false>::run,
            Kernel<false, true, false, false>::run,  Kernel<false, true, true, false>::run,
            Kernel<true, false, false, false>::run,  Kernel<true, false, true, false>::run,
            Kernel<true, true, false, false>::run,   Kernel<true, true, true, false>::run,
            Kernel<false, false, false, true>::run,  Kernel<false, false, true, true>::run,
            Kernel<false, true, false, true>::run,   Kernel<false, true, true, true>::run,
            Kernel<true, false, false, true>::run,   Kernel<true, false, true, true>::run,
            Kernel<true, true, false, true>::run,    Kernel<true, true, true, true>::run};
}

template <bool Log, bool Inverted, bool Bitmap, bool Third>
struct Portable {
    static void run(const RowJob& job, std::int32_t count, std::uint8_t* out) {
        portableRow<Log, Inverted, Bitmap, Third>(job, count, out);
    }
};

#ifdef ORVANE_HAVE_AVX2_BUILD
template <bool Log, bool Inverted, bool Bitmap, bool Third>
struct Avx2 {
    static void run(const RowJob& job, std::int32_t count, std::uint8_t* out) {
        avx2Row<Log, Inverted, Bitmap, Third>(job, count, out);
    }
};
#endif

}  // namespace

const double* logFactors() {
    static const std::vector<double> table = [] {
        std::vector<double> f(kMaxSum + 1, 0.0);
        // The exponent and the factor are the single-precision values of 0.33 and 6.3 widened
        // to double, not 1/3: the picture must match the one users know.
#pragma omp parallel for schedule(static)
        for (std::int32_t s = 1; s <= kMaxSum; ++s)
            f[static_cast<std::size_t>(s)] = std::pow(static_cast<double>(s), 0.33000001311302185) *
                                             6.300000190734863 / static_cast<double>(s);
        return f;
    }();
    return table.data();
}

void mapRowPortable(const RowJob& job, std::int32_t count, std::uint8_t* out) {
    static constexpr std::array<RowKernel, 16> kernels = kernelTable<Portable>();
    kernels[static_cast<std::size_t>(modeIndex(job))](job, count, out);
}

void mapRowAvx2(const RowJob& job, std::int32_t count, std::uint8_t* out) {
#ifdef ORVANE_HAVE_AVX2_BUILD
    static constexpr std::array<RowKernel, 16> kernels = kernelTable<Avx2>();
    kernels[static_cast<std::size_t>(modeIndex(job))](job, count, out);
#else
    mapRowPortable(job, count, out);
#endif
}

bool cpuHasAvx2() {
#ifdef ORVANE_HAVE_AVX2_BUILD
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
#else
    return false;
#endif
}

RowKernel bestRowKernel() { return useAvx2Kernels() ? mapRowAvx2 : mapRowPortable; }

void expandToRgb32Portable(const std::uint8_t* bgr, std::int32_t count, std::uint32_t* out) {
    for (std::int32_t x = 0; x < count; ++x) {
        const std::uint8_t* p = bgr + 3 * static_cast<std::ptrdiff_t>(x);
        out[x] = 0xff000000u | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
    }
}

#ifdef ORVANE_HAVE_AVX2_BUILD
namespace {

// Eight pixels a step: each 128-bit half takes four triples (12 of the 16 bytes it loads) and
// spreads them into words by a byte shuffle; the top bytes become 255.
[[gnu::target("avx2")]] void expandAvx2(const std::uint8_t* bgr, std::int32_t count,
                                        std::uint32_t* out) {
    std::int32_t x = 0;
    const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 0,
                                            1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xff000000u));
    // The second half's load reads 4 bytes past its 12: stop while that stays inside the row.
    for (; x + 10 <= count; x += 8) {
        const std::uint8_t* p = bgr + 3 * static_cast<std::ptrdiff_t>(x);
        const __m256i triples = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 12)), 1);
        const __m256i words = _mm256_or_si256(_mm256_shuffle_epi8(triples, spread), opaque);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), words);
    }
    expandToRgb32Portable(bgr + 3 * static_cast<std::ptrdiff_t>(x), count - x, out + x);
}

}  // namespace
#endif

void expandToRgb32(const std::uint8_t* bgr, std::int32_t count, std::uint32_t* out) {
#ifdef ORVANE_HAVE_AVX2_BUILD
    if (useAvx2Kernels()) {
        expandAvx2(bgr, count, out);
        return;
    }
#endif
    expandToRgb32Portable(bgr, count, out);
}

const ColourTable& singleChannelTable(int channel, bool log, bool inverted, bool bitmapOrder) {
    static std::once_flag built[3 * 8];
    static std::unique_ptr<ColourTable> tables[3 * 8];
    const int index = channel * 8 + (log ? 4 : 0) + (inverted ? 2 : 0) + (bitmapOrder ? 1 : 0);
    std::call_once(built[index], [&] {
        std::vector<std::uint16_t> values(65536);
        for (std::size_t v = 0; v < values.size(); ++v) values[v] = static_cast<std::uint16_t>(v);
        const std::vector<std::uint16_t> zeros(values.size(), 0);
        RowJob job{{zeros.data(), zeros.data(), zeros.data()},
                   {false, false, false},
                   log,
                   inverted,
                   bitmapOrder};
        job.samples[channel] = values.data();
        job.on[channel] = true;
        std::vector<std::uint8_t> bytes(3 * values.size());
        bestRowKernel()(job, 65536, bytes.data());
        auto table = std::make_unique<ColourTable>();
        for (std::size_t v = 0; v < values.size(); ++v)
            (*table)[v] = std::uint32_t{bytes[3 * v]} | std::uint32_t{bytes[3 * v + 1]} << 8 |
                          std::uint32_t{bytes[3 * v + 2]} << 16;
        tables[index] = std::move(table);
    });
    return *tables[index];
}

const ColourTable& twoChannelLinearTable(int first, int second, bool inverted, bool bitmapOrder) {
    static std::once_flag built[3 * 4];
    static std::unique_ptr<ColourTable> tables[3 * 4];
    const int pair = first + second - 1;  // (0, 1) -> 0, (0, 2) -> 1, (1, 2) -> 2
    const int index = pair * 4 + (inverted ? 2 : 0) + (bitmapOrder ? 1 : 0);
    std::call_once(built[index], [&] {
        std::vector<std::uint16_t> a(65536), b(65536);
        for (std::size_t k = 0; k < a.size(); ++k) {
            a[k] = static_cast<std::uint16_t>((k >> 8) << 8);
            b[k] = static_cast<std::uint16_t>((k & 255) << 8);
        }
        const std::vector<std::uint16_t> zeros(a.size(), 0);
        RowJob job{{zeros.data(), zeros.data(), zeros.data()},
                   {false, false, false},
                   false,
                   inverted,
                   bitmapOrder};
        job.samples[first] = a.data();
        job.samples[second] = b.data();
        job.on[first] = job.on[second] = true;
        std::vector<std::uint8_t> bytes(3 * a.size());
        bestRowKernel()(job, 65536, bytes.data());
        auto table = std::make_unique<ColourTable>();
        for (std::size_t v = 0; v < a.size(); ++v)
            (*table)[v] = std::uint32_t{bytes[3 * v]} | std::uint32_t{bytes[3 * v + 1]} << 8 |
                          std::uint32_t{bytes[3 * v + 2]} << 16;
        tables[index] = std::move(table);
    });
    return *tables[index];
}

void mapRowFromPairTable(const ColourTable& table, const std::uint16_t* first,
                         const std::uint16_t* second, std::int32_t count, std::uint8_t* out) {
    std::int32_t k = 0;
    auto at = [&](std::int32_t x) {
        return table[static_cast<std::size_t>((first[x] >> 8) << 8 | second[x] >> 8)];
    };
    if constexpr (std::endian::native == std::endian::little) {
        for (; k + 1 < count; ++k, out += 3) {
            const std::uint32_t t = at(k);
            std::memcpy(out, &t, 4);  // the fourth byte is rewritten by the next pixel
        }
    }
    for (; k < count; ++k, out += 3) {
        const std::uint32_t t = at(k);
        out[0] = static_cast<std::uint8_t>(t);
        out[1] = static_cast<std::uint8_t>(t >> 8);
        out[2] = static_cast<std::uint8_t>(t >> 16);
    }
}

void mapRowFromTable(const ColourTable& table, const std::uint16_t* samples, std::int32_t count,
                     std::uint8_t* out) {
    std::int32_t k = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // One 4-byte store a pixel: its fourth byte lands on the next pixel's first byte, which
        // the next store writes again. The last pixel takes 3 single bytes, so nothing past the
        // row's pixels is written.
        for (; k + 1 < count; ++k, out += 3) std::memcpy(out, &table[samples[k]], 4);
    }
    for (; k < count; ++k, out += 3) {
        const std::uint32_t t = table[samples[k]];
        out[0] = static_cast<std::uint8_t>(t);
        out[1] = static_cast<std::uint8_t>(t >> 8);
        out[2] = static_cast<std::uint8_t>(t >> 16);
    }
}

}  // namespace orvane::raster
