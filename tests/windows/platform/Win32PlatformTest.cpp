// The Win32 side of the seam on Windows itself: test files, the program's
// own path and the settings path derived from it.
#include "platform/win32/Win32Platform.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "settings/SettingsFile.h"

namespace talven {
namespace {

struct VirtualFreer {
    void operator()(void* block) const { VirtualFree(block, 0, MEM_RELEASE); }
};

// Uncached transfers take page-aligned buffers.
std::unique_ptr<std::uint8_t, VirtualFreer> AlignedBuffer(std::size_t size) {
    return std::unique_ptr<std::uint8_t, VirtualFreer>(
        static_cast<std::uint8_t*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)));
}

std::string TempFilePath(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "talven-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}

TEST(Win32Platform, TestFilesAreNotSharedAndAWriteHandleCannotRead) {
    Win32Platform platform;
    std::string path = TempFilePath("test1.bin");
    constexpr std::uint32_t kSize = 8192;
    auto buffer = AlignedBuffer(kSize);
    ASSERT_TRUE(buffer);

    Handle out = platform.FileCreate(path.c_str());
    ASSERT_NE(out, kInvalidHandle);
    // Not shared: a second open is refused while the first is held.
    EXPECT_EQ(platform.FileOpen(path.c_str()), kInvalidHandle);
    EXPECT_FALSE(platform.FileWrite(out, buffer.get(), kSize).fileError);
    // Reading from a handle opened for writing fails: a file error.
    EXPECT_TRUE(platform.FileRead(out, buffer.get(), 4096).fileError);
    platform.FileClose(out);
    EXPECT_TRUE(platform.FileDelete(path.c_str()));
}

TEST(Win32Platform, TheSettingsPathIsTheProgramsOwnWithIni) {
    Win32Platform platform;
    char module[MAX_PATH];
    std::uint32_t length = platform.GetModuleFileNameA(module, sizeof module);
    ASSERT_GT(length, 4u);
    ASSERT_EQ(_stricmp(module + length - 4, ".exe"), 0) << module;

    SettingsPath path;
    DeriveSettingsPath(platform, path);
    EXPECT_EQ(std::string(path), std::string(module, length - 3) + "ini");
}

TEST(Win32Platform, AMissingVolumeCannotBeOpened) {
    Win32Platform platform;
    EXPECT_EQ(platform.CreateFileA("\\\\.\\Q:", kGenericRead | kGenericWrite, kFileShareRead | kFileShareWrite,
                                   kOpenExisting, 0),
              kInvalidHandle);
    EXPECT_EQ(platform.GetDriveTypeA("Q:\\"), static_cast<std::uint32_t>(kDriveNoRootDir));
}

}  // namespace
}  // namespace talven
