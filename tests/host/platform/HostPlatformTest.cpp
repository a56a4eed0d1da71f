#include "platform/host/HostPlatform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "tests/core/settings/SettingsTestSupport.h"

namespace talven {
namespace {

struct FreeDeleter {
    void operator()(void* block) const { std::free(block); }
};

// Test files take sector-aligned buffers.
std::unique_ptr<std::uint8_t[], FreeDeleter> AlignedBuffer(std::size_t size) {
    return std::unique_ptr<std::uint8_t[], FreeDeleter>(static_cast<std::uint8_t*>(std::aligned_alloc(4096, size)));
}

TEST(HostPlatform, TestFilesRoundTripThroughTheMedium) {
    HostPlatform platform;
    test::TempSettings file("testfile");
    constexpr std::uint32_t kSize = 8192;
    auto written = AlignedBuffer(kSize);
    auto read = AlignedBuffer(kSize);
    for (std::uint32_t i = 0; i < kSize; ++i) written[i] = static_cast<std::uint8_t>(i * 7 + 3);

    EXPECT_FALSE(platform.FileFind(file.Path()));
    Handle out = platform.FileCreate(file.Path());
    ASSERT_NE(out, kInvalidHandle);
    FileTransfer transfer = platform.FileWrite(out, written.get(), kSize);
    EXPECT_FALSE(transfer.fileError);
    EXPECT_EQ(transfer.bytes, kSize);
    EXPECT_TRUE(platform.FileFlush(out));
    platform.FileClose(out);
    EXPECT_TRUE(platform.FileFind(file.Path()));

    Handle in = platform.FileOpen(file.Path());
    ASSERT_NE(in, kInvalidHandle);
    transfer = platform.FileRead(in, read.get(), kSize);
    EXPECT_FALSE(transfer.fileError);
    EXPECT_EQ(transfer.bytes, kSize);
    EXPECT_EQ(std::memcmp(read.get(), written.get(), kSize), 0);
    // At the end a read is short, not an error.
    transfer = platform.FileRead(in, read.get(), 4096);
    EXPECT_FALSE(transfer.fileError);
    EXPECT_EQ(transfer.bytes, 0u);
    // Writing to a file opened for reading is refused.
    EXPECT_TRUE(platform.FileWrite(in, written.get(), 4096).fileError);
    platform.FileClose(in);

    // Creating again truncates.
    out = platform.FileCreate(file.Path());
    ASSERT_NE(out, kInvalidHandle);
    platform.FileClose(out);
    in = platform.FileOpen(file.Path());
    EXPECT_EQ(platform.FileRead(in, read.get(), 4096).bytes, 0u);
    platform.FileClose(in);

    EXPECT_TRUE(platform.FileDelete(file.Path()));
    EXPECT_FALSE(platform.FileFind(file.Path()));
    EXPECT_FALSE(platform.FileDelete(file.Path()));
    EXPECT_EQ(platform.FileOpen(file.Path()), kInvalidHandle);
}

TEST(HostPlatform, HasNoDrivesOrReaderVolumesUnlessGivenAMask) {
    HostPlatform bare;
    EXPECT_EQ(bare.GetLogicalDrives(), 0u);
    EXPECT_EQ(bare.GetDriveTypeA("C:\\"), kDriveNoRootDir);
    EXPECT_EQ(bare.CreateFileA("\\\\.\\E:", kGenericRead | kGenericWrite, kFileShareRead | kFileShareWrite,
                               kOpenExisting, 0),
              kInvalidHandle);
    std::uint32_t returned = 99;
    char record[64] = {};
    EXPECT_FALSE(bare.DeviceIoControl(kInvalidHandle, kIoctlScsiPassThrough, record, sizeof record, record,
                                      sizeof record, &returned));
    EXPECT_EQ(returned, 0u);

    HostPlatform withDrives((1u << 2) | (1u << 4));  // C: and E:
    EXPECT_EQ(withDrives.GetLogicalDrives(), 0x14u);
    EXPECT_EQ(withDrives.GetDriveTypeA("e:\\"), kDriveFixed);
    EXPECT_EQ(withDrives.GetDriveTypeA("D:\\"), kDriveNoRootDir);
}

TEST(HostPlatform, FreeSpaceOfAFolder) {
    HostPlatform platform;
    DiskFreeSpace space;
    ASSERT_TRUE(platform.GetDiskFreeSpaceA("/", space));
    EXPECT_GT(space.bytesPerSector, 0u);
    EXPECT_GT(space.totalClusters, 0u);
    EXPECT_FALSE(platform.GetDiskFreeSpaceA("/no/such/folder", space));
}

TEST(HostPlatform, ModuleFileNameIsThisProgramCutLikeWindows) {
    HostPlatform platform;
    char path[4096];
    std::uint32_t length = platform.GetModuleFileNameA(path, sizeof path);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(std::strlen(path), length);
    EXPECT_NE(std::string(path).find("talven_host_platform_tests"), std::string::npos);

    char small[8];
    std::memset(small, '#', sizeof small);
    EXPECT_EQ(platform.GetModuleFileNameA(small, 5), 5u);
    EXPECT_EQ(std::strlen(small), 4u);
    EXPECT_EQ(std::string(small, 4), std::string(path, 4));
    EXPECT_EQ(small[5], '#');
}

TEST(HostPlatform, PrivateProfileCallsGoToTheFile) {
    HostPlatform platform;
    test::TempSettings file("seam");
    EXPECT_TRUE(platform.WritePrivateProfileStringA("VX5308", "CFSpeed", "1", file.Path()));
    EXPECT_EQ(platform.GetPrivateProfileIntA("VX5308", "cfspeed", 5, file.Path()), 1u);
    char text[16];
    EXPECT_EQ(platform.GetPrivateProfileStringA("VX5308", "CFSpeed", "", text, sizeof text, file.Path()), 1u);
    EXPECT_STREQ(text, "1");
    EXPECT_EQ(file.Read(), "[VX5308]\r\nCFSpeed=1\r\n");
}

}  // namespace
}  // namespace talven
