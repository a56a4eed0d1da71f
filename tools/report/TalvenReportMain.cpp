// talven-report FOLDER [--from DATE] [--to DATE] [--shifts HH:MM,...] [--out FILE] [--simulated]
//
// Writes the line report, one HTML page over every station's record in the
// folder, and says in a line where. Exit status: 0 with a report, 1 for a
// usage error or a page that could not be written, 2 when the folder holds no
// record in the range (the page is written and says the same).
#include <cstdio>
#include <cstring>
#include <string>

#include "report/LineReport.h"
#include "report/ReportDates.h"

#ifdef _WIN32
#include "platform/win32/Win32Platform.h"
#else
#include "platform/host/HostPlatform.h"
#endif

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: talven-report FOLDER [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--shifts HH:MM,HH:MM,...]\n"
                 "                     [--out FILE] [--simulated]\n"
                 "  Writes one HTML page over every station's record in FOLDER: yield per station and\n"
                 "  day (or shift), failures by message and by slot position, speed per slot position,\n"
                 "  the serial ledger and the record's faults. By default the last 7 days, the page\n"
                 "  Talven-report.html in FOLDER; --simulated reports the trainer's records instead.\n"
                 "  Exit status: 0 with a report; 1 a usage error, or the page could not be written;\n"
                 "  2 the folder holds no record in the range.\n");
    return talven::kReportUsage;
}

// The value after an option, once; false when it is missing or repeated.
bool TakeValue(int argc, char** argv, int& i, std::string& value, bool& given) {
    if (i + 1 >= argc || given) return false;
    given = true;
    value = argv[++i];
    return true;
}

bool ParseArguments(int argc, char** argv, talven::ReportOptions& options) {
    bool folder = false, from = false, to = false, shifts = false, out = false;
    std::string shiftText;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        bool ok = true;
        if (std::strcmp(argument, "--from") == 0) ok = TakeValue(argc, argv, i, options.from, from);
        else if (std::strcmp(argument, "--to") == 0) ok = TakeValue(argc, argv, i, options.to, to);
        else if (std::strcmp(argument, "--out") == 0) ok = TakeValue(argc, argv, i, options.out, out);
        else if (std::strcmp(argument, "--shifts") == 0) ok = TakeValue(argc, argv, i, shiftText, shifts);
        else if (std::strcmp(argument, "--simulated") == 0) options.simulated = true;
        else if (argument[0] == '-' && argument[1] != '\0') ok = false;
        else if (!folder) folder = true, options.folder = argument;
        else ok = false;
        if (!ok) return false;
    }
    if (shifts && !talven::ParseShifts(shiftText, options.shiftStartMinutes)) {
        std::fprintf(stderr, "talven-report: --shifts \"%s\" is not HH:MM,HH:MM,... in rising order\n",
                     shiftText.c_str());
        return false;
    }
    return folder;
}

}  // namespace

int main(int argc, char** argv) {
    talven::ReportOptions options;
    if (!ParseArguments(argc, argv, options)) return Usage();
#ifdef _WIN32
    talven::Win32Platform platform;
#else
    talven::HostPlatform platform;
#endif
    talven::LocalTime now;
    platform.GetLocalTime(now);
    std::string message;
    const int status = talven::WriteLineReport(platform, options, now, message);
    std::fprintf(status == talven::kReportWritten ? stdout : stderr, "talven-report: %s\n", message.c_str());
    return status;
}
