// Transfer buffers for uncached requests, from this build's own page
// allocator: the host's mmap natively, VirtualAlloc under Wine.
#include "platform/PageBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <utility>

namespace talven {
namespace {

constexpr std::size_t kPage = 4096;

bool AllZero(const PageBuffer& buffer, std::size_t span) {
    for (std::size_t i = 0; i < span; ++i) {
        if (buffer.Data()[i] != 0) return false;
    }
    return true;
}

TEST(PageBuffer, IsPageAlignedZeroedAndSpansWholePages) {
    for (std::size_t size : {std::size_t{1}, kPage, kPage * 4 + 1, std::size_t{0x200000}}) {
        PageBuffer buffer(size);
        ASSERT_TRUE(buffer) << size;
        EXPECT_EQ(buffer.Size(), size);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.Data()) % kPage, 0u) << size;
        const std::size_t span = (size + kPage - 1) / kPage * kPage;
        EXPECT_TRUE(AllZero(buffer, span)) << size;
        // The tail of the last page is ours too.
        buffer.Data()[span - 1] = 0xA5;
        EXPECT_EQ(buffer.Data()[span - 1], 0xA5);
    }
}

TEST(PageBuffer, IsEmptyWhenNothingOrTooMuchIsAskedFor) {
    PageBuffer none;
    EXPECT_FALSE(none);
    EXPECT_EQ(none.Data(), nullptr);
    EXPECT_EQ(none.Size(), 0u);

    PageBuffer zero(0);
    EXPECT_FALSE(zero);
    EXPECT_EQ(zero.Size(), 0u);

    for (std::size_t size : {std::numeric_limits<std::size_t>::max(), std::numeric_limits<std::size_t>::max() / 2}) {
        PageBuffer huge(size);
        EXPECT_FALSE(huge) << size;
        EXPECT_EQ(huge.Data(), nullptr);
        EXPECT_EQ(huge.Size(), 0u);
    }
}

TEST(PageBuffer, MovesItsPagesAndLeavesTheSourceEmpty) {
    PageBuffer first(3 * kPage);
    ASSERT_TRUE(first);
    first.Data()[0] = 0x11;
    first.Data()[3 * kPage - 1] = 0x22;
    std::uint8_t* pages = first.Data();

    PageBuffer second(std::move(first));
    EXPECT_FALSE(first);  // a moved-from buffer is empty
    EXPECT_EQ(first.Size(), 0u);
    EXPECT_EQ(second.Data(), pages);
    EXPECT_EQ(second.Size(), 3 * kPage);
    EXPECT_EQ(second.Data()[0], 0x11);
    EXPECT_EQ(second.Data()[3 * kPage - 1], 0x22);

    // Assigning over a held buffer releases it and takes the other's pages.
    PageBuffer third(kPage);
    ASSERT_TRUE(third);
    third = std::move(second);
    EXPECT_FALSE(second);
    EXPECT_EQ(third.Data(), pages);
    EXPECT_EQ(third.Size(), 3 * kPage);
    EXPECT_EQ(third.Data()[3 * kPage - 1], 0x22);

    third = PageBuffer();
    EXPECT_FALSE(third);
    EXPECT_EQ(third.Size(), 0u);
}

}  // namespace
}  // namespace talven
