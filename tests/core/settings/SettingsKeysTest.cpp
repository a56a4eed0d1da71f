// The key table read through the settings file, and the shipped settings
// file generated from it, read back as the program reads it.
#include "settings/SettingsKeys.h"

#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "settings/SettingsFile.h"
#include "settings/ShippedSettings.h"
#include "tests/core/settings/SettingsTestSupport.h"

namespace talven {
namespace {

// Each reader's default as the station has them, null where a reader never
// reads the key.
struct ExpectedKey {
    const char* section;
    const char* name;
    const char* listing;
    const char* programmingRun;
    const char* setupDialog;
    const char* run;
};

const ExpectedKey kExpected[] = {
    {"Program set", "WR", nullptr, nullptr, "0", "0"},
    {"Program set", "FS", nullptr, nullptr, "0", "0"},
    {"Program set", "MinSpeed", nullptr, nullptr, nullptr, "0"},
    {"Program set", "RecordFolder", nullptr, nullptr, nullptr, "Logs"},
    {"VX5308", "VID", nullptr, "3C71", nullptr, nullptr},
    {"VX5308", "PID", nullptr, "5308", nullptr, nullptr},
    {"VX5308", "Manufacture", "", "KVe", "KVe", nullptr},
    {"VX5308", "Productor", "", "USBCard Reader", "USBCard Reader", nullptr},
    {"VX5308", "SN", "", "123456789abcdef", "0123456789abcdef", nullptr},
    {"VX5308", "SCSI_VER", "", "KVe", "KVe", nullptr},
    {"VX5308", "CFSpeed", "1", "0", "0", nullptr},
    {"VX5308", "SMSpeed", "1", "0", "0", nullptr},
    {"VX5308", "SDSpeed", "1", "0", "0", nullptr},
    {"VX5308", "MSProSpeed", "2", "0", "0", nullptr},
    {"VX5308", "MSSpeed", "2", "0", "0", nullptr},
    {"VX5308", "MMCSpeed", "1", "0", "0", nullptr},
    {"VX5308", "Power Consumption", "105", "250", "250", nullptr},
    {"VX5308", "BY105", nullptr, "65", nullptr, nullptr},
};

constexpr SettingsReader kReaders[] = {SettingsReader::Listing, SettingsReader::ProgrammingRun,
                                       SettingsReader::SetupDialog, SettingsReader::Run};

const char* ExpectedDefault(const ExpectedKey& key, SettingsReader reader) {
    switch (reader) {
        case SettingsReader::Listing: return key.listing;
        case SettingsReader::ProgrammingRun: return key.programmingRun;
        case SettingsReader::SetupDialog: return key.setupDialog;
        case SettingsReader::Run: return key.run;
    }
    return nullptr;
}

std::string Shown(const char* text) { return text == nullptr ? "(not read)" : std::string("\"") + text + "\""; }

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

TEST(SettingsKeys, TheTableHoldsEveryKeyOnceWithEachReadersDefault) {
    ASSERT_EQ(std::size(kSettingsKeys), std::size(kExpected));
    std::set<std::string> names;
    for (std::size_t i = 0; i < std::size(kExpected); ++i) {
        const SettingsKey& key = *kSettingsKeys[i];
        const ExpectedKey& expected = kExpected[i];
        SCOPED_TRACE(expected.name);
        EXPECT_STREQ(key.section, expected.section);
        EXPECT_STREQ(key.name, expected.name);
        EXPECT_TRUE(names.insert(key.name).second) << "spelled twice";
        for (SettingsReader reader : kReaders) {
            EXPECT_EQ(Shown(key.Default(reader)), Shown(ExpectedDefault(expected, reader)))
                << "reader " << static_cast<int>(reader);
        }
    }
    EXPECT_EQ(kMsSpeedKey.NumberDefault(SettingsReader::Listing), 2);
    EXPECT_EQ(kPowerConsumptionKey.NumberDefault(SettingsReader::Listing), 105);
    EXPECT_EQ(kPowerConsumptionKey.NumberDefault(SettingsReader::SetupDialog), 250);
    EXPECT_EQ(kByte105Key.NumberDefault(SettingsReader::ProgrammingRun), 65);
}

TEST(SettingsKeys, WithoutAFileEachReaderGetsItsOwnDefault) {
    auto platform = test::MakeBuildPlatform();
    test::TempSettings file("table-defaults");
    const SettingsFile settings(*platform, file.Path());
    char text[kSettingsTextSize];
    EXPECT_EQ(settings.ReadText(kSerialNumberKey, SettingsReader::ProgrammingRun, text), 15u);
    EXPECT_STREQ(text, "123456789abcdef");
    EXPECT_EQ(settings.ReadText(kSerialNumberKey, SettingsReader::SetupDialog, text), 16u);
    EXPECT_STREQ(text, "0123456789abcdef");
    EXPECT_EQ(settings.ReadText(kProductorKey, SettingsReader::Listing, text), 0u);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(settings.ReadText(kVendorIdKey, SettingsReader::ProgrammingRun, text), 4u);
    EXPECT_STREQ(text, "3C71");
    EXPECT_EQ(settings.ReadNumber(kMsProSpeedKey, SettingsReader::Listing), 2u);
    EXPECT_EQ(settings.ReadNumber(kMsProSpeedKey, SettingsReader::ProgrammingRun), 0u);
    EXPECT_EQ(settings.ReadNumber(kPowerConsumptionKey, SettingsReader::Listing), 105u);
    EXPECT_EQ(settings.ReadNumber(kPowerConsumptionKey, SettingsReader::ProgrammingRun), 250u);
    EXPECT_EQ(settings.ReadNumber(kByte105Key, SettingsReader::ProgrammingRun), 65u);
    EXPECT_FALSE(settings.EepromMode());
    EXPECT_FALSE(settings.LargeTestFiles());
}

TEST(SettingsKeys, WritesThroughTheTableAreReadBackByEveryReader) {
    auto platform = test::MakeBuildPlatform();
    test::TempSettings file("table-writes");
    const SettingsFile settings(*platform, file.Path());
    settings.WriteNumber(kPowerConsumptionKey, 7);
    settings.WriteText(kManufactureKey, "XYZ");
    settings.WriteNumber(kFileSizeKey, 1);
    EXPECT_EQ(file.Read(), "[VX5308]\r\nPower Consumption=7\r\nManufacture=XYZ\r\n[Program set]\r\nFS=1\r\n");
    for (SettingsReader reader : {SettingsReader::Listing, SettingsReader::ProgrammingRun, SettingsReader::SetupDialog}) {
        char text[kSettingsTextSize];
        EXPECT_EQ(settings.ReadNumber(kPowerConsumptionKey, reader), 7u);
        settings.ReadText(kManufactureKey, reader, text);
        EXPECT_STREQ(text, "XYZ");
    }
}

TEST(SettingsKeys, FileSizeDistinguishesOnlyZeroFromNonZero) {
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
    file.Write("[VX5308]\r\nFS=1\r\n");
    EXPECT_FALSE(settings.LargeTestFiles()) << "FS belongs to \"Program set\"";
}

// ---- the shipped settings file ----------------------------------------------

TEST(ShippedSettings, ReadAsTheProgramReadsItEveryKeyHoldsTheProgrammingRunsDefault) {
    auto platform = test::MakeBuildPlatform();
    test::TempSettings file("shipped");
    file.Write(ShippedSettingsText());
    const SettingsFile settings(*platform, file.Path());
    const char* values[] = {"0",   "0", "0", "Logs", "3C71", "5308", "KVe", "USBCard Reader", "123456789abcdef",
                            "KVe", "0", "0", "0",    "0",    "0",    "0",   "250",            "65"};
    ASSERT_EQ(std::size(values), std::size(kSettingsKeys));
    for (std::size_t i = 0; i < std::size(values); ++i) {
        const SettingsKey& key = *kSettingsKeys[i];
        char text[kSettingsTextSize];
        settings.ReadText(key.section, key.name, "missing", text);
        EXPECT_STREQ(text, values[i]) << key.name;
        EXPECT_STREQ(ShippedValue(key), values[i]) << key.name;
    }
    // The file's values win over the readers whose defaults differ.
    EXPECT_EQ(settings.ReadNumber(kCfSpeedKey, SettingsReader::Listing), 0u);
    EXPECT_EQ(settings.ReadNumber(kPowerConsumptionKey, SettingsReader::Listing), 250u);
    char serial[kSettingsTextSize];
    settings.ReadText(kSerialNumberKey, SettingsReader::SetupDialog, serial);
    EXPECT_STREQ(serial, "123456789abcdef");
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
    EXPECT_EQ(keyLines, (std::vector<std::string>{"WR=0", "FS=0", "MinSpeed=0", "RecordFolder=Logs", "VID=3C71", "PID=5308", "Manufacture=KVe",
                                                  "Productor=USBCard Reader", "SN=123456789abcdef", "SCSI_VER=KVe",
                                                  "CFSpeed=0", "SMSpeed=0", "SDSpeed=0", "MSProSpeed=0", "MSSpeed=0",
                                                  "MMCSpeed=0", "Power Consumption=250", "BY105=65"}));
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
