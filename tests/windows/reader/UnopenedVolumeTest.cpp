// A volume that Windows cannot open: the device fails every request without
// reaching the platform, and its destruction closes nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "reader/ReaderDevice.h"

namespace talven::test {
namespace {

// Forwards every call to Windows and counts the device calls.
class CountingPlatform final : public Platform {
public:
    std::uint32_t GetLogicalDrives() override { return windows.GetLogicalDrives(); }
    std::uint32_t GetDriveTypeA(const char* root) override { return windows.GetDriveTypeA(root); }
    bool GetDiskFreeSpaceA(const char* root, DiskFreeSpace& space) override {
        return windows.GetDiskFreeSpaceA(root, space);
    }
    Handle CreateFileA(const char* path, std::uint32_t access, std::uint32_t share, std::uint32_t disposition,
                       std::uint32_t flags) override {
        opened.push_back(path);
        return windows.CreateFileA(path, access, share, disposition, flags);
    }
    bool DeviceIoControl(Handle device, std::uint32_t code, void* in, std::uint32_t inSize, void* out,
                         std::uint32_t outSize, std::uint32_t* returned) override {
        ++deviceCalls;
        return windows.DeviceIoControl(device, code, in, inSize, out, outSize, returned);
    }
    bool CloseHandle(Handle handle) override {
        ++closes;
        return windows.CloseHandle(handle);
    }
    Handle FileCreate(const char* path) override { return windows.FileCreate(path); }
    Handle FileOpen(const char* path) override { return windows.FileOpen(path); }
    FileTransfer FileWrite(Handle file, const void* data, std::uint32_t size) override {
        return windows.FileWrite(file, data, size);
    }
    FileTransfer FileRead(Handle file, void* data, std::uint32_t size) override {
        return windows.FileRead(file, data, size);
    }
    bool FileFlush(Handle file) override { return windows.FileFlush(file); }
    void FileClose(Handle file) override { windows.FileClose(file); }
    bool FileDelete(const char* path) override { return windows.FileDelete(path); }
    bool FileFind(const char* path) override { return windows.FileFind(path); }
    std::uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultText,
                                           char* buffer, std::uint32_t size, const char* path) override {
        return windows.GetPrivateProfileStringA(section, key, defaultText, buffer, size, path);
    }
    std::uint32_t GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                                        const char* path) override {
        return windows.GetPrivateProfileIntA(section, key, defaultValue, path);
    }
    bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                    const char* path) override {
        return windows.WritePrivateProfileStringA(section, key, value, path);
    }
    std::uint32_t GetModuleFileNameA(char* buffer, std::uint32_t size) override {
        return windows.GetModuleFileNameA(buffer, size);
    }
    void Sleep(std::uint32_t milliseconds) override { windows.Sleep(milliseconds); }

    Win32Platform windows;
    std::vector<std::string> opened;
    int deviceCalls = 0;
    int closes = 0;
};

TEST(UnopenedVolume, FailsEveryRequestWithoutAPlatformCall) {
    CountingPlatform platform;
    // Q: is not a drive of this machine.
    ASSERT_EQ(platform.GetLogicalDrives() & (1u << ('Q' - 'A')), 0u);
    {
        ReaderDevice device(platform);
        EXPECT_FALSE(device.Open("Q:"));
        EXPECT_EQ(platform.opened, std::vector<std::string>{"\\\\.\\Q:"});
        EXPECT_FALSE(device.IsOpen());
        EXPECT_EQ(device.VolumeHandle(), kInvalidHandle);
        EXPECT_FALSE(device.TestUnitReady());
        std::string text = "kept";
        EXPECT_FALSE(device.Inquiry(text));
        EXPECT_EQ(text, "kept");
        ChipIdentity identity{};
        EXPECT_FALSE(device.ReadChipIdentity(identity));
        std::uint8_t eeprom[512] = {1};
        EXPECT_FALSE(device.WriteEeprom(0, 10, eeprom));
        EXPECT_FALSE(device.ReadEeprom(eeprom));
        EXPECT_FALSE(ProgramAndVerify(device, eeprom, 110));
        EXPECT_EQ(platform.deviceCalls, 0);
    }
    EXPECT_EQ(platform.closes, 0);
}

}  // namespace
}  // namespace talven::test
