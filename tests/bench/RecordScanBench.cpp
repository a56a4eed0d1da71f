// talven-record-scan FOLDER INDEX: how long a station's start takes to read
// the serials of the record folder FOLDER, going on from the index file
// INDEX (missing: every file read from its start). Prints one line of
// figures; no figure is a test.
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/host/HostPlatform.h"
#include "record/RecordSerials.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: talven-record-scan FOLDER INDEX\n");
        return 2;
    }
    talven::HostPlatform platform;
    std::size_t files = 0;
    const auto start = std::chrono::steady_clock::now();
    const talven::RecordSerialScan scan =
        talven::ScanRecordSerials(platform, argv[1], std::string(argv[2]) + ".spool", argv[2],
                                  [&](std::size_t, std::size_t total) { files = total; });
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::size_t ranges = scan.serials.Lines().size() / 30;
    std::printf("seconds %.3f files_read %zu result %d serial_ranges_about %zu\n", seconds, files,
                static_cast<int>(scan.result), ranges);
    return scan.result == talven::FileResult::Done ? 0 : 1;
}
