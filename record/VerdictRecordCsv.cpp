#include "record/VerdictRecordCsv.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "settings/SettingsText.h"

namespace talven {

namespace {

constexpr const char* kLineEnd = "\r\n";
// Enough of a file's end to hold its last few lines; a longer look back
// only when that holds no whole line.
constexpr std::uint32_t kTailSize = 8192;
constexpr std::uint32_t kLongestTail = 64u << 20;

// RFC 4180: a field with a comma, a quote or a line break is quoted, and its
// quotes doubled.
std::string Quoted(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (const char c : field) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// Every whole line of `bytes`, a file's end that starts with a whole line
// only when `fromStart`, noted in `tail`; false when none is a record line.
bool ScanLines(const std::string& bytes, bool fromStart, const SoughtLines& sought, RecordTail& tail) {
    bool found = false;
    std::size_t start = 0;
    if (!fromStart) start = bytes.find('\n') == std::string::npos ? bytes.size() : bytes.find('\n') + 1;
    for (std::size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::vector<std::string> fields = SplitCsvLine(bytes.substr(start, end - start));
        bool numbered = false;
        const std::uint32_t run = RecordRun(fields, numbered);
        if (!numbered) continue;
        found = true;
        tail.highestRun = std::max(tail.highestRun, run);
        const auto line =
            fields.size() < kIdentifiedRecordColumns ? sought.end() : sought.find(fields[kRecordLineColumn]);
        if (line != sought.end() && SameRecordLine(fields, line->second)) tail.found[line->first] = run;
    }
    tail.openText = bytes.substr(std::min(start, bytes.size()));
    if (start < bytes.size()) {
        const bool loneCr = bytes.back() == '\r';
        tail.openLine = SplitCsvLine(bytes.substr(start, bytes.size() - start - (loneCr ? 1 : 0)));
    }
    return found;
}

// Whether every sought line is a line of the tail, the open one included.
bool FoundAll(const RecordTail& tail, const SoughtLines& sought) {
    for (const auto& [identity, line] : sought) {
        if (!SameRecordLine(tail.openLine, line) && tail.found.count(identity) == 0) return false;
    }
    return true;
}

}  // namespace

// The station's texts are of the Windows code page, a serial number may be
// UTF-8 from the settings: read as settings texts are read (the code page's
// bytes as Latin-1), each is valid UTF-8 whatever it holds. A control
// character would break the line: it becomes a blank.
std::string RecordText(const std::string& text) {
    std::u32string characters = DecodeSettingsText(text);
    for (char32_t& c : characters)
        if (c < 0x20 || c == 0x7F) c = U' ';
    return Utf8(characters);
}

std::string RecordTime(const LocalTime& time) {
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", time.year, time.month, time.day, time.hour,
                  time.minute, time.second);
    return text;
}

std::string RecordUtcOffset(const LocalTime& time) {
    const int offset = time.utcOffsetMinutes;
    const int magnitude = offset < 0 ? -offset : offset;
    char text[16];
    std::snprintf(text, sizeof text, "UTC%c%02d:%02d", offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
    return text;
}

std::string RecordHex(const std::string& digits) {
    if (digits.empty() || digits.rfind("0x", 0) == 0) return digits;
    return "0x" + digits;
}

std::string RecordVersion(const std::string& version, bool simulated) {
    const std::string shown = version.empty() ? version : "v" + version;
    if (!simulated) return shown;
    return shown.empty() ? "simulated" : shown + " simulated";
}

// Digits with at most signs, separators and an exponent read as a number,
// a date or a time; a letter makes a text of it.
std::string RecordSerial(const std::string& serial) {
    const bool numeric = std::none_of(serial.begin(), serial.end(), [](char c) {
        return std::isalpha(static_cast<unsigned char>(c)) != 0 && c != 'e' && c != 'E';
    });
    return serial.empty() || !numeric ? serial : "#" + serial;
}

std::string CsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) line += (i == 0 ? "" : ",") + Quoted(fields[i]);
    return line + kLineEnd;
}

std::vector<std::string> SplitCsvLine(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else if (c != '\r' || quoted) {
            fields.back() += c;
        }
    }
    return fields;
}

std::uint32_t RecordRun(const std::vector<std::string>& fields, bool& numbered, std::size_t firstColumn) {
    numbered = false;
    if (fields.size() < firstColumn + kFirstRecordColumns) return 0;
    const std::string& run = fields[firstColumn + kRecordRunColumn];
    if (run.empty() || run.size() > 9 || run.find_first_not_of("0123456789") != std::string::npos) return 0;
    numbered = true;
    return static_cast<std::uint32_t>(std::stoul(run));
}

bool SameRecordLine(const std::vector<std::string>& written, const std::vector<std::string>& line) {
    if (written.size() < line.size() || written.size() > std::max(line.size(), kRecordColumns)) return false;
    for (std::size_t i = 0; i < written.size(); ++i)
        if (i != kRecordRunColumn && written[i] != (i < line.size() ? line[i] : std::string())) return false;
    return true;
}

RecordTail ReadRecordTail(Platform& platform, const std::string& path, const SoughtLines& sought) {
    RecordTail tail;
    for (std::uint32_t size = kTailSize;; size = std::min(size * 8, kLongestTail)) {
        std::string bytes(size, '\0');
        const FileEnd end = platform.FileReadEnd(path.c_str(), bytes.data(), size);
        tail.result = end.result;
        tail.size = end.size;
        if (end.result != FileResult::Done) return tail;
        bytes.resize(end.bytes);
        tail.finish = bytes.empty() || bytes.back() == '\n' ? "" : bytes.back() == '\r' ? "\n" : kLineEnd;
        const bool fromStart = end.bytes == end.size;
        tail.openLine.clear();
        const bool lines = ScanLines(bytes, fromStart, sought, tail);
        if ((lines && FoundAll(tail, sought)) || fromStart || size >= kLongestTail) return tail;
    }
}

std::string ReadRecordFile(Platform& platform, const std::string& path, FileResult& result) {
    char first = 0;
    const FileEnd probe = platform.FileReadEnd(path.c_str(), &first, 1);
    result = probe.result;
    if (probe.result != FileResult::Done || probe.size <= 1) return std::string(probe.bytes, first);
    std::string bytes(static_cast<std::size_t>(std::min<std::uint64_t>(probe.size, kLongestTail)), '\0');
    const FileEnd end = platform.FileReadEnd(path.c_str(), bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    result = end.result;
    bytes.resize(end.result == FileResult::Done ? end.bytes : 0);
    return bytes;
}

}  // namespace talven
