// The slide map: for every spot of every quad, the well UID and description that the arraying
// robot printed there, one 512-byte record per spot.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace orvane {

inline constexpr std::size_t kSlideMapTextSize = 256;

// Limits of the quad slots of a grid, and so of every print layout.
inline constexpr std::int32_t kMaxQuadsX = 4;
inline constexpr std::int32_t kMaxQuadsY = 16;
inline constexpr std::int32_t kMaxCells = 10000;

// One spot's annotation; both texts are NUL-terminated within their 256 bytes, and an empty UID
// means no well was printed there.
struct SlideMapRecord {
    char uid[kSlideMapTextSize];
    char description[kSlideMapTextSize];

    std::string_view Uid() const;
    std::string_view Description() const;
    // Stores text cut to 255 characters, so the terminator always fits.
    void SetUid(std::string_view text);
    void SetDescription(std::string_view text);
};
static_assert(sizeof(SlideMapRecord) == 512, "the grid file stores records of 512 bytes");

class SlideMap {
public:
    // A map of quadsX x quadsY quads of spotsX x spotsY spots with every text empty. Negative
    // dimensions or a size beyond what can be allocated throw OutOfMemoryError.
    SlideMap(std::int32_t quadsX, std::int32_t quadsY, std::int32_t spotsX, std::int32_t spotsY);

    std::int32_t quadsX() const { return nqx_; }
    std::int32_t quadsY() const { return nqy_; }
    std::int32_t spotsX() const { return nsx_; }
    std::int32_t spotsY() const { return nsy_; }
    std::int32_t recordCount() const { return count_; }

    // The record of quad (qx, qy), spot (sx, sy); none outside the map's own dimensions, so a grid
    // whose Cells or Quads changed after the map was built can never read past it.
    const SlideMapRecord* GetSpotRecord(std::int32_t qx, std::int32_t qy, std::int32_t sx,
                                        std::int32_t sy) const;
    SlideMapRecord* GetSpotRecord(std::int32_t qx, std::int32_t qy, std::int32_t sx,
                                  std::int32_t sy);

    // Records in file order, for the grid file.
    const SlideMapRecord* records() const { return records_.get(); }
    SlideMapRecord* records() { return records_.get(); }

private:
    std::int64_t indexOf(std::int32_t qx, std::int32_t qy, std::int32_t sx, std::int32_t sy) const;

    std::int32_t nqx_;
    std::int32_t nqy_;
    std::int32_t nsx_;
    std::int32_t nsy_;
    std::int32_t count_;
    std::unique_ptr<SlideMapRecord[]> records_;
};

}  // namespace orvane
