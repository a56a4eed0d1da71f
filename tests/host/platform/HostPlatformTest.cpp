#include "platform/host/HostPlatform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/core/settings/SettingsTestSupport.h"

namespace talven {
namespace {

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
