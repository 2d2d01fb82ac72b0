// Size checks of large buffers.
#include <gtest/gtest.h>

#include "base/allocator.h"

namespace orvane {
namespace {

TEST(BufferTest, CheckedCountRefusesOverflowAndNegativeSizes) {
    EXPECT_EQ(checkedCount(100001, 100001, 2), 100001ull * 100001ull);
    EXPECT_THROW(checkedCount(-1, 5, 2), OutOfMemoryError);
    EXPECT_THROW(checkedCount(std::int64_t{1} << 40, std::int64_t{1} << 40, 2), OutOfMemoryError);
}

TEST(BufferTest, AllocationBeyondTheLimitThrowsOutOfMemory) {
    EXPECT_THROW(allocateBuffer<std::uint16_t>(kMaxBufferBytes), OutOfMemoryError);
    auto small = allocateBuffer<std::uint16_t>(16);
    ASSERT_NE(small, nullptr);
    try {
        allocateBuffer<std::uint64_t>(~std::uint64_t{0});
        FAIL() << "expected OutOfMemoryError";
    } catch (const OutOfMemoryError& e) {
        EXPECT_STREQ(e.what(), "Out of memory.");
    }
}

}  // namespace
}  // namespace orvane
