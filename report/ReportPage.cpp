#include "report/ReportPage.h"

#include <cstdio>

#include "report/ReportSvg.h"
#include "resources/StringTable.h"

namespace talven {

namespace {

// Printed on A4 the charts scale to the page's width and tables keep to
// whole rows; colour carries no meaning a text or a number does not also say.
constexpr const char* kStyle =
    "body{font-family:Segoe UI,Arial,sans-serif;font-size:13px;color:#222;margin:16px;max-width:1100px}"
    "h1{font-size:22px}h2{font-size:18px;border-bottom:2px solid #446;margin-top:28px}h3{font-size:15px}"
    "table{border-collapse:collapse;margin:6px 0 14px}td,th{border:1px solid #bbb;padding:2px 6px;"
    "text-align:right}th{background:#eef}td:first-child,th:first-child{text-align:left}"
    "tr.bad td{color:#c00;font-weight:bold}p.warn{color:#c00;font-weight:bold}svg{width:100%;height:auto}"
    "@media print{@page{size:A4;margin:12mm}body{margin:0;font-size:10px}h2{page-break-after:avoid}"
    "svg{page-break-inside:avoid}tr{page-break-inside:avoid}}";

std::string Cells(const std::vector<std::string>& cells, const char* tag) {
    std::string row;
    for (std::size_t i = 0; i < cells.size(); ++i)
        row += std::string("<") + (i == 0 && tag[1] == 'd' ? "th" : tag) + ">" + Escaped(cells[i]) + "</" +
               (i == 0 && tag[1] == 'd' ? "th" : tag) + ">";
    return row;
}

std::string Heading(const LineTally& tally, const PageFacts& facts) {
    const ReportPeriods& periods = tally.Periods();
    char made[64];
    std::snprintf(made, sizeof made, "%04u-%02u-%02u %02u:%02u", facts.made.year, facts.made.month, facts.made.day,
                  facts.made.hour, facts.made.minute);
    char summary[512];
    std::snprintf(summary, sizeof summary, StringText(IDS_REPORT_SUMMARY), DayText(periods.First()).c_str(),
                  DayText(periods.Last()).c_str(), StringText(periods.Shifts() ? IDS_REPORT_BY_SHIFT : IDS_REPORT_BY_DAY),
                  static_cast<unsigned>(tally.FilesRead()), static_cast<unsigned long long>(tally.LinesRead()),
                  static_cast<unsigned long long>(tally.Runs()), made);
    return "<h1>" + Escaped(StringText(IDS_REPORT_TITLE)) + "</h1><p>" + Escaped(facts.folder) + "</p><p>" +
           Escaped(summary) + "</p>";
}

// What calls for someone at once, above everything else.
std::string Glance(const LineTally& tally) {
    std::string lines;
    const std::string suspects = SuspectPositions(tally);
    for (std::size_t at = 0, end; (end = suspects.find('\n', at)) != std::string::npos; at = end + 1)
        lines += "<p class=\"warn\">" + Escaped(suspects.substr(at, end - at)) + "</p>";
    if (const std::size_t duplicates = DuplicateSerials(tally); duplicates > 0) {
        char text[256];
        std::snprintf(text, sizeof text, StringText(IDS_REPORT_DUPLICATES), static_cast<unsigned>(duplicates));
        lines += "<p class=\"warn\">" + Escaped(text) + "</p>";
    }
    if (tally.unreadableCount > 0) {
        char text[256];
        std::snprintf(text, sizeof text, StringText(IDS_REPORT_UNREADABLE),
                      static_cast<unsigned long long>(tally.unreadableCount),
                      static_cast<unsigned>(tally.unreadableByFile.size()));
        lines += "<p class=\"warn\">" + Escaped(text) + "</p>";
    }
    return lines;
}

}  // namespace

std::string MomentText(const RecordMoment& moment) {
    char clock[32];
    std::snprintf(clock, sizeof clock, "%02u:%02u", moment.minute / 60, moment.minute % 60);
    return DayText(moment.day) + " " + clock;
}

std::string TableRow(const std::vector<std::string>& cells, const char* rowClass) {
    return std::string(rowClass != nullptr ? "<tr class=\"" + std::string(rowClass) + "\">" : "<tr>") +
           Cells(cells, "td") + "</tr>";
}

std::string TableHead(const std::vector<std::string>& cells) { return "<tr>" + Cells(cells, "th") + "</tr>"; }

std::string ReportPage(const LineTally& tally, const PageFacts& facts) {
    std::string page = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"/><title>" +
                       Escaped(StringText(IDS_REPORT_TITLE)) + " " + DayText(tally.Periods().First()) + " - " +
                       DayText(tally.Periods().Last()) + "</title><style>" + kStyle + "</style></head><body>";
    page += Heading(tally, facts) + Glance(tally);
    if (tally.Runs() == 0) {
        page += "<p class=\"warn\">" + Escaped(StringText(IDS_REPORT_NO_RECORD)) + "</p>";
    } else {
        page += YieldSection(tally) + MessageSection(tally) + PositionSection(tally) + SpeedSection(tally) +
                LedgerSection(tally);
    }
    page += QualitySection(tally);
    return page + "</body></html>\n";
}

}  // namespace talven
