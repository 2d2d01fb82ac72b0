// The linear display mapping of a row in bytes with AVX-512 (BW, VBMI): the top byte of each
// sample, the channel rules as byte minimums and maximums, and the colour planes interleaved
// into 3-byte pixels by byte permutes.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "base/parallel.h"
#include "raster_kernels.h"

namespace orvane::raster {

#ifdef ORVANE_AVX2_BUILD

#define ORVANE_TARGET_LINEAR [[gnu::target("avx512f,avx512bw,avx512vbmi")]]

namespace {

// The byte indices of the permutes, built once: the odd bytes of two vectors of samples (their
// top bytes, in order), and for each of the three output vectors of 64 pixels the pixel of each
// byte (plus 64 for the middle colour, the permute's second source) and which bytes take the
// last colour.
struct Shuffles {
    alignas(64) std::uint8_t topBytes[64];
    alignas(64) std::uint8_t pixel[3][64];
    __mmask64 lastColour[3] = {0, 0, 0};

    Shuffles() {
        for (int i = 0; i < 64; ++i) topBytes[i] = static_cast<std::uint8_t>(2 * i + 1);
        for (int v = 0; v < 3; ++v)
            for (int t = 0; t < 64; ++t) {
                const int byte = 64 * v + t, colour = byte % 3;
                pixel[v][t] = static_cast<std::uint8_t>(byte / 3 + (colour == 1 ? 64 : 0));
                if (colour == 2) lastColour[v] |= __mmask64{1} << t;
            }
    }
};

const Shuffles& shuffles() {
    static const Shuffles s;
    return s;
}

// The top bytes of 64 samples.
ORVANE_TARGET_LINEAR inline __m512i topBytes(const std::uint16_t* samples, __m512i odd) {
    return _mm512_permutex2var_epi8(_mm512_loadu_si512(samples), odd,
                                    _mm512_loadu_si512(samples + 32));
}

// Three colour planes of 64 pixels as 192 bytes of pixels: the first and middle colours by a
// two-source permute, the last merged in under its mask.
ORVANE_TARGET_LINEAR inline __m512i interleaved(__m512i first, __m512i middle, __m512i last,
                                                __m512i pixel, __mmask64 lastColour) {
    return _mm512_mask_permutexvar_epi8(_mm512_permutex2var_epi8(first, pixel, middle), lastColour,
                                        pixel, last);
}

ORVANE_TARGET_LINEAR void linearBlocks(const RowJob& job, std::int32_t from, std::int32_t to,
                                       std::uint8_t* out, bool streaming) {
    const Shuffles& sh = shuffles();
    const __m512i odd = _mm512_load_si512(sh.topBytes);
    const __m512i pixel0 = _mm512_load_si512(sh.pixel[0]), pixel1 = _mm512_load_si512(sh.pixel[1]),
                  pixel2 = _mm512_load_si512(sh.pixel[2]);
    const __m512i zero = _mm512_setzero_si512(), ones = _mm512_set1_epi8(-1);
    const bool on0 = job.on[0], on1 = job.on[1], on2 = job.on[2];
    for (std::int32_t k = from; k + 64 <= to; k += 64) {
        // A channel that is off reads zeros (as in mapRowPortable) and takes the common part
        // of the others.
        const __m512i o0 = on0 ? topBytes(job.samples[0] + k, odd) : zero;
        const __m512i o1 = on1 ? topBytes(job.samples[1] + k, odd) : zero;
        const __m512i o2 = on2 ? topBytes(job.samples[2] + k, odd) : zero;
        const __m512i c0 = on0 ? o0 : _mm512_min_epu8(o1, o2);
        const __m512i c1 = on1 ? o1 : _mm512_min_epu8(o2, c0);
        const __m512i c2 = on2 ? o2 : _mm512_min_epu8(c0, c1);
        __m512i red = c0, green = c1, blue = c2;
        if (job.inverted) {  // 255 - v of a byte is its complement
            red = _mm512_xor_si512(_mm512_max_epu8(c1, c2), ones);
            green = _mm512_xor_si512(_mm512_max_epu8(c2, c0), ones);
            blue = _mm512_xor_si512(_mm512_max_epu8(c0, c1), ones);
        }
        const __m512i first = job.bitmapOrder ? blue : red, last = job.bitmapOrder ? red : blue;
        const __m512i v0 = interleaved(first, green, last, pixel0, sh.lastColour[0]);
        const __m512i v1 = interleaved(first, green, last, pixel1, sh.lastColour[1]);
        const __m512i v2 = interleaved(first, green, last, pixel2, sh.lastColour[2]);
        std::uint8_t* o = out + 3 * static_cast<std::ptrdiff_t>(k);
        if (streaming) {
            _mm512_stream_si512(reinterpret_cast<__m512i*>(o), v0);
            _mm512_stream_si512(reinterpret_cast<__m512i*>(o + 64), v1);
            _mm512_stream_si512(reinterpret_cast<__m512i*>(o + 128), v2);
        } else {
            _mm512_storeu_si512(o, v0);
            _mm512_storeu_si512(o + 64, v1);
            _mm512_storeu_si512(o + 128, v2);
        }
    }
}

// Pixels from .. to - 1 through the portable kernel.
void portablePart(const RowJob& job, std::int32_t from, std::int32_t to, std::uint8_t* out) {
    if (to <= from) return;
    RowJob part = job;
    for (int i = 0; i < 3; ++i) part.samples[i] = job.samples[i] + from;
    mapRowPortable(part, to - from, out + 3 * static_cast<std::ptrdiff_t>(from));
}

}  // namespace

bool haveLinearRowKernel() {
    static const bool has = __builtin_cpu_supports("avx512f") &&
                            __builtin_cpu_supports("avx512bw") &&
                            __builtin_cpu_supports("avx512vbmi");
    return has && useAvx512Kernels();
}

void mapRowLinear(const RowJob& job, std::int32_t count, std::uint8_t* out, bool streaming) {
    std::int32_t head = 0;
    if (streaming) {
        // Non-temporal stores want 64-byte aligned addresses: the first head pixels go the
        // portable way, where 3 x head = -out (mod 64), i.e. head = 43 x -out (3 x 43 = 129).
        const auto misalignment =
            static_cast<std::int32_t>((64 - reinterpret_cast<std::uintptr_t>(out) % 64) % 64);
        head = std::min((misalignment * 43) % 64, count);
    }
    portablePart(job, 0, head, out);
    const std::int32_t blocks = head + (count - head) / 64 * 64;
    linearBlocks(job, head, blocks, out, streaming);
    portablePart(job, blocks, count, out);
}

void fenceStreamingStores() { _mm_sfence(); }

#else

bool haveLinearRowKernel() { return false; }
void fenceStreamingStores() {}

void mapRowLinear(const RowJob& job, std::int32_t count, std::uint8_t* out, bool) {
    mapRowPortable(job, count, out);
}

#endif

}  // namespace orvane::raster
