// GO and the drive watch on the real window over a simulated station: whole
// runs of both functions, what the window shows and refuses while a run is in
// progress, stop requests, and drives that disappear.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <functional>
#include <map>
#include <ostream>
#include <stdexcept>
#include <utility>
#include <vector>

#include "about/AboutDialog.h"
#include "app/ProductionDialog.h"
#include "platform/win32/Win32Platform.h"
#include "production/ConfigurationImage.h"
#include "production/StationState.h"
#include "resources/resource.h"
#include "app/SetupDialog.h"
#include "sim/SimulatedStation.h"
#include "sim/StationParser.h"
#include "tests/support/ForwardingPlatform.h"
#include "tests/core/record/RecordTestSupport.h"
#include "tests/support/TestStation.h"
#include "tests/support/RunsFromTheFile.h"
#include "tests/windows/app/WindowProbe.h"
#include "tests/windows/ui/DialogDriver.h"
#include "ui/MessagePump.h"

namespace talven {
namespace {

using test::CellText;
using test::RowCount;

// The main window with a look into every pump of a run: `onPump` runs before
// the queued messages are dispatched.
class ProbedDialog final : public ProductionDialog {
public:
    using ProductionDialog::ProductionDialog;
    void PumpMessages() override {
        ++pumps;
        if (onPump) onPump();
        ProductionDialog::PumpMessages();
    }

    std::function<void()> onPump;
    int pumps = 0;
};

struct Row {
    std::string text;
    std::string status;
    int icon = 0;
    bool operator==(const Row&) const = default;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << '{' << '"' << row.text << "\", \"" << row.status << "\", " << row.icon << '}';
}

// Column 0 of the default station's slots: each INQUIRY product text in its
// blank-filled field, then the drive.
constexpr const char* kSlotRows[] = {"CF Card         (E:)", "SM Card         (F:)", "SD/MMC Card     (G:)",
                                     "MS/MS Pro Card  (H:)"};
constexpr const char* kChipText = "Chip 5308 Revision:0102 05/17 '23";
constexpr const char* kSuccess = "Test success.";
constexpr const char* kStop = "Test stop";

// Indexes of the default station's drives in its configuration.
constexpr std::size_t kDriveC = 0;
constexpr std::size_t kFirstSlot = 1;  // E: to H:
constexpr std::size_t kDriveH = 4;

struct GoFaces {
    unsigned up;
    unsigned focused;
};
constexpr GoFaces kIdleFaces = {IDB_GO_UP, IDB_GO_FOCUSED};
constexpr GoFaces kStopFaces = {IDB_STOP_UP, IDB_STOP_FOCUSED};

class RunControl : public ::testing::Test {
protected:
    RunControl() {
        config.timeScale = 0;  // readiness waits cost nothing
        config.readers[0].eepromPath.clear();
    }

    void OpenOnStation() {
        window.reset();  // its record lets go of its spool on the station it was opened on
        station = std::make_unique<SimulatedStation>(folder.GetPlatform(), config);
        Open(*station);
    }
    // The window is created hidden; its runs and handlers work the same.
    void Open(Platform& platform) {
        window = std::make_unique<ProbedDialog>(platform);
        ASSERT_TRUE(window->Create(false));
        dialog = window->GetSafeHwnd();
        list = ::GetDlgItem(dialog, IDC_READER_LIST);
        go = ::GetDlgItem(dialog, IDC_GO);
    }

    // GO as the window's own command: the button's click or Escape.
    void PostGo() const {
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_GO, BN_CLICKED), reinterpret_cast<LPARAM>(go));
    }
    // Handles what was posted; a run started there ends before this returns.
    static void HandlePosted() { ui::PumpMessages(); }

    std::vector<Row> Rows() const {
        std::vector<Row> rows;
        for (int row = 0; row < RowCount(list); ++row) {
            rows.push_back({CellText(list, row, 0), CellText(list, row, 1), test::RowImage(list, row)});
        }
        return rows;
    }
    bool Testing(int row) const { return CellText(list, row, 1).rfind("Testting(", 0) == 0; }
    std::string Status() const { return test::ItemText(dialog, IDC_STATUS_LINE); }
    std::string GoTip() const { return test::ToolText(window->ToolTipWindow(), go); }
    bool ExitEnabled() const { return test::Enabled(dialog, IDC_EXIT); }
    // The face GO paints for its state compared with the bitmaps themselves.
    bool GoShows(const GoFaces& faces) const {
        const unsigned face = ::GetFocus() == go ? faces.focused : faces.up;
        const std::vector<std::uint32_t> shown = test::ButtonPixels(go);
        return !shown.empty() && shown == test::ResourceBitmapPixels(face);
    }
    void ExpectIdle() const {
        EXPECT_EQ(window->Running(), 0);
        EXPECT_TRUE(GoShows(kIdleFaces));
        EXPECT_EQ(test::WindowSize(go).cx, 46);
        EXPECT_EQ(test::WindowSize(go).cy, 39);
        EXPECT_EQ(GoTip(), "Write/Read Test");
        EXPECT_TRUE(ExitEnabled());
        EXPECT_TRUE(test::Enabled(dialog, IDC_GO));
        EXPECT_EQ(test::ToolCount(window->ToolTipWindow()), 2);
        EXPECT_FALSE(window->IsEnded());
    }

    // Requests sent with this operation code, over every drive.
    std::size_t Requests(std::uint8_t operation) const {
        std::size_t count = 0;
        for (const SimRequest& request : station->Log().requests) count += request.cdb[0] == operation;
        return count;
    }

    static std::vector<Row> AllPassed() {
        std::vector<Row> rows;
        for (const char* text : kSlotRows) rows.push_back({text, kSuccess, kRowPassed});
        return rows;
    }
    static Row Untested(int slot) { return {kSlotRows[slot], "", kRowNeutral}; }

    test::TestStation folder;
    StationConfig config = DefaultStation("");
    std::unique_ptr<SimulatedStation> station;
    std::unique_ptr<ProbedDialog> window;
    HWND dialog = nullptr;
    HWND list = nullptr;
    HWND go = nullptr;
};

// One chip identity command for each drive a scan examines: C: and the four
// slots (the network drive Z: is never opened).
constexpr std::size_t kIdentityReadsPerScan = 5;

TEST_F(RunControl, GoTestsEveryCardOfTheStationAndEndsIdle) {
    OpenOnStation();
    window->InsertRow(0, "left over from before", kRowFailed);
    PostGo();
    HandlePosted();

    EXPECT_EQ(Rows(), AllPassed());
    EXPECT_EQ(Status(), kChipText);
    ExpectIdle();
    for (char letter : {'E', 'F', 'G', 'H'}) {
        const CardVolume* card = station->Card(letter);
        ASSERT_NE(card, nullptr) << letter;
        EXPECT_GT(card->ClustersWritten(), 0u) << letter;
        EXPECT_EQ(card->FreeClusters(), card->TotalClusters()) << letter;
        EXPECT_TRUE(card->FileNames().empty()) << letter << ": the test files are gone";
    }
    EXPECT_EQ(Requests(0xF0), kIdentityReadsPerScan);
    EXPECT_EQ(station->OpenHandles(), 0u);
}

// The record's file held by another program: the run goes on, the status
// line says the record is behind after the chip text, and once the file is
// free the drive watch's ticks write what waited. Closed while lines wait,
// the window says so; the next start writes them.
TEST_F(RunControl, AHeldRecordIsNotedAfterTheChipTextAndCatchesUpOnceFreeOrAfterAClose) {
    OpenOnStation();
    PostGo();
    HandlePosted();
    for (int row = 0; row < 4; ++row) EXPECT_NE(CellText(list, row, 2).find(" / "), std::string::npos) << row;
    const std::vector<std::string> files = folder.RecordFiles();
    ASSERT_EQ(files.size(), 1u);
    const std::string path = folder.RecordFolder() + "\\" + files[0];
    auto lines = [&] {
        std::ifstream file(path, std::ios::binary);
        std::string line;
        int count = 0;
        while (std::getline(file, line)) ++count;
        return count;
    };
    EXPECT_EQ(lines(), 1 + 4);

    HANDLE held = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    PostGo();
    HandlePosted();
    EXPECT_EQ(Rows(), AllPassed());
    EXPECT_EQ(Status(), std::string(kChipText) + "   Record behind by 4: file open in another program");
    ::CloseHandle(held);
    for (int tick = 0; tick < 5; ++tick) window->SendMessage(WM_TIMER, 1, 0);
    EXPECT_EQ(Status(), kChipText);
    EXPECT_EQ(lines(), 1 + 8);

    held = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
    PostGo();
    HandlePosted();
    std::string said;
    test::DialogDriver driver([&] {
        HWND box = test::FindMessageBox();
        if (box == nullptr) return false;
        char text[1024] = {};
        ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        said = text;
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
    });
    ::PostMessageA(dialog, WM_CLOSE, 0, 0);
    HandlePosted();
    EXPECT_TRUE(window->IsEnded());
    EXPECT_EQ(said, "4 verdicts could not be written to the record in " + folder.RecordFolder() +
                        ": file open in another program.\n\nThey are kept in " +
                        DefaultSpoolPath(folder.GetPlatform()) +
                        " and go to the record when the program starts again.");
    ::CloseHandle(held);
    EXPECT_EQ(lines(), 1 + 8);
    OpenOnStation();
    EXPECT_EQ(lines(), 1 + 12);
    EXPECT_EQ(Status().find("Record behind"), std::string::npos) << Status();
}

// A mixed shift, each GO in a program of its own: a pass, a failure, an
// empty slot, no reader, two half-loaded readers tested slot by slot, a test
// card too full to test, and a reader programmed. The counts above the buttons
// survive the restarts and are what the record says, counted by the same
// rule; each verdict row is in view; a reset starts the counts anew and is
// recorded.
TEST_F(RunControl, TheShiftsCountsMatchTheRecordSurviveARestartAndAResetIsRecorded) {
    auto counts = [&] { return test::ItemText(dialog, IDC_SHIFT_COUNTS); };
    auto inView = [&](int row) {
        RECT item{LVIR_BOUNDS, 0, 0, 0};
        RECT client{};
        ::SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        ::GetClientRect(list, &client);
        return item.top > 0 && item.bottom <= client.bottom;
    };
    const std::function<void(StationConfig&)> stations[] = {
        [](StationConfig&) {},
        [](StationConfig& c) { c.drives[kFirstSlot + 2].faults.corruptAtCluster = 3; },
        [](StationConfig& c) { c.drives[kFirstSlot + 1].card.reset(); },
        [](StationConfig& c) {
            for (const char letter : {'E', 'F', 'G', 'H'}) test::DriveOf(c, letter).kind = SimDriveKind::Removable;
        },
        [](StationConfig& c) {
            c.readers.push_back(c.readers[0]);
            for (const char letter : {'I', 'J', 'K', 'L'}) c.drives.push_back({letter, SimDriveKind::ReaderSlot, 1, {}, {}, {}});
            for (const char letter : {'I', 'J'}) test::DriveOf(c, letter).card = CardConfig{};
            for (const char letter : {'G', 'H'}) test::DriveOf(c, letter).card.reset();
        },
        [](StationConfig& c) {
            std::optional<CardConfig>& card = test::DriveOf(c, 'F').card;
            card->freeClusters = 40;  // 640 KiB
            card->writeSpeed = card->readSpeed = 0.5;
        },
        [&](StationConfig&) { folder.WriteSettings("[Program set]\r\nWR=1\r\n"); },
    };
    for (const auto& change : stations) {
        window.reset();
        config = DefaultStation("");
        config.timeScale = 0;
        config.readers[0].eepromPath.clear();
        folder.WriteSettings("[Program set]\r\nTestAllSlots=1\r\nMinSpeed=10\r\n");
        change(config);
        OpenOnStation();
        PostGo();
        HandlePosted();
        int last = RowCount(list) - 1;
        while (last > 0 && CellText(list, last, 1).empty() && CellText(list, last, 0) != "No card reader device.") --last;
        EXPECT_TRUE(inView(last)) << "row " << last << " of " << RowCount(list);
    }
    EXPECT_EQ(CellText(list, 11, 1), "Write EEPROM success.");
    EXPECT_EQ(counts(), "Tested 1   Passed 1   Failed 0   Yield 100.0 %   Not judged 0");
    folder.WriteSettings("");
    window->FollowSettings(SettingsSnapshot(SettingsFile(folder.GetPlatform(), folder.SettingsPath().c_str())));
    EXPECT_EQ(counts(), "Tested 2   Passed 1   Failed 1   Yield 50.0 %   Not judged 4");
    // Each GO of the record judged by the rule the counts use.
    std::map<std::pair<std::string, std::string>, std::vector<VerdictWord>> runs;
    const std::string record = folder.RecordFolder() + "\\" + folder.RecordFiles().at(0);
    for (const test::CsvRow& row : test::ParseCsv(test::ReadWhole(record))) {
        VerdictWord word{};
        if (ParseVerdictWord(row[9], word)) runs[{row[3], row[4]}].push_back(word);
    }
    ShiftCounts recorded;
    for (const auto& [run, words] : runs) {
        const bool eeprom = run.first == "Write EEPROM";
        recorded.Of(eeprom).Add(JudgeReader(words, eeprom ? GoJob::Eeprom : GoJob::TestSequence));
    }
    EXPECT_EQ(counts(), CountsText(recorded.test));
    EXPECT_EQ(window->Counts(), recorded);

    ::SendMessageA(dialog, WM_COMMAND, IDM_RESET_COUNTS, 0);
    EXPECT_EQ(counts(), "Tested 0   Passed 0   Failed 0   Yield -   Not judged 0");
    const std::vector<test::CsvRow> rows = test::ParseCsv(test::ReadWhole(record));
    EXPECT_EQ(rows.back()[8], "Counts reset: tested 2, passed 1, failed 1, not judged 4");
    EXPECT_EQ(rows.back()[9], "reset");
    window.reset();
    OpenOnStation();
    EXPECT_EQ(counts(), "Tested 0   Passed 0   Failed 0   Yield -   Not judged 0");
    // Another copy in this folder counted 5 meanwhile: neither copy's are lost.
    const std::string statePath = StationStatePath(folder.SettingsPath());
    StationState state;
    ASSERT_EQ(ReadStationState(folder.GetPlatform(), statePath, state), StateRead::Read);
    state.counts.test.passed += 5;
    ASSERT_EQ(WriteStationState(folder.GetPlatform(), statePath, state), FileResult::Done);
    PostGo();
    HandlePosted();
    EXPECT_EQ(counts(), "Tested 6   Passed 6   Failed 0   Yield 100.0 %   Not judged 0");
}

TEST_F(RunControl, WhileATestRunsGoShowsStopAndEveryOtherWayOutIsRefused) {
    OpenOnStation();
    struct Seen {
        std::int32_t running;
        int rows;
        bool stopFace;
        std::string goTip;
        bool exitEnabled;
    };
    std::vector<Seen> seen;
    bool opened = false;
    // Should one open, it is ended; the about box first, as it may have
    // opened inside the setup dialog's loop.
    test::DialogDriver driver(
        [&] {
            ui::CDialog* shown = test::FindDialog<AboutDialog>();
            if (shown == nullptr) shown = test::FindDialog<SetupDialog>();
            if (shown != nullptr) {
                opened = true;
                shown->EndDialog(-1);
            }
            return false;
        },
        100000);
    // Everything but GO, posted into the frame's first pump (before the scan
    // sets `running`) and into the pump before the second card's test.
    auto postEveryWayOut = [&] {
        ::PostMessageA(dialog, WM_CLOSE, 0, 0);
        ::PostMessageA(list, WM_KEYDOWN, VK_RETURN, 0);  // Enter is EXIT
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDC_EXIT)));
        ::PostMessageA(dialog, WM_COMMAND, IDM_SETTING, 0);
        ::PostMessageA(dialog, WM_COMMAND, IDM_ABOUT, 0);
    };
    bool postedInSequence = false;
    window->onPump = [&] {
        seen.push_back({window->Running(), RowCount(list), GoShows(kStopFaces), GoTip(), ExitEnabled()});
        if (window->pumps == 1) postEveryWayOut();
        if (!postedInSequence && Testing(1)) {
            postEveryWayOut();
            postedInSequence = true;
        }
    };
    PostGo();
    HandlePosted();

    ASSERT_GT(seen.size(), 2u);
    EXPECT_EQ(seen.front().running, 0) << "the first pump comes before the scan";
    EXPECT_EQ(seen.front().rows, 0) << "GO emptied the list";
    EXPECT_TRUE(postedInSequence);
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_TRUE(seen[i].stopFace) << "pump " << i;
        EXPECT_EQ(seen[i].goTip, "Stop Write/Read") << "pump " << i;
        EXPECT_FALSE(seen[i].exitEnabled) << "pump " << i;
    }
    EXPECT_FALSE(opened) << "no dialog opens during a run";
    EXPECT_EQ(Rows(), AllPassed()) << "none of them stopped the run";
    ExpectIdle();
}

TEST_F(RunControl, GoDuringTheSecondCardsTestStopsTheRunThere) {
    OpenOnStation();
    bool pressed = false;
    window->onPump = [&] {
        if (!pressed && Testing(1)) {
            PostGo();
            pressed = true;
        }
    };
    PostGo();
    HandlePosted();

    ASSERT_TRUE(pressed);
    EXPECT_EQ(Rows(), (std::vector<Row>{{kSlotRows[0], kSuccess, kRowPassed},
                                        {kSlotRows[1], kStop, kRowStopped},
                                        Untested(2),
                                        Untested(3)}));
    EXPECT_TRUE(station->Card('F')->FileNames().empty()) << "a stopped test still deletes its files";
    EXPECT_EQ(station->Card('G')->ClustersWritten(), 0u);
    ExpectIdle();
}

TEST_F(RunControl, TwoGoCommandsAtOnceGiveOneRunThatStopsAtItsFirstCheck) {
    OpenOnStation();
    PostGo();
    PostGo();  // a double click: queued behind the first, handled in its frame
    HandlePosted();

    EXPECT_EQ(Rows(), (std::vector<Row>{{kSlotRows[0], kStop, kRowStopped}, Untested(1), Untested(2), Untested(3)}));
    EXPECT_EQ(Requests(0xF0), kIdentityReadsPerScan) << "one scan, not two";
    EXPECT_EQ(station->Card('E')->ClustersWritten(), 0u);
    ExpectIdle();

    // The request ended with its run: the next GO tests every card.
    station->ClearLog();
    PostGo();
    HandlePosted();
    EXPECT_EQ(Rows(), AllPassed());
    EXPECT_EQ(Requests(0xF0), kIdentityReadsPerScan);
}

TEST_F(RunControl, GoAfterTheScanHasEndedStartsNothingAndIsNotKeptForTheNextRun) {
    OpenOnStation();
    bool sawRunning = false;
    bool pressed = false;
    window->onPump = [&] {
        if (window->Running() != 0) {
            sawRunning = true;
        } else if (sawRunning && !pressed) {
            PostGo();  // into the pumps that follow the scan, inside the frame
            pressed = true;
        }
    };
    PostGo();
    HandlePosted();
    ASSERT_TRUE(pressed);
    EXPECT_EQ(Rows(), AllPassed());
    EXPECT_EQ(Requests(0xF0), kIdentityReadsPerScan) << "no second run inside the first";
    ExpectIdle();

    window->onPump = nullptr;
    station->ClearLog();
    PostGo();
    HandlePosted();
    EXPECT_EQ(Rows(), AllPassed());
    EXPECT_EQ(Requests(0xF0), kIdentityReadsPerScan);
}

TEST_F(RunControl, AnExceptionEscapingAPumpMidRunLeavesTheWindowIdleAndUsable) {
    OpenOnStation();
    window->onPump = [&] {
        if (Testing(1)) throw std::runtime_error("a handler failed");
    };
    EXPECT_THROW(window->OnGo(), std::runtime_error);
    ExpectIdle();
    EXPECT_EQ(station->OpenHandles(), 0u);

    window->onPump = nullptr;
    PostGo();
    HandlePosted();
    EXPECT_EQ(Rows(), AllPassed()) << "GO starts a whole run again";
    ::PostMessageA(dialog, WM_CLOSE, 0, 0);
    HandlePosted();
    EXPECT_TRUE(window->IsEnded()) << "the window closes again";
}

// The drive watch runs on timer messages; a first one learns the drives.
class DriveWatch : public RunControl {
protected:
    void Tick(WPARAM id = 1) const { ::SendMessageA(dialog, WM_TIMER, id, 0); }
    // From the pump before the test of `row`: the clock reaches the vanishing
    // time and the timer message follows in that pump.
    void VanishBeforeTestOf(int row, WPARAM timerId = 1) {
        window->onPump = [this, row, timerId] {
            if (vanished || !Testing(row)) return;
            statusBefore = Status();
            station->AdvanceClock(kVanishMs);
            ::PostMessageA(dialog, WM_TIMER, timerId, 0);
            vanished = true;
        };
    }

    static constexpr std::uint64_t kVanishMs = 1000;
    bool vanished = false;
    std::string statusBefore;
};

TEST_F(DriveWatch, UnpluggingTheReaderMidRunTakesItsRowsAndClearsTheStatusLine) {
    for (std::size_t slot = kFirstSlot; slot <= kDriveH; ++slot) config.drives[slot].faults.vanishAtMs = kVanishMs;
    OpenOnStation();
    Tick();
    VanishBeforeTestOf(1);
    PostGo();
    HandlePosted();

    ASSERT_TRUE(vanished);
    EXPECT_EQ(statusBefore, kChipText);
    EXPECT_EQ(RowCount(list), 0);
    EXPECT_EQ(Status(), "");
    ExpectIdle();
}

TEST_F(DriveWatch, AnUnrelatedDriveVanishingStopsTheRun) {
    config.drives[kDriveC].faults.vanishAtMs = kVanishMs;
    OpenOnStation();
    Tick(77);
    VanishBeforeTestOf(1, 77);  // whatever the timer's id
    PostGo();
    HandlePosted();

    ASSERT_TRUE(vanished);
    EXPECT_EQ(Rows(), (std::vector<Row>{{kSlotRows[0], kSuccess, kRowPassed},
                                        {kSlotRows[1], kStop, kRowStopped},
                                        Untested(2),
                                        Untested(3)}));
    EXPECT_EQ(Status(), kChipText) << "rows are left";
    ExpectIdle();
}

TEST_F(DriveWatch, TheVanishedSlotsRowGoesAndTheOthersStay) {
    config.drives[kDriveH].faults.vanishAtMs = kVanishMs;
    OpenOnStation();
    Tick();
    VanishBeforeTestOf(3);
    PostGo();
    HandlePosted();

    ASSERT_TRUE(vanished);
    std::vector<Row> passed = AllPassed();
    passed.pop_back();
    EXPECT_EQ(Rows(), passed);
    EXPECT_EQ(Status(), kChipText);
    ExpectIdle();
}

TEST_F(DriveWatch, TakesTheRowsOfAVanishedDrivesSlotWhereTheyNameTheDrive) {
    // E: does not answer INQUIRY: its row is the bare drive text.
    config.drives[kFirstSlot].faults.commands.push_back(CommandFault{kScsiInquiry, std::nullopt, true, 0});
    for (std::size_t slot = kFirstSlot; slot <= kDriveH; ++slot) config.drives[slot].faults.vanishAtMs = 2 * kVanishMs;
    config.drives[kFirstSlot].faults.vanishAtMs = config.drives[kFirstSlot + 1].faults.vanishAtMs = kVanishMs;
    OpenOnStation();
    PostGo();
    HandlePosted();
    std::vector<Row> rows = AllPassed();
    rows[0].text = "E:";
    ASSERT_EQ(Rows(), rows);
    Tick();
    Tick();
    EXPECT_EQ(Rows(), rows) << "no drive went";

    station->AdvanceClock(kVanishMs);
    Tick();
    rows.erase(rows.begin() + 1);
    EXPECT_EQ(Rows(), rows) << "F:'s row goes; E:'s, the bare drive text, stays";
    EXPECT_EQ(Status(), kChipText);
    EXPECT_EQ(window->Running(), 0);

    window->DeleteRow(0);
    station->AdvanceClock(kVanishMs);
    Tick();
    EXPECT_EQ(RowCount(list), 0);
    EXPECT_EQ(Status(), "") << "the list became empty";
}

TEST_F(DriveWatch, ADriveVanishingWhileIdleLeavesNoStopForTheNextRun) {
    config.drives[kDriveC].faults.vanishAtMs = kVanishMs;
    OpenOnStation();
    window->SetStatusText(kChipText);
    Tick();
    station->AdvanceClock(kVanishMs);
    Tick();
    EXPECT_EQ(Status(), "") << "the list is empty after the removal";
    PostGo();
    HandlePosted();
    EXPECT_EQ(Rows(), AllPassed()) << "a vanishing drive leaves no stop behind";
}

TEST_F(DriveWatch, AQuitTakenMidRunLeavesTheTimerWorkingAndEndsTheProgramAfterTheRun) {
    config.drives[kDriveC].faults.vanishAtMs = kVanishMs;
    OpenOnStation();
    Tick();
    constexpr UINT_PTR kQuickTimer = 77;
    bool ticked = false;
    window->onPump = [&] {
        if (window->pumps == 1) ::PostQuitMessage(7);
        if (ticked || !Testing(1)) return;
        // A real timer, due before this pump looks: a quit put back at once
        // would come before it in every pump from here on.
        station->AdvanceClock(kVanishMs);
        ::SetTimer(dialog, kQuickTimer, USER_TIMER_MINIMUM, nullptr);
        ::Sleep(50);
        ticked = true;
    };
    PostGo();
    HandlePosted();
    ::KillTimer(dialog, kQuickTimer);

    ASSERT_TRUE(ticked);
    EXPECT_EQ(Rows(), (std::vector<Row>{{kSlotRows[0], kSuccess, kRowPassed},
                                        {kSlotRows[1], kStop, kRowStopped},
                                        Untested(2),
                                        Untested(3)}))
        << "the drive watch stopped the run";
    ExpectIdle();
    MSG quit;
    ASSERT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit is back for the program";
    EXPECT_EQ(quit.wParam, 7u);
}

// EEPROM mode, switched on in the setup dialog.
class EepromRun : public RunControl {
protected:
    void ChooseEepromModeInSetup() {
        test::DialogDriver driver([&] {
            SetupDialog* setup = test::FindDialog<SetupDialog>();
            if (setup == nullptr) return false;
            ::SendDlgItemMessageA(setup->GetSafeHwnd(), IDC_FUNCTION_EEPROM, BM_CLICK, 0, 0);
            test::Click(setup->GetSafeHwnd(), IDOK);
            return true;
        });
        ::SendMessageA(dialog, WM_COMMAND, IDM_SETTING, 0);
        EXPECT_TRUE(driver.Done());
        EXPECT_FALSE(driver.GaveUp());
    }
    // Drive and operation of every request, with the vendor sub-operation.
    std::vector<std::pair<char, std::uint16_t>> Commands() const {
        std::vector<std::pair<char, std::uint16_t>> commands;
        for (const SimRequest& request : station->Log().requests) {
            const std::uint16_t sub = request.cdb[0] == 0xF2 ? request.cdb[1] : 0;
            commands.emplace_back(request.drive, static_cast<std::uint16_t>(request.cdb[0] << 8 | sub));
        }
        return commands;
    }
    // One programming run: C: is examined and refused, E: is the reader; its
    // EEPROM read, eleven ten-byte writes and an empty one, and the read back.
    static std::vector<std::pair<char, std::uint16_t>> OneRun() {
        std::vector<std::pair<char, std::uint16_t>> run = {{'C', 0xF000}, {'E', 0xF000}, {'E', 0x1200}, {'E', 0xF220}};
        for (int piece = 0; piece < 12; ++piece) run.emplace_back('E', 0xF221);
        run.emplace_back('E', 0xF220);
        return run;
    }
};

TEST_F(EepromRun, GoProgramsTheFirstReaderAndASecondGoWaitsForTheFirstRun) {
    constexpr std::uint64_t kUnpluggedMs = 60000;
    config.drives[kFirstSlot].faults.vanishAtMs = kUnpluggedMs;
    OpenOnStation();
    ChooseEepromModeInSetup();
    ASSERT_EQ(RowCount(list), 11);
    EXPECT_EQ(test::Columns(list)[0].heading, "Name");
    EXPECT_EQ(test::ToolText(window->ToolTipWindow(), go), "Write EEPROM");

    PostGo();
    PostGo();
    HandlePosted();

    EXPECT_EQ(window->pumps, 0) << "the programming run handles no message";
    std::vector<std::pair<char, std::uint16_t>> twoRuns = OneRun();
    const auto second = OneRun();
    twoRuns.insert(twoRuns.end(), second.begin(), second.end());
    EXPECT_EQ(Commands(), twoRuns) << "the second GO ran after the first, not inside it";
    EXPECT_EQ(station->Log().eepromWrites.size(), 24u);

    ASSERT_EQ(RowCount(list), 12) << "the first run's row was replaced";
    EXPECT_EQ(CellText(list, 0, 0), "Productor");
    EXPECT_EQ(CellText(list, 0, 1), "USBCard Reader");
    EXPECT_EQ(CellText(list, 11, 0), "CF Card         ");
    EXPECT_EQ(CellText(list, 11, 1), "Write EEPROM success.");
    EXPECT_EQ(test::RowImage(list, 11), kRowPassed);
    EXPECT_EQ(Status(), kChipText);

    std::array<std::uint8_t, kSimEepromSize> expected;
    expected.fill(0xFF);  // a fresh reader's erased EEPROM
    BuildConfigurationImage(*station, expected.data(), window->SettingsPathText());
    EXPECT_EQ(station->Eeprom(0), expected);
    EXPECT_EQ(station->Eeprom(0)[0], 0x71);
    EXPECT_EQ(station->Eeprom(0)[1], 0x3C);
    EXPECT_EQ(station->Eeprom(0)[2], 0x08);
    EXPECT_EQ(station->Eeprom(0)[3], 0x53);

    EXPECT_EQ(window->Running(), 0);
    EXPECT_TRUE(ExitEnabled());
    EXPECT_TRUE(test::Enabled(dialog, IDC_GO));
    EXPECT_EQ(test::ToolText(window->ToolTipWindow(), go), "Write EEPROM");
    EXPECT_EQ(test::ItemText(dialog, IDC_SHIFT_COUNTS),
              "Tested 2   Passed 2   Failed 0   Yield 100.0 %   Not judged 0");
    EXPECT_FALSE(window->IsEnded());

    ::SendMessageA(dialog, WM_TIMER, 1, 0);
    station->AdvanceClock(kUnpluggedMs);
    ::SendMessageA(dialog, WM_TIMER, 1, 0);
    EXPECT_EQ(Rows().back(), (Row{"CF Card         ", "Write EEPROM success.", kRowPassed}))
        << "the unplugged reader's result stays for the operator";
}

// The settings file edited by hand while the window is open: GO first makes
// the window follow it, and programs nothing while it holds a refused value.
TEST_F(EepromRun, GoFollowsAHandEditedFileAndRefusesWhatTheReaderCannotHold) {
    OpenOnStation();
    folder.WriteSettings("[Program set]\r\nWR=1\r\n[VX5308]\r\nCFSpeed=2\r\n");
    PostGo();
    HandlePosted();
    EXPECT_EQ(test::Columns(list)[0].heading, "Name");
    EXPECT_EQ(GoTip(), "Write EEPROM");
    ASSERT_EQ(RowCount(list), 12);
    EXPECT_EQ(CellText(list, 4, 1), "\"2\" is not 0 (High) or 1 (Low)");
    EXPECT_EQ(test::RowImage(list, 4), kRowFailed);
    EXPECT_EQ(Rows().back(), (Row{"CF Card         ", "Write EEPROM unsuccess.", kRowFailed}));
    EXPECT_EQ(Status(), "CFSpeed: \"2\" is not 0 (High) or 1 (Low)");
    EXPECT_TRUE(station->Log().eepromWrites.empty());

    // Mended by hand: the listing shows the new value as this GO writes it.
    folder.WriteSettings("[Program set]\r\nWR=1\r\n[VX5308]\r\nCFSpeed=1\r\n");
    PostGo();
    HandlePosted();
    ASSERT_EQ(RowCount(list), 12);
    EXPECT_EQ(CellText(list, 4, 1), "Low");
    EXPECT_EQ(Rows().back(), (Row{"CF Card         ", "Write EEPROM success.", kRowPassed}));
    EXPECT_EQ(Status(), kChipText);
    EXPECT_EQ(station->Eeprom(0)[98], 1);

    folder.WriteSettings("[Program set]\r\nWR=0\r\n");
    PostGo();
    HandlePosted();
    EXPECT_EQ(test::Columns(list)[0].heading, "Card Type");
    EXPECT_EQ(Rows(), AllPassed());
    ExpectIdle();
}

// Windows itself, where no drive answers as a reader. Only the program's path
// is moved, so that the settings lie in a folder of the test's own.
class OnWindows : public RunControl {
protected:
    class Win32InFolder final : public test::ForwardingPlatform {
    public:
        Win32InFolder(Platform& windows, Platform& folder) : ForwardingPlatform(windows), folder(folder) {}
        std::uint32_t GetModuleFileNameA(char* buffer, std::uint32_t bufferSize) override {
            return folder.GetModuleFileNameA(buffer, bufferSize);
        }

    private:
        Platform& folder;
    };

    Win32Platform windows;
    Win32InFolder platform{windows, folder.GetPlatform()};
};

TEST_F(OnWindows, GoExaminesEveryDriveHarmlesslyAndSaysItFoundNoReader) {
    Open(platform);
    EXPECT_EQ(window->SettingsPathText(), folder.SettingsPath());
    PostGo();
    HandlePosted();

    EXPECT_EQ(Rows(), (std::vector<Row>{{"No card reader device.", "", kRowFailed}}));
    EXPECT_EQ(Status(), "");
    ExpectIdle();
}

}  // namespace
}  // namespace talven
