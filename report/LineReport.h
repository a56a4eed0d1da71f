// The line report: one HTML page over every station's verdict record in a
// folder, for the people who run the line. The console program and the
// station's Help menu both write it through WriteLineReport.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "report/SlotSuspicion.h"

namespace talven {

struct ReportOptions {
    std::string folder;
    // "YYYY-MM-DD"; empty: the last 7 calendar days, today included.
    std::string from, to;
    // Minutes of the day each shift starts at, ascending; empty: by calendar day.
    std::vector<std::uint32_t> shiftStartMinutes;
    // The trainer's records instead of the line's.
    bool simulated = false;
    // The page's path; empty: "Talven-report.html" in the folder.
    std::string out;
};

inline constexpr int kReportWritten = 0;
inline constexpr int kReportUsage = 1;
inline constexpr int kReportNoRecord = 2;

// Writes the page through a temporary file beside it, moved into place
// once whole. kReportWritten with a report; kReportUsage when the options
// or the folder will not do; kReportNoRecord when the folder holds no
// record in the range (the page is written and says so). `message` says
// what happened, in a line.
int WriteLineReport(Platform& platform, const ReportOptions& options, const LocalTime& now, std::string& message);

}  // namespace talven
