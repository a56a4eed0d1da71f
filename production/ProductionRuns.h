// What GO does, as portable code over the operating-system seam and the main
// window's view: reader discovery, the test sequence over all slots and the
// EEPROM programming run.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/Platform.h"
#include "production/CardTest.h"
#include "production/ProductionView.h"
#include "production/SpeedRule.h"
#include "settings/SettingsSnapshot.h"

namespace talven {

class ReaderDevice;
class VerdictRecord;
struct Verdict;
enum class VerdictWord : std::uint8_t;

class ProductionRuns {
public:
    // Every verdict shown goes to `record` as well, when there is one.
    ProductionRuns(Platform& platform, ProductionView& view, const char* settingsPath,
                   VerdictRecord* record = nullptr)
        : platform(platform), view(view), settingsPath(settingsPath), record(record) {}

    // ---- Discovery ----
    // The test-mode scan: sets `running`, examines every drive, runs the test
    // sequence when exactly four were accepted, clears `running`. Without a
    // snapshot it reads the settings now.
    bool ScanReaders();
    bool ScanReaders(const SettingsSnapshot& settings);
    // Up to 12 TEST UNIT READY commands, 500 ms apart, when `retry` is true.
    bool WaitUntilReady(ReaderDevice* device, bool retry);
    // The drive text of the first reader, whose row it appends; empty if none.
    std::string FindFirstReader();

    // ---- Read/write test ----
    // One card's test (CardTest) with the settings read now, its progress in row `row`.
    TestOutcome TestDrive(const std::string& driveText, std::uint16_t row, TestFigures* figures = nullptr);

    // ---- EEPROM programming ----
    void RunEepromProgramming();
    void RunEepromProgramming(const SettingsSnapshot& settings);

private:
    void ExamineDrives(std::uint32_t driveMask, const SettingsSnapshot& settings);
    bool ExamineDrive(const std::string& driveText, bool waitForCard);
    void RunTestSequence(const SettingsSnapshot& settings);
    // One slot: its readiness wait, its test and its verdict; false ends the sequence.
    bool TestRow(std::uint16_t row, const SettingsSnapshot& settings);
    bool EndRow(const std::string& rowText, std::uint16_t row, TestOutcome outcome, const TestFigures& figures,
                const SettingsSnapshot& settings);
    void ShowRowText(const std::string& rowText, int row, unsigned id);
    void ShowRowIcon(const std::string& rowText, int row, int icon);

    // What discovery learnt of a row, for its record.
    struct SlotSeen {
        std::string chip;
        std::string drive;
        std::string product;
        bool recorded = false;
    };

    void NoteSlot(const std::string& rowText, const std::string& chip, const std::string& drive,
                  const std::string& product);
    // The row's verdict goes to the record, once a run; `verdict` holds what
    // only the caller knows (texts, word, figures, image fields).
    void RecordRow(const std::string& rowText, Verdict verdict);
    void RecordRow(const std::string& rowText, unsigned textId, VerdictWord word, const TestFigures* figures);
    SettingsSnapshot ReadSettings() const { return SettingsSnapshot(SettingsFile(platform, settingsPath)); }

    Platform& platform;
    ProductionView& view;
    const char* settingsPath;
    VerdictRecord* record;
    std::uint32_t run = 0;  // the record's run number, taken at the first verdict
    std::map<std::string, SlotSeen> slots;
};

}  // namespace talven
