// The verdict record on the build's own files: whole lines that are never
// glued to a cut-off one, never lost while the file cannot be written (nor
// across a close or a kill), never written twice, and run numbers that go on
// after a restart.
#include "production/VerdictRecord.h"

#include <gtest/gtest.h>

#include <cstdio>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "tests/core/production/RecordTestSupport.h"
#include "tests/core/settings/SettingsTestSupport.h"
#include "tests/support/ForwardingPlatform.h"
#include "tests/support/ListModel.h"

namespace talven {
namespace {

constexpr std::size_t kColumns = 21;

Verdict SlotVerdict(const std::string& product, const std::string& text) {
    Verdict verdict;
    verdict.mode = "Write/Read Test";
    verdict.drive = "E:";
    verdict.product = product;
    verdict.text = text;
    verdict.word = VerdictWord::Pass;
    return verdict;
}

// A seam whose appends to the day's file end as a test says: refused, half
// written (a disk that runs full), or written and then not flushed; and
// whose clock a test may set.
class RefusingPlatform final : public test::ForwardingPlatform {
public:
    using ForwardingPlatform::ForwardingPlatform;
    FileResult FileAppend(const char* path, const void* data, std::uint32_t size) override {
        if (refusal == FileResult::Done || std::string(path).find(".csv") == std::string::npos)
            return inner.FileAppend(path, data, size);
        if (landing > 0) inner.FileAppend(path, data, static_cast<std::uint32_t>(size * landing));
        return refusal;
    }
    FileResult FileTruncate(const char* path, std::uint64_t size) override {
        return truncates ? inner.FileTruncate(path, size) : FileResult::Failed;
    }
    void GetLocalTime(LocalTime& time) override {
        if (now.year == 0) inner.GetLocalTime(time);
        else time = now;
    }
    FileResult refusal = FileResult::Done;
    double landing = 0;  // the part of a refused append that reaches the file
    bool truncates = true;
    LocalTime now;
};

class RecordFile : public ::testing::Test {
protected:
    std::unique_ptr<VerdictRecord> Record(Platform& on, const std::filesystem::path& records) {
        auto record = std::make_unique<VerdictRecord>(on, folder.Spool(), "1.00");
        record->SetFolder(records.string());
        return record;
    }
    std::unique_ptr<VerdictRecord> Record() { return Record(*platform, folder.path); }
    std::string Note(const VerdictRecord& record) const { return RecordBehindText(record, view); }
    // Column `column` of every line after the header.
    std::vector<std::string> Column(std::size_t column) const {
        std::vector<std::string> values;
        const std::vector<test::CsvRow> rows = folder.Rows();
        for (std::size_t row = 1; row < rows.size(); ++row)
            values.push_back(column < rows[row].size() ? rows[row][column] : "<none>");
        return values;
    }

    std::unique_ptr<Platform> platform = test::MakeBuildPlatform();
    test::TempFolder folder;
    test::ListModel view;
};

TEST_F(RecordFile, MakesItsFoldersQuotesTextsAndEndsACutOffLineBeforeTheNextRecord) {
    const std::filesystem::path records = folder.path / "line 2" / "records";
    {
        auto record = Record(*platform, records);
        Verdict verdict = SlotVerdict("Card, \"7\"", "Test success.");
        verdict.run = record->StartRun();
        record->Add(verdict);
        EXPECT_EQ(record->Waiting(), 0u);
    }
    const std::filesystem::path file = folder.RecordFile();
    ASSERT_EQ(file.parent_path(), records);
    EXPECT_EQ(test::ReadWhole(file).rfind(std::string("\xEF\xBB\xBF") + kRecordHeader + "\r\n", 0), 0u);
    // Power lost in the middle of a line.
    std::FILE* cut = std::fopen(file.string().c_str(), "ab");
    std::fputs("2024-05-14T22:13:05+02:00,STATION", cut);
    std::fclose(cut);

    // A restart goes on with the run numbers of the file.
    auto record = Record(*platform, records);
    Verdict verdict = SlotVerdict("SD Card", "Compare failure!");
    verdict.word = VerdictWord::Fail;
    verdict.run = record->StartRun();
    record->Add(verdict);

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
    EXPECT_NE(rows[1][20], rows[3][20]) << "each line its own identity";
}

// Each line's own time, as a spreadsheet reads a date and time, its offset
// apart; IDs, version and a serial of digits in forms that stay text.
TEST_F(RecordFile, KeepsEachVerdictsTimeAndValuesASpreadsheetWouldChange) {
    RefusingPlatform clock(*platform);
    auto record = Record(clock, folder.path);
    Verdict verdict = SlotVerdict("CF Card", "Write EEPROM success.");
    const struct {
        LocalTime now;
        const char* serial;
    } kLines[] = {{{2026, 12, 7, 22, 1, 50, 60}, "000123"}, {{2026, 12, 7, 22, 2, 9, -330}, "TLV00000124"}};
    for (const auto& line : kLines) {
        clock.now = line.now;
        verdict.vendorId = "2E10";
        verdict.productId = "0781";
        verdict.serial = line.serial;
        record->Add(verdict);
    }
    EXPECT_EQ(Column(0), (std::vector<std::string>{"2026-12-07 22:01:50", "2026-12-07 22:02:09"}));
    EXPECT_EQ(Column(18), (std::vector<std::string>{"UTC+01:00", "UTC-05:30"}));
    EXPECT_EQ(Column(2), (std::vector<std::string>{"v1.00", "v1.00"}));
    EXPECT_EQ(Column(14), (std::vector<std::string>{"0x2E10", "0x2E10"}));
    EXPECT_EQ(Column(15), (std::vector<std::string>{"0x0781", "0x0781"}));
    EXPECT_EQ(Column(16), (std::vector<std::string>{"#000123", "TLV00000124"}));
}

// Held, then the program closed and started again with the file free: every
// line once and in order, and a run numbered while the file could not be
// read never takes a number the file holds.
TEST_F(RecordFile, AHeldFileGetsNothingAndLosesNothingAcrossACloseAndRestart) {
    const auto add = [](VerdictRecord& record, std::uint32_t run, const char* product) {
        Verdict verdict = SlotVerdict(product, "Test success.");
        verdict.run = run;
        record.Add(verdict);
    };
    std::string before;
    {
        auto record = Record();
        add(*record, record->StartRun(), "CF Card");
        before = test::ReadWhole(folder.RecordFile());
        test::HeldFile held(folder.RecordFile());
        const std::uint32_t run = record->StartRun();
        for (const char* product : {"SM Card", "SD/MMC Card"}) add(*record, run, product);
        EXPECT_EQ(record->Waiting(), 2u);
        EXPECT_EQ(record->Trouble(), FileResult::InUse);
        EXPECT_EQ(Note(*record), "Record behind by 2: file open in another program");
        EXPECT_EQ(RecordClosingText(*record, view),
                  "2 verdicts could not be written to the record in " + folder.path.string() +
                      ": file open in another program.\n\nThey are kept in " + folder.Spool() +
                      " and go to the record when the program starts again.");
    }
    EXPECT_EQ(test::ReadWhole(folder.RecordFile()), before) << "the held file was not touched";
    {
        auto record = Record();
        EXPECT_EQ(record->Waiting(), 2u);
        EXPECT_TRUE(record->Flush());
        add(*record, record->StartRun(), "MS/MS Pro Card");
    }
    // Held from the start with nothing spooled: the run is numbered blind.
    test::HeldFile held(folder.RecordFile());
    auto record = Record();
    add(*record, record->StartRun(), "CF Card");
    held.Release();
    EXPECT_TRUE(record->Flush());
    EXPECT_EQ(Column(7), (std::vector<std::string>{"CF Card", "SM Card", "SD/MMC Card", "MS/MS Pro Card", "CF Card"}));
    EXPECT_EQ(Column(4), (std::vector<std::string>{"1", "2", "2", "3", "4"}));
    EXPECT_EQ(test::ReadWhole(folder.Spool()), "");
}

TEST_F(RecordFile, EachTroubleIsNamedInTheNoteAndTheRecordsWaitForItsEnd) {
    // A file where the folder should be.
    const std::filesystem::path notAFolder = folder.path / "records";
    std::FILE* file = std::fopen(notAFolder.string().c_str(), "wb");
    std::fclose(file);
    RefusingPlatform refusing(*platform);
    auto record = Record(refusing, notAFolder);
    record->Add(SlotVerdict("CF Card", "Test success."));
    EXPECT_EQ(Note(*record), "Record behind by 1: folder is a file");

    record->SetFolder((folder.path / "good").string());
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
        record->Add(SlotVerdict("CF Card", "Test success."));
        EXPECT_EQ(Note(*record), refusal.note);
    }
    refusing.refusal = FileResult::Done;
    EXPECT_TRUE(record->Flush());
    EXPECT_EQ(folder.Rows().size(), 5u);
}

// A disk that runs full in the middle of a line, and a write that lands but
// whose flush fails and cannot be cut back: no junk row, no line twice.
TEST_F(RecordFile, AFailedAppendLeavesNoJunkRowAndNoLineTwice) {
    const struct {
        const char* what;
        FileResult refusal;
        double landing;
        bool truncates;
    } kCases[] = {{"half written, disk full", FileResult::DiskFull, 0.5, true},
                  {"written, flush failed, not cut back", FileResult::Failed, 1.0, false}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        test::TempFolder records;
        RefusingPlatform refusing(*platform);
        auto record = Record(refusing, records.path);
        record->Add(SlotVerdict("CF Card", "Test success."));
        const std::string before = test::ReadWhole(records.RecordFile());
        refusing.refusal = c.refusal;
        refusing.landing = c.landing;
        refusing.truncates = c.truncates;
        record->Add(SlotVerdict("SM Card", "Read failure!"));
        EXPECT_EQ(record->Waiting(), 1u);
        if (c.truncates) {
            EXPECT_EQ(test::ReadWhole(records.RecordFile()), before);
        }
        refusing.refusal = FileResult::Done;
        record->Add(SlotVerdict("SD/MMC Card", "Test success."));
        const std::vector<test::CsvRow> rows = records.Rows();
        ASSERT_EQ(rows.size(), 4u);
        for (std::size_t row = 1; row < rows.size(); ++row) EXPECT_EQ(rows[row].size(), kColumns) << row;
        EXPECT_EQ(rows[2][7], "SM Card");
        EXPECT_EQ(rows[3][7], "SD/MMC Card");
    }
}

// What a power cut on FAT can leave: the file's end full of NUL bytes, no
// line end among them. The runs go on; the NUL bytes stay a row apart.
TEST_F(RecordFile, ADayFileEndingInNulBytesGoesOnWithTheNextRun) {
    auto record = Record();
    for (int run = 0; run < 2; ++run) {
        Verdict verdict = SlotVerdict("CF Card", "Test success.");
        verdict.run = record->StartRun();
        record->Add(verdict);
    }
    std::FILE* file = std::fopen(folder.RecordFile().string().c_str(), "ab");
    const std::string nuls(8192, '\0');
    std::fwrite(nuls.data(), 1, nuls.size(), file);
    std::fclose(file);

    record = Record();
    Verdict verdict = SlotVerdict("SM Card", "Test success.");
    verdict.run = record->StartRun();
    record->Add(verdict);
    const std::vector<test::CsvRow> rows = folder.Rows();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[3], (test::CsvRow{nuls}));
    ASSERT_EQ(rows[4].size(), kColumns);
    EXPECT_EQ(rows[4][4], "3");
}

#ifndef _WIN32
// The program killed after the line went to the spool and before the day's
// file got it, and after the day's file got it and before the spool was
// emptied: the next start writes it, once.
class KillingPlatform final : public test::ForwardingPlatform {
public:
    KillingPlatform(Platform& inner, bool afterDayFile) : ForwardingPlatform(inner), afterDayFile(afterDayFile) {}
    FileResult FileAppend(const char* path, const void* data, std::uint32_t size) override {
        const bool dayFile = std::string(path).find(".csv") != std::string::npos;
        if (dayFile && !afterDayFile) ::_exit(0);
        return inner.FileAppend(path, data, size);
    }
    FileResult FileTruncate(const char* path, std::uint64_t size) override {
        if (afterDayFile) ::_exit(0);
        return inner.FileTruncate(path, size);
    }

private:
    bool afterDayFile;
};

TEST_F(RecordFile, AKilledProgramLosesNoLineAndWritesNoneTwice) {
    for (const bool afterDayFile : {false, true}) {
        SCOPED_TRACE(afterDayFile ? "killed before the spool was emptied" : "killed before the day's file");
        test::TempFolder records;
        Record(*platform, records.path)->Add(SlotVerdict("CF Card", "Test success."));
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            KillingPlatform killing(*platform, afterDayFile);
            Record(killing, records.path)->Add(SlotVerdict("SM Card", "Compare failure!"));
            ::_exit(1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the kill point was reached";
        EXPECT_TRUE(Record(*platform, records.path)->Flush());
        const std::vector<test::CsvRow> rows = records.Rows();
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows[2][7], "SM Card");
    }
}
#endif

}  // namespace
}  // namespace talven
