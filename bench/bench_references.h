// The plain reference operations of the benchmarks: reading a file with pread, copying memory,
// and the display mapping through a 65536-entry table or a table of f(S).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// Reads the whole file into `buffer` (already sized to the file and touched) with pread.
void preadFile(const std::string& path, std::vector<char>& buffer);

// The colour of one pixel by the per-pixel pow() formula, all listed channels shown, logarithmic,
// inverted, in bitmap order (blue, green, red).
void referenceLogPixel(const std::uint16_t* samples, int channels, std::uint8_t bgr[3]);

// One channel shown: a table of the 3 colour bytes of every sample value, built once, then
// one look-up a pixel, rows on all threads.
struct OneChannelTable {
    std::vector<std::uint8_t> bytes;  // 3 a value
    OneChannelTable();
    void map(const std::uint16_t* samples, int width, int height, std::uint8_t* raster,
             std::int64_t stride) const;
};

// Two or three channels: a table of f(S) = S^0.33 x 6.3 / S, then per pixel the products with
// each sample, truncated, rows on all threads.
struct SumFactorTable {
    std::vector<double> factors;
    SumFactorTable();
    void map(const std::uint16_t* const* layers, int channels, int width, int height,
             std::uint8_t* raster, std::int64_t stride) const;
};

}  // namespace bench
