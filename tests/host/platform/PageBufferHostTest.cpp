// The host's transfer buffers: those of a test file's size lie on huge-page
// boundaries, and a buffer's mapping is exactly its own.
#include "platform/PageBuffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace talven {
namespace {

constexpr std::uintptr_t kHugePage = 2u << 20;

// Whether every page of [address, address + bytes) is mapped.
bool Mapped(const std::uint8_t* address, std::size_t bytes) {
    std::vector<unsigned char> pages(bytes / 4096);
    return ::mincore(const_cast<std::uint8_t*>(address), bytes, pages.data()) == 0;
}

TEST(HostPageBuffer, FileSizedBuffersLieOnHugePageBoundaries) {
    for (std::size_t size : {std::size_t{1} << 20, std::size_t{2} << 20, (std::size_t{3} << 20) + 4096}) {
        PageBuffer buffer(size);
        ASSERT_TRUE(buffer) << size;
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.Data()) % kHugePage, 0u) << size;
        for (std::size_t i = 0; i < size; i += 4096) ASSERT_EQ(buffer.Data()[i], 0) << size << " at " << i;
    }
    PageBuffer small(8192);
    ASSERT_TRUE(small);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(small.Data()) % 4096, 0u);
}

TEST(HostPageBuffer, AReleasedBufferGivesBackAllItMapped) {
    std::uint8_t* start = nullptr;
    {
        PageBuffer buffer(1u << 20);
        ASSERT_TRUE(buffer);
        start = buffer.Data();
        // The huge page's second half is ours until release.
        EXPECT_TRUE(Mapped(start, kHugePage));
    }
    EXPECT_FALSE(Mapped(start, 4096));
    EXPECT_FALSE(Mapped(start + kHugePage - 4096, 4096));
}

}  // namespace
}  // namespace talven
