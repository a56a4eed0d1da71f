// talven-bench FOLDER MIB [FS]: the card test (TestDrive) on drive E: mapped
// to FOLDER as a card of MIB MiB, or with MIB 0 as the whole filesystem of
// FOLDER (a mounted card), a list model as the view. Prints the write and
// verify throughput, the total time, the largest request, and how often the
// engine updated its progress and pumped messages, per GiB.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "platform/host/HostPlatform.h"
#include "production/ProductionRuns.h"
#include "tests/support/ForwardingPlatform.h"
#include "tests/support/ListModel.h"
#include "tests/support/RunsFromTheFile.h"

namespace talven {
namespace {

using Clock = std::chrono::steady_clock;

// Marks where the phases meet and counts the bytes moved.
class PhaseClock final : public test::ForwardingPlatform {
public:
    using ForwardingPlatform::ForwardingPlatform;

    Handle FileCreate(const char* path) override {
        ++files;
        return inner.FileCreate(path);
    }
    Handle FileOpen(const char* path) override {
        if (!reading) {
            reading = true;
            readStart = Clock::now();
        }
        return inner.FileOpen(path);
    }
    FileTransfer FileWrite(Handle file, const void* data, std::uint32_t size) override {
        FileTransfer transfer = inner.FileWrite(file, data, size);
        written += transfer.bytes;
        largestRequest = std::max(largestRequest, size);
        return transfer;
    }
    FileTransfer FileRead(Handle file, void* data, std::uint32_t size) override {
        FileTransfer transfer = inner.FileRead(file, data, size);
        read += transfer.bytes;
        return transfer;
    }
    void FileClose(Handle file) override {
        inner.FileClose(file);
        if (reading) readEnd = Clock::now();
    }
    bool FileDelete(const char* path) override {
        if (!deleting) {
            deleting = true;
            deleteStart = Clock::now();
        }
        return inner.FileDelete(path);
    }

    bool reading = false;
    bool deleting = false;
    Clock::time_point readStart, readEnd, deleteStart;
    unsigned long long written = 0, read = 0;
    std::uint32_t largestRequest = 0;
    int files = 0;
};

double Seconds(Clock::duration span) { return std::chrono::duration<double>(span).count(); }

int Run(const std::string& folder, unsigned long long mebibytes, int fs) {
    HostPlatform platform;
    if (!platform.MapDrive('E', folder, mebibytes != 0 ? mebibytes << 20 : HostPlatform::kWholeFilesystem)) {
        std::fprintf(stderr, "talven-bench: %s is not a folder\n", folder.c_str());
        return 2;
    }
    const std::string settings =
        (std::filesystem::temp_directory_path() / ("talven-bench-" + std::to_string(::getpid()) + ".ini")).string();
    platform.WritePrivateProfileStringA("Program set", "FS", std::to_string(fs).c_str(), settings.c_str());

    PhaseClock clock(platform);
    test::ListModel view;
    const Clock::time_point start = Clock::now();
    const TestOutcome outcome = test::TestDrive(clock, view, settings.c_str(), "E:", 0);
    const Clock::time_point end = Clock::now();
    std::filesystem::remove(settings);

    // Without a test file there is no throughput, and without a deletion no
    // deletion pass to time: no figure would mean anything. A card without
    // free space gets no create at all (and fails).
    if (clock.files == 0 || (outcome == TestOutcome::Passed && !clock.deleting)) {
        std::fprintf(stderr, "talven-bench: no test file was %s in %s; nothing to measure\n",
                     clock.files == 0 ? "written (no free space)" : "deleted", folder.c_str());
        return 1;
    }
    if (outcome != TestOutcome::Passed || clock.read != clock.written) {
        std::fprintf(stderr, "talven-bench: outcome %d, %llu bytes written, %llu read\n", static_cast<int>(outcome),
                     clock.written, clock.read);
        return 1;
    }
    const double gib = static_cast<double>(clock.written) / (1ull << 30);
    const double writeSeconds = Seconds(clock.readStart - start);
    const double readSeconds = Seconds(clock.readEnd - clock.readStart);
    std::printf("engine: %llu MiB in %d files, FS=%d, last row text \"%s\"\n", clock.written >> 20, clock.files, fs,
                view.texts.empty() ? "" : view.texts.back().second.c_str());
    std::printf("engine_request_bytes %u\n", static_cast<unsigned>(clock.largestRequest));
    std::printf("engine_write_mbs %.1f\n", clock.written / writeSeconds / 1e6);
    std::printf("engine_verify_mbs %.1f\n", clock.read / readSeconds / 1e6);
    std::printf("engine_delete_s %.3f\n", Seconds(end - clock.deleteStart));
    std::printf("engine_total_s %.3f\n", Seconds(end - start));
    std::printf("engine_progress_per_gib %.0f\n", view.textUpdates / gib);
    std::printf("engine_pumps_per_gib %.0f\n", view.pumps / gib);
    return 0;
}

}  // namespace
}  // namespace talven

int main(int argc, char** argv) {
    if (argc < 3 || argv[2][0] < '0' || argv[2][0] > '9') {
        std::fprintf(stderr, "usage: talven-bench FOLDER MIB [FS]\n");
        return 2;
    }
    return talven::Run(argv[1], std::strtoull(argv[2], nullptr, 10), argc > 3 ? std::atoi(argv[3]) : 0);
}
