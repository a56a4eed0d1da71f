#include "production/StationState.h"

#include <cstdio>
#include <optional>

#include "platform/PathText.h"

namespace talven {

namespace {

// Far more than a station's state takes; a larger file is not ours.
constexpr std::uint32_t kMaxStateSize = 1u << 16;
// Serials hold no control character: a tab never is one.
constexpr char kSeparator = '\t';
constexpr const char* kEndLine = "end";

constexpr const char* kHeader =
    "; Talven station state, written by the program: the serial numbers it has\r\n"
    "; handed out and the shift's counts. Keep it beside the settings file and\r\n"
    "; do not edit it: a station that forgets a serial hands it out again.\r\n";

std::string CountsValue(const ModeCounts& counts) {
    char text[64];
    std::snprintf(text, sizeof text, "%u %u %u", counts.passed, counts.failed, counts.notJudged);
    return text;
}

bool ParseCounts(const std::string& value, ModeCounts& counts) {
    unsigned passed = 0;
    unsigned failed = 0;
    unsigned notJudged = 0;
    char rest = 0;
    if (std::sscanf(value.c_str(), "%u %u %u%c", &passed, &failed, &notJudged, &rest) != 3) return false;
    counts = {passed, failed, notJudged};
    return true;
}

// "low<TAB>high" of one series.
bool ParseRange(const std::string& value, HandedRange& range) {
    const std::size_t tab = value.find(kSeparator);
    if (tab == std::string::npos) return false;
    const std::optional<SerialNumber> low = ParseSerial(value.substr(0, tab));
    const std::optional<SerialNumber> high = ParseSerial(value.substr(tab + 1));
    if (!low || !high || low->prefix != high->prefix || low->width != high->width || high->number < low->number)
        return false;
    range = {*low, high->number};
    return true;
}

bool ParseLine(const std::string& key, const std::string& value, StationState& state) {
    if (key == "handed") {
        HandedRange range;
        if (!ParseRange(value, range)) return false;
        state.handed.push_back(range);
        return true;
    }
    if (key == "block") {
        const std::size_t tab = value.find(kSeparator);
        if (tab == std::string::npos) return false;
        state.blockFirst = value.substr(0, tab);
        state.blockLast = value.substr(tab + 1);
        return true;
    }
    if (key == "test") return ParseCounts(value, state.counts.test);
    if (key == "eeprom") return ParseCounts(value, state.counts.eeprom);
    // A later program's key: kept out, not a fault.
    return true;
}

}  // namespace

std::string StationStatePath(const std::string& settingsPath) {
    return WithoutExtension(settingsPath) + ".state";
}

std::string FormatStationState(const StationState& state) {
    std::string text = kHeader;
    for (const HandedRange& range : state.handed) {
        const SerialNumber high{range.low.prefix, range.low.width, range.high};
        text += "handed=" + range.low.Text() + kSeparator + high.Text() + "\r\n";
    }
    if (!state.blockFirst.empty()) text += "block=" + state.blockFirst + kSeparator + state.blockLast + "\r\n";
    text += "test=" + CountsValue(state.counts.test) + "\r\n";
    text += "eeprom=" + CountsValue(state.counts.eeprom) + "\r\n";
    return text + kEndLine + "\r\n";
}

bool ParseStationState(const std::string& text, StationState& state) {
    state = {};
    bool ended = false;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        // Whatever follows the end line was not written with it.
        if (ended) return false;
        if (line == kEndLine) {
            ended = true;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || !ParseLine(line.substr(0, equals), line.substr(equals + 1), state))
            return false;
    }
    return ended;
}

StateRead ReadStationState(Platform& platform, const std::string& path, StationState& state, FileResult* trouble) {
    state = {};
    std::string text(kMaxStateSize, '\0');
    const FileEnd end = platform.FileReadEnd(path.c_str(), text.data(), kMaxStateSize);
    if (trouble != nullptr) *trouble = end.result;
    if (end.result == FileResult::Missing) return StateRead::Missing;
    if (end.result != FileResult::Done) return StateRead::Failed;
    if (end.size != end.bytes) return StateRead::Damaged;
    text.resize(end.bytes);
    return ParseStationState(text, state) ? StateRead::Read : StateRead::Damaged;
}

FileResult WriteStationState(Platform& platform, const std::string& path, const StationState& state) {
    const std::string text = FormatStationState(state);
    const std::string temporary = path + ".tmp";
    const FileResult written =
        platform.FileWriteWhole(temporary.c_str(), text.data(), static_cast<std::uint32_t>(text.size()));
    if (written != FileResult::Done) return written;
    return platform.MoveFileExA(temporary.c_str(), path.c_str());
}

}  // namespace talven
