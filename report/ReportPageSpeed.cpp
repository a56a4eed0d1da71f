// The page's speeds: per station and slot position, each hour's write and
// read median with the band from the 10th to the 90th percentile.
#include <algorithm>
#include <cstdio>

#include "report/ReportPage.h"
#include "report/ReportSvg.h"
#include "resources/StringTable.h"

namespace talven {

namespace {

constexpr double kPlotLeft = 50, kPlotWidth = 680, kPanelHeight = 80, kPanelGap = 32;
using Cells = std::vector<std::pair<std::uint32_t, const SpeedCell*>>;  // by hour

struct Phase {
    const SpeedHistogram SpeedCell::*histogram;
    const char* line;
    const char* band;
};
constexpr Phase kPhases[] = {{&SpeedCell::write, "#1e62b4", "#a9c8ee"}, {&SpeedCell::read, "#2e7d32", "#b7dfb9"}};

// Each run of hours with speeds as one band and one median line.
void DrawPhase(Svg& chart, const Cells& cells, const Phase& phase, double top, double hours, double fastest) {
    const auto x = [&](std::uint32_t hour) { return kPlotLeft + kPlotWidth * (hour + 0.5) / hours; };
    const auto y = [&](double speed) { return top + kPanelHeight - kPanelHeight * speed / fastest; };
    for (std::size_t from = 0; from < cells.size();) {
        std::size_t to = from + 1;
        while (to < cells.size() && cells[to].first == cells[to - 1].first + 1) ++to;
        std::vector<std::pair<double, double>> band, median;
        for (std::size_t i = from; i < to; ++i) {
            const SpeedHistogram& h = (*cells[i].second).*phase.histogram;
            band.emplace_back(x(cells[i].first), y(h.Percentile(0.9)));
            median.emplace_back(x(cells[i].first), y(h.Percentile(0.5)));
        }
        for (std::size_t i = to; i-- > from;)
            band.emplace_back(x(cells[i].first), y(((*cells[i].second).*phase.histogram).Percentile(0.1)));
        chart.Polygon(band, phase.band);
        // A lone hour shows as a short stroke.
        if (median.size() == 1) median.push_back({median[0].first + 2, median[0].second});
        chart.Polyline(median, phase.line);
        from = to;
    }
}

// Each day's start under the panel, at most about fourteen of them labelled.
void DayTicks(Svg& chart, const ReportPeriods& periods, double bottom, double hours) {
    const auto days = static_cast<std::int32_t>(hours / 24);
    const std::int32_t step = std::max(days / 14, 1);
    for (std::int32_t day = 0; day < days; ++day) {
        const double x = kPlotLeft + kPlotWidth * day * 24 / hours;
        chart.Line(x, bottom, x, bottom + 4, "#444");
        if (day % step == 0) chart.Text(x + 2, bottom + 13, DayText(periods.First() + day).substr(5), "start", 9);
    }
}

std::string Band(const SpeedHistogram& h) {
    if (h.Count() == 0) return "-";
    return Fixed(h.Percentile(0.5), 1) + " (" + Fixed(h.Percentile(0.1), 1) + "-" + Fixed(h.Percentile(0.9), 1) + ")";
}

std::string HourText(const ReportPeriods& periods, std::uint32_t hour) {
    char clock[32];
    std::snprintf(clock, sizeof clock, " %02u:00", hour % 24);
    return DayText(periods.First() + static_cast<std::int32_t>(hour / 24)) + clock;
}

std::string StationSpeeds(const LineTally& tally, std::uint16_t station) {
    std::map<char, Cells> positions;
    double fastest = 1;
    for (const auto& [key, cell] : tally.speeds) {
        if (std::get<0>(key) != station) continue;
        positions[std::get<1>(key)].emplace_back(std::get<2>(key), &cell);
        fastest = std::max({fastest, cell.write.Percentile(0.9), cell.read.Percentile(0.9)});
    }
    if (positions.empty()) return {};
    const double hours = (tally.Periods().Last() - tally.Periods().First() + 1) * 24.0;
    Svg chart(kPlotLeft + kPlotWidth + 10, (kPanelHeight + kPanelGap) * positions.size() + 20,
              StringText(IDS_REPORT_SPEED) + (" " + tally.stations[station].name));
    std::string table = "<table>" + TableHead({StringText(IDS_REPORT_HOUR), StringText(IDS_REPORT_SLOT),
                                               StringText(IDS_REPORT_SPEED_WRITE), StringText(IDS_REPORT_SPEED_READ)});
    double top = 16;
    for (const auto& [position, cells] : positions) {
        chart.Text(kPlotLeft, top - 4, StringText(IDS_REPORT_SLOT) + (" " + std::string(1, position)));
        chart.Text(kPlotLeft - 4, top + 8, Fixed(fastest, 0), "end", 9);
        chart.Line(kPlotLeft, top + kPanelHeight, kPlotLeft + kPlotWidth, top + kPanelHeight, "#444");
        for (const Phase& phase : kPhases) DrawPhase(chart, cells, phase, top, hours, fastest);
        DayTicks(chart, tally.Periods(), top + kPanelHeight, hours);
        for (const auto& [hour, cell] : cells)
            table += TableRow({HourText(tally.Periods(), hour), std::string(1, position), Band(cell->write), Band(cell->read)});
        top += kPanelHeight + kPanelGap;
    }
    chart.Text(kPlotLeft, top + 2, StringText(IDS_REPORT_SPEED_LEGEND), "start", 10);
    return "<h3>" + Escaped(tally.stations[station].name) + "</h3>" + chart.Done() + table + "</table>";
}

}  // namespace

std::string SpeedSection(const LineTally& tally) {
    std::string section = "<h2>" + Escaped(StringText(IDS_REPORT_SPEED)) + "</h2><p>" +
                          Escaped(StringText(IDS_REPORT_SPEED_NOTE)) + "</p>";
    for (std::uint16_t station = 0; station < tally.stations.size(); ++station) section += StationSpeeds(tally, station);
    return section;
}

}  // namespace talven
