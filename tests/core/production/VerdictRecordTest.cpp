// The verdict record on the build's own files: whole lines that are never
// glued to a cut-off one, never lost while the file cannot be written, and
// run numbers that go on after a restart.
#include "production/VerdictRecord.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/core/production/RecordTestSupport.h"
#include "tests/core/settings/SettingsTestSupport.h"
#include "tests/support/ForwardingPlatform.h"
#include "tests/support/ListModel.h"

namespace talven {
namespace {

constexpr std::size_t kColumns = 18;

Verdict SlotVerdict(const std::string& product, const std::string& text) {
    Verdict verdict;
    verdict.mode = "Write/Read Test";
    verdict.drive = "E:";
    verdict.product = product;
    verdict.text = text;
    verdict.word = VerdictWord::Pass;
    return verdict;
}

// A seam whose appends end as a test says.
class RefusingPlatform final : public test::ForwardingPlatform {
public:
    using ForwardingPlatform::ForwardingPlatform;
    FileResult FileAppend(const char* path, const void* data, std::uint32_t size) override {
        return refusal == FileResult::Done ? inner.FileAppend(path, data, size) : refusal;
    }
    FileResult refusal = FileResult::Done;
};

class RecordFile : public ::testing::Test {
protected:
    void UseFolder(const std::filesystem::path& folder) {
        settings.Write("[Program set]\r\nRecordFolder=" + folder.string() + "\r\n");
    }
    std::string Note(const VerdictRecord& record) const { return RecordBehindText(record, view); }

    std::unique_ptr<Platform> platform = test::MakeBuildPlatform();
    test::TempSettings settings{"record"};
    test::TempFolder folder;
    test::ListModel view;
};

TEST_F(RecordFile, MakesItsFoldersQuotesTextsAndEndsACutOffLineBeforeTheNextRecord) {
    UseFolder(folder.path / "line 2" / "records");
    {
        VerdictRecord record(*platform, settings.Path(), "1.00");
        Verdict verdict = SlotVerdict("Card, \"7\"", "Test success.");
        verdict.run = record.StartRun();
        record.Add(verdict);
        EXPECT_EQ(record.Waiting(), 0u);
    }
    const std::filesystem::path file = folder.RecordFile();
    ASSERT_EQ(file.parent_path(), folder.path / "line 2" / "records");
    EXPECT_EQ(test::ReadWhole(file).rfind(std::string("\xEF\xBB\xBF") + kRecordHeader + "\r\n", 0), 0u);
    // Power lost in the middle of a line.
    std::FILE* cut = std::fopen(file.string().c_str(), "ab");
    std::fputs("2024-05-14T22:13:05+02:00,STATION", cut);
    std::fclose(cut);

    // A restart goes on with the run numbers of the file.
    VerdictRecord record(*platform, settings.Path(), "1.00");
    Verdict verdict = SlotVerdict("SD Card", "Compare failure!");
    verdict.word = VerdictWord::Fail;
    verdict.run = record.StartRun();
    record.Add(verdict);

    const std::vector<test::CsvRow> rows = folder.Rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].size(), kColumns);
    ASSERT_EQ(rows[1].size(), kColumns);
    EXPECT_EQ(rows[1][4], "1");
    EXPECT_EQ(rows[1][7], "Card, \"7\"");
    EXPECT_EQ(rows[1][8], "Test success.");
    EXPECT_EQ(rows[1][9], "pass");
    EXPECT_EQ(rows[2], (test::CsvRow{"2024-05-14T22:13:05+02:00", "STATION"}));
    ASSERT_EQ(rows[3].size(), kColumns);
    EXPECT_EQ(rows[3][4], "2");
    EXPECT_EQ(rows[3][8], "Compare failure!");
    EXPECT_EQ(rows[3][9], "fail");
}

TEST_F(RecordFile, AHeldFileGetsNothingAndLosesNothingOnceReleased) {
    UseFolder(folder.path);
    VerdictRecord record(*platform, settings.Path(), "1.00");
    record.Add(SlotVerdict("CF Card", "Test success."));
    const std::filesystem::path file = folder.RecordFile();
    const std::string before = test::ReadWhole(file);

    test::HeldFile held(file);
    record.Add(SlotVerdict("SM Card", "Test success."));
    record.Add(SlotVerdict("SD/MMC Card", "Write failure!"));
    EXPECT_EQ(record.Waiting(), 2u);
    EXPECT_EQ(record.Trouble(), FileResult::InUse);
    EXPECT_EQ(Note(record), "Record behind by 2: file open in another program");

    held.Release();
    EXPECT_EQ(test::ReadWhole(file), before) << "the held file was not touched";
    record.Add(SlotVerdict("MS/MS Pro Card", "Test stop"));
    EXPECT_EQ(record.Waiting(), 0u);
    EXPECT_EQ(Note(record), "");
    const std::vector<test::CsvRow> rows = folder.Rows();
    ASSERT_EQ(rows.size(), 5u);
    const char* products[] = {"CF Card", "SM Card", "SD/MMC Card", "MS/MS Pro Card"};
    for (int row = 1; row <= 4; ++row) {
        ASSERT_EQ(rows[row].size(), kColumns) << row;
        EXPECT_EQ(rows[row][7], products[row - 1]);
    }
}

TEST_F(RecordFile, EachTroubleIsNamedInTheNoteAndTheRecordsWaitForItsEnd) {
    // A file where the folder should be.
    const std::filesystem::path notAFolder = folder.path / "records";
    std::FILE* file = std::fopen(notAFolder.string().c_str(), "wb");
    std::fclose(file);
    UseFolder(notAFolder);
    RefusingPlatform refusing(*platform);
    VerdictRecord record(refusing, settings.Path(), "1.00");
    record.Add(SlotVerdict("CF Card", "Test success."));
    EXPECT_EQ(Note(record), "Record behind by 1: folder is a file");

    UseFolder(folder.path / "good");
    const struct {
        FileResult refusal;
        const char* note;
    } kRefusals[] = {
        {FileResult::DiskFull, "Record behind by 2: disk full"},
        {FileResult::Denied, "Record behind by 3: folder read-only"},
        {FileResult::Failed, "Record behind by 4: file cannot be written"},
    };
    for (const auto& refusal : kRefusals) {
        refusing.refusal = refusal.refusal;
        record.Add(SlotVerdict("CF Card", "Test success."));
        EXPECT_EQ(Note(record), refusal.note);
    }
    refusing.refusal = FileResult::Done;
    EXPECT_TRUE(record.Flush());
    EXPECT_EQ(folder.Rows().size(), 5u);
}

}  // namespace
}  // namespace talven
