// Writes of our private-profile implementation: they change what they must
// and keep every other line, comment and section byte for byte.
#include "platform/ini/ProfileFile.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/core/settings/SettingsTestSupport.h"

namespace talven {
namespace {

class ProfileWrite : public ::testing::Test {
protected:
    std::string WriteAndRead(const std::string& before, const char* section, const char* key, const char* value) {
        file.Write(before);
        EXPECT_TRUE(ProfileFile(file.Path()).WriteString(section, key, value));
        return file.Read();
    }
    std::string Get(const char* section, const char* key) {
        char text[300];
        ProfileFile(file.Path()).GetString(section, key, "<missing>", text, sizeof text);
        return text;
    }

    test::TempSettings file{"write"};
};

const std::string kStation =
    "; station settings\r\n"
    "[Program set]\r\n"
    "WR = 0 \r\n"
    "FS=1\r\n"
    "\r\n"
    "[VX5308]\r\n"
    "  sn  =  old value  \r\n"
    ";SN=commented out\r\n"
    "Productor=USBCard Reader\r\n"
    "\r\n"
    "; trailing comment\r\n"
    "[Other]\r\n"
    "K=v\r\n";

TEST_F(ProfileWrite, ReplacingAValueKeepsEveryOtherByte) {
    std::string after = WriteAndRead(kStation, "VX5308", "SN", "0123456789abcdef");
    std::string expected = kStation;
    expected.replace(expected.find("old value"), 9, "0123456789abcdef");
    EXPECT_EQ(after, expected);
    EXPECT_EQ(Get("vx5308", "Sn"), "0123456789abcdef");

    after = WriteAndRead(kStation, "program SET", "wr", "1");
    expected = kStation;
    expected.replace(expected.find("WR = 0"), 6, "WR = 1");
    EXPECT_EQ(after, expected);
}

TEST_F(ProfileWrite, ANewKeyFollowsTheLastLineOfItsSection) {
    std::string after = WriteAndRead(kStation, "Program set", "Extra", "5");
    std::string expected = kStation;
    expected.insert(expected.find("FS=1\r\n") + 6, "Extra=5\r\n");
    EXPECT_EQ(after, expected);

    // The section's trailing comment counts as its last line.
    after = WriteAndRead(kStation, "VX5308", "SCSI_VER", "KVe");
    expected = kStation;
    expected.insert(expected.find("[Other]"), "SCSI_VER=KVe\r\n");
    EXPECT_EQ(after, expected);
}

TEST_F(ProfileWrite, AMissingSectionIsAppendedAtTheEnd) {
    EXPECT_EQ(WriteAndRead(kStation, "New", "A", "1"), kStation + "[New]\r\nA=1\r\n");
    // A last line without its line ending gets one first.
    EXPECT_EQ(WriteAndRead("[A]\r\nK=v", "B", "L", "w"), "[A]\r\nK=v\r\n[B]\r\nL=w\r\n");
    EXPECT_EQ(WriteAndRead("[A]\r\nK=v", "A", "L", "w"), "[A]\r\nK=v\r\nL=w\r\n");
}

TEST_F(ProfileWrite, AMissingFileIsCreated) {
    ASSERT_TRUE(ProfileFile(file.Path()).WriteString("VX5308", "SN", "x"));
    EXPECT_EQ(file.Read(), "[VX5308]\r\nSN=x\r\n");
    test::TempSettings nowhere("missing-folder");
    std::string inMissingFolder = std::string(nowhere.Path()) + ".d/settings.ini";
    EXPECT_FALSE(ProfileFile(inMissingFolder).WriteString("VX5308", "SN", "x"));
}

TEST_F(ProfileWrite, NewLinesFollowTheFilesLineEndings) {
    EXPECT_EQ(WriteAndRead("[A]\nK=v\n\n[B]\nX=1\n", "A", "L", "w"), "[A]\nK=v\nL=w\n\n[B]\nX=1\n");
    EXPECT_EQ(WriteAndRead("[A]\nK=v\n", "C", "M", "z"), "[A]\nK=v\n[C]\nM=z\n");
}

TEST_F(ProfileWrite, OnlyTheFirstOfDuplicateKeysAndSectionsChanges) {
    const std::string before = "[S]\r\nK=1\r\nk=2\r\n[T]\r\n[s]\r\nK=3\r\n";
    EXPECT_EQ(WriteAndRead(before, "S", "K", "9"), "[S]\r\nK=9\r\nk=2\r\n[T]\r\n[s]\r\nK=3\r\n");
    EXPECT_EQ(Get("S", "K"), "9");
}

TEST_F(ProfileWrite, ABareKeyLineGetsItsValue) {
    EXPECT_EQ(WriteAndRead("[S]\r\nbare  \r\n", "S", "BARE", "v"), "[S]\r\nbare=v  \r\n");
    EXPECT_EQ(Get("S", "bare"), "v");
}

TEST_F(ProfileWrite, AValueIsOneLine) {
    EXPECT_EQ(WriteAndRead("[S]\r\nK=old\r\n", "S", "K", "new\r\n[Injected]\r\nX=1"), "[S]\r\nK=new\r\n");
}

TEST_F(ProfileWrite, NullValueRemovesTheKeyNullKeyTheSection) {
    EXPECT_EQ(WriteAndRead(kStation, "VX5308", "Productor", nullptr),
              std::string(kStation).erase(kStation.find("Productor"), 26));
    std::string withoutProgramSet = kStation;
    withoutProgramSet.erase(withoutProgramSet.find("[Program set]"), withoutProgramSet.find("[VX5308]") -
                                                                          withoutProgramSet.find("[Program set]"));
    EXPECT_EQ(WriteAndRead(kStation, "Program set", nullptr, nullptr), withoutProgramSet);
    // Removing what is not there changes nothing.
    EXPECT_EQ(WriteAndRead(kStation, "Nope", "K", nullptr), kStation);
}

TEST_F(ProfileWrite, WrittenValuesReadBackAsWindowsReadsThem) {
    ProfileFile profile(file.Path());
    ASSERT_TRUE(profile.WriteString("VX5308", "Productor", "USBCard Reader"));
    ASSERT_TRUE(profile.WriteString("VX5308", "Empty", ""));
    ASSERT_TRUE(profile.WriteString("VX5308", "Padded", "  text  "));
    ASSERT_TRUE(profile.WriteString("VX5308", "Power Consumption", "250"));
    EXPECT_EQ(Get("VX5308", "Productor"), "USBCard Reader");
    EXPECT_EQ(Get("VX5308", "Empty"), "");
    EXPECT_EQ(Get("VX5308", "Padded"), "text");
    EXPECT_EQ(profile.GetInt("VX5308", "Power Consumption", 0), 250u);
    EXPECT_EQ(profile.GetInt("VX5308", "Empty", 33), 33u);
}

// Wine drops a character when an unquoted text exactly fills the buffer; a
// text that fits is handed out whole here.
TEST_F(ProfileWrite, AQuotedTextThatFitsTheBufferArrivesWhole) {
    file.Write("[S]\r\nD=\"quoted text\"\r\n");
    char text[12];
    EXPECT_EQ(ProfileFile(file.Path()).GetString("S", "D", "", text, sizeof text), 11u);
    EXPECT_STREQ(text, "quoted text");
}

}  // namespace
}  // namespace talven
