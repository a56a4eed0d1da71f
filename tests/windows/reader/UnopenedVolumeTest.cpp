// A volume that Windows cannot open: the device fails every request without
// reaching the platform, and its destruction closes nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "reader/ReaderDevice.h"
#include "tests/support/ForwardingPlatform.h"

namespace talven::test {
namespace {

// Windows itself, with the device calls counted.
class CountingPlatform final : public ForwardingPlatform {
public:
    CountingPlatform() : ForwardingPlatform(windows) {}

    Handle CreateFileA(const char* path, std::uint32_t access, std::uint32_t share, std::uint32_t disposition,
                       std::uint32_t flags) override {
        opened.push_back(path);
        return inner.CreateFileA(path, access, share, disposition, flags);
    }
    bool DeviceIoControl(Handle device, std::uint32_t code, void* in, std::uint32_t inSize, void* out,
                         std::uint32_t outSize, std::uint32_t* returned) override {
        ++deviceCalls;
        return inner.DeviceIoControl(device, code, in, inSize, out, outSize, returned);
    }
    bool CloseHandle(Handle handle) override {
        ++closes;
        return inner.CloseHandle(handle);
    }

    std::vector<std::string> opened;
    int deviceCalls = 0;
    int closes = 0;

private:
    Win32Platform windows;
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
