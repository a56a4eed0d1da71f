// The read/write test of one card: fill its free space with numbered test
// files in three patterns, each sector stamped with its place and with this
// test's own value, read every
// file back from the medium, compare every byte, and delete the files again
// on every path.
#include "production/TestEngine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numeric>

#include "resources/StringTable.h"

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

void PutLittleEndian(std::uint8_t* to, std::uint64_t value, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) to[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A step of splitmix64: every bit of the result depends on every bit of
// both, and for one `hash` no two values give the same result.
std::uint64_t Mix(std::uint64_t hash, std::uint64_t value) {
    std::uint64_t z = (hash ^ value) + 0x9E3779B97F4A7C15u;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

// Writes the file number and each sector's index within the file over the
// first bytes of every sector of a request that starts at `firstSector`: a
// sector read back from another file, from another place in its own file or
// from a card's wrapped end then differs from what is expected there. The
// run stamp after them is in the buffers already and never changes.
void StampSectors(std::uint8_t* data, std::size_t bytes, std::uint32_t number, std::uint64_t firstSector) {
    std::uint32_t sector = static_cast<std::uint32_t>(firstSector);
    for (std::size_t at = 0; at + 8 <= bytes; at += kStampedSectorSize, ++sector) {
        PutLittleEndian(data + at, number);
        PutLittleEndian(data + at + 4, sector);
    }
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

}  // namespace

// The figures are only taken when the query succeeded and describe a cluster
// we can hold; a cluster size that changes is another volume.
bool TestEngine::QueryFreeClusters(std::uint32_t& freeClusters) {
    DiskFreeSpace space;
    // Windows wants the root with its backslash.
    if (!platform.GetDiskFreeSpaceA((driveText + "\\").c_str(), space)) return false;
    const std::uint64_t size = std::uint64_t{space.sectorsPerCluster} * space.bytesPerSector;
    if (size == 0 || size > kMaxClusterSize || (clusterSize != 0 && size != clusterSize)) return false;
    clusterSize = static_cast<std::uint32_t>(size);
    freeClusters = space.freeClusters;
    return true;
}

TestOutcome TestEngine::Run() {
    const std::uint64_t start = platform.GetTickCount64();
    figures.ticksPerSecond = platform.QueryPerformanceFrequency();
    TestOutcome outcome = SetUp();
    if (outcome == TestOutcome::Passed) outcome = WritePhase();
    figures.writeMeasured = outcome == TestOutcome::Passed;
    if (outcome == TestOutcome::Passed) {
        outcome = ReadPhase();
        figures.readMeasured = outcome == TestOutcome::Passed;
    }
    // Deleting is writing: a card that keeps a test file has not passed.
    if (!DeleteTestFiles(platform, driveText, created) && outcome == TestOutcome::Passed)
        outcome = TestOutcome::WriteFailed;
    figures.totalMs = platform.GetTickCount64() - start;
    return outcome;  // the buffers go with this object
}

TestOutcome TestEngine::FailAndDelete(TestOutcome outcome) {
    DeleteTestFiles(platform, driveText, created);
    return outcome;
}

std::uint8_t* TestEngine::Pattern(std::uint32_t number) const {
    switch (number % 3) {
        case 0: return counting.Data();
        case 1: return allAa.Data();
        default: return all55.Data();
    }
}

TestOutcome TestEngine::SetUp() {
    const std::uint32_t fileSize = settings.LargeTestFiles() ? kLargeTestFileSize : kSmallTestFileSize;
    // No figures, or no free cluster: nothing could be tested.
    if (!QueryFreeClusters(startFreeClusters) || startFreeClusters == 0) return TestOutcome::WriteFailed;
    // TestMiB: a set amount of each card, at least one cluster; the progress
    // then counts to what is tested.
    if (const std::uint64_t mebibytes = settings.Number(kTestMebibytesKey); mebibytes != 0) {
        const std::uint64_t clusters = ((mebibytes << 20) + clusterSize - 1) / clusterSize;
        amountClusters = static_cast<std::uint32_t>(std::min<std::uint64_t>(clusters, UINT32_MAX));
    }
    startFreeClusters = Untested(startFreeClusters);

    // A cluster larger than a file still makes one cluster a file. Uncached
    // one-cluster requests run flash cards at a fraction of their speed:
    // requests move a file of the FS size.
    requestClusters = std::max<std::uint32_t>(1, fileSize / clusterSize);
    const TestFilePlan plan = PlanTestFiles(startFreeClusters, clusterSize, requestClusters);
    clustersPerFile = plan.clustersPerFile;
    fileLimit = plan.fileLimit;
    fileClusters.reserve(fileLimit);
    return FillPatterns(RequestBytes()) ? TestOutcome::Passed : TestOutcome::WriteFailed;
}

bool TestEngine::FillPatterns(std::uint32_t requestBytes) {
    counting = PageBuffer(requestBytes);
    allAa = PageBuffer(requestBytes);
    all55 = PageBuffer(requestBytes);
    readBack = PageBuffer(requestBytes);
    if (!counting || !allAa || !all55 || !readBack) return false;
    for (std::size_t i = 0; i < requestBytes; ++i) counting.Data()[i] = static_cast<std::uint8_t>(i);
    std::memset(allAa.Data(), 0xAA, requestBytes);
    std::memset(all55.Data(), 0x55, requestBytes);
    const std::uint64_t run = RunStamp();
    for (std::size_t at = 0; at + kSectorStampSize <= requestBytes; at += kStampedSectorSize) {
        for (PageBuffer* buffer : {&counting, &allAa, &all55}) PutLittleEndian(buffer->Data() + at + 8, run, 8);
    }
    return true;
}

// A value of this card test alone: the wall clock with its offset from UTC
// (an hour repeated in autumn differs), the fine clock, the tests this
// program has run and the drive. A sector left by any earlier test, of this
// program or another start of it, then compares wrong wherever it lies.
std::uint64_t TestEngine::RunStamp() {
    static std::uint64_t cardTests = 0;
    LocalTime now;
    platform.GetLocalTime(now);
    std::uint64_t stamp = Mix(++cardTests, platform.QueryPerformanceCounter());
    for (const std::uint64_t part : {std::uint64_t{now.year}, std::uint64_t{now.month}, std::uint64_t{now.day},
                                     std::uint64_t{now.hour}, std::uint64_t{now.minute}, std::uint64_t{now.second},
                                     static_cast<std::uint64_t>(now.utcOffsetMinutes), platform.GetTickCount64()})
        stamp = Mix(stamp, part);
    for (const char c : driveText) stamp = Mix(stamp, static_cast<std::uint8_t>(c));
    return stamp;
}

// Files of the FS size, larger ones when a card would need more than
// kMaxTestFiles, but never past what FAT32 holds: a card that needs more
// such files gets more (over 512 GiB free, only FAT32 or exFAT, whose roots
// grow).
TestFilePlan PlanTestFiles(std::uint32_t freeClusters, std::uint32_t clusterSize, std::uint32_t requestClusters) {
    const std::uint32_t largest = kMaxTestFileBytes / clusterSize;
    const std::uint32_t forFileLimit = freeClusters / kMaxTestFiles + (freeClusters % kMaxTestFiles != 0);
    TestFilePlan plan;
    plan.clustersPerFile = std::max(std::min(std::max(requestClusters, forFileLimit), largest), 1u);
    const std::uint32_t files = freeClusters / plan.clustersPerFile + (freeClusters % plan.clustersPerFile != 0);
    plan.fileLimit = std::max(kMaxTestFiles, files);
    return plan;
}

std::uint32_t TestEngine::Untested(std::uint32_t freeClusters) const {
    const std::uint64_t written = std::accumulate(fileClusters.begin(), fileClusters.end(), std::uint64_t{0});
    return written >= amountClusters ? 0 : std::min<std::uint64_t>(freeClusters, amountClusters - written);
}

void TestEngine::ShowProgress() {
    char text[128];
    std::snprintf(text, sizeof text, view.LoadText(IDS_TESTING).c_str(), static_cast<unsigned>(progress),
                  static_cast<unsigned>(startFreeClusters));
    if (const int at = view.FindRow(slot.number, slot.row); at >= 0) view.SetRowText(at, text);
}

// Files are written while the card reports a free cluster before the next
// create. What a file gets is taken after its create, since a FAT32 or exFAT
// directory grows into the free space; the last file allowed takes the rest.
TestOutcome TestEngine::WritePhase() {
    while (created < fileLimit) {
        if (Stopped()) return TestOutcome::Stopped;
        std::uint32_t freeClusters = 0;
        // A card whose figures went away cannot take the next file.
        if (!QueryFreeClusters(freeClusters)) return FailAndDelete(TestOutcome::WriteFailed);
        if (Untested(freeClusters) == 0) break;
        const TestOutcome outcome = WriteFile(created);
        if (outcome != TestOutcome::Passed) return outcome;
    }
    std::uint64_t written = 0;
    for (std::uint32_t clusters : fileClusters) written += clusters;
    // The directory took what was free: nothing was tested.
    return written == 0 ? TestOutcome::WriteFailed : TestOutcome::Passed;
}

TestOutcome TestEngine::WriteFile(std::uint32_t number) {
    OpenTestFile file(platform, platform.FileCreate(TestFilePath(driveText, number).c_str()));
    if (!file.IsOpen()) return FailAndDelete(TestOutcome::WriteFailed);
    ++created;
    std::uint32_t freeClusters = 0;
    if (!QueryFreeClusters(freeClusters)) {
        file.Close();
        return FailAndDelete(TestOutcome::WriteFailed);
    }
    // The plan leaves the last file no more than FAT32 holds; a directory
    // that grew only takes from it.
    freeClusters = Untested(freeClusters);
    const bool last = created == fileLimit;
    const std::uint32_t clusters =
        std::min(last ? freeClusters : std::min(clustersPerFile, freeClusters), kMaxTestFileBytes / clusterSize);
    fileClusters.push_back(0);
    // The file involved is closed before the deletion pass.
    const TestOutcome outcome = WriteClusters(file.Get(), number, clusters);
    if (outcome != TestOutcome::Passed) return outcome;
    // What the card did not take before the close would not be read back.
    if (!TimedIo(figures.writeTicks, [&] { return platform.FileFlush(file.Get()); })) return TestOutcome::DiskRemoved;
    return TestOutcome::Passed;
}

TestOutcome TestEngine::WriteClusters(Handle file, std::uint32_t number, std::uint32_t clusters) {
    std::uint8_t* pattern = Pattern(number);
    std::uint32_t& written = fileClusters.back();
    for (std::uint32_t left = clusters; left > 0;) {
        const std::uint32_t inRequest = std::min(left, requestClusters);
        progress += inRequest;
        ShowProgress();
        view.PumpMessages();
        const std::uint32_t bytes = inRequest * clusterSize;
        StampSectors(pattern, bytes, number, std::uint64_t{written} * clusterSize / kStampedSectorSize);
        const FileTransfer transfer =
            TimedIo(figures.writeTicks, [&] { return platform.FileWrite(file, pattern, bytes); });
        if (transfer.fileError || transfer.bytes != bytes) return TestOutcome::DiskRemoved;
        figures.bytesWritten += bytes;
        left -= inRequest;
        written += inRequest;
        // A stop closes the file as usual; the next file boundary reports it.
        if (Stopped()) break;
        view.PumpMessages();
    }
    return TestOutcome::Passed;
}

TestOutcome TestEngine::ReadPhase() {
    for (std::uint32_t number = 0; number < fileClusters.size(); ++number) {
        if (Stopped()) return TestOutcome::Stopped;
        const TestOutcome outcome = VerifyFile(number);
        if (outcome != TestOutcome::Passed) return outcome;
    }
    return TestOutcome::Passed;
}

TestOutcome TestEngine::VerifyFile(std::uint32_t number) {
    OpenTestFile file(platform, platform.FileOpen(TestFilePath(driveText, number).c_str()));
    if (!file.IsOpen()) return FailAndDelete(TestOutcome::ReadFailed);
    const TestOutcome outcome = ReadAndCompare(file.Get(), number, std::uint64_t{fileClusters[number]} * clusterSize);
    if (outcome != TestOutcome::CompareFailed) return outcome;
    file.Close();
    return FailAndDelete(outcome);
}

// Every byte read back is compared with the stamped pattern of its place; a
// file that comes back longer or shorter than it was written lost data.
TestOutcome TestEngine::ReadAndCompare(Handle file, std::uint32_t number, std::uint64_t expected) {
    std::uint8_t* pattern = Pattern(number);
    std::uint64_t received = 0;
    for (;;) {
        const FileTransfer transfer =
            TimedIo(figures.readTicks, [&] { return platform.FileRead(file, readBack.Data(), RequestBytes()); });
        if (transfer.fileError) return TestOutcome::DiskRemoved;
        if (transfer.bytes == 0) break;
        figures.bytesRead += transfer.bytes;
        view.PumpMessages();
        // Stopped inside the file: done without comparing; the next file
        // boundary, or the caller after the last file, reports the stop.
        if (Stopped()) return TestOutcome::Passed;
        if (received + transfer.bytes > expected) return TestOutcome::CompareFailed;
        StampSectors(pattern, transfer.bytes, number, received / kStampedSectorSize);
        if (std::memcmp(readBack.Data(), pattern, transfer.bytes) != 0) return TestOutcome::CompareFailed;
        received += transfer.bytes;
    }
    return received == expected ? TestOutcome::Passed : TestOutcome::CompareFailed;
}

bool DeleteTestFiles(Platform& platform, const std::string& driveText, std::uint32_t created) {
    bool clean = true;
    std::uint32_t failedInARow = 0;
    for (std::uint32_t number = 0; number != UINT32_MAX; ++number) {
        const std::string path = TestFilePath(driveText, number);
        if (!platform.FileFind(path.c_str())) {
            if (number >= created) return clean;
            continue;
        }
        // A file that cannot be deleted does not stop the pass: the ones
        // after it still go.
        if (platform.FileDelete(path.c_str())) {
            failedInARow = 0;
            continue;
        }
        clean = false;
        if (++failedInARow >= kMaxFailedDeletionsInARow) return false;
    }
    return clean;
}

}  // namespace talven
