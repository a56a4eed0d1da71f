// The key table read through the settings file, and the shipped settings
// file generated from it, read back as the program reads it.
#include "settings/SettingsKeys.h"

#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "settings/SettingsCheck.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsSnapshot.h"
#include "settings/SettingsText.h"
#include "settings/ShippedSettings.h"
#include "tests/core/settings/SettingsTestSupport.h"

namespace talven {
namespace {

// Each key's default, the programming run's, and what its values may be.
struct ExpectedKey {
    const char* section;
    const char* name;
    const char* defaultValue;
    SettingKind kind;
    std::uint32_t capacity;
    int limit;
};
const ExpectedKey kExpected[] = {
    {"Program set", "WR", "0", SettingKind::Switch, 0, 0},
    {"Program set", "FS", "0", SettingKind::Switch, 0, 0},
    {"Program set", "TestMiB", "0", SettingKind::Number, 0, 65535},
    {"Program set", "TestAllSlots", "0", SettingKind::Switch, 0, 0},
    {"Program set", "MinSpeed", "0", SettingKind::Number, 0, 1000},
    {"Program set", "RecordFolder", "Logs", SettingKind::Folder, 0, 0},
    {"Program set", "Lot", "", SettingKind::Text, 32, 0xFFFF},
    {"Program set", "SuspectAfter", "3", SettingKind::Number, 0, 1000},
    {"VX5308", "VID", "3C71", SettingKind::Hexadecimal, 0, 0},
    {"VX5308", "PID", "5308", SettingKind::Hexadecimal, 0, 0},
    {"VX5308", "Manufacture", "KVe", SettingKind::Text, 3, 0xFFFF},
    {"VX5308", "Productor", "USBCard Reader", SettingKind::Text, 15, 0xFFFF},
    {"VX5308", "SN", "123456789abcdef", SettingKind::Text, 16, 0xFFFF},
    {"VX5308", "SNFirst", "", SettingKind::SerialEnd, 16, 0xFFFF},
    {"VX5308", "SNLast", "", SettingKind::SerialEnd, 16, 0xFFFF},
    {"VX5308", "SCSI_VER", "KVe", SettingKind::Text, 8, 0xFF},
    {"VX5308", "CFSpeed", "0", SettingKind::Speed, 0, 1},
    {"VX5308", "SMSpeed", "0", SettingKind::Speed, 0, 1},
    {"VX5308", "SDSpeed", "0", SettingKind::Speed, 0, 1},
    {"VX5308", "MSProSpeed", "0", SettingKind::Speed, 0, 2},
    {"VX5308", "MSSpeed", "0", SettingKind::Speed, 0, 2},
    {"VX5308", "MMCSpeed", "0", SettingKind::Speed, 0, 1},
    {"VX5308", "Power Consumption", "250", SettingKind::Number, 0, 250},
    {"VX5308", "BY105", "65", SettingKind::Number, 0, 255},
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            lines.push_back(text.substr(at));
            break;
        }
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

TEST(SettingsKeys, TheTableHoldsEveryKeyOnceWithItsDefaultAndLimit) {
    ASSERT_EQ(std::size(kSettingsKeys), std::size(kExpected));
    std::set<std::string> names;
    for (std::size_t i = 0; i < std::size(kExpected); ++i) {
        const SettingsKey& key = *kSettingsKeys[i];
        const ExpectedKey& expected = kExpected[i];
        SCOPED_TRACE(expected.name);
        EXPECT_STREQ(key.section, expected.section);
        EXPECT_STREQ(key.name, expected.name);
        EXPECT_TRUE(names.insert(key.name).second) << "spelled twice";
        EXPECT_STREQ(key.defaultValue, expected.defaultValue);
        EXPECT_EQ(key.kind, expected.kind);
        EXPECT_EQ(key.capacity, expected.capacity);
        EXPECT_EQ(key.limit, expected.limit);
        EXPECT_EQ(RefusalReason(key, key.defaultValue), "") << "a default is never refused";
    }
    EXPECT_EQ(kPowerConsumptionKey.NumberDefault(), 250);
    EXPECT_EQ(kByte105Key.NumberDefault(), 65);
}

TEST(SettingsKeys, WithoutAFileEveryKeyReadsAsItsDefault) {
    auto platform = test::MakeBuildPlatform();
    test::TempSettings file("table-defaults");
    const SettingsFile settings(*platform, file.Path());
    char text[kSettingsTextSize];
    EXPECT_EQ(settings.ReadText(kSerialNumberKey, text), 15u);
    EXPECT_STREQ(text, "123456789abcdef");
    EXPECT_EQ(settings.ReadText(kVendorIdKey, text), 4u);
    EXPECT_STREQ(text, "3C71");
    EXPECT_EQ(settings.ReadNumber(kMsProSpeedKey), 0u);
    EXPECT_EQ(settings.ReadNumber(kPowerConsumptionKey), 250u);
    EXPECT_EQ(settings.ReadNumber(kByte105Key), 65u);
    EXPECT_FALSE(settings.EepromMode());
    EXPECT_FALSE(settings.LargeTestFiles());
}

TEST(SettingsKeys, WritesThroughTheTableAreReadBack) {
    auto platform = test::MakeBuildPlatform();
    test::TempSettings file("table-writes");
    const SettingsFile settings(*platform, file.Path());
    settings.WriteNumber(kPowerConsumptionKey, 7);
    settings.WriteText(kManufactureKey, "XYZ");
    settings.WriteNumber(kFileSizeKey, 1);
    EXPECT_EQ(file.Read(), "[VX5308]\r\nPower Consumption=7\r\nManufacture=XYZ\r\n[Program set]\r\nFS=1\r\n");
    char text[kSettingsTextSize];
    EXPECT_EQ(settings.ReadNumber(kPowerConsumptionKey), 7u);
    settings.ReadText(kManufactureKey, text);
    EXPECT_STREQ(text, "XYZ");
}

TEST(SettingsKeys, FileSizeAndTestAllSlotsDistinguishOnlyZeroFromNonZeroAndTestMiBReadsWhole) {
    auto platform = test::MakeBuildPlatform();
    test::TempSettings file("file-size");
    const SettingsFile settings(*platform, file.Path());
    file.Write("[Program set]\r\nFS=0\r\n");
    EXPECT_FALSE(settings.LargeTestFiles());
    file.Write("[Program set]\r\nFS=1\r\n");
    EXPECT_TRUE(settings.LargeTestFiles());
    file.Write("[Program set]\r\nFS=-3\r\nWR=0\r\n");
    EXPECT_TRUE(settings.LargeTestFiles());
    EXPECT_FALSE(settings.EepromMode());
    EXPECT_EQ(SettingsSnapshot(settings).Number(kTestMebibytesKey), 0u) << "all free space";
    EXPECT_FALSE((SettingsSnapshot(settings).Number(kTestAllSlotsKey) != 0));
    file.Write("[Program set]\r\nTestMiB=65535\r\nTestAllSlots=2\r\n");
    EXPECT_EQ(SettingsSnapshot(settings).Number(kTestMebibytesKey), 65535u) << "not cut to a byte as the image's numbers are";
    EXPECT_TRUE((SettingsSnapshot(settings).Number(kTestAllSlotsKey) != 0));
    EXPECT_NE(RefusalReason(kTestMebibytesKey, "65536"), "");
    file.Write("[VX5308]\r\nFS=1\r\n");
    EXPECT_FALSE(settings.LargeTestFiles()) << "FS belongs to \"Program set\"";

    // A switch meant otherwise than 0 or 1 is warned of, with how GO reads it.
    file.Write("[Program set]\r\nWR=yes\r\nFS=2\r\n");
    const std::vector<SettingsWarning> warnings = FindSettingsWarnings(settings);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0].message, "WR: \"yes\" is not 0 or 1; read as 0 (any number but 0 is 1)");
    EXPECT_EQ(warnings[1].message, "FS: \"2\" is not 0 or 1; read as 1 (any number but 0 is 1)");
    file.Write("[Program set]\r\nWR=+1\r\nFS=0\r\n");
    EXPECT_TRUE(FindSettingsWarnings(settings).empty());
}

// A text is refused only for what its field cannot hold, its characters read
// alike from a file saved as ANSI or as UTF-8.
TEST(SettingsKeys, TextsAreRefusedOnlyForWhatTheirFieldCannotHold) {
    const struct {
        const SettingsKey& key;
        const char* text;
        const char* reason;
    } cases[] = {
        {kProductorKey, "Leseger\xE4t", ""},
        {kProductorKey, "Leseger\xC3\xA4t", ""},
        {kProductorKey, "Lesegeräte Typ2", ""},  // 15 characters, 16 bytes in UTF-8
        {kProductorKey, "Leseger\xE4te Typ2", ""},
        {kProductorKey, "Lesegeräte Typ23", "16 characters; the field holds 15"},
        {kProductorKey, "Leseger\xE4te Typ23", "16 characters; the field holds 15"},
        {kProductorKey, "Ger\xC3\xA4t \xE2\x80\x93 2", ""},  // an en dash fits one unit
        {kProductorKey, "\xF0\x9F\x98\x80", "character 1 is U+1F600; the field holds none above U+FFFF"},
        {kSerialNumberKey, "12\t34", "character 3 is a tab, which the field cannot hold"},
        {kSerialNumberKey, "12\x01", "character 3 is a control character 0x01, which the field cannot hold"},
        // Windows' ANSI en dash would reach the reader as a control character.
        {kSerialNumberKey, "1\x96" "2", "character 2 is a control character 0x96, which the field cannot hold"},
        {kScsiVersionKey, "\xC3\xA4" "1.0", ""},
        {kScsiVersionKey, "\xE2\x82\xAC" "1.0", "character 1 is U+20AC; the field holds none above U+00FF"},
    };
    for (const auto& c : cases) EXPECT_EQ(RefusalReason(c.key, c.text), c.reason) << c.key.name << " " << c.text;
}

// What the setup dialog writes for a text box: the loaded bytes while the
// characters are the same, else the form of the loaded text.
TEST(SettingsText, EncodingKeepsTheFilesFormAndDecodesBackToTheSameCharacters) {
    const std::u32string typed = U"Ger\u00E4t";
    EXPECT_EQ(EncodeSettingsText(DecodeSettingsText("Ger\xC3\xA4t"), "Ger\xC3\xA4t"), "Ger\xC3\xA4t");
    EXPECT_EQ(EncodeSettingsText(typed, "Leser"), "Ger\xE4t");
    EXPECT_EQ(EncodeSettingsText(typed, "Les\xC3\xA4r"), "Ger\xC3\xA4t");
    const std::u32string samples[] = {typed, U"\u00C3\u00A4", U"\u2013\U0001F600"};
    for (const std::u32string& characters : samples)
        EXPECT_EQ(DecodeSettingsText(EncodeSettingsText(characters, "")), characters);
    EXPECT_EQ(FromUtf16(Utf16(U"a\U0001F600")), U"a\U0001F600");
}

// ---- the shipped settings file ----------------------------------------------

TEST(ShippedSettings, ReadAsTheProgramReadsItEveryKeyHoldsTheProgrammingRunsDefault) {
    auto platform = test::MakeBuildPlatform();
    test::TempSettings file("shipped");
    file.Write(ShippedSettingsText());
    const SettingsFile settings(*platform, file.Path());
    const char* values[] = {"0",   "0", "0", "0", "0", "Logs", "", "3", "3C71", "5308", "KVe", "USBCard Reader",
                            "123456789abcdef", "", "", "KVe", "0", "0", "0", "0", "0", "0", "250", "65"};
    ASSERT_EQ(std::size(values), std::size(kSettingsKeys));
    for (std::size_t i = 0; i < std::size(values); ++i) {
        const SettingsKey& key = *kSettingsKeys[i];
        char text[kSettingsTextSize];
        settings.ReadText(key.section, key.name, "missing", text);
        EXPECT_STREQ(text, values[i]) << key.name;
        EXPECT_STREQ(ShippedValue(key), values[i]) << key.name;
    }
    EXPECT_FALSE(settings.EepromMode());
    EXPECT_FALSE(settings.LargeTestFiles());
}

TEST(ShippedSettings, CommentLinesHoldNoKeyAndEveryLineEndsInCrLf) {
    const std::string text = ShippedSettingsText();
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
        ASSERT_GT(at, 0u);
        EXPECT_EQ(text[at - 1], '\r') << "a bare line feed at " << at;
    }
    std::vector<std::string> keyLines;
    std::vector<std::string> sections;
    for (const std::string& line : Lines(text)) {
        if (line.empty()) continue;
        if (line[0] == ';') {
            EXPECT_EQ(line.find('='), std::string::npos) << line;
            EXPECT_LE(line.size(), 80u) << line;
        } else if (line[0] == '[') {
            sections.push_back(line);
        } else {
            keyLines.push_back(line);
        }
    }
    EXPECT_EQ(sections, (std::vector<std::string>{"[Program set]", "[VX5308]"}));
    EXPECT_EQ(keyLines, (std::vector<std::string>{"WR=0", "FS=0", "TestMiB=0", "TestAllSlots=0", "MinSpeed=0", "RecordFolder=Logs", "Lot=", "SuspectAfter=3", "VID=3C71",
                                                  "PID=5308", "Manufacture=KVe", "Productor=USBCard Reader",
                                                  "SN=123456789abcdef", "SNFirst=", "SNLast=", "SCSI_VER=KVe",
                                                  "CFSpeed=0", "SMSpeed=0",
                                                  "SDSpeed=0", "MSProSpeed=0", "MSSpeed=0", "MMCSpeed=0",
                                                  "Power Consumption=250", "BY105=65"}));
}

TEST(ShippedSettings, ASaveChangesItsValueInPlaceAndKeepsTheComments) {
    auto platform = test::MakeBuildPlatform();
    test::TempSettings file("shipped-save");
    const std::string shipped = ShippedSettingsText();
    file.Write(shipped);
    const SettingsFile settings(*platform, file.Path());
    settings.WriteNumber(kRunModeKey, 1);
    settings.WriteText(kSerialNumberKey, "0000000000000001");
    std::string expected = shipped;
    expected.replace(expected.find("\r\nWR=0\r\n"), 8, "\r\nWR=1\r\n");
    const std::size_t serial = expected.find("\r\nSN=123456789abcdef\r\n");
    expected.replace(serial, 22, "\r\nSN=0000000000000001\r\n");
    EXPECT_EQ(file.Read(), expected);
    EXPECT_TRUE(settings.EepromMode());
}

}  // namespace
}  // namespace talven
