// Size checks for large core buffers.
#include "base/allocator.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace orvane {

std::uint64_t checkedCount(std::int64_t a, std::int64_t b, std::size_t elementSize) {
    if (a < 0 || b < 0 || elementSize == 0) throw OutOfMemoryError();
    const std::uint64_t limit = kMaxBufferBytes / elementSize;
    const auto ua = static_cast<std::uint64_t>(a);
    const auto ub = static_cast<std::uint64_t>(b);
    if (ua != 0 && ub > limit / ua) throw OutOfMemoryError();
    return ua * ub;
}

void adviseLargeBuffer(void* start, std::size_t bytes) noexcept {
#if defined(MADV_HUGEPAGE)
    constexpr std::size_t kLarge = std::size_t{8} << 20;
    constexpr std::uintptr_t kPage = 4096;
    if (bytes < kLarge) return;
    // madvise wants page-aligned ranges; the kernel uses huge pages for the 2 MiB-aligned
    // stretches inside it.
    const auto begin = (reinterpret_cast<std::uintptr_t>(start) + kPage - 1) & ~(kPage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(start) + bytes) & ~(kPage - 1);
    // Back to a pointer only to name the aligned range to the kernel; nothing is accessed.
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin),  // NOLINT(performance-no-int-to-ptr)
                end - begin, MADV_HUGEPAGE);
#else
    (void)start;
    (void)bytes;
#endif
}

}  // namespace orvane
