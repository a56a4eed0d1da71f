// The page's serial ledger and the record's own faults.
#include <algorithm>
#include <cstdio>

#include "report/ReportPage.h"
#include "report/ReportSvg.h"
#include "resources/StringTable.h"

namespace talven {

namespace {

constexpr std::size_t kListed = 100;

std::string SerialText(const LineTally& tally, const SerialPlace& place) {
    const SerialBlock& block = tally.blocks[place.block];
    if (block.width == 0) return block.prefix;
    char digits[32];
    std::snprintf(digits, sizeof digits, "%0*llu", static_cast<int>(block.width),
                  static_cast<unsigned long long>(place.number));
    return block.prefix + digits;
}

bool SameSerial(const SerialPlace& a, const SerialPlace& b) { return a.block == b.block && a.number == b.number; }

bool BySerial(const SerialPlace& a, const SerialPlace& b) {
    return std::tie(a.block, a.number, a.moment.day, a.moment.minute) <
           std::tie(b.block, b.number, b.moment.day, b.moment.minute);
}

std::string Section(unsigned heading) { return "<h3>" + Escaped(StringText(heading)) + "</h3>"; }

// Per block: serials written, and the highest, over all and per station.
std::string Blocks(const LineTally& tally, const std::vector<SerialPlace>& written) {
    std::string table = "<table>" + TableHead({StringText(IDS_REPORT_BLOCK), StringText(IDS_REPORT_WRITTEN_COUNT),
                                               StringText(IDS_REPORT_HIGHEST), StringText(IDS_REPORT_STATIONS)});
    for (std::size_t from = 0; from < written.size();) {
        std::size_t to = from;
        std::map<std::uint16_t, const SerialPlace*> highest;
        for (; to < written.size() && written[to].block == written[from].block; ++to) highest[written[to].station] = &written[to];
        std::string stations;
        for (const auto& [station, place] : highest)
            stations += (stations.empty() ? "" : ", ") + tally.stations[station].name + " " + SerialText(tally, *place);
        const SerialBlock& block = tally.blocks[written[from].block];
        table += TableRow({block.prefix + std::string(block.width, '#'), std::to_string(to - from),
                           SerialText(tally, written[to - 1]), stations});
        from = to;
    }
    return Section(IDS_REPORT_BLOCKS) + table + "</table>";
}

std::string Duplicates(const LineTally& tally, const std::vector<SerialPlace>& written) {
    std::string rows;
    std::size_t count = 0;
    for (std::size_t from = 0, to; from < written.size(); from = to) {
        for (to = from + 1; to < written.size() && SameSerial(written[to], written[from]);) ++to;
        if (to - from < 2 || ++count > kListed) continue;
        std::string places;
        for (std::size_t i = from; i < to; ++i)
            places += (i == from ? "" : "; ") + tally.stations[written[i].station].name + " " + MomentText(written[i].moment);
        rows += TableRow({SerialText(tally, written[from]), std::to_string(to - from), places}, "bad");
    }
    char text[256];
    std::snprintf(text, sizeof text, StringText(IDS_REPORT_DUPLICATES), static_cast<unsigned>(count));
    std::string section = Section(IDS_REPORT_DUPLICATES_HEAD) + "<p" + (count > 0 ? " class=\"warn\"" : "") + ">" +
                          Escaped(text) + "</p>";
    if (count == 0) return section;
    return section + "<table>" + TableHead({StringText(IDS_REPORT_SERIAL), StringText(IDS_REPORT_TIMES),
                                            StringText(IDS_REPORT_WHERE)}) + rows + "</table>";
}

// Serials one job's records hold and the other's do not.
std::string Unmatched(const LineTally& tally, const std::vector<SerialPlace>& all, bool tested, unsigned heading) {
    std::string rows;
    std::size_t count = 0;
    for (std::size_t from = 0, to; from < all.size(); from = to) {
        bool other = false;
        for (to = from; to < all.size() && SameSerial(all[to], all[from]); ++to) other = other || all[to].tested != tested;
        if (other || all[from].tested != tested || ++count > kListed) continue;
        rows += TableRow({SerialText(tally, all[from]), tally.stations[all[from].station].name, MomentText(all[from].moment)});
    }
    char text[256];
    std::snprintf(text, sizeof text, StringText(IDS_REPORT_UNMATCHED), static_cast<unsigned>(count));
    std::string section = Section(heading) + "<p>" + Escaped(text) + "</p>";
    if (count == 0) return section;
    return section + "<table>" + TableHead({StringText(IDS_REPORT_SERIAL), StringText(IDS_REPORT_STATION),
                                            StringText(IDS_REPORT_TIME)}) + rows + "</table>";
}

std::string OccurrenceTable(const std::map<std::pair<std::string, std::string>, Occurrences>& texts, unsigned what) {
    std::string table = "<table>" + TableHead({StringText(IDS_REPORT_STATION), StringText(what), StringText(IDS_REPORT_TIMES),
                                               StringText(IDS_REPORT_FIRST), StringText(IDS_REPORT_LAST)});
    for (const auto& [key, seen] : texts)
        table += TableRow({key.first, key.second, std::to_string(seen.count), MomentText(seen.first), MomentText(seen.last)});
    return table + "</table>";
}

const char* FileResultText(FileResult result) {
    switch (result) {
        case FileResult::Missing: return StringText(IDS_REPORT_FILE_MISSING);
        case FileResult::InUse: return StringText(IDS_REPORT_FILE_IN_USE);
        case FileResult::Denied: return StringText(IDS_REPORT_FILE_DENIED);
        default: return StringText(IDS_REPORT_FILE_FAILED);
    }
}

}  // namespace

std::size_t DuplicateSerials(const LineTally& tally) {
    std::vector<SerialPlace> written;
    std::copy_if(tally.serials.begin(), tally.serials.end(), std::back_inserter(written),
                 [](const SerialPlace& p) { return !p.tested; });
    std::sort(written.begin(), written.end(), BySerial);
    std::size_t count = 0;
    for (std::size_t i = 1; i < written.size(); ++i)
        count += SameSerial(written[i], written[i - 1]) && (i < 2 || !SameSerial(written[i - 1], written[i - 2])) ? 1 : 0;
    return count;
}

std::string LedgerSection(const LineTally& tally) {
    std::vector<SerialPlace> all = tally.serials;
    std::sort(all.begin(), all.end(), BySerial);
    std::vector<SerialPlace> written;
    std::copy_if(all.begin(), all.end(), std::back_inserter(written), [](const SerialPlace& p) { return !p.tested; });
    std::string section = "<h2>" + Escaped(StringText(IDS_REPORT_LEDGER)) + "</h2>";
    if (written.empty()) return section + "<p>" + Escaped(StringText(IDS_REPORT_NO_SERIALS)) + "</p>";
    section += Blocks(tally, written) + Duplicates(tally, written);
    // Only when both jobs' records are here can one say what the other lacks.
    if (written.size() == all.size()) return section + "<p>" + Escaped(StringText(IDS_REPORT_NO_TESTED_SERIALS)) + "</p>";
    return section + Unmatched(tally, all, true, IDS_REPORT_NEVER_PROGRAMMED) +
           Unmatched(tally, all, false, IDS_REPORT_NEVER_TESTED);
}

std::string QualitySection(const LineTally& tally) {
    char text[256];
    std::snprintf(text, sizeof text, StringText(IDS_REPORT_UNREADABLE), static_cast<unsigned long long>(tally.unreadableCount),
                  static_cast<unsigned>(tally.unreadableByFile.size()));
    std::string section = "<h2>" + Escaped(StringText(IDS_REPORT_QUALITY)) + "</h2><p>" + Escaped(text) + "</p>";
    if (!tally.unreadable.empty()) {
        section += "<table>" + TableHead({StringText(IDS_REPORT_FILE), StringText(IDS_REPORT_LINES)});
        for (const auto& [file, count] : tally.unreadableByFile) section += TableRow({file, std::to_string(count)});
        section += "</table><table>" +
                   TableHead({StringText(IDS_REPORT_FILE), StringText(IDS_REPORT_LINE), StringText(IDS_REPORT_WHY)});
        for (const UnreadableLine& line : tally.unreadable)
            section += TableRow({line.file, std::to_string(line.line), line.reason});
        section += "</table>";
    }
    for (const auto& [file, result] : tally.unreadFiles)
        section += "<p class=\"warn\">" + Escaped(file) + ": " + Escaped(FileResultText(result)) + "</p>";
    section += Section(IDS_REPORT_REFUSED);
    section += tally.refusals.empty() ? "<p>" + Escaped(StringText(IDS_REPORT_NONE)) + "</p>"
                                      : OccurrenceTable(tally.refusals, IDS_REPORT_WHY);
    section += Section(IDS_REPORT_WARNINGS);
    section += tally.warnings.empty() ? "<p>" + Escaped(StringText(IDS_REPORT_NONE)) + "</p>"
                                      : OccurrenceTable(tally.warnings, IDS_REPORT_WARNING);
    return section;
}

}  // namespace talven
