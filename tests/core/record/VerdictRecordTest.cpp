// The verdict record on the build's own files: whole lines that are never
// glued to a cut-off one, never lost while the file cannot be written (nor
// across a close or a kill), never written twice, and run numbers that go on
// after a restart.
#include "record/VerdictRecord.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <tuple>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "tests/core/record/RecordTestSupport.h"
#include "tests/core/settings/SettingsTestSupport.h"
#include "tests/support/ForwardingPlatform.h"
#include "tests/support/ListModel.h"

namespace talven {
namespace {

constexpr std::size_t kColumns = kRecordColumns;

Verdict SlotVerdict(const std::string& product, const std::string& text, std::uint32_t run = 0) {
    Verdict verdict;
    verdict.run = run;
    verdict.mode = "Write/Read Test";
    verdict.drive = "E:";
    verdict.product = product;
    verdict.text = text;
    verdict.word = VerdictWord::Pass;
    return verdict;
}

// A seam whose appends to the day's file end as a test says: refused, half
// written (a disk that runs full), short of its last bytes (a power cut),
// written but not flushed, or with the program killed there or before the
// spool is emptied; whose spool may refuse appends; whose cut-backs may
// fail; whose day's file may seem endless; and whose clock a test may set.
class TroubledPlatform final : public test::ForwardingPlatform {
public:
    using ForwardingPlatform::ForwardingPlatform;
    FileResult FileAppend(const char* path, const void* data, std::uint32_t size) override {
        const bool csv = std::string(path).find(".csv") != std::string::npos;
        if (!csv && spoolRefused) return FileResult::DiskFull;
        if (refusal == FileResult::Done || !csv) return inner.FileAppend(path, data, size);
        if (landing > 0) inner.FileAppend(path, data, static_cast<std::uint32_t>(size * landing) - shortBy);
        if (killAtAppend) std::_Exit(0);
        return refusal;
    }
    FileResult FileTruncate(const char* path, std::uint64_t size) override {
        if (killAtTruncate && size == 0) std::_Exit(0);
        return truncates ? inner.FileTruncate(path, size) : FileResult::Failed;
    }
    FileEnd FileReadEnd(const char* path, char* buffer, std::uint32_t size) override {
        biggestAsk = std::max(biggestAsk, size);
        if (!endless) return inner.FileReadEnd(path, buffer, size);
        std::fill(buffer, buffer + size, 'x');
        return {FileResult::Done, std::uint64_t{1} << 32, size};
    }
    void GetLocalTime(LocalTime& time) override { time = now; }
    FileResult refusal = FileResult::Done;
    double landing = 0;  // the part of a refused append that reaches the file
    std::uint32_t shortBy = 0;
    bool truncates = true;
    bool killAtAppend = false;
    bool killAtTruncate = false;  // when the spool is emptied
    bool spoolRefused = false;
    bool endless = false;
    std::uint32_t biggestAsk = 0;
    LocalTime now{2026, 12, 7, 22, 1, 50, 60};
};

// Runs `body` in a child process that the seam kills; true when it got there.
bool KilledInChild(const std::function<void()>& body) {
#ifdef _WIN32
    (void)body;
    return false;
#else
    const pid_t child = ::fork();
    if (child == 0) {
        body();
        std::_Exit(1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
#endif
}

class RecordFile : public ::testing::Test {
protected:
    std::unique_ptr<VerdictRecord> Record(Platform& on, const std::filesystem::path& records, const char* spool = "") {
        auto record = std::make_unique<VerdictRecord>(on, Spool(spool), "1.00");
        record->SetFolder(records.string());
        return record;
    }
    std::unique_ptr<VerdictRecord> Record() { return Record(*platform, folder.path); }
    // Beside the records, named after the computer unless a test names it.
    std::string Spool(const std::string& name = "") const {
        return (folder.path / (name.empty() ? "Talven-" + ComputerInFileName(*platform) + ".spool" : name)).string();
    }
    std::string Note(const VerdictRecord& record) const { return RecordBehindText(record, view); }
    // Column `column` of every line after the header.
    static std::vector<std::string> Column(const test::TempFolder& records, std::size_t column) {
        std::vector<std::string> values;
        const std::vector<test::CsvRow> rows = records.Rows();
        for (std::size_t row = 1; row < rows.size(); ++row)
            values.push_back(rows[row].size() == kColumns ? rows[row][column] : "<not a line>");
        return values;
    }

    std::unique_ptr<Platform> platform = test::MakeBuildPlatform();
    test::TempFolder folder;
    test::ListModel view;
};

// Each line has its own verdict's time in a form a spreadsheet reads as a
// date and time, the offset apart, and IDs, version and a serial of digits
// in forms a spreadsheet keeps as text. A power cut on FAT can leave a line
// cut off and the file's end full of NUL bytes: the runs go on after them,
// and they stay a row apart.
TEST_F(RecordFile, MakesItsFoldersQuotesTextsAndGoesOnAfterACutOffLineAndNulBytes) {
    const std::filesystem::path records = folder.path / "line 2" / "records";
    TroubledPlatform clock(*platform);
    {
        auto record = Record(clock, records);
        Verdict verdict = SlotVerdict("Card, \"7\"", "Test success.");
        verdict.run = record->StartRun();
        verdict.serial = "000123";
        record->Add(verdict);
        EXPECT_EQ(record->Waiting(), 0u);
    }
    const std::filesystem::path file = folder.RecordFile();
    ASSERT_EQ(file.parent_path(), records);
    EXPECT_EQ(test::ReadWhole(file).rfind(std::string("\xEF\xBB\xBF") + kRecordHeader + "\r\n", 0), 0u);
    const std::string cutOff = "2024-05-14T22:13:05+02:00,STATION" + std::string(8192, '\0');
    std::FILE* cut = std::fopen(file.string().c_str(), "ab");
    std::fwrite(cutOff.data(), 1, cutOff.size(), cut);
    std::fclose(cut);

    // A restart goes on with the run numbers of the file.
    clock.now = {2026, 12, 7, 22, 2, 9, -330};
    auto record = Record(clock, records);
    Verdict verdict = SlotVerdict("SD Card", "Compare failure!");
    verdict.word = VerdictWord::Fail;
    verdict.run = record->StartRun();
    verdict.vendorId = "2E10";
    verdict.productId = "0781";
    verdict.serial = "TLV00000124";
    record->Add(verdict);

    const std::vector<test::CsvRow> rows = folder.Rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].size(), kColumns);
    EXPECT_EQ(rows[1], (test::CsvRow{"2026-12-07 22:01:50", rows[1][1], "v1.00", "Write/Read Test", "1", "", "E:",
                                     "Card, \"7\"", "Test success.", "pass", "", "", "", "", "", "", "#000123", "",
                                     "UTC+01:00", "", rows[1][20], "", ""}));
    EXPECT_EQ(rows[2], (test::CsvRow{"2024-05-14T22:13:05+02:00", cutOff.substr(26)}));
    EXPECT_EQ(rows[3], (test::CsvRow{"2026-12-07 22:02:09", rows[1][1], "v1.00", "Write/Read Test", "2", "", "E:",
                                     "SD Card", "Compare failure!", "fail", "", "", "", "", "0x2E10", "0x0781",
                                     "TLV00000124", "", "UTC-05:30", "", rows[3][20], "", ""}));
    EXPECT_NE(rows[1][20], rows[3][20]) << "each line its own identity";

    // The trainer's lines go to a file and a spool of its own, each marked.
    VerdictRecord trainer(clock, (folder.path / "TalvenSim.spool").string(), "1.00", true);
    trainer.SetFolder(records.string());
    trainer.Add(SlotVerdict("CF Card", "Test success.", 1));
    const std::string name = trainer.FileName(clock.now);
    EXPECT_EQ(name.rfind("TalvenSim-2026-12-07", 0), 0u) << name;
    const std::vector<test::CsvRow> practice = test::ParseCsv(test::ReadWhole(records / name).substr(3));
    ASSERT_EQ(practice.size(), 2u);
    EXPECT_EQ(practice[1][2] + "," + practice[1][22], "v1.00 simulated,yes");
    EXPECT_NE(DefaultSpoolPath(clock, true), DefaultSpoolPath(clock));
    EXPECT_NE(DefaultSpoolPath(clock, true).find("TalvenSim-"), std::string::npos);
}

TEST_F(RecordFile, AHeldFileGetsNothingAndLosesNothingAcrossACloseAndRestart) {
    std::string before;
    {
        auto record = Record();
        record->Add(SlotVerdict("CF Card", "Test success.", record->StartRun()));
        before = test::ReadWhole(folder.RecordFile());
        test::HeldFile held(folder.RecordFile());
        const std::uint32_t run = record->StartRun();
        for (const char* product : {"SM Card", "SD/MMC Card"}) record->Add(SlotVerdict(product, "Test success.", run));
        EXPECT_EQ(record->Waiting(), 2u);
        EXPECT_EQ(record->Trouble(), FileResult::InUse);
        EXPECT_EQ(Note(*record), "Record behind by 2: file open in another program");
    }
    EXPECT_EQ(test::ReadWhole(folder.RecordFile()), before) << "the held file was not touched";
    {
        auto record = Record();
        EXPECT_EQ(record->Waiting(), 2u);
        EXPECT_TRUE(record->Flush());
        record->Add(SlotVerdict("MS/MS Pro Card", "Test stop", record->StartRun()));
    }
    // Held from the start with nothing spooled: the run is numbered blind.
    test::HeldFile held(folder.RecordFile());
    auto record = Record();
    record->Add(SlotVerdict("CF Card", "Write failure!", record->StartRun()));
    held.Release();
    EXPECT_TRUE(record->Flush());
    EXPECT_EQ(Column(folder, 7),
              (std::vector<std::string>{"CF Card", "SM Card", "SD/MMC Card", "MS/MS Pro Card", "CF Card"}));
    EXPECT_EQ(Column(folder, 4), (std::vector<std::string>{"1", "2", "2", "3", "4"}));
    EXPECT_EQ(test::ReadWhole(Spool()), "");
}

TEST_F(RecordFile, EachTroubleIsNamedInTheNoteAndTheRecordsWaitForItsEnd) {
    // A file where the folder should be.
    const std::filesystem::path notAFolder = folder.path / "records";
    std::FILE* file = std::fopen(notAFolder.string().c_str(), "wb");
    std::fclose(file);
    TroubledPlatform refusing(*platform);
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

// An append cut short by a full disk, one that landed but whose flush
// failed and that could not be cut back, one a power cut left without its
// CR LF, with a lone CR or torn inside, and the program killed before the
// day's file got the line or after it, before the spool was emptied: also
// when the spool never took the last line, when another program's line
// followed, and when the computer had another name. After the next start,
// no junk row and every line once.
TEST_F(RecordFile, AFailedAppendOrAKillLeavesNoJunkRowAndNoLineLostOrTwice) {
    const struct {
        const char* what;
        FileResult refusal;
        double landing = 0;
        std::uint32_t shortBy = 0;
        bool truncates = true;
        bool killAtAppend = false;
        bool killAtTruncate = false;
        bool unspooledNext = false;  // a second line the spool refuses, then the kill
        bool otherWriter = false;    // another program's line after the kill
        const char* spool = "";      // the spool of the computer's earlier name
        std::size_t rowsLeft = 2;
    } kCases[] = {
        {.what = "half written, disk full", .refusal = FileResult::DiskFull, .landing = 0.5, .rowsLeft = 1},
        {.what = "written, flush failed, not cut back", .refusal = FileResult::Failed, .landing = 1.0,
         .truncates = false},
        {.what = "killed before the day's file", .refusal = FileResult::Failed, .killAtAppend = true, .rowsLeft = 1},
        {.what = "killed before the spool was emptied", .refusal = FileResult::Done, .killAtTruncate = true},
        {.what = "power cut before the CR LF", .refusal = FileResult::Failed, .landing = 1.0, .shortBy = 2,
         .killAtAppend = true},
        {.what = "power cut between CR and LF", .refusal = FileResult::Failed, .landing = 1.0, .shortBy = 1,
         .killAtAppend = true},
        {.what = "power cut inside the line's identity", .refusal = FileResult::Failed, .landing = 1.0, .shortBy = 20,
         .killAtAppend = true},
        {.what = "next line unspooled, killed before the spool was emptied", .refusal = FileResult::Failed,
         .unspooledNext = true, .rowsLeft = 3},
        {.what = "killed before the spool was emptied, another program wrote on", .refusal = FileResult::Done,
         .killAtTruncate = true, .otherWriter = true},
        {.what = "spooled under the computer's earlier name", .refusal = FileResult::Denied,
         .spool = "Talven-LINE-2_OLD.spool", .rowsLeft = 1},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        test::TempFolder records;
        Record(*platform, records.path)->Add(SlotVerdict("CF Card", "Test success."));
        TroubledPlatform troubled(*platform);
        platform->GetLocalTime(troubled.now);  // the same day's file as the records around it
        std::tie(troubled.refusal, troubled.landing, troubled.truncates) = std::tie(c.refusal, c.landing, c.truncates);
        std::tie(troubled.killAtAppend, troubled.killAtTruncate) = std::tie(c.killAtAppend, c.killAtTruncate);
        troubled.shortBy = c.shortBy;
        const auto interrupted = [&] {
            auto record = Record(troubled, records.path, c.spool);
            record->Add(SlotVerdict("SM Card", "Read failure!"));
            if (!c.unspooledNext) return;
            std::tie(troubled.refusal, troubled.spoolRefused, troubled.killAtTruncate) =
                std::tuple(FileResult::Done, true, true);
            record->Add(SlotVerdict("MS/MS Pro Card", "Test stop"));
        };
        if (!c.killAtAppend && !c.killAtTruncate && !c.unspooledNext) {
            interrupted();
        } else if (!KilledInChild(interrupted)) {
            continue;  // Windows forks no child
        }
        EXPECT_EQ(Column(records, 7).size(), c.rowsLeft) << "no junk row";
        std::vector<std::string> expected = {"CF Card", "SM Card"};
        if (c.unspooledNext) expected.push_back("MS/MS Pro Card");
        if (c.otherWriter) {
            VerdictRecord other(*platform, (folder.path / "other.spool").string(), "1.00");
            other.SetFolder(records.path.string());
            other.Add(SlotVerdict("xD Card", "Test success."));
            expected.push_back("xD Card");
        }
        Record(*platform, records.path)->Add(SlotVerdict("SD/MMC Card", "Test success."));
        expected.push_back("SD/MMC Card");
        EXPECT_EQ(Column(records, 7), expected);
        EXPECT_EQ(test::ReadWhole(records.RecordFile()).find("\r\r"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(Spool("Talven-LINE-2_OLD.spool"))) << "taken over, then removed";
    }
}

// A spool another program holds at the start is left as it is: the note
// says so, and its lines go out first once it can be read.
TEST_F(RecordFile, AHeldSpoolIsLeftAsItIsAndItsLinesStillOwed) {
    TroubledPlatform refusing(*platform);
    refusing.refusal = FileResult::Denied;
    platform->GetLocalTime(refusing.now);
    Record(refusing, folder.path)->Add(SlotVerdict("CF Card", "Test success."));
    test::HeldFile held(Spool());
    auto record = Record();
    EXPECT_EQ(Note(*record), "spool " + Spool() + " cannot be read: its verdicts wait there");
    held.Release();
    record->Add(SlotVerdict("SM Card", "Test success."));
    EXPECT_EQ(Note(*record), "");
    EXPECT_EQ(Column(folder, 7), (std::vector<std::string>{"CF Card", "SM Card"}));
    EXPECT_EQ(test::ReadWhole(Spool()), "");
}

// A file whose end holds no line end as far back as it goes is read back
// no further than the bound the 32-bit build can always allocate.
TEST_F(RecordFile, TheTailIsReadBackNoFurtherThan64MiB) {
    TroubledPlatform endless(*platform);
    endless.endless = true;
    EXPECT_EQ(Record(endless, folder.path)->StartRun(), 1u);
    EXPECT_EQ(endless.biggestAsk, 64u << 20);
}

}  // namespace
}  // namespace talven
