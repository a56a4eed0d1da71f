// The page's slot positions: the readers each failed over time, the one
// that stands out, and each position's speed hour by hour.
#include <algorithm>
#include <cstdio>

#include "report/ReportPage.h"
#include "report/ReportSvg.h"
#include "resources/StringTable.h"
#include "settings/SettingsKeys.h"

namespace talven {

namespace {

constexpr const char* kPositionColours[] = {"#5c6bc0", "#26a69a", "#ffa726", "#8d6e63",
                                            "#ab47bc", "#78909c", "#d4e157", "#29b6f6"};
constexpr const char* kSuspectColour = "#e53935";
constexpr double kPlotLeft = 50, kPlotWidth = 680, kPanelHeight = 90;

bool Suspect(const StationTally& station, char position) {
    const std::uint32_t here = station.positions.at(position).total;
    std::uint32_t elsewhere = 0;
    for (const auto& [other, failures] : station.positions) elsewhere += other == position ? 0 : failures.total;
    const auto others = static_cast<std::uint32_t>(std::max<std::size_t>(station.positions.size(), 4) - 1);
    // Or the station would be warning of it now, at its default SuspectAfter.
    const auto suspectAfter = static_cast<std::uint32_t>(kSuspectAfterKey.NumberDefault());
    return SlotFarAbove(here, elsewhere, others) || SlotSuspect(station.streaks.InARow(position), suspectAfter);
}

std::string PositionName(char position) { return std::string(1, position); }

std::string StationPositions(const LineTally& tally, const StationTally& station) {
    const ReportPeriods& periods = tally.Periods();
    std::uint32_t most = 1;
    for (const auto& [position, failures] : station.positions)
        for (const std::uint32_t count : failures.failed) most = std::max(most, count);
    const double group = kPlotWidth / periods.Count();
    const double bar = group * 0.8 / std::max<std::size_t>(station.positions.size(), 1);
    Svg chart(kPlotLeft + kPlotWidth + 10, 150, StringText(IDS_REPORT_POSITIONS) + (" " + station.name));
    chart.Line(kPlotLeft, 110, kPlotLeft + kPlotWidth, 110, "#444");
    chart.Text(kPlotLeft - 4, 14, std::to_string(most), "end", 10);
    std::vector<std::string> head = {StringText(IDS_REPORT_PERIOD), StringText(IDS_REPORT_TESTED)};
    std::size_t index = 0;
    for (const auto& [position, failures] : station.positions) {
        const char* colour = Suspect(station, position) ? kSuspectColour : kPositionColours[index % 8];
        for (std::size_t p = 0; p < periods.Count(); ++p) {
            const double height = 100.0 * failures.failed[p] / most;
            chart.Rect(kPlotLeft + group * p + group * 0.1 + bar * index, 110 - height, bar, height, colour,
                       PositionName(position) + " " + periods.Label(p) + ": " + std::to_string(failures.failed[p]));
        }
        chart.Rect(kPlotLeft + 70 * index, 134, 10, 10, colour);
        chart.Text(kPlotLeft + 70 * index + 14, 143, StringText(IDS_REPORT_SLOT) + (" " + PositionName(position)));
        head.push_back(StringText(IDS_REPORT_SLOT) + (" " + PositionName(position)));
        ++index;
    }
    for (std::size_t p = 0; p < periods.Count(); p += std::max<std::size_t>(periods.Count() / 8, 1))
        chart.Text(kPlotLeft + group * (p + 0.5), 124, periods.Label(p).substr(5, periods.Shifts() ? 11 : 5), "middle", 9);
    std::string table = "<table>" + TableHead(head);
    for (std::size_t p = 0; p < periods.Count(); ++p) {
        if (station.readers[p] == 0) continue;
        std::vector<std::string> cells = {periods.Label(p), std::to_string(station.readers[p])};
        for (const auto& [position, failures] : station.positions) cells.push_back(std::to_string(failures.failed[p]));
        table += TableRow(cells);
    }
    std::vector<std::string> total = {StringText(IDS_REPORT_ALL), std::to_string(station.readersTotal)};
    for (const auto& [position, failures] : station.positions) total.push_back(std::to_string(failures.total));
    return "<h3>" + Escaped(station.name) + "</h3>" + chart.Done() + table + TableRow(total, "total") + "</table>";
}

}  // namespace

std::string SuspectPositions(const LineTally& tally) {
    std::string sentences;
    for (const StationTally& station : tally.stations) {
        for (const auto& [position, failures] : station.positions) {
            if (!Suspect(station, position)) continue;
            const std::uint32_t elsewhere = [&] {
                std::uint32_t sum = 0;
                for (const auto& [other, f] : station.positions) sum += other == position ? 0 : f.total;
                return sum;
            }();
            char text[512];
            std::snprintf(text, sizeof text, StringText(IDS_REPORT_SUSPECT_SLOT), station.name.c_str(), position,
                          failures.total, station.readersTotal, elsewhere, station.readersTotal, position);
            sentences += std::string(text) + "\n";
        }
    }
    return sentences;
}

std::string PositionSection(const LineTally& tally) {
    std::string section = "<h2>" + Escaped(StringText(IDS_REPORT_POSITIONS)) + "</h2>";
    const std::string suspects = SuspectPositions(tally);
    for (std::size_t at = 0, end; (end = suspects.find('\n', at)) != std::string::npos; at = end + 1)
        section += "<p class=\"warn\">" + Escaped(suspects.substr(at, end - at)) + "</p>";
    for (const StationTally& station : tally.stations)
        if (station.readersTotal > 0) section += StationPositions(tally, station);
    return section;
}

}  // namespace talven
