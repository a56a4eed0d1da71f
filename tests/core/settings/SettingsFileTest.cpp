#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/core/settings/SettingsTestSupport.h"

namespace talven {
namespace {

// The settings path with guard bytes behind it, to see that nothing is
// written past its 260 bytes.
struct GuardedPath {
    SettingsPath path;
    char guard[16];
};

std::string Derive(const std::string& modulePath, GuardedPath& out) {
    std::memset(&out, 0x5A, sizeof out);
    test::ModulePathPlatform platform(modulePath);
    DeriveSettingsPath(platform, out.path);
    return std::string(out.path, strnlen(out.path, sizeof out.path));
}

bool GuardIntact(const GuardedPath& out) {
    for (char c : out.guard) {
        if (c != 0x5A) return false;
    }
    return true;
}

TEST(DeriveSettingsPath, ReplacesTheExtensionFromTheLastDot) {
    GuardedPath out;
    EXPECT_EQ(Derive("D:\\line\\station.exe", out), "D:\\line\\station.ini");
    EXPECT_EQ(Derive("D:\\line\\station.EXE", out), "D:\\line\\station.ini");
    EXPECT_EQ(Derive("D:\\line\\st.x", out), "D:\\line\\st.ini");
    EXPECT_EQ(Derive("D:\\line\\station.tar.exe", out), "D:\\line\\station.tar.ini");
    // The last dot may lie in a folder name: the station's rule, kept.
    EXPECT_EQ(Derive("D:\\line.2\\station", out), "D:\\line.ini");
}

TEST(DeriveSettingsPath, AppendsIniToAPathWithoutAnyDot) {
    GuardedPath out;
    EXPECT_EQ(Derive("D:\\line\\station", out), "D:\\line\\station.ini");
    EXPECT_EQ(Derive("", out), ".ini");
}

TEST(DeriveSettingsPath, FillsTheRestOfTheBufferWithZeros) {
    GuardedPath out;
    std::string derived = Derive("D:\\line\\station.exe", out);
    for (std::size_t i = derived.size(); i < kSettingsPathSize; ++i) ASSERT_EQ(out.path[i], '\0') << i;
}

TEST(DeriveSettingsPath, APathThatWouldNotFitStaysInsideItsBuffer) {
    GuardedPath out;
    // 259 characters ending in a one-letter extension: ".ini" would need 261.
    std::string shortExtension = "D:\\" + std::string(254, 'p') + ".x";
    ASSERT_EQ(shortExtension.size(), 259u);
    std::string derived = Derive(shortExtension, out);
    EXPECT_EQ(derived.size(), kSettingsPathSize - 1);
    EXPECT_EQ(derived.substr(0, 258), shortExtension.substr(0, 258));
    EXPECT_EQ(out.path[kSettingsPathSize - 1], '\0');
    EXPECT_TRUE(GuardIntact(out));

    // Without a dot and close to the limit.
    std::string noDot = "D:\\" + std::string(255, 'p');
    derived = Derive(noDot, out);
    EXPECT_EQ(derived.size(), kSettingsPathSize - 1);
    EXPECT_EQ(derived.substr(0, noDot.size()), noDot);
    EXPECT_EQ(out.path[kSettingsPathSize - 1], '\0');
    EXPECT_TRUE(GuardIntact(out));

    // A program path longer than the buffer itself is handed out cut.
    std::string overlong = "D:\\" + std::string(400, 'p') + ".exe";
    derived = Derive(overlong, out);
    EXPECT_EQ(derived.size(), kSettingsPathSize - 1);
    EXPECT_TRUE(GuardIntact(out));
}

TEST(SettingsFile, MissingFileSectionOrKeyGivesEachReadersDefault) {
    auto platform = test::MakeBuildPlatform();
    test::TempSettings file("defaults");
    SettingsFile settings(*platform, file.Path());
    char text[kSettingsTextSize];
    EXPECT_EQ(settings.ReadText(kDeviceSection, "SN", "123456789abcdef", text), 15u);
    EXPECT_STREQ(text, "123456789abcdef");
    EXPECT_EQ(settings.ReadNumber(kDeviceSection, "Power Consumption", 250), 250u);
    EXPECT_FALSE(settings.EepromMode());

    file.Write("[Program set]\r\nFS=1\r\n");
    EXPECT_EQ(settings.ReadNumber(kProgramSection, "WR", 0), 0u);
    EXPECT_EQ(settings.ReadText(kDeviceSection, "SN", "", text), 0u);
    EXPECT_STREQ(text, "");
}

TEST(SettingsFile, AnyNonZeroWrMeansEepromMode) {
    auto platform = test::MakeBuildPlatform();
    test::TempSettings file("mode");
    SettingsFile settings(*platform, file.Path());
    file.Write("[Program set]\r\nWR=7\r\n");
    EXPECT_TRUE(settings.EepromMode());
    file.Write("[Program set]\r\nWR=0\r\n");
    EXPECT_FALSE(settings.EepromMode());
}

TEST(SettingsFile, WritesCreateTheFileAndNumbersAreDecimalText) {
    auto platform = test::MakeBuildPlatform();
    test::TempSettings file("writes");
    SettingsFile settings(*platform, file.Path());
    settings.WriteText(kDeviceSection, "SN", "0123456789abcdef");
    settings.WriteNumber(kDeviceSection, "CFSpeed", -1);
    settings.WriteNumber(kDeviceSection, "Power Consumption", 250);
    settings.WriteNumber(kProgramSection, "WR", 1);

    char text[kSettingsTextSize];
    EXPECT_EQ(settings.ReadText(kDeviceSection, "CFSpeed", "", text), 2u);
    EXPECT_STREQ(text, "-1");
    EXPECT_EQ(static_cast<int>(settings.ReadNumber(kDeviceSection, "CFSpeed", 0)), -1);
    EXPECT_EQ(settings.ReadNumber(kDeviceSection, "Power Consumption", 0), 250u);
    settings.ReadText(kDeviceSection, "SN", "", text);
    EXPECT_STREQ(text, "0123456789abcdef");
    EXPECT_TRUE(settings.EepromMode());

    // A second write replaces the value.
    settings.WriteNumber(kProgramSection, "WR", 0);
    EXPECT_FALSE(settings.EepromMode());
}

TEST(SettingsFile, TextsArriveCutTo258Characters) {
    auto platform = test::MakeBuildPlatform();
    test::TempSettings file("long");
    file.Write("[VX5308]\r\nProductor=" + std::string(300, 'P') + "\r\n");
    SettingsFile settings(*platform, file.Path());
    char text[kSettingsTextSize + 8];
    std::memset(text, '#', sizeof text);
    EXPECT_EQ(settings.ReadText(kDeviceSection, "Productor", "", text), 258u);
    EXPECT_EQ(std::string(text), std::string(258, 'P'));
    EXPECT_EQ(text[kSettingsTextSize], '#');
}

}  // namespace
}  // namespace talven
