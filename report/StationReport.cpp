#include "report/StationReport.h"

#include "report/LineReport.h"

namespace talven {

std::string StationReportPath(const std::string& tempFolder, bool simulated) {
    const char* name = simulated ? "TalvenSim-report.html" : "Talven-report.html";
    if (tempFolder.empty() || tempFolder.back() == '\\' || tempFolder.back() == '/') return tempFolder + name;
    return tempFolder + "\\" + name;
}

bool WriteStationReport(Platform& platform, const std::string& recordFolder, bool simulated, const std::string& page,
                        std::string& message) {
    ReportOptions options;
    options.folder = recordFolder;
    options.simulated = simulated;
    options.out = page;
    LocalTime now;
    platform.GetLocalTime(now);
    // A folder without a record in the range gets a page that says so; the
    // station says it in words instead of opening an empty page.
    return WriteLineReport(platform, options, now, message) == kReportWritten;
}

}  // namespace talven
