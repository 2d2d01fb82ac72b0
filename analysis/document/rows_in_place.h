// Filtering a layer in place, row by row, with the 3 x 3 window: each row is computed from
// copies of the original rows above and at it and the still unchanged row below, so no second
// layer-sized buffer is needed (a fresh 150 MB buffer costs more in page faults than the filter
// itself). The rows are cut into one stripe per thread; the original rows at the stripe edges
// are copied first, so the result does not depend on the number of threads.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "base/allocator.h"
#include "base/parallel.h"

namespace orvane {

inline void prefetchRow(const std::uint16_t* row, std::size_t width) {
    const char* bytes = reinterpret_cast<const char*>(row);
    for (std::size_t offset = 0; offset < 2 * width; offset += 64)
        __builtin_prefetch(bytes + offset);
}

// How many stripes (and per-stripe scratch sets) filterRowsInPlace uses for this size.
inline int stripeCount(std::int32_t width, std::int32_t height) {
    if (std::int64_t{width} * height < kParallelPixels) return 1;
    return std::max(1, std::min(maxThreads(), height));
}

// Calls rowFn(above, here, below, out, stripe) for every row y: `above` and `below` are the
// original rows y - 1 and y + 1 (null outside the image), `here` the original row y, `out` the
// layer's row y to overwrite. Throws OutOfMemoryError before changing anything.
template <typename RowFn>
void filterRowsInPlace(std::uint16_t* samples, std::int32_t width, std::int32_t height, int stripes,
                       RowFn rowFn) {
    const auto w = static_cast<std::size_t>(width);
    // Per stripe: two rows of a ring of saved originals, and the rows just outside it.
    auto saved = allocateBuffer<std::uint16_t>(
        checkedCount(4 * std::int64_t{stripes}, width, sizeof(std::uint16_t)));
    auto row = [&](std::int32_t y) { return samples + static_cast<std::size_t>(y) * w; };
    auto scratch = [&](int stripe, int slot) {
        return saved.get() + (4 * static_cast<std::size_t>(stripe) + slot) * w;
    };
    auto first = [&](int stripe) {
        return static_cast<std::int32_t>(std::int64_t{height} * stripe / stripes);
    };
    for (int s = 0; s < stripes; ++s) {
        if (first(s) > 0) std::memcpy(scratch(s, 2), row(first(s) - 1), 2 * w);
        if (first(s + 1) < height) std::memcpy(scratch(s, 3), row(first(s + 1)), 2 * w);
    }
#pragma omp parallel for schedule(static, 1) if (stripes > 1)
    for (int s = 0; s < stripes; ++s) {
        const std::int32_t begin = first(s), end = first(s + 1);
        for (std::int32_t y = begin; y < end; ++y) {
            std::uint16_t* here = scratch(s, (y - begin) & 1);
            std::memcpy(here, row(y), 2 * w);
            const std::uint16_t* above = y == 0       ? nullptr
                                         : y == begin ? scratch(s, 2)
                                                      : scratch(s, (y - begin - 1) & 1);
            const std::uint16_t* below = y + 1 >= height ? nullptr
                                         : y + 1 < end   ? row(y + 1)
                                                         : scratch(s, 3);
            // Ask for the row after `below` now: left to the hardware prefetcher, the first
            // loads of each new row wait on memory (a quarter of the filter's time).
            if (y + 2 < height) prefetchRow(row(y + 2), w);
            rowFn(above, here, below, row(y), s);
        }
    }
}

}  // namespace orvane
