// A read/write test run on the simulated station: discovery lists the reader
// slots and waits for their cards, and with exactly four the sequence tests
// them top down, each row ending with its outcome's message and icon.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <tuple>

#include "production/WornCardWatch.h"
#include "record/VerdictRecord.h"
#include "reader/ReaderDevice.h"
#include "sim/StationParser.h"
#include "tests/core/production/ProductionTestSupport.h"
#include "tests/core/record/RecordTestSupport.h"

namespace talven {
namespace {

using test::Card;

const char* const kRows[] = {"CF Card         (E:)", "SM Card         (F:)", "SD/MMC Card     (G:)",
                             "MS/MS Pro Card  (H:)"};
constexpr const char* kChipText = "Chip 5308 Revision:0102 05/17 '23";
constexpr const char* kNoReader = "No card reader device.";

class TestRun : public test::StationRun {
protected:
    void Scan() {
        if (!station) Start();
        view.running = 0;
        runs->ScanReaders(SettingsNow(*recorder, settings.Path()));
    }
    void ExpectRow(std::size_t row, const std::string& name, const std::string& status, int icon) {
        ASSERT_LT(row, view.rows.size());
        EXPECT_EQ(view.rows[row].name, name) << "row " << row;
        EXPECT_EQ(view.rows[row].status, status) << "row " << row;
        EXPECT_EQ(view.rows[row].icon, icon) << "row " << row;
    }
    bool Opened(const std::string& path) const {
        for (const SimOpen& open : station->Log().opens)
            if (open.path == path) return true;
        return false;
    }
    // The runs hand every verdict to a record in a folder of the test's own,
    // one record for all the runs of a test, as the window keeps one.
    void StartRecording(const std::string& moreSettings = "") {
        settings.Write("[Program set]\r\nRecordFolder=" + records.path.string() + "\r\n" + moreSettings);
        Start();
        if (!record) record = std::make_unique<VerdictRecord>(*outer, records.Spool(), "1.00");
        runs = std::make_unique<ProductionRuns>(*recorder, view, settings.Path(), record.get());
    }
    // Drive, verdict and word of every row that shows a verdict, and of
    // every line of run `run` in the record, sorted.
    using Shown = std::tuple<std::string, std::string, std::string>;
    std::vector<Shown> VerdictsShown() const {
        static const std::map<std::string, std::string> kWords = {
            {"Test success.", "pass"},    {"Please insert disk card!", "empty"}, {"Test stop", "stop"},
            {"Compare failure!", "fail"}, {"Speed too low!", "fail"},            {kNoReader, "not judged"}};
        std::vector<Shown> shown;
        for (const auto& row : view.rows) {
            // The row of a GO that found no reader is its verdict.
            const bool none = row.name == kNoReader;
            const std::string& verdict = none ? row.name : row.status;
            if (verdict.empty()) continue;
            const auto word = kWords.find(verdict);
            shown.emplace_back(none ? "" : row.name.substr(row.name.find('(') + 1, 2), verdict,
                               word == kWords.end() ? "?" : word->second);
        }
        std::sort(shown.begin(), shown.end());
        return shown;
    }
    std::vector<test::CsvRow> RecordedRun(int run) const {
        std::vector<test::CsvRow> lines;
        for (const test::CsvRow& line : records.Rows())
            if (line.size() > 4 && line[4] == std::to_string(run)) lines.push_back(line);
        return lines;
    }
    std::vector<Shown> VerdictsRecorded(int run) const {
        std::vector<Shown> recorded;
        for (const test::CsvRow& line : RecordedRun(run)) recorded.emplace_back(line[6], line[8], line[9]);
        std::sort(recorded.begin(), recorded.end());
        return recorded;
    }

    test::TempFolder records;
    std::unique_ptr<VerdictRecord> record;

    // A second reader on I: to L:, its slots without cards.
    void AddSecondReader() {
        ReaderConfig reader;
        reader.name = "reader2";
        config.readers.push_back(reader);
        for (char letter = 'I'; letter <= 'L'; ++letter) {
            DriveConfig drive;
            drive.letter = letter;
            drive.kind = SimDriveKind::ReaderSlot;
            drive.reader = 1;
            config.drives.push_back(drive);
        }
    }
};

TEST_F(TestRun, FourGoodCardsPassTopToBottom) {
    std::vector<int> iconsSeen;
    Start();
    view.onPump = [&](std::uint64_t) {
        if (view.rows.size() == 4) {
            int passed = 0;
            for (const auto& row : view.rows) passed += row.icon == kRowPassed;
            if (iconsSeen.empty() || iconsSeen.back() != passed) iconsSeen.push_back(passed);
        }
    };
    Scan();
    ASSERT_EQ(view.rows.size(), 4u);
    for (std::size_t row = 0; row < 4; ++row) ExpectRow(row, kRows[row], "Test success.", kRowPassed);
    EXPECT_EQ(runs->Judgement(), RunJudgement::Passed);
    EXPECT_EQ(iconsSeen, (std::vector<int>{0, 1, 2, 3, 4}));  // one after another
    EXPECT_EQ(view.status, kChipText);
    EXPECT_EQ(view.running, 0);
    EXPECT_EQ(TestFilesOnAnyCard(), 0u);
    // One readiness command per slot in discovery, one in the sequence; no pause but the last.
    EXPECT_EQ(station->NowMs(), 200u);
    EXPECT_EQ(station->OpenHandles(), 0u);
}

// A broken slot fails every GO on the same station, as it would on the line.
TEST_F(TestRun, TheThirdCardCorruptStopsTheRunThereAtEveryGo) {
    Drive('G').faults.corruptAtCluster = 3;
    for (int go = 1; go <= 2; ++go) {
        SCOPED_TRACE("GO " + std::to_string(go));
        view.rows.clear();
        Scan();
        ExpectRow(0, kRows[0], "Test success.", kRowPassed);
        ExpectRow(1, kRows[1], "Test success.", kRowPassed);
        ExpectRow(2, kRows[2], "Compare failure!", kRowFailed);
        EXPECT_EQ(runs->Judgement(), RunJudgement::Failed);
        ExpectRow(3, kRows[3], "", kRowNeutral);
        EXPECT_EQ(TestFilesOnAnyCard(), 0u);
    }
}

TEST_F(TestRun, AnEmptySlotIsMarkedAndNoTestRuns) {
    Drive('F').card.reset();
    Scan();
    ASSERT_EQ(view.rows.size(), 4u);
    ExpectRow(0, kRows[0], "", kRowNeutral);
    ExpectRow(1, kRows[1], "Please insert disk card!", kRowFailed);
    ExpectRow(2, kRows[2], "", kRowNeutral);
    EXPECT_EQ(runs->Judgement(), RunJudgement::NotJudged);
    ExpectRow(3, kRows[3], "", kRowNeutral);
    EXPECT_TRUE(recorder->files.empty());
    // Twelve commands with eleven pauses for the empty slot, then the scan's own.
    EXPECT_EQ(station->NowMs(), 11u * 500 + 200);
}

TEST_F(TestRun, FourCardsInTwoReadersRunUntilTheFirstEmptySlot) {
    AddSecondReader();
    Drive('G').card.reset();
    Drive('H').card.reset();
    Drive('I').card = Card(16384, 64);
    Drive('J').card = Card(16384, 64);
    Scan();
    ASSERT_EQ(view.rows.size(), 8u);
    ExpectRow(0, kRows[0], "Test success.", kRowPassed);
    ExpectRow(1, kRows[1], "Test success.", kRowPassed);
    ExpectRow(2, kRows[2], "Please insert disk card!", kRowFailed);
    ExpectRow(3, kRows[3], "Please insert disk card!", kRowFailed);
    ExpectRow(4, "Card Reader     (I:)", "", kRowNeutral);
    ExpectRow(5, "Card Reader     (J:)", "", kRowNeutral);
    EXPECT_TRUE(TestFilesOn('I').empty());
    EXPECT_EQ(recorder->files.size(), 8u);  // four files on each of E: and F:
}

TEST_F(TestRun, EightCardsAreNoTest) {
    AddSecondReader();
    for (char letter = 'I'; letter <= 'L'; ++letter) Drive(letter).card = Card(16384, 64);
    Scan();
    ASSERT_EQ(view.rows.size(), 8u);
    for (const auto& row : view.rows) EXPECT_EQ(row.status, "");
    EXPECT_EQ(runs->Judgement(), RunJudgement::None);
    EXPECT_TRUE(recorder->files.empty());
}

TEST_F(TestRun, AReaderWhoseInquiryFailsIsListedAsItsDriveAndTested) {
    Drive('F').faults.commands.push_back({0x12, std::nullopt, true, 0});
    Scan();
    ExpectRow(1, "F:", "Test success.", kRowPassed);
    ExpectRow(3, kRows[3], "Test success.", kRowPassed);
}

// The drive is the one discovery appended to the row, whatever the reader's
// INQUIRY text holds: a protected card in E: fails its own row.
TEST_F(TestRun, AnInquiryTextWithADriveOfItsOwnTestsTheRowsDrive) {
    Drive('E').product = "SD(F:";
    Drive('E').card->writeProtected = true;
    Drive('G').product = "SD(X)Card";
    Scan();
    ExpectRow(0, "SD(F:           (E:)", "Write failure!", kRowFailed);
    ExpectRow(1, kRows[1], "", kRowNeutral);
    EXPECT_TRUE(recorder->files.empty());

    Drive('E').card->writeProtected = false;
    view.rows.clear();
    station.reset();
    Scan();
    ExpectRow(2, "SD(X)Card       (G:)", "Test success.", kRowPassed);
    ExpectRow(3, kRows[3], "Test success.", kRowPassed);
    EXPECT_FALSE(Opened("\\\\.\\X)"));
}

TEST_F(TestRun, OnlyReaderSlotsAreListedAndNetworkDrivesAndAAndBAreNeverOpened) {
    Drive('H').faults.identitySwapped = true;  // 08 53: no VX5308
    DriveConfig optical;
    optical.letter = 'D';
    optical.kind = SimDriveKind::Optical;
    config.drives.push_back(optical);
    for (char letter : {'A', 'B'}) {
        DriveConfig slot = Drive('E');
        slot.letter = letter;
        config.drives.push_back(slot);
    }
    Scan();
    ASSERT_EQ(view.rows.size(), 3u);
    EXPECT_EQ(view.rows[0].name, kRows[0]);
    EXPECT_EQ(view.rows[2].name, kRows[2]);
    EXPECT_TRUE(recorder->files.empty());  // three slots: no test
    EXPECT_TRUE(Opened("\\\\.\\C:"));
    EXPECT_TRUE(Opened("\\\\.\\D:"));
    EXPECT_FALSE(Opened("\\\\.\\Z:"));
    EXPECT_FALSE(Opened("\\\\.\\A:"));
    EXPECT_FALSE(Opened("\\\\.\\B:"));
}

TEST_F(TestRun, GoWhileTheSecondRowIsWrittenStopsThatRow) {
    Start();
    view.onPump = [&](std::uint64_t) {
        if (!view.texts.empty() && view.texts.back().first == 1 &&
            view.texts.back().second.rfind("Testting", 0) == 0)
            view.running = 0;
    };
    Scan();
    ExpectRow(0, kRows[0], "Test success.", kRowPassed);
    ExpectRow(1, kRows[1], "Test stop", kRowStopped);
    ExpectRow(2, kRows[2], "", kRowNeutral);
    EXPECT_EQ(runs->Judgement(), RunJudgement::NotJudged);
    ExpectRow(3, kRows[3], "", kRowNeutral);
    EXPECT_EQ(TestFilesOnAnyCard(), 0u);
}

// The drive watch removes a vanished drive's row inside a pump; what the run
// still says about that slot must not land on the row that moved up.
TEST_F(TestRun, ARowRemovedDuringItsTestTakesItsResultsWithIt) {
    Start();
    view.onPump = [&](std::uint64_t) {
        if (view.rows.size() == 4 && !view.texts.empty() && view.texts.back().first == 1 &&
            view.texts.back().second.rfind("Testting", 0) == 0) {
            view.running = 0;
            view.DeleteRow(1);
        }
    };
    Scan();
    ASSERT_EQ(view.rows.size(), 3u);
    ExpectRow(0, kRows[0], "Test success.", kRowPassed);
    ExpectRow(1, kRows[2], "", kRowNeutral);
    ExpectRow(2, kRows[3], "", kRowNeutral);
    EXPECT_EQ(TestFilesOnAnyCard(), 0u);
}

TEST_F(TestRun, AnEmptySlotsMessageFindsItsRowAfterRowsAboveWentAway) {
    Drive('G').card.reset();
    Start();
    view.onPump = [&](std::uint64_t) {
        if (view.rows.size() == 3 && view.rows[0].name == kRows[0]) view.DeleteRow(0);
    };
    Scan();
    ASSERT_EQ(view.rows.size(), 3u);
    ExpectRow(0, kRows[1], "", kRowNeutral);
    ExpectRow(1, kRows[2], "Please insert disk card!", kRowFailed);
    ExpectRow(2, kRows[3], "", kRowNeutral);
}

// The pump between a slot's test and its verdict: the slot that has just
// passed ends as stopped, and shows no pass before that.
TEST_F(TestRun, GoRightAfterARowPassedMarksThatRowStopped) {
    Start();
    view.onPump = [&](std::uint64_t) {
        if (!recorder->deleted.empty() && view.rows[0].status.rfind("Testting", 0) == 0) view.running = 0;
    };
    Scan();
    ExpectRow(0, kRows[0], "Test stop", kRowStopped);
    ExpectRow(1, kRows[1], "", kRowNeutral);
    EXPECT_EQ(std::count(view.texts.begin(), view.texts.end(), std::pair<int, std::string>(0, "Test success.")), 0);
}

TEST_F(TestRun, AStopAskedForBeforeTheScanStopsTheFirstRow) {
    Start();
    view.pendingStop = true;
    Scan();
    ASSERT_EQ(view.rows.size(), 4u);
    ExpectRow(0, kRows[0], "Test stop", kRowStopped);
    ExpectRow(1, kRows[1], "", kRowNeutral);
    EXPECT_FALSE(view.pendingStop);
    EXPECT_TRUE(recorder->files.empty());
}

TEST_F(TestRun, PulledAndWriteProtectedCardsEndTheRunWithTheirMessage) {
    Drive('F').faults.pullAtCluster = 100;  // while writing
    Scan();
    ExpectRow(1, kRows[1], "Disk be removed!", kRowFailed);
    ExpectRow(2, kRows[2], "", kRowNeutral);
    EXPECT_EQ(TestFilesOnAnyCard(), 0u);

    Drive('F').faults.pullAtCluster = 256 + 20;  // while reading
    view.rows.clear();
    station.reset();
    Scan();
    ExpectRow(1, kRows[1], "Disk be removed!", kRowFailed);
    EXPECT_EQ(TestFilesOnAnyCard(), 0u);

    Drive('F').faults.pullAtCluster = 0;
    Drive('E').card->writeProtected = true;
    view.rows.clear();
    station.reset();
    Scan();
    ExpectRow(0, kRows[0], "Write failure!", kRowFailed);
    ExpectRow(1, kRows[1], "", kRowNeutral);
    EXPECT_EQ(TestFilesOnAnyCard(), 0u);
}

// Each of a reader's lines names it as its EEPROM holds it, the serial
// without its padding; a reader whose EEPROM cannot be read is tested all
// the same, and its lines say why they name none.
TEST_F(TestRun, EachLineNamesItsReaderAsItsEepromHoldsIt) {
    StartRecording("[VX5308]\r\nVID=2E10\r\nPID=0781\r\nSN=TLV00000101\r\n");
    runs->RunEepromProgramming(SettingsNow(*recorder, settings.Path()));
    view.rows.clear();
    runs = std::make_unique<ProductionRuns>(*recorder, view, settings.Path(), record.get());
    Scan();
    Drive('G').faults.commands.push_back({0xF2, 0x20, false, 2});
    StartRecording();  // a reader never programmed
    view.rows.clear();
    Scan();
    std::vector<std::string> named;
    for (int run = 2; run <= 3; ++run)
        for (const test::CsvRow& line : RecordedRun(run))
            named.push_back(line[6] + line[8] + line[14] + line[15] + line[16] + "|" + line[19]);
    const std::string unread = "|reader's EEPROM could not be read: VID, PID and serial unknown";
    EXPECT_EQ(named, (std::vector<std::string>{
                         "E:Test success.0x2E100x0781TLV00000101|", "F:Test success.0x2E100x0781TLV00000101|",
                         "G:Test success.0x2E100x0781TLV00000101|", "H:Test success.0x2E100x0781TLV00000101|",
                         "E:Test success.0xFFFF0xFFFF|", "F:Test success.0xFFFF0xFFFF|", "G:Test success." + unread,
                         "H:Test success.0xFFFF0xFFFF|"}));
}

// Whatever way a run ends, the record holds one line per verdict the rows
// show: none lost, none twice (a slot found empty by discovery and again by
// the sequence, a pass turned into a stop), none for a row that went away.
TEST_F(TestRun, EveryVerdictShownIsRecordedOnceWithItsSlot) {
    const std::function<void()> kRuns[] = {
        [] {},
        [&] {
            AddSecondReader();
            Drive('G').card.reset();
            Drive('H').card.reset();
            Drive('I').card = Card(16384, 64);
            Drive('J').card = Card(16384, 64);
        },
        [&] {
            view.onPump = [&](std::uint64_t) {
                if (!view.rows.empty() && view.rows[0].icon == kRowPassed) view.running = 0;
            };
        },
        [&] {
            view.onPump = [&](std::uint64_t) {
                if (view.rows.size() == 4 && view.rows[1].status.rfind("Testting", 0) == 0) {
                    view.running = 0;
                    view.DeleteRow(1);
                }
            };
        },
        [&] { Drive('G').faults.corruptAtCluster = 3; },
        [&] {
            for (char letter : {'E', 'F', 'G', 'H'}) Drive(letter).kind = SimDriveKind::Removable;
        },
    };
    int run = 0;
    for (const auto& setUp : kRuns) {
        SCOPED_TRACE("run " + std::to_string(++run));
        config = test::QuietDefaultStation();
        view.rows.clear();
        view.onPump = nullptr;
        setUp();
        StartRecording();
        Scan();
        EXPECT_FALSE(VerdictsShown().empty());
        EXPECT_EQ(VerdictsRecorded(run), VerdictsShown());
        for (const test::CsvRow& line : RecordedRun(run)) {
            ASSERT_EQ(line.size(), kRecordColumns);
            EXPECT_EQ(line[2], "v1.00");
            EXPECT_EQ(line[3], "Write/Read Test");
            EXPECT_EQ(line[5], line[6].empty() ? "" : kChipText);
            if (line[8] == "Test success.") {
                EXPECT_EQ(line[10], "4.0") << "MiB tested";
            }
        }
    }
    std::size_t lines = 1;
    for (int each = 1; each <= run; ++each) lines += VerdictsRecorded(each).size();
    EXPECT_EQ(records.Rows().size(), lines);
    EXPECT_EQ(view.recordNote, "");
}

// A card is slow by the station's clock: the engine's figures follow it, and
// the lowest speed of the settings fails a slot under it in either phase. A
// lowest speed the settings refuse tests no slot and is named. Only the
// card's own I/O counts: a pump that stalls 1.5 s (a handler sleeping on the
// message queue) changes nothing. A quick 1 MiB phase is judged all the same;
// a card with less than 1 MiB free passes no slot (the test card's fault),
// and a card the clock did not see take time shows no figure.
TEST_F(TestRun, ASlotUnderTheLowestSpeedFailsAndEndsTheRunAFasterOnePasses) {
    enum Expected { Fails, Passes, Refused, TooFull };
    const struct {
        double write;
        double read;
        const char* lowest;
        Expected expected;
        std::uint32_t stallMs = 0;       // slept in every pump while F: is tested
        std::uint32_t freeClusters = 0;  // 0: the whole card
    } kCases[] = {
        {5, 20, "6", Fails},       {20, 5, "6", Fails},      {5, 20, "4", Passes},         {5, 20, "0", Passes},
        {5, 20, "x", Refused},     {5, 20, "1001", Refused}, {20, 20, "10", Passes, 1500}, {5, 20, "6", Fails, 1500},
        {26, 200, "100", Fails, 0, 64}, {0.5, 0.5, "10", TooFull, 0, 40}, {0, 0, "6", Passes},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::to_string(c.write) + "/" + std::to_string(c.read) + " MinSpeed=" + c.lowest);
        config = test::QuietDefaultStation();
        Drive('F').card->writeSpeed = c.write;
        Drive('F').card->readSpeed = c.read;
        if (c.freeClusters != 0) Drive('F').card->freeClusters = c.freeClusters;
        view.rows.clear();
        StartRecording(std::string("MinSpeed=") + c.lowest + "\r\n");
        view.onPump = [&](std::uint64_t) {
            if (view.rows.size() > 1 && view.rows[1].status.rfind("Testting", 0) == 0) station->Sleep(c.stallMs);
        };
        Scan();
        ASSERT_EQ(view.rows.size(), 4u);
        if (c.expected == Refused) {
            for (std::size_t row = 0; row < 4; ++row) ExpectRow(row, kRows[row], "", kRowNeutral);
            EXPECT_EQ(view.status, std::string("MinSpeed: \"") + c.lowest + "\" is not a whole number from 0 to 1000");
            continue;
        }
        ExpectRow(0, kRows[0], "Test success.", kRowPassed);
        if (c.expected != Passes) {
            ExpectRow(1, kRows[1], c.expected == Fails ? "Speed too low!" : "Test card has too little free space!",
                      c.expected == Fails ? kRowFailed : kRowStopped);
            ExpectRow(2, kRows[2], "", kRowNeutral);
        } else {
            ExpectRow(1, kRows[1], "Test success.", kRowPassed);
            ExpectRow(3, kRows[3], "Test success.", kRowPassed);
        }
        const std::string& speed = view.rows[1].speed;
        ASSERT_NE(speed.find(" / "), std::string::npos) << speed;
        if (c.write == 0) {
            EXPECT_EQ(speed, "- / -");
        } else {
            EXPECT_NEAR(std::stod(speed), c.write, c.write * 0.02);
            EXPECT_NEAR(std::stod(speed.substr(speed.find(" / ") + 3)), c.read, c.read * 0.02);
        }
        EXPECT_EQ(TestFilesOnAnyCard(), 0u);
    }
    // The record keeps the figures of the slot that was too slow, and holds
    // nothing of the runs that tested no slot.
    const test::CsvRow slow = RecordedRun(1)[1];
    EXPECT_EQ(slow[6], "F:");
    EXPECT_EQ(slow[8], "Speed too low!");
    EXPECT_EQ(slow[9], "fail");
    EXPECT_NEAR(std::stod(slow[11]), 5, 0.1);
    EXPECT_NEAR(std::stod(slow[12]), 20, 0.1);
    EXPECT_EQ(records.Rows().size(), 1u + 2 + 2 + 4 + 4 + 4 + 2 + 2 + 2 + 4);
    EXPECT_EQ(records.Rows()[records.Rows().size() - 5][9], "card full");
    // The last run's card that the clock did not see take time: no figure.
    const test::CsvRow unseen = records.Rows()[records.Rows().size() - 3];
    EXPECT_EQ(unseen[6], "F:");
    EXPECT_EQ(unseen[11] + unseen[12], "");
}

// A slot that stops storing what it writes during the day: the second GO
// reads back what the first left, at the same places, and only the first
// GO's stamp in it tells.
TEST_F(TestRun, ASlotThatDropsItsWritesFailsTheNextGoOnTheSameCard) {
    Drive('G').faults.dropWritesAfterCluster = 257;  // the first cluster after the first GO's 256
    for (const char* status : {"Test success.", "Compare failure!"}) {
        view.rows.clear();
        Scan();
        ExpectRow(2, kRows[2], status, status[0] == 'T' ? kRowPassed : kRowFailed);
        EXPECT_EQ(TestFilesOnAnyCard(), 0u);
    }
}

// A worn test card in F fails every reader: the third in a row names F, and
// the next GO's lines carry it in their warning column, their verdicts as
// they were; a reader that passes in F ends it.
TEST_F(TestRun, AWornCardInFIsNamedFromTheThirdReaderInARowUntilOnePassesThere) {
    WornCardWatch suspects;
    Drive('F').faults.corruptAtCluster = 3;
    const std::string warnings[] = {"", "", "Slot F failed 3 readers in a row: check the test card in slot F",
                                    "Slot F failed 4 readers in a row: check the test card in slot F", ""};
    for (int go = 1; go <= 5; ++go) {
        SCOPED_TRACE("GO " + std::to_string(go));
        if (go == 5) Drive('F').faults = DriveFaults{};
        view.rows.clear();
        StartRecording();
        runs->WatchSlots(&suspects);
        Scan();
        suspects.EndReader(runs->Judgement());
        EXPECT_EQ(suspects.WarningText(3), warnings[go - 1]);
        EXPECT_EQ(suspects.WarningText(0), "");
        for (const test::CsvRow& line : RecordedRun(go))
            EXPECT_EQ(line[19], go == 4 || go == 5 ? warnings[go - 2] : "");
        EXPECT_EQ(RecordedRun(go)[1][8], go == 5 ? "Test success." : "Compare failure!");
    }
}

// TestMiB=16 tests the first 16 MiB of each 64 MiB card as the whole-card
// test would: a fault of the slot there fails its own row and is recorded;
// one beyond it, or a card that wraps beyond it, only the whole card finds.
// The status line names the amount while the run is on, not after it.
TEST_F(TestRun, ASixteenMibTestFailsTheSlotForEveryFaultOfItsFirstSixteenMib) {
    bool named = false;
    const std::string amount = std::string(kChipText) + "   Testing 16 MiB of each card";
    view.onPump = [&](std::uint64_t) { named = named || view.status == amount; };
    const struct {
        const char* fault;
        std::function<void(DriveConfig&)> set;
        const char* status;
    } kCases[] = {
        {"corrupt", [](DriveConfig& d) { d.faults.corruptAtCluster = 1000; }, "Compare failure!"},
        {"repeated sector", [](DriveConfig& d) { d.faults.repeatSectorAtCluster = 700; }, "Compare failure!"},
        {"dropped writes", [](DriveConfig& d) { d.faults.dropWritesAfterCluster = 600; }, "Compare failure!"},
        {"pulled writing", [](DriveConfig& d) { d.faults.pullAtCluster = 900; }, "Disk be removed!"},
        {"pulled reading", [](DriveConfig& d) { d.faults.pullAtCluster = 1024 + 1000; }, "Disk be removed!"},
        {"write-protected", [](DriveConfig& d) { d.card->writeProtected = true; }, "Write failure!"},
        {"slow", [](DriveConfig& d) { d.card->writeSpeed = 5; }, "Speed too low!"},
        {"beyond 16 MiB", [](DriveConfig& d) { d.faults.corruptAtCluster = 1025; }, "Test success."},
        {"wraps at 32 MiB", [](DriveConfig& d) { d.faults.wrapAt = 32u << 20; }, "Test success."},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.fault);
        config = test::QuietDefaultStation();
        for (char letter : {'E', 'F', 'G', 'H'}) Drive(letter).card = Card(16384, 4096);
        c.set(Drive('F'));
        view.rows.clear();
        StartRecording("TestMiB=16\r\nMinSpeed=10\r\n");
        Scan();
        ExpectRow(0, kRows[0], "Test success.", kRowPassed);
        const bool passes = std::string(c.status) == "Test success.";
        ExpectRow(1, kRows[1], c.status, passes ? kRowPassed : kRowFailed);
        ExpectRow(2, kRows[2], passes ? "Test success." : "", passes ? kRowPassed : kRowNeutral);
        EXPECT_EQ(TestFilesOnAnyCard(), 0u);
    }
    EXPECT_EQ(RecordedRun(1)[0][10], "16.0") << "MiB tested";
    EXPECT_EQ(view.texts.front().second, "Testting(64/1024)....");
    EXPECT_TRUE(named);
    EXPECT_EQ(view.status, kChipText);
    // A test amount the settings refuse tests no slot and is named.
    view.rows.clear();
    StartRecording("TestMiB=16x\r\n");
    Scan();
    ExpectRow(0, kRows[0], "", kRowNeutral);
    EXPECT_EQ(view.status, "TestMiB: \"16x\" is not a whole number from 0 to 65535");
}

// TestAllSlots=1: a repair bench sees every slot's verdict, failures
// included; a stop still ends the run.
TEST_F(TestRun, TestAllSlotsTestsTheSlotsAfterAFailureAndAStopStillEndsTheRun) {
    Drive('F').faults.corruptAtCluster = 3;
    Drive('G').faults.repeatSectorAtCluster = 100;
    StartRecording("TestAllSlots=1\r\n");
    Scan();
    ExpectRow(0, kRows[0], "Test success.", kRowPassed);
    ExpectRow(1, kRows[1], "Compare failure!", kRowFailed);
    ExpectRow(2, kRows[2], "Compare failure!", kRowFailed);
    ExpectRow(3, kRows[3], "Test success.", kRowPassed);
    EXPECT_EQ(VerdictsRecorded(1), VerdictsShown());

    view.rows.clear();
    view.onPump = [&](std::uint64_t) {
        if (view.rows.size() == 4 && view.rows[1].status.rfind("Testting", 0) == 0) view.running = 0;
    };
    Scan();
    ExpectRow(1, kRows[1], "Test stop", kRowStopped);
    ExpectRow(2, kRows[2], "", kRowNeutral);
    EXPECT_EQ(TestFilesOnAnyCard(), 0u);
}

TEST_F(TestRun, TheReadinessWait) {
    Drive('F').card.reset();
    Start();
    ReaderDevice empty(*station);
    empty.Open("F:");
    EXPECT_FALSE(runs->WaitUntilReady(&empty, false));  // at once, no pump, no pause
    EXPECT_EQ(view.pumps, 0u);
    EXPECT_EQ(station->NowMs(), 0u);
    EXPECT_FALSE(runs->WaitUntilReady(nullptr, true));
    EXPECT_EQ(view.pumps, 11u);
    EXPECT_EQ(station->NowMs(), 5500u);
    station->InsertCard('F', Card(16384, 64));
    EXPECT_TRUE(runs->WaitUntilReady(&empty, true));
}

TEST_F(TestRun, FindFirstReaderListsOnlyTheLowestReader) {
    AddSecondReader();
    Start();
    EXPECT_EQ(runs->FindFirstReader(), "E:");
    ASSERT_EQ(view.rows.size(), 1u);
    ExpectRow(0, "CF Card         ", "", kRowNeutral);  // no card wait, no drive
    EXPECT_EQ(view.status, kChipText);

    // Without a reader: the empty text and no row.
    config = test::QuietDefaultStation();
    for (char letter : {'E', 'F', 'G', 'H'}) Drive(letter).kind = SimDriveKind::Removable;
    view.rows.clear();
    Start();
    EXPECT_EQ(runs->FindFirstReader(), "");
    EXPECT_TRUE(view.rows.empty());
}

TEST_F(TestRun, AScanWithoutReadersSaysSoInARowAndLeavesTheStatusLine) {
    for (char letter : {'E', 'F', 'G', 'H'}) Drive(letter).kind = SimDriveKind::Removable;
    view.status = "Chip of an earlier run";
    Scan();
    ASSERT_EQ(view.rows.size(), 1u);
    ExpectRow(0, "No card reader device.", "", kRowFailed);
    EXPECT_EQ(view.status, "Chip of an earlier run");
    EXPECT_TRUE(recorder->files.empty());
}

#ifdef TALVEN_TRAINING_STATIONS
// The training stations end their rows as their comments say, a fault taken
// out at a time.
TEST_F(TestRun, TheTrainingStationsEndAsTheirCommentsSay) {
    const struct {
        const char* station;  // loaded anew; else the fault of this slot is taken out
        char faultTakenOut;
        std::size_t failedRow;
        const char* status;
        const char* settingsText = "";
    } steps[] = {
        {"faults.station", 0, 2, "Compare failure!"},     {nullptr, 'G', 3, "Write failure!"},
        {"cards.station", 0, 1, "Compare failure!"},      {nullptr, 'F', 2, "Compare failure!"},
        {nullptr, 'G', 3, "Write failure!"},              {"quick-test.station", 0, 1, "Compare failure!"},
        {nullptr, 'F', 2, "Compare failure!"},
        // The quick test does not reach F's fault nor G's wrap: every slot passes.
        {"quick-test.station", 0, 4, "", "[Program set]\r\nTestMiB=16\r\n"},
        // The worn card in F lets the first reader pass; the next fail there.
        {"worn-card.station", 0, 4, ""},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.station ? step.station : "") + " " + step.faultTakenOut);
        if (step.station != nullptr) {
            std::ifstream file(std::string(TALVEN_TRAINING_STATIONS) + "/" + step.station, std::ios::binary);
            std::stringstream text;
            text << file.rdbuf();
            std::string error;
            ASSERT_TRUE(ParseStation(text.str(), "", config, error)) << error;
            config.timeScale = 0;
            for (ReaderConfig& reader : config.readers) reader.eepromPath.clear();
        } else {
            Drive(step.faultTakenOut).faults = DriveFaults{};
        }
        view.rows.clear();
        settings.Write(step.settingsText);
        Start();
        recorder->keepBytes = false;
        Scan();
        for (std::size_t row = 0; row < step.failedRow; ++row)
            ExpectRow(row, kRows[row], "Test success.", kRowPassed);
        if (step.failedRow < 4) ExpectRow(step.failedRow, kRows[step.failedRow], step.status, kRowFailed);
        EXPECT_EQ(TestFilesOnAnyCard(), 0u);
    }
}
#endif

}  // namespace
}  // namespace talven
