#include "report/LineReport.h"

#include <cstdio>

#include "report/LineTally.h"
#include "report/RecordFiles.h"
#include "report/ReportDates.h"
#include "report/ReportPage.h"
#include "resources/StringTable.h"

namespace talven {

namespace {

constexpr std::int32_t kDefaultDays = 7;
constexpr const char* kDefaultPage = "Talven-report.html";

template <typename... Texts>
std::string Formatted(unsigned id, const Texts&... texts) {
    char text[1024];
    std::snprintf(text, sizeof text, StringText(id), texts.c_str()...);
    return text;
}

// Windows takes either separator; the host only "/".
std::string InFolder(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    if (last == '\\' || last == '/') return folder + name;
    return folder + (folder.find('\\') != std::string::npos ? "\\" : "/") + name;
}

// The report's first and last day; false with the message when a date will not do.
bool Range(const ReportOptions& options, const LocalTime& now, std::int32_t& first, std::int32_t& last,
           std::string& message) {
    last = DayNumber(now.year, now.month, now.day);
    if (!options.to.empty() && !ParseDay(options.to, last)) {
        message = Formatted(IDS_REPORT_BAD_DATE, options.to);
        return false;
    }
    first = last - (kDefaultDays - 1);
    if (!options.from.empty() && !ParseDay(options.from, first)) {
        message = Formatted(IDS_REPORT_BAD_DATE, options.from);
        return false;
    }
    if (first > last) {
        message = Formatted(IDS_REPORT_BACKWARDS, options.from, options.to);
        return false;
    }
    return true;
}

void ReadFile(Platform& platform, const std::string& folder, const RecordFileName& file, LineTally& tally) {
    tally.BeginFile(file);
    RecordLines lines(platform, InFolder(folder, file.name));
    std::string_view line;
    std::uint32_t number = 0;
    while (lines.Next(line, number)) tally.AddLine(line, number);
    tally.EndFile(lines.Result());
}

FileResult WritePage(Platform& platform, const std::string& path, const std::string& page) {
    const std::string temporary = path + ".tmp";
    FileResult result = platform.FileWriteWhole(temporary.c_str(), page.data(), static_cast<std::uint32_t>(page.size()));
    if (result == FileResult::Done) result = platform.MoveFileExA(temporary.c_str(), path.c_str());
    if (result != FileResult::Done) platform.FileDelete(temporary.c_str());
    return result;
}

}  // namespace

int WriteLineReport(Platform& platform, const ReportOptions& options, const LocalTime& now, std::string& message) {
    std::int32_t first = 0, last = 0;
    if (!Range(options, now, first, last, message)) return kReportUsage;
    // A night shift of the last day ends in the next day's file.
    const std::int32_t lastFile = options.shiftStartMinutes.empty() ? last : last + 1;
    std::vector<RecordFileName> files;
    if (ListRecordFiles(platform, options.folder, first, lastFile, options.simulated, files) != FileResult::Done) {
        message = Formatted(IDS_REPORT_NO_FOLDER, options.folder);
        return kReportUsage;
    }
    LineTally tally(ReportPeriods(first, last, options.shiftStartMinutes), options.simulated);
    for (const RecordFileName& file : files) ReadFile(platform, options.folder, file, tally);
    const std::string path = options.out.empty() ? InFolder(options.folder, kDefaultPage) : options.out;
    const std::string page = ReportPage(tally, {options.folder, now});
    if (const FileResult result = WritePage(platform, path, page); result != FileResult::Done) {
        message = Formatted(IDS_REPORT_NOT_WRITTEN, path);
        return kReportUsage;
    }
    if (tally.Runs() == 0) {
        message = Formatted(IDS_REPORT_NO_RECORD_IN, DayText(first), DayText(last)) + " " + path;
        return kReportNoRecord;
    }
    message = Formatted(IDS_REPORT_WRITTEN, path);
    return kReportWritten;
}

}  // namespace talven
