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

// Three counts apart by one blank; a sign or a count past 32 bits is damage,
// never a count read as another.
bool ParseCounts(const std::string& value, ModeCounts& counts) {
    std::uint64_t read[3] = {};
    std::size_t at = 0;
    for (std::uint64_t& count : read) {
        if (&count != read && (at >= value.size() || value[at++] != ' ')) return false;
        const std::size_t start = at;
        while (at < value.size() && value[at] >= '0' && value[at] <= '9' && at - start < 11)
            count = count * 10 + static_cast<std::uint64_t>(value[at++] - '0');
        if (at == start || count > UINT32_MAX) return false;
    }
    if (at != value.size()) return false;
    counts = {static_cast<std::uint32_t>(read[0]), static_cast<std::uint32_t>(read[1]),
              static_cast<std::uint32_t>(read[2])};
    return true;
}

}  // namespace

// "low<TAB>high" of one series.
bool ParseHandedRange(const std::string& value, HandedRange& range) {
    const std::size_t tab = value.find(kSeparator);
    if (tab == std::string::npos) return false;
    const std::optional<SerialNumber> low = ParseSerial(value.substr(0, tab));
    const std::optional<SerialNumber> high = ParseSerial(value.substr(tab + 1));
    if (!low || !high || low->prefix != high->prefix || low->width != high->width || high->number < low->number)
        return false;
    range = {*low, high->number};
    return true;
}

namespace {

bool ParseLine(const std::string& key, const std::string& value, StationState& state) {
    if (key == "handed") {
        HandedRange range;
        if (!ParseHandedRange(value, range)) return false;
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
    // A later program's key: not a fault, and written back as it was.
    state.unknown.push_back(key + "=" + value);
    return true;
}

}  // namespace

std::string StationStatePath(const std::string& settingsPath) {
    return WithoutExtension(settingsPath) + ".state";
}

std::string RecordIndexPath(const std::string& settingsPath) {
    const std::string state = StationStatePath(settingsPath);
    return state.substr(0, state.size() - std::string(".state").size()) + ".index";
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
    for (const std::string& line : state.unknown) text += line + "\r\n";
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

StateHold::StateHold(Platform& platform, const std::string& statePath) : platform(platform) {
    constexpr int kTries = 30;
    constexpr std::uint32_t kPauseMs = 100;
    const std::string path = statePath + ".lock";
    for (int tried = 1;; ++tried) {
        result = platform.FileHold(path.c_str(), held);
        if (result != FileResult::InUse || tried == kTries) break;
        platform.Sleep(kPauseMs);
    }
}

StateHold::~StateHold() {
    if (result == FileResult::Done) platform.FileRelease(held);
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
