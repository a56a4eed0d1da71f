#include "platform/host/HostPlatform.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/core/settings/SettingsTestSupport.h"
#include "tests/host/support/PageResidency.h"

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

TEST(HostPlatformDrives, AMappedLetterIsARemovableDriveBesideTheMask) {
    test::DiskFolder folder("mapped");
    ASSERT_FALSE(folder.Path().empty());
    HostPlatform platform(1u << 2);  // C:
    EXPECT_TRUE(platform.MapDrive('e', folder.Path(), 1u << 20));
    EXPECT_EQ(platform.GetLogicalDrives(), (1u << 2) | (1u << 4));
    for (const char* root : {"E:", "E:\\", "e:\\"}) EXPECT_EQ(platform.GetDriveTypeA(root), kDriveRemovable) << root;
    EXPECT_EQ(platform.GetDriveTypeA("C:\\"), kDriveFixed);
    EXPECT_EQ(platform.GetDriveTypeA("F:\\"), kDriveNoRootDir);

    EXPECT_FALSE(platform.MapDrive('1', folder.Path(), 1u << 20));
    EXPECT_FALSE(platform.MapDrive('G', folder.Path() + "/missing", 1u << 20));
    EXPECT_EQ(platform.GetLogicalDrives(), (1u << 2) | (1u << 4));
}

TEST(HostPlatformDrives, FreeSpaceIsTheFoldersCappedByTheCapacityLessItsFilesInBlocks) {
    test::DiskFolder folder("capped");
    ASSERT_FALSE(folder.Path().empty());
    struct statvfs info;
    ASSERT_EQ(::statvfs(folder.Path().c_str(), &info), 0);
    const std::uint32_t block = static_cast<std::uint32_t>(info.f_frsize != 0 ? info.f_frsize : info.f_bsize);
    ASSERT_GT(static_cast<unsigned long long>(info.f_bavail) * block, 3ull << 20) << "the test needs 3 MiB free";

    HostPlatform platform;
    ASSERT_TRUE(platform.MapDrive('E', folder.Path(), (3u << 20) + 100));
    ASSERT_TRUE(platform.MapDrive('F', folder.Path(), 0));
    for (const char* root : {"E:", "E:\\", "e:\\"}) {
        DiskFreeSpace space;
        ASSERT_TRUE(platform.GetDiskFreeSpaceA(root, space)) << root;
        EXPECT_EQ(space.sectorsPerCluster, 1u);
        EXPECT_EQ(space.bytesPerSector, block);
        EXPECT_EQ(space.freeClusters, (3u << 20) / block) << root;
        EXPECT_EQ(space.totalClusters, (3u << 20) / block) << root;
    }
    DiskFreeSpace full;
    ASSERT_TRUE(platform.GetDiskFreeSpaceA("F:", full));
    EXPECT_EQ(full.freeClusters, 0u);
    // A file in the folder takes its whole blocks from the capacity.
    {
        std::FILE* file = std::fopen((folder.Path() + "/taken.bin").c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fseek(file, (1 << 20) + 1, SEEK_SET);
        std::fputc('x', file);
        std::fclose(file);
    }
    DiskFreeSpace less;
    ASSERT_TRUE(platform.GetDiskFreeSpaceA("E:", less));
    EXPECT_EQ(less.freeClusters, (3u << 20) / block - ((1u << 20) + 2 + block - 1) / block);
    EXPECT_EQ(less.totalClusters, (3u << 20) / block);
    DiskFreeSpace none;
    EXPECT_FALSE(platform.GetDiskFreeSpaceA("G:\\", none));
}

TEST(HostPlatformDrives, TestFilePathsOnAMappedDriveAreFilesInItsFolder) {
    test::DiskFolder folder("paths");
    ASSERT_FALSE(folder.Path().empty());
    HostPlatform platform;
    ASSERT_TRUE(platform.MapDrive('E', folder.Path(), 1u << 20));
    const std::string hostFile = folder.Path() + "/test0.bin";

    EXPECT_FALSE(platform.FileFind("E:\\test0.bin"));
    Handle out = platform.FileCreate("E:\\test0.bin");
    ASSERT_NE(out, kInvalidHandle);
    platform.FileClose(out);
    struct stat info;
    EXPECT_EQ(::stat(hostFile.c_str(), &info), 0);
    EXPECT_TRUE(platform.FileFind("e:\\test0.bin"));
    EXPECT_TRUE(platform.FileFind("E:test0.bin"));
    Handle in = platform.FileOpen("E:\\test0.bin");
    EXPECT_NE(in, kInvalidHandle);
    platform.FileClose(in);

    ASSERT_EQ(::mkdir((folder.Path() + "/sub").c_str(), 0700), 0);
    out = platform.FileCreate("E:\\sub\\test1.bin");
    ASSERT_NE(out, kInvalidHandle);
    platform.FileClose(out);
    EXPECT_EQ(::stat((folder.Path() + "/sub/test1.bin").c_str(), &info), 0);
    EXPECT_TRUE(platform.FileDelete("E:\\sub\\test1.bin"));

    EXPECT_TRUE(platform.FileDelete("E:\\test0.bin"));
    EXPECT_NE(::stat(hostFile.c_str(), &info), 0);
    EXPECT_FALSE(platform.FileFind("E:\\test0.bin"));
    EXPECT_FALSE(platform.FileDelete("E:\\test0.bin"));
    // An unmapped letter is no folder of ours.
    EXPECT_EQ(platform.FileCreate("F:\\test0.bin"), kInvalidHandle);
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
