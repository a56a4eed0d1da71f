// Our private-profile reader against Windows' own functions, in one process:
// the same files, the same queries, and Windows' answers are the reference.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ini/ProfileFile.h"

namespace talven {
namespace {

struct TrickyFile {
    const char* name;
    const char* content;
};

const std::string kLong300(300, 'L');

// Every file of the table, written byte for byte.
std::vector<TrickyFile> Files() {
    static const std::string longValue = "[VX5308]\r\nSN=" + kLong300 + "\r\nQ=\"" + std::string(270, 'q') +
                                         "\"\r\n";
    return {
        {"case.ini", "[Program Set]\r\nwr=1\r\n[vx5308]\r\nManufacture=ACM\r\n"},
        {"blanks.ini",
         "  [VX5308]  \r\n   SN   =   12 34   \r\n\tProductor\t=\tCard\t\r\nSCSI_VER=\r\nkey with blank = v\r\n"
         "[ Spaced ]\r\nA=1\r\n"},
        {"quotes.ini",
         "[VX5308]\nD=\"quoted text\"\nS='single'\nM=\"mixed'\nO=\"open\nE=\"\"\nQ=\"\nI=\" in \"\nT=a\"b\"\n"
         "N=\"12\"\n"},
        {"comments.ini",
         "; a comment\r\n[VX5308]\r\n;SN=commented\r\nSN=real\r\n# hash=x\r\nbare\r\n=nokey\r\n"},
        {"lf.ini", "[Program set]\nWR=1\nFS=0\n[VX5308]\nPID=1234\nLast=no newline"},
        {"long.ini", longValue.c_str()},
        {"dupes.ini", "[VX5308]\r\nSN=first\r\nsn=second\r\n[Other]\r\nK=o\r\n[vx5308]\r\nSN=third\r\nX=later\r\n"},
        {"numbers.ini",
         "[N]\r\nA= 12\r\nB=-3\r\nC=7x\r\nD=\r\nE=0x10\r\nF=+5\r\nG=0X10\r\nH=  -  4\r\nI=99999999999\r\n"
         "J=4294967295\r\nK=0b101\r\nL=0o17\r\nM=x7\r\nO=1 2\r\nP=\"42\"\r\nR=0x\r\nS=-0x10\r\n"
         "T=012\r\nU=2147483648\r\nV=abc\r\n"},
        {"before.ini", "Orphan=1\r\n[VX5308]\r\nSN=x\r\n"},
        {"empty.ini", ""},
    };
}

struct TextQuery {
    const char* file;
    const char* section;
    const char* key;
    const char* defaultText;
    DWORD size;
};

struct NumberQuery {
    const char* file;
    const char* section;
    const char* key;
    int defaultValue;
};

class ProfileAgainstWindows : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
        folder = std::string(temp) + "talven-profile-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        for (const TrickyFile& file : Files()) {
            std::string path = folder + file.name;
            std::FILE* out = std::fopen(path.c_str(), "wb");
            ASSERT_NE(out, nullptr) << path;
            std::string content = file.content;
            std::fwrite(content.data(), 1, content.size(), out);
            std::fclose(out);
        }
    }
    void TearDown() override {
        for (const TrickyFile& file : Files()) DeleteFileA((folder + file.name).c_str());
        DeleteFileA((folder + "missing.ini").c_str());
        RemoveDirectoryA(folder.c_str());
    }
    std::string Path(const char* name) const { return folder + name; }

    std::string folder;
};

TEST_F(ProfileAgainstWindows, TextsAnswerAsWindowsDoes) {
    const TextQuery queries[] = {
        // Names match without regard to case.
        {"case.ini", "program set", "WR", "d", 259},
        {"case.ini", "VX5308", "MANUFACTURE", "d", 259},
        {"case.ini", "VX5308", "Missing", "fallback", 259},
        {"case.ini", "Nope", "wr", "fallback", 259},
        // Blanks around names, '=' and values.
        {"blanks.ini", "VX5308", "SN", "d", 259},
        {"blanks.ini", "VX5308", "Productor", "d", 259},
        {"blanks.ini", "  VX5308  ", "  SN  ", "d", 259},
        {"blanks.ini", "VX5308", "SCSI_VER", "d", 259},
        {"blanks.ini", "VX5308", "key with blank", "d", 259},
        {"blanks.ini", "Spaced", "A", "d", 259},
        {"blanks.ini", " Spaced ", "A", "d", 259},
        // Quotes.
        {"quotes.ini", "VX5308", "D", "d", 259},
        {"quotes.ini", "VX5308", "S", "d", 259},
        {"quotes.ini", "VX5308", "M", "d", 259},
        {"quotes.ini", "VX5308", "O", "d", 259},
        {"quotes.ini", "VX5308", "E", "d", 259},
        {"quotes.ini", "VX5308", "Q", "d", 259},
        {"quotes.ini", "VX5308", "I", "d", 259},
        {"quotes.ini", "VX5308", "T", "d", 259},
        {"quotes.ini", "VX5308", "D", "d", 5},
        {"quotes.ini", "VX5308", "D", "d", 13},
        {"quotes.ini", "VX5308", "Gone", "\"quoted default\"", 259},
        // Comments, bare keys and keys without a name.
        {"comments.ini", "VX5308", "SN", "d", 259},
        {"comments.ini", "VX5308", ";SN", "d", 259},
        {"comments.ini", "VX5308", "# hash", "d", 259},
        {"comments.ini", "VX5308", "bare", "d", 259},
        {"comments.ini", "VX5308", "", "d", 259},
        // LF line endings, a last line without one.
        {"lf.ini", "Program set", "FS", "d", 259},
        {"lf.ini", "VX5308", "PID", "d", 259},
        {"lf.ini", "VX5308", "Last", "d", 259},
        // Values longer than the buffer are cut, the count is what was stored.
        {"long.ini", "VX5308", "SN", "d", 259},
        {"long.ini", "VX5308", "SN", "d", 10},
        {"long.ini", "VX5308", "SN", "d", 2},
        {"long.ini", "VX5308", "SN", "d", 1},
        {"long.ini", "VX5308", "Q", "d", 259},
        {"long.ini", "VX5308", "Gone", kLong300.c_str(), 259},
        {"long.ini", "VX5308", "Gone", "abcdef", 4},
        // Duplicates: the first key, and only the first section of a name.
        {"dupes.ini", "VX5308", "SN", "d", 259},
        {"dupes.ini", "VX5308", "X", "d", 259},
        // Defaults: NULL, empty, trailing blanks.
        {"case.ini", "VX5308", "Gone", nullptr, 259},
        {"case.ini", "VX5308", "Gone", "", 259},
        {"case.ini", "VX5308", "Gone", "trail   ", 259},
        {"case.ini", "VX5308", "Gone", "   ", 259},
        {"case.ini", "VX5308", "Gone", "  lead", 259},
        // Missing or empty files.
        {"missing.ini", "VX5308", "SN", "123456789abcdef", 259},
        {"empty.ini", "VX5308", "SN", "d", 259},
        // Keys before the first section.
        {"before.ini", "", "Orphan", "d", 259},
        {"before.ini", "VX5308", "Orphan", "d", 259},
    };
    for (const TextQuery& query : queries) {
        std::string path = Path(query.file);
        char windows[400];
        char ours[400];
        std::memset(windows, '#', sizeof windows);
        std::memset(ours, '#', sizeof ours);
        DWORD expected =
            GetPrivateProfileStringA(query.section, query.key, query.defaultText, windows, query.size, path.c_str());
        std::uint32_t actual =
            ProfileFile(path).GetString(query.section, query.key, query.defaultText, ours, query.size);
        SCOPED_TRACE(std::string(query.file) + " [" + query.section + "] " + query.key +
                     " size " + std::to_string(query.size));
        EXPECT_EQ(actual, expected);
        EXPECT_EQ(std::string(ours), std::string(windows));
        // Nothing is written past the terminating zero.
        EXPECT_EQ(ours[query.size], '#');
    }
}

TEST_F(ProfileAgainstWindows, NumbersAnswerAsWindowsDoes) {
    const NumberQuery queries[] = {
        {"numbers.ini", "N", "A", 77}, {"numbers.ini", "N", "B", 77}, {"numbers.ini", "N", "C", 77},
        {"numbers.ini", "N", "D", 77}, {"numbers.ini", "N", "E", 77}, {"numbers.ini", "N", "F", 77},
        {"numbers.ini", "N", "G", 77}, {"numbers.ini", "N", "H", 77}, {"numbers.ini", "N", "I", 77},
        {"numbers.ini", "N", "J", 77}, {"numbers.ini", "N", "K", 77}, {"numbers.ini", "N", "L", 77},
        {"numbers.ini", "N", "M", 77}, {"numbers.ini", "N", "O", 77}, {"numbers.ini", "N", "P", 77},
        {"numbers.ini", "N", "R", 77}, {"numbers.ini", "N", "S", 77}, {"numbers.ini", "N", "T", 77},
        {"numbers.ini", "N", "U", 77}, {"numbers.ini", "N", "V", 77}, {"numbers.ini", "N", "Gone", -9},
        {"numbers.ini", "n", "a", 77}, {"missing.ini", "Program set", "WR", 0},
        {"case.ini", "Program set", "WR", 5}, {"quotes.ini", "VX5308", "N", 5},
        {"quotes.ini", "VX5308", "E", 5}, {"blanks.ini", "VX5308", "SCSI_VER", 8},
    };
    for (const NumberQuery& query : queries) {
        std::string path = Path(query.file);
        UINT expected = GetPrivateProfileIntA(query.section, query.key, query.defaultValue, path.c_str());
        std::uint32_t actual = ProfileFile(path).GetInt(query.section, query.key, query.defaultValue);
        EXPECT_EQ(actual, expected) << query.file << " [" << query.section << "] " << query.key;
    }
}

// What a write leaves is read back alike by both; the bytes of the rest of
// the file are our own promise and tested on the host.
TEST_F(ProfileAgainstWindows, WrittenValuesReadBackAlike) {
    std::string ours = Path("dupes.ini");
    std::string windows = Path("case.ini");
    ASSERT_TRUE(CopyFileA(ours.c_str(), windows.c_str(), FALSE));
    struct Write {
        const char* section;
        const char* key;
        const char* value;
    };
    const Write writes[] = {
        {"VX5308", "SN", "new"},        {"vx5308", "x", "changed"}, {"VX5308", "Added", "a"},
        {"Fresh", "K", "v"},            {"Other", "K", nullptr},    {"VX5308", "Empty", ""},
        {"Program set", "WR", "1"},
    };
    for (const Write& write : writes) {
        EXPECT_TRUE(ProfileFile(ours).WriteString(write.section, write.key, write.value));
        EXPECT_TRUE(WritePrivateProfileStringA(write.section, write.key, write.value, windows.c_str()));
    }
    const char* keys[][2] = {{"VX5308", "SN"},     {"VX5308", "X"},      {"VX5308", "Added"},
                             {"Fresh", "K"},       {"Other", "K"},       {"VX5308", "Empty"},
                             {"Program set", "WR"}, {"vx5308", "sn"}};
    for (const auto& key : keys) {
        char a[64];
        char b[64];
        // Both files read by Windows, so only the writers differ.
        GetPrivateProfileStringA(key[0], key[1], "missing", a, sizeof a, ours.c_str());
        GetPrivateProfileStringA(key[0], key[1], "missing", b, sizeof b, windows.c_str());
        EXPECT_STREQ(a, b) << key[0] << " " << key[1];
    }
}

TEST_F(ProfileAgainstWindows, WritingCreatesAMissingFileAlike) {
    std::string path = Path("missing.ini");
    ASSERT_TRUE(ProfileFile(path).WriteString("VX5308", "SN", "0123456789abcdef"));
    char text[64];
    EXPECT_EQ(GetPrivateProfileStringA("VX5308", "SN", "", text, sizeof text, path.c_str()), 16u);
    EXPECT_STREQ(text, "0123456789abcdef");
}

// The name lists (a NULL section or key) and a file Notepad saved as
// "Unicode": read alike, and a write keeps the file readable by Windows.
TEST_F(ProfileAgainstWindows, NameListsAndUnicodeFilesAnswerAsWindowsDoes) {
    const std::string unicodeText = "[Program set]\r\nWR=1\r\n; note\r\n[VX5308]\r\nSN=abc\r\nbare\r\n[Last]\r\n";
    std::string unicode = "\xFF\xFE";
    for (char c : unicodeText) unicode += std::string{c, '\0'};
    const std::string unicodePath = Path("unicode.ini");
    std::FILE* out = std::fopen(unicodePath.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(unicode.data(), 1, unicode.size(), out);
    std::fclose(out);

    const TextQuery queries[] = {
        {"comments.ini", "VX5308", nullptr, "", 259}, {"dupes.ini", "VX5308", nullptr, "", 259},
        {"dupes.ini", nullptr, nullptr, "", 259},     {"blanks.ini", nullptr, "A", "", 259},
        {"dupes.ini", nullptr, nullptr, "", 9},       {"case.ini", "Nope", nullptr, "", 259},
        {"unicode.ini", "vx5308", "SN", "d", 259},    {"unicode.ini", "Program set", "WR", "d", 259},
        {"unicode.ini", "Program set", nullptr, "", 259}, {"unicode.ini", nullptr, nullptr, "", 259},
    };
    for (const TextQuery& query : queries) {
        const std::string path = Path(query.file);
        char windows[400];
        char ours[400];
        std::memset(windows, '#', sizeof windows);
        std::memset(ours, '#', sizeof ours);
        const DWORD expected =
            GetPrivateProfileStringA(query.section, query.key, query.defaultText, windows, query.size, path.c_str());
        const std::uint32_t actual =
            ProfileFile(path).GetString(query.section, query.key, query.defaultText, ours, query.size);
        SCOPED_TRACE(std::string(query.file) + " [" + (query.section ? query.section : "NULL") + "] " +
                     (query.key ? query.key : "NULL") + " size " + std::to_string(query.size));
        EXPECT_EQ(actual, expected);
        EXPECT_EQ(std::string(ours, actual + 1), std::string(windows, expected + 1));
    }
    ASSERT_TRUE(ProfileFile(unicodePath).WriteString("VX5308", "SN", "0123456789abcdef"));
    char text[64];
    EXPECT_EQ(GetPrivateProfileStringA("VX5308", "SN", "", text, sizeof text, unicodePath.c_str()), 16u);
    EXPECT_STREQ(text, "0123456789abcdef");
    EXPECT_EQ(GetPrivateProfileIntA("Program set", "WR", 0, unicodePath.c_str()), 1u);
    DeleteFileA(unicodePath.c_str());
}

}  // namespace
}  // namespace talven
