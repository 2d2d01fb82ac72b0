// The row kernels behind BuildRaster: one portable version that the compiler vectorises for the
// baseline instruction set, the same source built for AVX2 (gathers for the logarithmic
// factors), and the per-value colour table used when one channel is shown.
#pragma once

#include <array>
#include <cstdint>

namespace orvane::raster {

inline constexpr std::int32_t kMaxSum = 3 * 65535;

// f(S) = S^0.33 x 6.3 / S for every sum S of the shown samples (0 for S = 0), computed once.
const double* logFactors();

// One row's inputs: a sample row per channel (a row of zeros for a channel that is off) and
// the mapping wanted.
struct RowJob {
    const std::uint16_t* samples[3];
    bool on[3];
    bool log;
    bool inverted;
    bool bitmapOrder;  // blue, green, red; otherwise red, green, blue
};

// Maps `count` pixels of the row into `out`, 3 bytes a pixel.
using RowKernel = void (*)(const RowJob& job, std::int32_t count, std::uint8_t* out);

void mapRowPortable(const RowJob& job, std::int32_t count, std::uint8_t* out);
// Only where cpuHasAvx2() says so.
void mapRowAvx2(const RowJob& job, std::int32_t count, std::uint8_t* out);
bool cpuHasAvx2();
// mapRowAvx2 where the processor has it (and useAvx2Kernels() allows it), else mapRowPortable.
RowKernel bestRowKernel();

// Linear mode on processors with AVX-512 (BW and VBMI), when useAvx512Kernels() allows it:
// every colour byte is a minimum or maximum of the samples' top bytes, so 64 pixels are mapped
// at a time in bytes and interleaved by byte permutes. `streaming` writes the row with
// non-temporal stores (for rasters far larger than the caches, which then are not read back
// before they are evicted anyway; see fenceStreamingStores). Same bytes as mapRowPortable.
bool haveLinearRowKernel();
void mapRowLinear(const RowJob& job, std::int32_t count, std::uint8_t* out, bool streaming);
// Non-temporal stores are weakly ordered: each thread that streamed rows calls this before
// anyone else reads them (once per batch of rows: the fence waits for the stores to drain).
void fenceStreamingStores();

// Blue, green, red byte triples into 32-bit pixels 0xffRRGGBB (the screen's format); an AVX2
// build where useAvx2Kernels() allows it. (Written through the caches: past them was slower.)
void expandToRgb32(const std::uint8_t* bgr, std::int32_t count, std::uint32_t* out);
void expandToRgb32Portable(const std::uint8_t* bgr, std::int32_t count, std::uint32_t* out);

// With one channel shown the colour depends on its sample alone: the 3 colour bytes of every
// sample value (in the raster's byte order) in the low 3 bytes of a 32-bit word, built once
// per mapping through the row kernel and kept for the life of the process.
using ColourTable = std::array<std::uint32_t, 65536>;
const ColourTable& singleChannelTable(int channel, bool log, bool inverted, bool bitmapOrder);

// In linear mode the colour depends on the top 8 bits of each sample alone: with two channels
// shown, `first` < `second`, the colour of every pair of top bytes (index (a >> 8) x 256 +
// (b >> 8)), built and kept as above.
const ColourTable& twoChannelLinearTable(int first, int second, bool inverted, bool bitmapOrder);
void mapRowFromPairTable(const ColourTable& table, const std::uint16_t* first,
                         const std::uint16_t* second, std::int32_t count, std::uint8_t* out);

// Maps `count` samples through the table into `out`, 3 bytes a pixel.
void mapRowFromTable(const ColourTable& table, const std::uint16_t* samples, std::int32_t count,
                     std::uint8_t* out);

}  // namespace orvane::raster
