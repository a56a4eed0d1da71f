// What GO does, as portable code over the operating-system seam and the main
// window's view: reader discovery, the test sequence over all slots and the
// EEPROM programming run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "production/TestEngine.h"
#include "production/ProductionView.h"
#include "production/ReaderSlot.h"
#include "production/SpeedRule.h"
#include "production/Verdict.h"
#include "production/WornCardWatch.h"
#include "production/VerdictSink.h"
#include "settings/SettingsSnapshot.h"

namespace talven {

class ReaderDevice;

class ProductionRuns {
public:
    // Every verdict shown goes to `sink` as well, when there is one.
    ProductionRuns(Platform& platform, ProductionView& view, const char* settingsPath, VerdictSink* sink = nullptr)
        : platform(platform), view(view), settingsPath(settingsPath), sink(sink) {}

    // ---- Discovery ----
    // The test-mode scan: sets `running`, examines every drive, runs the test
    // sequence when exactly four were accepted, clears `running`.
    bool ScanReaders(const SettingsSnapshot& settings);
    // Up to 12 TEST UNIT READY commands, 500 ms apart, when `retry` is true.
    bool WaitUntilReady(ReaderDevice* device, bool retry);
    // The drive text of the first reader, whose row it appends; empty if none.
    std::string FindFirstReader();

    // ---- Read/write test ----
    // One card's test (TestEngine), its progress in the slot's row.
    TestOutcome TestDrive(const ReaderSlot& slot, const SettingsSnapshot& settings, TestFigures& figures);

    // ---- EEPROM programming ----
    void RunEepromProgramming(const SettingsSnapshot& settings);

    // What the shift's counts make of the run.
    RunJudgement Judgement() const { return tally.Judgement(); }
    // The read/write test's verdicts go to `suspects` as well, and the
    // record's warning column names the positions it holds suspect at GO.
    void WatchSlots(WornCardWatch* watched) { suspects = watched; }

private:
    void ExamineDrives(std::uint32_t driveMask, const SettingsSnapshot& settings);
    bool ExamineDrive(const std::string& driveText, bool waitForCard);
    void ReadReaderIdentity(ReaderDevice& device, ReaderSlot& slot);
    // A new slot for row `row`, whose slot number it sets.
    ReaderSlot& AddSlot(std::uint16_t row, const std::string& chip, const std::string& drive,
                        const std::string& product, bool rowNamesDrive);
    void RunTestSequence(const SettingsSnapshot& settings);
    // The status line names a set test amount per card.
    void ShowTestAmount(const SettingsSnapshot& settings);
    // One slot: its readiness wait, its test and its verdict; false ends the sequence.
    bool TestSlot(ReaderSlot& slot, const SettingsSnapshot& settings);
    bool EndSlot(ReaderSlot& slot, TestOutcome outcome, const TestFigures& figures, const SettingsSnapshot& settings);

    // A slot's result goes to its own row, even when rows above it were
    // removed meanwhile; a removed row gets nothing.
    void ShowRowText(const ReaderSlot& slot, const std::string& text);
    void ShowRowIcon(const ReaderSlot& slot, int icon);
    // The verdict in the slot's row, then handed on.
    void ShowVerdict(ReaderSlot& slot, const Verdict& verdict);

    // A verdict of `face` for `slot` (none: no reader), of this GO's mode.
    Verdict NewVerdict(const VerdictFace& face, const ReaderSlot* slot) const;
    // Starts a GO: its mode, this GO's folder for the sink, and what the
    // status line says of the settings of `section` for the record's
    // warning column.
    void BeginGo(const SettingsSnapshot& settings, const char* section, unsigned modeText);
    // A shown verdict goes to the counts, and to the sink once a run for a
    // slot whose row is still there. A verdict of no slot has no row.
    void HandOn(ReaderSlot* slot, Verdict verdict);
    // The first reader's row and verdict, or the no-reader row.
    void ProgramFirstReader(const std::string& driveText, bool refused, const SettingsSnapshot& settings);

    Platform& platform;
    ProductionView& view;
    const char* settingsPath;
    VerdictSink* sink;
    WornCardWatch* suspects = nullptr;
    std::uint32_t run = 0;  // the record's run number, taken at the first verdict
    std::string runMode;
    std::string runWarning;
    std::string runLot;
    std::vector<ReaderSlot> slots;  // in the order discovery listed them
    RunTally tally;
};

}  // namespace talven
