#include "production/ConfigurationImage.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "settings/ShippedSettings.h"
#include "tests/core/settings/SettingsTestSupport.h"
#include "tests/support/RunsFromTheFile.h"

namespace talven {
namespace {

using Bytes = std::vector<std::uint8_t>;
using WorkingBuffer = std::array<std::uint8_t, kWorkingBufferSize>;

WorkingBuffer RandomEeprom(unsigned seed) {
    std::mt19937 random(seed);
    WorkingBuffer eeprom;
    for (auto& byte : eeprom) byte = static_cast<std::uint8_t>(random());
    return eeprom;
}

Bytes Range(const WorkingBuffer& buffer, std::size_t from, std::size_t to) {
    return Bytes(buffer.begin() + from, buffer.begin() + to + 1);
}

// Builds over the given EEPROM copy from a settings file with `content`
// (none at all when `content` is null).
WorkingBuffer Build(const char* content, const WorkingBuffer& eeprom) {
    auto platform = test::MakeBuildPlatform();
    test::TempSettings file("image");
    if (content != nullptr) file.Write(content);
    WorkingBuffer buffer = eeprom;
    BuildConfigurationImage(*platform, buffer.data(), file.Path());
    return buffer;
}

WorkingBuffer BuildWith(const std::string& deviceLines, const WorkingBuffer& eeprom = WorkingBuffer{}) {
    return Build(("[VX5308]\r\n" + deviceLines).c_str(), eeprom);
}

// The kept ranges of the image and everything behind it.
void ExpectUntouched(const WorkingBuffer& built, const WorkingBuffer& eeprom) {
    EXPECT_EQ(Range(built, 12, 21), Range(eeprom, 12, 21));
    EXPECT_EQ(Range(built, 54, 55), Range(eeprom, 54, 55));
    EXPECT_EQ(Range(built, 107, 511), Range(eeprom, 107, 511));
}

TEST(ConfigurationImage, WithoutASettingsFileTheDefaultImageIsBuilt) {
    const WorkingBuffer eeprom = RandomEeprom(1);
    const WorkingBuffer built = Build(nullptr, eeprom);
    EXPECT_EQ(Range(built, 0, 3), (Bytes{0x71, 0x3C, 0x08, 0x53}));
    EXPECT_EQ(Range(built, 4, 11), (Bytes{0x08, 0x03, 0x4B, 0x00, 0x56, 0x00, 0x65, 0x00}));
    EXPECT_EQ(Range(built, 22, 53),
              (Bytes{0x20, 0x03, 0x55, 0x00, 0x53, 0x00, 0x42, 0x00, 0x43, 0x00, 0x61, 0x00, 0x72, 0x00, 0x64, 0x00,
                     0x20, 0x00, 0x52, 0x00, 0x65, 0x00, 0x61, 0x00, 0x64, 0x00, 0x65, 0x00, 0x72, 0x00, 0x20, 0x00}));
    EXPECT_EQ(Range(built, 56, 89),
              (Bytes{0x22, 0x03, 0x31, 0x00, 0x32, 0x00, 0x33, 0x00, 0x34, 0x00, 0x35, 0x00, 0x36, 0x00,
                     0x37, 0x00, 0x38, 0x00, 0x39, 0x00, 0x61, 0x00, 0x62, 0x00, 0x63, 0x00, 0x64, 0x00,
                     0x65, 0x00, 0x66, 0x00, 0x20, 0x00}));
    EXPECT_EQ(Range(built, 90, 97), (Bytes{0x4B, 0x56, 0x65, 0x20, 0x20, 0x20, 0x20, 0x20}));
    EXPECT_EQ(Range(built, 98, 103), (Bytes{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Range(built, 104, 106), (Bytes{0xFA, 0x41, 0x00}));
    ExpectUntouched(built, eeprom);
}

TEST(ConfigurationImage, UntouchedBytesKeepTheEepromContent) {
    for (unsigned seed = 2; seed < 6; ++seed) {
        const WorkingBuffer eeprom = RandomEeprom(seed);
        ExpectUntouched(BuildWith("SN=0123456789abcdef\r\nProductor=ABCDEFGHIJKLMNO\r\n", eeprom), eeprom);
    }
}

TEST(ConfigurationImage, NumbersTakeTheirLowEightBits) {
    WorkingBuffer built = BuildWith(
        "CFSpeed=1\r\nSMSpeed=1\r\nSDSpeed=0\r\nMSProSpeed=2\r\nMSSpeed=2\r\nMMCSpeed=1\r\n"
        "Power Consumption=300\r\nBY105=-1\r\n");
    EXPECT_EQ(Range(built, 98, 103), (Bytes{1, 1, 0, 2, 2, 1}));
    EXPECT_EQ(built[104], 44);  // 300 modulo 256
    EXPECT_EQ(built[105], 0xFF);
    EXPECT_EQ(built[106], 0);

    // Byte 106 is cleared whatever the EEPROM held there.
    WorkingBuffer eeprom;
    eeprom.fill(0xEE);
    built = BuildWith("BY105=321\r\n", eeprom);
    EXPECT_EQ(built[105], 65);
    EXPECT_EQ(built[106], 0);
}

TEST(ConfigurationImage, VendorAndProductIdsAreHexadecimalLowByteFirst) {
    struct Case {
        const char* text;
        std::uint8_t low;
        std::uint8_t high;
    };
    const Case cases[] = {
        {"3C71", 0x71, 0x3C},  {"0x3C71", 0x71, 0x3C}, {"0X3c71", 0x71, 0x3C}, {"13C71", 0x71, 0x3C},
        {"   3C71", 0x71, 0x3C}, {"", 0, 0},           {"zz", 0, 0},           {"12g4", 0x12, 0},
        {"-1", 0xFF, 0xFF},    {"0x", 0, 0},           {"123456789", 0xFF, 0xFF},
    };
    for (const Case& c : cases) {
        WorkingBuffer built = BuildWith(std::string("VID=") + c.text + "\r\nPID=" + c.text + "\r\n");
        EXPECT_EQ(Range(built, 0, 3), (Bytes{c.low, c.high, c.low, c.high})) << '"' << c.text << '"';
    }
}

TEST(ConfigurationImage, HexadecimalConversionFollowsStrtoulOnWindows) {
    EXPECT_EQ(ParseHexadecimal("5308"), 0x5308u);
    EXPECT_EQ(ParseHexadecimal("\t+ff"), 0xFFu);
    EXPECT_EQ(ParseHexadecimal("-0x10"), 0xFFFFFFF0u);
    EXPECT_EQ(ParseHexadecimal("0xg"), 0u);
    EXPECT_EQ(ParseHexadecimal("- 5"), 0u);
    EXPECT_EQ(ParseHexadecimal("FFFFFFFF"), 0xFFFFFFFFu);
    // An overflow of 32 bits saturates, with or without a sign.
    EXPECT_EQ(ParseHexadecimal("100000000"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseHexadecimal("-100000000"), 0xFFFFFFFFu);
}

TEST(ConfigurationImage, EncoderExamples) {
    std::array<std::uint8_t, 40> field;
    field.fill(0xCC);
    EncodeField(field.data(), U"AB", 8, true);
    EXPECT_EQ(Bytes(field.begin(), field.begin() + 9), (Bytes{0x08, 0x03, 0x41, 0x00, 0x42, 0x00, 0x20, 0x00, 0xCC}));

    field.fill(0xCC);
    EncodeField(field.data(), U"", 8, true);
    EXPECT_EQ(Bytes(field.begin(), field.begin() + 9), (Bytes{0x08, 0x03, 0x20, 0x00, 0x20, 0x00, 0x20, 0x00, 0xCC}));

    field.fill(0xCC);
    EncodeField(field.data(), U"AB", 8, false);
    EXPECT_EQ(Bytes(field.begin(), field.begin() + 9), (Bytes{0x41, 0x42, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0xCC}));

    // Sixteen characters fill the serial number with no space.
    field.fill(0xCC);
    EncodeField(field.data(), U"0123456789abcdef", 34, true);
    Bytes expected{0x22, 0x03};
    for (char c : std::string("0123456789abcdef")) {
        expected.push_back(static_cast<std::uint8_t>(c));
        expected.push_back(0);
    }
    expected.push_back(0xCC);
    EXPECT_EQ(Bytes(field.begin(), field.begin() + 35), expected);

    // A character is one UTF-16LE unit, or one byte of the SCSI text; one
    // that does not fit (refused by the check) stands as '?'.
    field.fill(0xCC);
    EncodeField(field.data(), U"\u00E9\u2013\U0001F600", 8, true);
    EXPECT_EQ(Bytes(field.begin(), field.begin() + 9), (Bytes{0x08, 0x03, 0xE9, 0x00, 0x13, 0x20, '?', 0x00, 0xCC}));
    field.fill(0xCC);
    EncodeField(field.data(), U"\u00E9\u2013", 3, false);
    EXPECT_EQ(Bytes(field.begin(), field.begin() + 4), (Bytes{0xE9, '?', 0x20, 0xCC}));
}

// A text saved as ANSI or as UTF-8 writes the same characters.
TEST(ConfigurationImage, AnsiAndUtf8TextsWriteTheSameImage) {
    const WorkingBuffer ansi = BuildWith("Productor=Leseger\xE4te Typ2\r\nSCSI_VER=\xE4\r\n");
    const WorkingBuffer utf8 = BuildWith("Productor=Leseger\xC3\xA4te Typ2\r\nSCSI_VER=\xC3\xA4\r\n");
    EXPECT_EQ(ansi, utf8);
    Bytes product{0x20, 0x03};
    for (char16_t c : std::u16string(u"Leseger\u00E4te Typ2")) product.insert(product.end(), {std::uint8_t(c), 0});
    EXPECT_EQ(Range(utf8, 22, 53), product);
    EXPECT_EQ(Range(utf8, 90, 97), (Bytes{0xE4, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20}));
}

TEST(ConfigurationImage, OverlongTextsStopAtTheirField) {
    std::array<std::uint8_t, 40> field;
    field.fill(0xCC);
    EncodeField(field.data(), U"ABCDEFGHIJ", 8, true);
    EXPECT_EQ(Bytes(field.begin(), field.begin() + 9), (Bytes{0x08, 0x03, 0x41, 0x00, 0x42, 0x00, 0x43, 0x00, 0xCC}));
    field.fill(0xCC);
    EncodeField(field.data(), U"ABCDEFGHIJ", 8, false);
    EXPECT_EQ(Bytes(field.begin(), field.begin() + 9), (Bytes{'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 0xCC}));

    // Through the build: hand-edited texts far beyond their capacities.
    const WorkingBuffer eeprom = RandomEeprom(9);
    const std::string longText(258, 'Z');
    WorkingBuffer built = BuildWith("Manufacture=" + longText + "\r\nProductor=" + longText + "\r\nSN=" + longText +
                                        "\r\nSCSI_VER=" + longText + "\r\n",
                                    eeprom);
    ExpectUntouched(built, eeprom);
    EXPECT_EQ(built[4], 8);
    EXPECT_EQ(built[22], 32);
    EXPECT_EQ(built[56], 34);
    EXPECT_EQ(Range(built, 10, 11), (Bytes{'Z', 0}));
    EXPECT_EQ(Range(built, 88, 89), (Bytes{'Z', 0}));
    EXPECT_EQ(Range(built, 90, 97), Bytes(8, 'Z'));
    EXPECT_EQ(Range(built, 98, 106), (Bytes{0, 0, 0, 0, 0, 0, 0xFA, 0x41, 0x00}));
}

TEST(ConfigurationImage, AnEmptyValueIsAFieldOfSpacesNotTheDefault) {
    WorkingBuffer built = BuildWith("Manufacture=\r\nSCSI_VER=\r\n");
    EXPECT_EQ(Range(built, 4, 11), (Bytes{0x08, 0x03, 0x20, 0x00, 0x20, 0x00, 0x20, 0x00}));
    EXPECT_EQ(Range(built, 90, 97), Bytes(8, 0x20));
}

TEST(ConfigurationImage, TheSettingsAreReadAnewOnEveryBuild) {
    auto platform = test::MakeBuildPlatform();
    test::TempSettings file("anew");
    WorkingBuffer buffer{};
    file.Write("[VX5308]\r\nPower Consumption=100\r\n");
    BuildConfigurationImage(*platform, buffer.data(), file.Path());
    EXPECT_EQ(buffer[104], 100);
    file.Write("[VX5308]\r\nPower Consumption=200\r\n");
    BuildConfigurationImage(*platform, buffer.data(), file.Path());
    EXPECT_EQ(buffer[104], 200);
}

// The settings file shipped with the station programs readers exactly as no
// file does.
TEST(ConfigurationImage, TheShippedSettingsFileBuildsTheImageOfAMissingFile) {
    const WorkingBuffer eeprom = RandomEeprom(7);
    const std::string shipped = ShippedSettingsText();
    EXPECT_EQ(Build(shipped.c_str(), eeprom), Build(nullptr, eeprom));
}

}  // namespace
}  // namespace talven
