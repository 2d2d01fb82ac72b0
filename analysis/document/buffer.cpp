// Size checks for large core buffers.
#include "buffer.h"

namespace orvane {

std::uint64_t checkedCount(std::int64_t a, std::int64_t b, std::size_t elementSize) {
    if (a < 0 || b < 0 || elementSize == 0) throw OutOfMemoryError();
    const std::uint64_t limit = kMaxBufferBytes / elementSize;
    const auto ua = static_cast<std::uint64_t>(a);
    const auto ub = static_cast<std::uint64_t>(b);
    if (ua != 0 && ub > limit / ua) throw OutOfMemoryError();
    return ua * ub;
}

}  // namespace orvane
