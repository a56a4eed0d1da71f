// The page's yield per station and period, and its failures by message.
#include <algorithm>
#include <cstdio>

#include "report/ReportPage.h"
#include "report/ReportSvg.h"
#include "resources/StringTable.h"

namespace talven {

namespace {

constexpr double kLabelWidth = 120;
constexpr double kCellWidth = 46;
constexpr double kCellHeight = 22;
constexpr double kHeadHeight = 34;

std::string YieldText(const ModeCounts& counts) {
    return counts.Tested() == 0 ? "-" : Fixed(100.0 * counts.passed / counts.Tested(), 1) + " %";
}

const char* YieldColour(const ModeCounts& counts) {
    if (counts.Tested() == 0) return "#eeeeee";
    const double yield = 100.0 * counts.passed / counts.Tested();
    return yield >= 99 ? "#66bb6a" : yield >= 95 ? "#c5e1a5" : yield >= 90 ? "#ffe082" : "#ef9a9a";
}

// The period's label over two lines: its day, and its shift's start.
void PeriodHead(Svg& chart, const ReportPeriods& periods, std::size_t period, double x) {
    const std::string label = periods.Label(period);
    chart.Text(x, 14, label.substr(5, 5), "middle", 10);
    if (periods.Shifts()) chart.Text(x, 27, label.substr(11, 5), "middle", 10);
}

// The counts of one station and mode in each period.
std::vector<ModeCounts> StationCounts(const LineTally& tally, std::uint16_t station, std::uint16_t mode) {
    std::vector<ModeCounts> counts(tally.Periods().Count());
    for (const auto& [key, value] : tally.counts)
        if (std::get<0>(key) == station && std::get<1>(key) == mode) counts[std::get<2>(key)] = value;
    return counts;
}

ModeCounts Sum(const std::vector<ModeCounts>& counts) {
    ModeCounts total;
    for (const ModeCounts& c : counts) {
        total.passed += c.passed;
        total.failed += c.failed;
        total.notJudged += c.notJudged;
    }
    return total;
}

std::vector<std::string> CountCells(const std::string& first, const std::string& second, const ModeCounts& c) {
    return {first, second, std::to_string(c.Tested()), std::to_string(c.passed), std::to_string(c.failed),
            std::to_string(c.notJudged), YieldText(c)};
}

std::string ModeYield(const LineTally& tally, std::uint16_t mode) {
    const ReportPeriods& periods = tally.Periods();
    std::vector<std::uint16_t> shown;
    for (std::uint16_t s = 0; s < tally.stations.size(); ++s)
        if (const ModeCounts total = Sum(StationCounts(tally, s, mode)); total.Tested() + total.notJudged > 0)
            shown.push_back(s);
    Svg chart(kLabelWidth + kCellWidth * periods.Count() + 4, kHeadHeight + kCellHeight * shown.size() + 4,
              StringText(IDS_REPORT_YIELD));
    for (std::size_t p = 0; p < periods.Count(); ++p) PeriodHead(chart, periods, p, kLabelWidth + kCellWidth * (p + 0.5));
    std::string table = "<table>" + TableHead({StringText(IDS_REPORT_STATION), StringText(IDS_REPORT_PERIOD),
                                               StringText(IDS_REPORT_TESTED), StringText(IDS_REPORT_PASSED),
                                               StringText(IDS_REPORT_FAILED), StringText(IDS_REPORT_NOT_JUDGED),
                                               StringText(IDS_REPORT_YIELD_COLUMN)});
    for (std::size_t row = 0; row < shown.size(); ++row) {
        const std::vector<ModeCounts> counts = StationCounts(tally, shown[row], mode);
        const std::string& name = tally.stations[shown[row]].name;
        const double y = kHeadHeight + kCellHeight * row;
        chart.Text(4, y + 15, name);
        for (std::size_t p = 0; p < counts.size(); ++p) {
            chart.Rect(kLabelWidth + kCellWidth * p + 1, y + 1, kCellWidth - 2, kCellHeight - 2, YieldColour(counts[p]),
                       name + " " + periods.Label(p));
            chart.Text(kLabelWidth + kCellWidth * (p + 0.5), y + 15, YieldText(counts[p]), "middle", 10);
            if (counts[p].Tested() + counts[p].notJudged > 0) table += TableRow(CountCells(name, periods.Label(p), counts[p]));
        }
        table += TableRow(CountCells(name, StringText(IDS_REPORT_ALL), Sum(counts)), "total");
    }
    return "<h3>" + Escaped(tally.modes[mode]) + "</h3>" + chart.Done() + table + "</table>";
}

std::string ModeMessages(const LineTally& tally, std::uint16_t mode) {
    std::vector<std::pair<std::string, std::uint32_t>> sorted(tally.messages[mode].begin(), tally.messages[mode].end());
    if (sorted.empty()) return {};
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    std::uint64_t total = 0;
    for (const auto& entry : sorted) total += entry.second;
    constexpr double kBarLeft = 220, kBarWidth = 360, kRow = 20;
    Svg chart(kBarLeft + kBarWidth + 120, kRow * sorted.size() + 6, StringText(IDS_REPORT_MESSAGES));
    std::string table = "<table>" + TableHead({StringText(IDS_REPORT_MESSAGE), StringText(IDS_REPORT_FAILURES),
                                               StringText(IDS_REPORT_SHARE), StringText(IDS_REPORT_CUMULATIVE)});
    std::uint64_t running = 0;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        running += sorted[i].second;
        const double y = kRow * i + 3;
        const std::string share = Fixed(100.0 * sorted[i].second / total, 1) + " %";
        const std::string cumulative = Fixed(100.0 * running / total, 1) + " %";
        chart.Text(kBarLeft - 6, y + 13, sorted[i].first, "end");
        chart.Rect(kBarLeft, y + 2, kBarWidth * sorted[i].second / sorted[0].second, kRow - 5, "#e57373");
        chart.Text(kBarLeft + kBarWidth + 6, y + 13, std::to_string(sorted[i].second) + "  (" + cumulative + ")");
        table += TableRow({sorted[i].first, std::to_string(sorted[i].second), share, cumulative});
    }
    return "<h3>" + Escaped(tally.modes[mode]) + "</h3>" + chart.Done() + table + "</table>";
}

}  // namespace

std::string YieldSection(const LineTally& tally) {
    std::string section = "<h2>" + Escaped(StringText(IDS_REPORT_YIELD)) + "</h2>";
    for (std::uint16_t mode = 0; mode < tally.modes.size(); ++mode) section += ModeYield(tally, mode);
    return section;
}

std::string MessageSection(const LineTally& tally) {
    std::string section = "<h2>" + Escaped(StringText(IDS_REPORT_MESSAGES)) + "</h2>";
    std::string modes;
    for (std::uint16_t mode = 0; mode < tally.modes.size(); ++mode) modes += ModeMessages(tally, mode);
    return section + (modes.empty() ? "<p>" + Escaped(StringText(IDS_REPORT_NONE_FAILED)) + "</p>" : modes);
}

}  // namespace talven
