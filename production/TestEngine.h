// The read/write test of one card: its test files, their deletion pass and
// its progress text in the slot's row.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/PageBuffer.h"
#include "platform/Platform.h"
#include "production/ProductionView.h"
#include "production/ReaderSlot.h"
#include "production/Verdict.h"
#include "settings/SettingsSnapshot.h"

namespace talven {

// File sizes by the settings key FS, and the largest request the engine sends.
inline constexpr std::uint32_t kSmallTestFileSize = 0x100000;
inline constexpr std::uint32_t kLargeTestFileSize = 0x200000;
// At most this many test files per card; a card that would need more gets
// larger files. Windows keeps a lower-case 8.3 name in one root entry, other
// systems add a long-name entry: there a 512-entry FAT12/16 root (one entry
// the volume label's) holds 255 test files.
inline constexpr std::uint32_t kMaxTestFiles = 128;
// No test file is larger than FAT32 holds; a card that needs more than
// kMaxTestFiles of them gets more files (its root is FAT32's or exFAT's, which grow).
inline constexpr std::uint32_t kMaxTestFileBytes = 0xFFFFFFFFu;
// Every sector of this size in a test file starts with its file number and
// its index within the file (two little-endian 32-bit numbers), then the
// card test's own stamp (64-bit): data an earlier test left compares wrong.
inline constexpr std::uint32_t kStampedSectorSize = 512;
inline constexpr std::uint32_t kSectorStampSize = 16;
// Clusters above this size are taken for a broken volume, not tested.
inline constexpr std::uint32_t kMaxClusterSize = 32u << 20;

// How a card's free clusters are cut into test files: the clusters of each
// but the last, and how many files it may get at most.
struct TestFilePlan {
    std::uint32_t clustersPerFile = 0;
    std::uint32_t fileLimit = 0;
};
TestFilePlan PlanTestFiles(std::uint32_t freeClusters, std::uint32_t clusterSize, std::uint32_t requestClusters);

// Deletes test files 0 to `created` - 1 of a drive whatever gaps lie between
// them, then the ones after as far as they continue. False when a test file
// that was found could not be deleted.
bool DeleteTestFiles(Platform& platform, const std::string& driveText, std::uint32_t created = 0);

// One card's test: its figures, its four buffers, the files it created and
// its progress in the slot's row.
class TestEngine {
public:
    TestEngine(Platform& platform, ProductionView& view, const SettingsSnapshot& settings, const ReaderSlot& slot)
        : platform(platform), view(view), settings(settings), slot(slot), driveText(slot.drive) {}

    TestOutcome Run();

    TestFigures figures;

private:
    TestOutcome SetUp();
    bool FillPatterns(std::uint32_t requestBytes);
    std::uint64_t RunStamp();
    // One call to the card, its time added to `ticks`.
    template <class Call>
    auto TimedIo(std::uint64_t& ticks, Call call) {
        const std::uint64_t start = platform.QueryPerformanceCounter();
        const auto result = call();
        const std::uint64_t end = platform.QueryPerformanceCounter();
        ticks += end > start ? end - start : 0;
        return result;
    }
    bool QueryFreeClusters(std::uint32_t& freeClusters);
    // The free clusters the test may still fill: all of them, or what is
    // left of the amount TestMiB sets.
    std::uint32_t Untested(std::uint32_t freeClusters) const;
    TestOutcome WritePhase();
    TestOutcome WriteFile(std::uint32_t number);
    TestOutcome WriteClusters(Handle file, std::uint32_t number, std::uint32_t clusters);
    TestOutcome ReadPhase();
    TestOutcome VerifyFile(std::uint32_t number);
    TestOutcome ReadAndCompare(Handle file, std::uint32_t number, std::uint64_t expected);
    TestOutcome FailAndDelete(TestOutcome outcome);
    void ShowProgress();
    bool Stopped() { return view.Running() == 0; }
    std::uint8_t* Pattern(std::uint32_t number) const;
    std::uint32_t RequestBytes() const { return requestClusters * clusterSize; }

    Platform& platform;
    ProductionView& view;
    const SettingsSnapshot& settings;
    const ReaderSlot& slot;
    const std::string& driveText;

    std::uint32_t clusterSize = 0;
    std::uint32_t startFreeClusters = 0;        // what the progress text counts to
    std::uint32_t amountClusters = UINT32_MAX;  // TestMiB in clusters; no limit for the whole card
    std::uint32_t clustersPerFile = 0;
    std::uint32_t fileLimit = kMaxTestFiles;
    std::uint32_t requestClusters = 0;
    std::uint32_t created = 0;                // test files created, whatever became of them
    std::vector<std::uint32_t> fileClusters;  // clusters written into each file
    std::uint32_t progress = 0;
    PageBuffer counting, allAa, all55, readBack;
};

}  // namespace talven
