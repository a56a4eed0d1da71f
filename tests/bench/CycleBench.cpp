// talven-cycle: the station's cycle time per reader. GO's read/write run
// (ProductionRuns' scan and test sequence, with its verdict record) over a
// list model on a simulated station of one four-slot reader with four slow
// cards, at timescale 0: the station's clock moves only by the program's
// sleeps and by the cards' transfers at their speed. Once for the whole-card
// test and once with TestMiB=16. Prints figures; no figure is a test.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "platform/host/HostPlatform.h"
#include "production/ProductionRuns.h"
#include "record/VerdictRecord.h"
#include "sim/SimulatedStation.h"
#include "sim/StationParser.h"
#include "tests/support/ForwardingPlatform.h"
#include "tests/support/ListModel.h"
#include "tests/support/RunsFromTheFile.h"

namespace talven {
namespace {

using Clock = std::chrono::steady_clock;

constexpr double kWriteMbs = 20;
constexpr double kReadMbs = 30;
constexpr unsigned kQuickMebibytes = 16;

// Four 512 MiB cards as a card formatter leaves them (FAT16, 16 KiB clusters).
constexpr const char* kStation =
    "timescale 0\n"
    "drive C: fixed\n"
    "reader r1\n"
    "slot E: r1 product \"CF Card\"\n"
    "slot F: r1 product \"SM Card\"\n"
    "slot G: r1 product \"SD/MMC Card\"\n"
    "slot H: r1 product \"MS/MS Pro Card\"\n"
    "card E: capacity 512MiB speed 20 30\n"
    "card F: capacity 512MiB speed 20 30\n"
    "card G: capacity 512MiB speed 20 30\n"
    "card H: capacity 512MiB speed 20 30\n";

// Counts what the cards move and the real time their transfers take in the
// simulation, which the station's clock charges at the cards' speed instead.
class TransferClock final : public test::ForwardingPlatform {
public:
    using ForwardingPlatform::ForwardingPlatform;

    FileTransfer FileWrite(Handle file, const void* data, std::uint32_t size) override {
        const Clock::time_point start = Clock::now();
        const FileTransfer transfer = inner.FileWrite(file, data, size);
        inTransfers += Clock::now() - start;
        written += transfer.bytes;
        return transfer;
    }
    FileTransfer FileRead(Handle file, void* data, std::uint32_t size) override {
        const Clock::time_point start = Clock::now();
        const FileTransfer transfer = inner.FileRead(file, data, size);
        inTransfers += Clock::now() - start;
        read += transfer.bytes;
        return transfer;
    }

    Clock::duration inTransfers{};
    unsigned long long written = 0, read = 0;
};

struct Cycle {
    bool passed = false;
    double stationSeconds = 0;   // the station's clock over the whole GO
    double transferSeconds = 0;  // what the cards' own speed makes of the bytes moved
    double programSeconds = 0;   // real time outside the cards' transfers
    double wallSeconds = 0;
    double mebibytesPerCard = 0;
};

double Seconds(Clock::duration span) { return std::chrono::duration<double>(span).count(); }

Cycle RunCycle(HostPlatform& host, const std::string& folder, unsigned testMebibytes) {
    StationConfig config;
    std::string error;
    if (!ParseStation(kStation, "", config, error)) {
        std::fprintf(stderr, "talven-cycle: station: %s\n", error.c_str());
        return {};
    }
    const std::string settings = folder + "/Talven.ini";
    host.WritePrivateProfileStringA("Program set", "TestMiB", std::to_string(testMebibytes).c_str(), settings.c_str());
    host.WritePrivateProfileStringA("Program set", "RecordFolder", (folder + "/Logs").c_str(), settings.c_str());

    SimulatedStation station(host, config);
    TransferClock clock(station);
    VerdictRecord record(host, settings.c_str(), "bench");
    test::ListModel view;
    ProductionRuns runs(clock, view, settings.c_str(), &record);
    const std::uint64_t stationStart = station.NowMs();
    const Clock::time_point start = Clock::now();
    runs.ScanReaders(SettingsNow(clock, settings.c_str()));
    const Clock::duration wall = Clock::now() - start;

    Cycle cycle;
    cycle.passed = view.rows.size() == 4;
    for (const test::ListRow& row : view.rows) cycle.passed = cycle.passed && row.status == "Test success.";
    cycle.stationSeconds = (station.NowMs() - stationStart) / 1000.0;
    cycle.transferSeconds = clock.written / (kWriteMbs * 1e6) + clock.read / (kReadMbs * 1e6);
    cycle.wallSeconds = Seconds(wall);
    cycle.programSeconds = Seconds(wall - clock.inTransfers);
    cycle.mebibytesPerCard = clock.written / 4.0 / (1 << 20);
    return cycle;
}

// The station adds its own waits (the station's clock beyond the transfers)
// and the program's own work, which the clock at timescale 0 does not see.
double Overhead(const Cycle& cycle) { return cycle.stationSeconds - cycle.transferSeconds + cycle.programSeconds; }

void Print(const char* name, const Cycle& cycle) {
    std::printf(
        "cycle %s: %.1f MiB a card, %.1f s per reader by the station's clock; cards' own transfer %.1f s, "
        "station's waits %.3f s, program's own time %.3f s (wall %.2f s); overhead %.2f%%\n",
        name, cycle.mebibytesPerCard, cycle.stationSeconds, cycle.transferSeconds,
        cycle.stationSeconds - cycle.transferSeconds, cycle.programSeconds, cycle.wallSeconds,
        100 * Overhead(cycle) / cycle.transferSeconds);
}

int Run() {
    HostPlatform host;
    const std::string folder =
        (std::filesystem::temp_directory_path() / ("talven-cycle-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(folder);
    std::printf("cycle: one reader, four 512 MiB FAT16 cards at %.0f MB/s write and %.0f MB/s read, timescale 0\n",
                kWriteMbs, kReadMbs);
    const Cycle whole = RunCycle(host, folder, 0);
    const Cycle quick = RunCycle(host, folder, kQuickMebibytes);
    std::filesystem::remove_all(folder);
    if (!whole.passed || !quick.passed) {
        std::fprintf(stderr, "talven-cycle: a slot did not pass; no cycle to measure\n");
        return 1;
    }
    Print("whole card", whole);
    Print("16 MiB", quick);
    const double share = Overhead(whole) / whole.transferSeconds;
    const double ratio = (quick.stationSeconds + quick.programSeconds) / (whole.stationSeconds + whole.programSeconds);
    std::printf(
        "cycle_whole_s %.1f  cycle_16mib_s %.1f  16mib/whole %.3f (target <= 0.100)  "
        "overhead %.2f%% of the transfer (target <= 5%%)\n",
        whole.stationSeconds + whole.programSeconds, quick.stationSeconds + quick.programSeconds, ratio, 100 * share);
    return share <= 0.05 && ratio <= 0.1 ? 0 : 3;
}

}  // namespace
}  // namespace talven

int main() { return talven::Run(); }
