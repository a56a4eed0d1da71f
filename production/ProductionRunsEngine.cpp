// The read/write test of one card: fill its free space with numbered test
// files in three patterns, read every file back from the medium, compare it
// cluster by cluster, and delete the files again on every path.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/PageBuffer.h"
#include "production/ProductionRuns.h"
#include "resources/StringTable.h"
#include "settings/SettingsFile.h"

namespace talven {

namespace {

// A card that refuses every deletion (write protection switched on during the
// test) must not make the deletion pass walk every possible file number.
constexpr std::uint32_t kMaxFailedDeletionsInARow = 16;

std::string TestFilePath(const std::string& driveText, std::uint32_t number) {
    char name[32];
    std::snprintf(name, sizeof name, "\\test%u.bin", static_cast<unsigned>(number));
    return driveText + name;
}

// A test file open on the medium; closed when it goes, on every path.
class OpenTestFile {
public:
    OpenTestFile(Platform& platform, Handle handle) : platform(platform), handle(handle) {}
    ~OpenTestFile() { Close(); }
    OpenTestFile(const OpenTestFile&) = delete;
    OpenTestFile& operator=(const OpenTestFile&) = delete;

    Handle Get() const { return handle; }
    bool IsOpen() const { return handle != kInvalidHandle; }
    void Close() {
        if (handle != kInvalidHandle) platform.FileClose(handle);
        handle = kInvalidHandle;
    }

private:
    Platform& platform;
    Handle handle;
};

// One card's test: its figures, its four buffers and its progress.
class CardTest {
public:
    CardTest(Platform& platform, ProductionView& view, ProductionRuns& runs, const char* settingsPath,
             const std::string& driveText, std::uint16_t row)
        : platform(platform),
          view(view),
          runs(runs),
          settingsPath(settingsPath),
          driveText(driveText),
          row(row),
          rowText(view.RowText(row)) {}

    TestOutcome Run() {
        TestOutcome outcome = SetUp() ? WritePhase() : TestOutcome::WriteFailed;
        if (outcome == TestOutcome::Passed) outcome = ReadPhase();
        runs.DeleteTestFiles(driveText);
        return outcome;  // the buffers go with this object
    }

private:
    bool SetUp();
    TestOutcome WritePhase();
    TestOutcome WriteFile(std::uint32_t number, std::uint32_t clusters);
    TestOutcome ReadPhase();
    TestOutcome VerifyFile(std::uint32_t number);
    void ShowProgress();
    bool Stopped() { return view.Running() == 0; }
    const std::uint8_t* Pattern(std::uint32_t number) const {
        switch (number % 3) {
            case 0: return counting.Data();
            case 1: return allAa.Data();
            default: return all55.Data();
        }
    }
    bool MatchesPattern(const std::uint8_t* pattern, std::uint32_t bytes) const;

    Platform& platform;
    ProductionView& view;
    ProductionRuns& runs;
    const char* settingsPath;
    const std::string& driveText;
    const std::uint16_t row;
    const std::string rowText;  // the slot's row is found again by it

    std::uint32_t clusterSize = 0;
    std::uint32_t freeClusters = 0;
    std::uint32_t clustersPerFile = 0;
    std::uint32_t requestClusters = 0;
    std::uint32_t fileCount = 0;
    std::uint32_t lastFileClusters = 0;  // clusters written into the last file
    std::uint32_t progress = 0;
    PageBuffer counting, allAa, all55, readBack;
};

bool CardTest::SetUp() {
    const SettingsFile settings(platform, settingsPath);
    const std::uint32_t fileSize = settings.LargeTestFiles() ? kLargeTestFileSize : kSmallTestFileSize;

    // Windows wants the root with its backslash; the figures are only used
    // when the query succeeded and describe a cluster we can hold.
    DiskFreeSpace space;
    if (!platform.GetDiskFreeSpaceA((driveText + "\\").c_str(), space)) return false;
    const std::uint64_t size = std::uint64_t{space.sectorsPerCluster} * space.bytesPerSector;
    if (size == 0 || size > kMaxClusterSize) return false;
    clusterSize = static_cast<std::uint32_t>(size);
    freeClusters = space.freeClusters;

    // A cluster larger than a file still makes one cluster a file.
    clustersPerFile = std::max<std::uint32_t>(1, fileSize / clusterSize);
    // Uncached one-cluster requests run flash cards at a fraction of their
    // speed: move a whole file per request.
    requestClusters = clustersPerFile;
    const std::size_t requestBytes = std::size_t{requestClusters} * clusterSize;
    counting = PageBuffer(requestBytes);
    allAa = PageBuffer(requestBytes);
    all55 = PageBuffer(requestBytes);
    readBack = PageBuffer(requestBytes);
    if (!counting || !allAa || !all55 || !readBack) return false;
    for (std::size_t i = 0; i < requestBytes; ++i) counting.Data()[i] = static_cast<std::uint8_t>(i % clusterSize);
    std::memset(allAa.Data(), 0xAA, requestBytes);
    std::memset(all55.Data(), 0x55, requestBytes);
    return true;
}

void CardTest::ShowProgress() {
    char text[128];
    std::snprintf(text, sizeof text, view.LoadText(IDS_TESTING).c_str(), static_cast<unsigned>(progress),
                  static_cast<unsigned>(freeClusters));
    if (const int at = view.FindRow(rowText, row); at >= 0) view.SetRowText(at, text);
}

TestOutcome CardTest::WritePhase() {
    std::uint32_t clustersDone = 0;
    while (clustersDone < freeClusters) {
        if (Stopped()) return TestOutcome::Stopped;
        const std::uint32_t clusters = std::min(clustersPerFile, freeClusters - clustersDone);
        const TestOutcome outcome = WriteFile(fileCount, clusters);
        if (outcome != TestOutcome::Passed) return outcome;
        ++fileCount;
        clustersDone += clusters;
    }
    return TestOutcome::Passed;
}

TestOutcome CardTest::WriteFile(std::uint32_t number, std::uint32_t clusters) {
    OpenTestFile file(platform, platform.FileCreate(TestFilePath(driveText, number).c_str()));
    if (!file.IsOpen()) {
        runs.DeleteTestFiles(driveText);
        return TestOutcome::WriteFailed;
    }
    const std::uint8_t* pattern = Pattern(number);
    lastFileClusters = 0;
    for (std::uint32_t left = clusters; left > 0;) {
        const std::uint32_t inRequest = std::min(left, requestClusters);
        progress += inRequest;
        ShowProgress();
        view.PumpMessages();
        const std::uint32_t bytes = inRequest * clusterSize;
        const FileTransfer transfer = platform.FileWrite(file.Get(), pattern, bytes);
        // The file involved is closed before the deletion pass.
        if (transfer.fileError || transfer.bytes != bytes) return TestOutcome::DiskRemoved;
        left -= inRequest;
        lastFileClusters += inRequest;
        // A stop closes the file as usual; the next file boundary reports it.
        if (Stopped()) break;
        view.PumpMessages();
    }
    // What the card did not take before the close would not be read back.
    if (!platform.FileFlush(file.Get())) return TestOutcome::DiskRemoved;
    return TestOutcome::Passed;
}

TestOutcome CardTest::ReadPhase() {
    for (std::uint32_t number = 0; number < fileCount; ++number) {
        if (Stopped()) return TestOutcome::Stopped;
        const TestOutcome outcome = VerifyFile(number);
        if (outcome != TestOutcome::Passed) return outcome;
    }
    return TestOutcome::Passed;
}

bool CardTest::MatchesPattern(const std::uint8_t* pattern, std::uint32_t bytes) const {
    for (std::uint32_t at = 0; at < bytes; at += clusterSize) {
        const std::uint32_t length = std::min(clusterSize, bytes - at);
        if (std::memcmp(readBack.Data() + at, pattern + at, length) != 0) return false;
    }
    return true;
}

TestOutcome CardTest::VerifyFile(std::uint32_t number) {
    OpenTestFile file(platform, platform.FileOpen(TestFilePath(driveText, number).c_str()));
    if (!file.IsOpen()) {
        runs.DeleteTestFiles(driveText);
        return TestOutcome::ReadFailed;
    }
    const std::uint8_t* pattern = Pattern(number);
    const std::uint64_t expected =
        std::uint64_t{number + 1 == fileCount ? lastFileClusters : clustersPerFile} * clusterSize;
    const std::uint32_t requestBytes = requestClusters * clusterSize;
    std::uint64_t received = 0;
    for (;;) {
        const FileTransfer transfer = platform.FileRead(file.Get(), readBack.Data(), requestBytes);
        if (transfer.fileError) return TestOutcome::DiskRemoved;
        if (transfer.bytes == 0) break;
        view.PumpMessages();
        // Stopped inside the file: done without comparing; the next file
        // boundary, or the caller after the last file, reports the stop.
        if (Stopped()) return TestOutcome::Passed;
        received += transfer.bytes;
        if (received > expected || !MatchesPattern(pattern, transfer.bytes)) {
            file.Close();
            runs.DeleteTestFiles(driveText);
            return TestOutcome::CompareFailed;
        }
    }
    // A file that comes back shorter than it was written lost data.
    if (received != expected) {
        file.Close();
        runs.DeleteTestFiles(driveText);
        return TestOutcome::CompareFailed;
    }
    return TestOutcome::Passed;
}

}  // namespace

TestOutcome ProductionRuns::TestDrive(const std::string& driveText, std::uint16_t row) {
    CardTest test(platform, view, *this, settingsPath, driveText, row);
    return test.Run();
}

void ProductionRuns::DeleteTestFiles(const std::string& driveText) {
    std::uint32_t failedInARow = 0;
    for (std::uint32_t number = 0; number != UINT32_MAX; ++number) {
        const std::string path = TestFilePath(driveText, number);
        if (!platform.FileFind(path.c_str())) return;
        // A file that cannot be deleted does not stop the pass: the ones
        // after it still go.
        if (platform.FileDelete(path.c_str())) {
            failedInARow = 0;
        } else if (++failedInARow >= kMaxFailedDeletionsInARow) {
            return;
        }
    }
}

}  // namespace talven
