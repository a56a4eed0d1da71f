// The test-file calls of the seam, on this build's own platform: the host's
// POSIX files natively, Windows' uncached files under Wine.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "tests/core/settings/SettingsTestSupport.h"

namespace talven {
namespace {

// Uncached transfers take sector-aligned buffers.
struct alignas(4096) Sector {
    std::uint8_t bytes[4096];
};

TEST(TestFiles, RoundTripThroughTheMediumAndAreGoneAfterDeletion) {
    std::unique_ptr<Platform> platform = test::MakeBuildPlatform();
    test::TempSettings file("testfile");
    constexpr std::uint32_t kSize = 2 * sizeof(Sector);
    auto writtenSectors = std::make_unique<Sector[]>(2);
    auto readSectors = std::make_unique<Sector[]>(2);
    std::uint8_t* written = writtenSectors[0].bytes;
    std::uint8_t* read = readSectors[0].bytes;
    for (std::uint32_t i = 0; i < kSize; ++i) written[i] = static_cast<std::uint8_t>(i * 7 + 3);

    EXPECT_FALSE(platform->FileFind(file.Path()));
    Handle out = platform->FileCreate(file.Path());
    ASSERT_NE(out, kInvalidHandle);
    FileTransfer transfer = platform->FileWrite(out, written, kSize);
    EXPECT_FALSE(transfer.fileError);
    EXPECT_EQ(transfer.bytes, kSize);
    EXPECT_TRUE(platform->FileFlush(out));
    platform->FileClose(out);
    EXPECT_TRUE(platform->FileFind(file.Path()));

    Handle in = platform->FileOpen(file.Path());
    ASSERT_NE(in, kInvalidHandle);
    transfer = platform->FileRead(in, read, kSize);
    EXPECT_FALSE(transfer.fileError);
    EXPECT_EQ(transfer.bytes, kSize);
    EXPECT_EQ(std::memcmp(read, written, kSize), 0);
    // At the end a read is short, not an error.
    transfer = platform->FileRead(in, read, sizeof(Sector));
    EXPECT_FALSE(transfer.fileError);
    EXPECT_EQ(transfer.bytes, 0u);
    // Writing to a file opened for reading is refused.
    EXPECT_TRUE(platform->FileWrite(in, written, sizeof(Sector)).fileError);
    platform->FileClose(in);

    // Creating again truncates.
    out = platform->FileCreate(file.Path());
    ASSERT_NE(out, kInvalidHandle);
    platform->FileClose(out);
    in = platform->FileOpen(file.Path());
    ASSERT_NE(in, kInvalidHandle);
    EXPECT_EQ(platform->FileRead(in, read, sizeof(Sector)).bytes, 0u);
    platform->FileClose(in);

    EXPECT_TRUE(platform->FileDelete(file.Path()));
    EXPECT_FALSE(platform->FileFind(file.Path()));
    EXPECT_FALSE(platform->FileDelete(file.Path()));
    EXPECT_EQ(platform->FileOpen(file.Path()), kInvalidHandle);
}

}  // namespace
}  // namespace talven
