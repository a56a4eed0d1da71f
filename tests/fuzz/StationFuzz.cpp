// A station file (the input) parsed and, when it is a station, both jobs of
// GO run on it: the read/write test with 1 MiB a card and the write-EEPROM
// run, at timescale 0, the record and the state file in memory. Every run
// ends, and every verdict is in the record as a whole line.
#include <cstdint>
#include <string>

#include "production/ProductionRuns.h"
#include "record/VerdictRecord.h"
#include "record/VerdictRecordCsv.h"
#include "sim/SimulatedStation.h"
#include "settings/SettingsSnapshot.h"
#include "sim/StationParser.h"
#include "tests/support/ListModel.h"
#include "tests/support/MemoryPlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace talven;
    using test::Require;
    if (size > 4096) return 0;
    StationConfig config;
    std::string error;
    if (!ParseStation(std::string(reinterpret_cast<const char*>(data), size), "", config, error)) {
        Require(error.rfind("line ", 0) == 0, "a refused station file names its line");
        return 0;
    }
    config.timeScale = 0;
    for (ReaderConfig& reader : config.readers) reader.eepromPath.clear();
    for (const DriveConfig& drive : config.drives)
        if (drive.card && drive.card->capacity > (1ull << 30)) return 0;

    test::MemoryPlatform outer;
    outer.SetProfile(kTestMebibytesKey, "1");
    SimulatedStation station(outer, config);
    test::ListModel view;
    VerdictRecord record(station, "C:\\line\\Talven-STATION.spool", "1.00");
    ProductionRuns runs(station, view, "C:\\line\\Talven.ini", &record);
    const SettingsSnapshot settings{SettingsFile(station, "C:\\line\\Talven.ini")};
    runs.ScanReaders(settings);
    Require(view.running == 0, "the read/write test ends");
    runs.RunEepromProgramming(settings);
    Require(record.Waiting() == 0, "every verdict is written");
    for (const auto& [path, bytes] : outer.files) {
        if (path.find(".csv") == std::string::npos) continue;
        std::size_t start = 0;
        for (std::size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1)
            Require(SplitCsvLine(bytes.substr(start, end - start)).size() == kRecordColumns, "a whole line");
        Require(start == bytes.size(), "the record ends with a line end");
    }
    return 0;
}
