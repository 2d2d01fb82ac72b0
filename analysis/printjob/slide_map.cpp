// Slide map records and their lookup.
#include "slide_map.h"

#include <algorithm>
#include <cstring>

#include "base/allocator.h"

namespace orvane {

namespace {

std::string_view boundedText(const char* text) {
    // A record read from a file may lack its terminator; never read past the field.
    const void* end = std::memchr(text, '\0', kSlideMapTextSize);
    return std::string_view(text, end ? static_cast<const char*>(end) - text : kSlideMapTextSize);
}

void storeText(char* field, std::string_view text) {
    const std::size_t n = std::min(text.size(), kSlideMapTextSize - 1);
    // An empty string_view may carry a null pointer, which memcpy must never be given.
    if (n > 0) std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, kSlideMapTextSize - n);
}

}  // namespace

std::string_view SlideMapRecord::Uid() const { return boundedText(uid); }
std::string_view SlideMapRecord::Description() const { return boundedText(description); }
void SlideMapRecord::SetUid(std::string_view text) { storeText(uid, text); }
void SlideMapRecord::SetDescription(std::string_view text) { storeText(description, text); }

SlideMap::SlideMap(std::int32_t quadsX, std::int32_t quadsY, std::int32_t spotsX,
                   std::int32_t spotsY)
    : nqx_(quadsX), nqy_(quadsY), nsx_(spotsX), nsy_(spotsY), count_(0) {
    const std::uint64_t quads = checkedCount(quadsX, quadsY, 1);
    const std::uint64_t spots = checkedCount(spotsX, spotsY, 1);
    const std::uint64_t count = checkedCount(
        static_cast<std::int64_t>(quads), static_cast<std::int64_t>(spots), sizeof(SlideMapRecord));
    // The grid file keeps the count as an int32; kMaxBufferBytes / 512 stays well below that.
    static_assert(kMaxBufferBytes / sizeof(SlideMapRecord) <= 0x7fffffff);
    records_ = allocateBuffer<SlideMapRecord>(count);
    std::memset(static_cast<void*>(records_.get()), 0, count * sizeof(SlideMapRecord));
    count_ = static_cast<std::int32_t>(count);
}

std::int64_t SlideMap::indexOf(std::int32_t qx, std::int32_t qy, std::int32_t sx,
                               std::int32_t sy) const {
    if (qx < 0 || qx >= nqx_ || qy < 0 || qy >= nqy_ || sx < 0 || sx >= nsx_ || sy < 0 ||
        sy >= nsy_)
        return -1;
    return ((static_cast<std::int64_t>(qx) * nqy_ + qy) * nsx_ + sx) * nsy_ + sy;
}

const SlideMapRecord* SlideMap::GetSpotRecord(std::int32_t qx, std::int32_t qy, std::int32_t sx,
                                              std::int32_t sy) const {
    const std::int64_t i = indexOf(qx, qy, sx, sy);
    return i < 0 ? nullptr : &records_[static_cast<std::size_t>(i)];
}

SlideMapRecord* SlideMap::GetSpotRecord(std::int32_t qx, std::int32_t qy, std::int32_t sx,
                                        std::int32_t sy) {
    const std::int64_t i = indexOf(qx, qy, sx, sy);
    return i < 0 ? nullptr : &records_[static_cast<std::size_t>(i)];
}

}  // namespace orvane
