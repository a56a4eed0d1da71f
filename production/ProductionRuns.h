// What GO does, as portable code over the operating-system seam and the main
// window's view: reader discovery, the read/write test of one card, the test
// sequence over all slots and the EEPROM programming run.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/Platform.h"
#include "production/ProductionView.h"
#include "production/ShiftCounts.h"

namespace talven {

class ReaderDevice;
class VerdictRecord;
struct Verdict;
enum class VerdictWord : std::uint8_t;

// Result of one card's read/write test.
enum class TestOutcome : std::uint8_t {
    Passed = 0,
    WriteFailed = 1,
    ReadFailed = 2,
    CompareFailed = 3,
    DiskRemoved = 4,  // the file layer reported an error in a write or a read
    Stopped = 5,
};

// What one card's test moved and how long its phases took by the seam's
// clock. A phase is measured only when it ran to its end.
struct TestFigures {
    std::uint64_t bytesWritten = 0;
    std::uint64_t bytesRead = 0;
    std::uint64_t writeMs = 0;
    std::uint64_t readMs = 0;
    std::uint64_t totalMs = 0;
    bool writeMeasured = false;
    bool readMeasured = false;
};

// MB/s (10^6 bytes a second); a phase quicker than the clock's millisecond
// counts as one.
double MegabytesPerSecond(std::uint64_t bytes, std::uint64_t milliseconds);

// File sizes by the settings key FS, and the largest request the engine sends.
inline constexpr std::uint32_t kSmallTestFileSize = 0x100000;
inline constexpr std::uint32_t kLargeTestFileSize = 0x200000;
// At most this many test files per card; a card that would need more gets
// larger files. Windows keeps a lower-case 8.3 name in one root entry, other
// systems add a long-name entry: there a 512-entry FAT12/16 root (one entry
// the volume label's) holds 255 test files.
inline constexpr std::uint32_t kMaxTestFiles = 128;
// Every sector of this size in a test file starts with its file number and
// its index within the file (two little-endian 32-bit numbers).
inline constexpr std::uint32_t kStampedSectorSize = 512;
inline constexpr std::uint32_t kSectorStampSize = 8;
// Clusters above this size are taken for a broken volume, not tested.
inline constexpr std::uint32_t kMaxClusterSize = 32u << 20;

class ProductionRuns {
public:
    // Every verdict shown goes to `record` as well, when there is one.
    ProductionRuns(Platform& platform, ProductionView& view, const char* settingsPath,
                   VerdictRecord* record = nullptr)
        : platform(platform), view(view), settingsPath(settingsPath), record(record) {}

    // ---- Discovery ----
    // The test-mode scan: sets `running`, examines every drive, runs the test
    // sequence when exactly four were accepted, clears `running`.
    bool ScanReaders();
    // Up to 12 TEST UNIT READY commands, 500 ms apart, when `retry` is true.
    bool WaitUntilReady(ReaderDevice* device, bool retry);
    // The drive text of the first reader, whose row it appends; empty if none.
    std::string FindFirstReader();

    // ---- Read/write test ----
    TestOutcome TestDrive(const std::string& driveText, std::uint16_t row, TestFigures* figures = nullptr);
    // Deletes test files 0 to `created` - 1 whatever gaps lie between them,
    // then the ones after as far as they continue. False when a test file
    // that was found could not be deleted.
    bool DeleteTestFiles(const std::string& driveText, std::uint32_t created = 0);

    // ---- EEPROM programming ----
    void RunEepromProgramming();

    // What the shift's counts make of the run.
    RunJudgement Judgement() const { return tally.Judgement(); }

private:
    void ExamineDrives(std::uint32_t driveMask);
    bool ExamineDrive(const std::string& driveText, bool waitForCard);
    void RunTestSequence();
    // One slot: its readiness wait, its test and its verdict; false ends the sequence.
    bool TestRow(std::uint16_t row);
    bool EndRow(const std::string& rowText, std::uint16_t row, TestOutcome outcome, const TestFigures& figures);
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
    // The settings' refusal of their lowest speed, as the status line says it; empty when it is good.
    std::string MinimumSpeedRefusal() const;
    // Whether a slot's speed is under the lowest one the settings accept.
    bool TooSlow(const TestFigures& figures) const;
    void ShowSpeed(const std::string& rowText, int row, const TestFigures& figures);

    Platform& platform;
    ProductionView& view;
    const char* settingsPath;
    VerdictRecord* record;
    std::uint32_t run = 0;  // the record's run number, taken at the first verdict
    std::map<std::string, SlotSeen> slots;
    RunTally tally;
};

}  // namespace talven
