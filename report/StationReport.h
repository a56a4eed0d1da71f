// Help > Line report on a station: the line report over the station's own
// record folder, for the last 7 days, and the trainer's lines only in the
// trainer. The window shows the page; this part decides what is written and
// what is said when there is nothing to show.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace talven {

// The page goes to the station's temp folder, not beside the record: a
// shared record folder is every station's and the engineers', whose
// talven-report writes its page there by the same name, and one station's
// 7 days must not replace it.
std::string StationReportPath(const std::string& tempFolder, bool simulated);

// Writes the page for `recordFolder` to `page`; true when it holds a report
// to show, otherwise `message` says why not (no record in the range, a
// folder that cannot be read, a page that cannot be written).
bool WriteStationReport(Platform& platform, const std::string& recordFolder, bool simulated, const std::string& page,
                        std::string& message);

}  // namespace talven
