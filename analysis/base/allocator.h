// The one way the core allocates buffers that can be large (layers, rasters, sample lists).
// Sizes are computed in 64-bit and checked before allocating, so that a header claiming
// 100000 x 100000 pixels is refused with the out-of-memory error instead of overflowing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>

#include "base/core_error.h"

namespace orvane {

// Largest buffer the core will try to allocate: far above any real scan (a 5 um slide layer is
// 150 MB) and well below what overflows size arithmetic.
inline constexpr std::uint64_t kMaxBufferBytes = std::uint64_t{1} << 38;  // 256 GiB

// Product of non-negative factors in 64 bits; throws OutOfMemoryError when a factor is negative
// or the product would exceed kMaxBufferBytes.
std::uint64_t checkedCount(std::int64_t a, std::int64_t b, std::size_t elementSize);

// Asks the kernel to back a large buffer with huge pages where it can: first-touch page faults
// otherwise dominate the cost of a fresh layer or raster (measured by bench/document_bench).
// Advisory only; small buffers are left alone.
void adviseLargeBuffer(void* start, std::size_t bytes) noexcept;

// An owned, uninitialised array of `count` elements of a trivial type T.
template <typename T>
std::unique_ptr<T[]> allocateBuffer(std::uint64_t count) {
    if (count > kMaxBufferBytes / sizeof(T)) throw OutOfMemoryError();
    try {
        std::unique_ptr<T[]> buffer(new T[static_cast<std::size_t>(count)]);
        adviseLargeBuffer(buffer.get(), static_cast<std::size_t>(count) * sizeof(T));
        return buffer;
    } catch (const std::bad_alloc&) {
        throw OutOfMemoryError();
    }
}

}  // namespace orvane
