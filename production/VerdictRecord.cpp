#include "production/VerdictRecord.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

#include "resources/StringTable.h"
#include "settings/SettingsFile.h"

namespace talven {

namespace {

constexpr const char* kLineEnd = "\r\n";
// Spreadsheets take a file with it for UTF-8 rather than the local code page.
constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";
// Enough of the file's end to hold its last few lines.
constexpr std::uint32_t kTailSize = 8192;
constexpr std::size_t kRunColumn = 4;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char SeparatorOf(const std::string& path) { return path.find('\\') != std::string::npos ? '\\' : '/'; }

bool IsAbsolute(const std::string& path) {
    return (!path.empty() && IsSeparator(path[0])) || (path.size() >= 2 && path[1] == ':');
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty() || IsSeparator(folder.back())) return folder + name;
    return folder + SeparatorOf(folder) + name;
}

// The station's texts are of the Windows code page; as Latin-1 they are at
// least valid UTF-8 whatever they hold.
std::string Utf8(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | byte >> 6);
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

// RFC 4180: a field with a comma, a quote or a line break is quoted, and its
// quotes doubled.
std::string Field(const std::string& text) {
    const std::string utf8 = Utf8(text);
    if (utf8.find_first_of(",\"\r\n") == std::string::npos) return utf8;
    std::string quoted = "\"";
    for (const char c : utf8) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string Fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Timestamp(const LocalTime& time) {
    const int offset = time.utcOffsetMinutes;
    const int magnitude = offset < 0 ? -offset : offset;
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u%c%02d:%02d", time.year, time.month, time.day,
                  time.hour, time.minute, time.second, offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
    return text;
}

const char* WordOf(VerdictWord word) {
    switch (word) {
        case VerdictWord::Pass: return "pass";
        case VerdictWord::Fail: return "fail";
        case VerdictWord::Stop: return "stop";
        case VerdictWord::Empty: return "empty";
    }
    return "fail";
}

// The fields of one CSV line, quotes undone.
std::vector<std::string> SplitLine(const std::string& line) {
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

// The highest run number among the whole lines of a file's end.
std::uint32_t HighestRun(const std::string& tail, bool fromStart) {
    std::uint32_t highest = 0;
    std::size_t start = 0;
    // A tail that begins inside a line holds only the rest of it.
    if (!fromStart) start = tail.find('\n') == std::string::npos ? tail.size() : tail.find('\n') + 1;
    for (std::size_t end; (end = tail.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::vector<std::string> fields = SplitLine(tail.substr(start, end - start));
        if (fields.size() <= kRunColumn) continue;
        const std::string& run = fields[kRunColumn];
        if (run.empty() || run.size() > 9 || run.find_first_not_of("0123456789") != std::string::npos) continue;
        highest = std::max(highest, static_cast<std::uint32_t>(std::stoul(run)));
    }
    return highest;
}

}  // namespace

std::string VerdictRecord::Folder() const {
    char value[kSettingsTextSize] = {};
    SettingsFile(platform, settingsPath).ReadText(kRecordFolderKey, value);
    std::string folder = value;
    // "D:\records\" is the folder D:\records; a root keeps its separator.
    while (folder.size() > 1 && IsSeparator(folder.back()) && folder[folder.size() - 2] != ':') folder.pop_back();
    if (IsAbsolute(folder)) return folder;
    char program[kMaxPath] = {};
    const std::uint32_t length = platform.GetModuleFileNameA(program, kMaxPath);
    std::string programFolder(program, std::min(length, kMaxPath - 1));
    const std::size_t last = programFolder.find_last_of("\\/");
    programFolder.resize(last == std::string::npos ? 0 : last + 1);
    return folder.empty() ? programFolder : Join(programFolder, folder);
}

std::string VerdictRecord::Computer() const {
    char name[256] = {};
    const std::uint32_t length = platform.GetComputerNameA(name, sizeof name);
    return std::string(name, std::min<std::uint32_t>(length, sizeof name - 1));
}

std::string VerdictRecord::FileName(const LocalTime& time) const {
    std::string computer = Computer();
    // Only what every file system takes in a name.
    for (char& c : computer)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') c = '_';
    char name[64];
    std::snprintf(name, sizeof name, "Talven-%04u-%02u-%02u", time.year, time.month, time.day);
    return std::string(name) + (computer.empty() ? "" : "-" + computer) + ".csv";
}

std::string VerdictRecord::Format(const Verdict& verdict, const LocalTime& time) const {
    std::vector<std::string> fields = {Timestamp(time), Computer(),      version,         verdict.mode,
                                       std::to_string(verdict.run),      verdict.chip,    verdict.drive,
                                       verdict.product, verdict.text,    WordOf(verdict.word)};
    std::vector<std::string> test(4);
    if (const std::optional<TestFigures>& figures = verdict.figures) {
        test[0] = Fixed(static_cast<double>(figures->bytesWritten) / (1u << 20), 1);
        // A phase with no true figure leaves its field empty.
        if (const std::optional<double> speed = WriteSpeed(*figures)) test[1] = Fixed(*speed, 1);
        if (const std::optional<double> speed = ReadSpeed(*figures)) test[2] = Fixed(*speed, 1);
        test[3] = Fixed(static_cast<double>(figures->totalMs) / 1000, 2);
    }
    fields.insert(fields.end(), test.begin(), test.end());
    for (const std::string* image : {&verdict.vendorId, &verdict.productId, &verdict.serial, &verdict.checksum})
        fields.push_back(*image);
    std::string line;
    for (const std::string& field : fields) line += (line.empty() ? "" : ",") + Field(field);
    return line + kLineEnd;
}

std::uint32_t VerdictRecord::LastRun(const std::string& fileName, bool& known) {
    std::string tail(kTailSize, '\0');
    const FileEnd end = platform.FileReadEnd(Join(Folder(), fileName).c_str(), tail.data(), kTailSize);
    known = end.result == FileResult::Done || end.result == FileResult::Missing;
    std::uint32_t last = 0;
    if (end.result == FileResult::Done) {
        tail.resize(end.bytes);
        last = HighestRun(tail, end.size == end.bytes);
    }
    for (const Line& line : waiting)
        if (line.fileName == fileName) last = std::max(last, line.run);
    return last;
}

std::uint32_t VerdictRecord::StartRun() {
    LocalTime now;
    platform.GetLocalTime(now);
    const std::string name = FileName(now);
    // A file that could not be read is read again at the next run, so that
    // its numbers are not taken twice once it can.
    if (name != runFile || !runKnown) {
        bool known = false;
        const std::uint32_t last = LastRun(name, known);
        if (name != runFile) lastRun = 0;
        lastRun = std::max(lastRun, last);
        runFile = name;
        runKnown = known;
    }
    return ++lastRun;
}

void VerdictRecord::Add(const Verdict& verdict) {
    LocalTime now;
    platform.GetLocalTime(now);
    waiting.push_back({FileName(now), verdict.run, Format(verdict, now)});
    Flush();
}

bool VerdictRecord::Flush() {
    if (waiting.empty()) {
        trouble = FileResult::Done;
        return true;
    }
    const std::string folder = Folder();
    trouble = MakeFolder(folder);
    while (trouble == FileResult::Done && !waiting.empty()) {
        trouble = WriteLine(Join(folder, waiting.front().fileName), waiting.front().text);
        if (trouble == FileResult::Done) waiting.pop_front();
    }
    return waiting.empty();
}

// Makes the folder and whatever of its path is missing, down from the first
// folder that exists; a drive or a server is never made.
FileResult VerdictRecord::MakeFolder(const std::string& folder) {
    const FileResult made = platform.CreateDirectoryA(folder.c_str());
    if (made != FileResult::Missing) return made;
    const std::size_t last = folder.find_last_of("\\/");
    if (last == std::string::npos || last <= 2) return made;
    const std::string parent = folder.substr(0, last);
    if (parent.find_first_not_of("\\/") == std::string::npos) return made;
    const FileResult parentMade = MakeFolder(parent);
    return parentMade == FileResult::Done ? platform.CreateDirectoryA(folder.c_str()) : parentMade;
}

// One append of a whole line: with the header when the file is new, after a
// line end when the file's last line was cut off.
FileResult VerdictRecord::WriteLine(const std::string& path, const std::string& text) {
    char last = '\n';
    const FileEnd end = platform.FileReadEnd(path.c_str(), &last, 1);
    std::string bytes;
    if (end.result == FileResult::Missing || (end.result == FileResult::Done && end.size == 0)) {
        bytes = std::string(kByteOrderMark) + kRecordHeader + kLineEnd;
    } else if (end.result != FileResult::Done) {
        return end.result;
    } else if (last != '\n') {
        bytes = kLineEnd;
    }
    bytes += text;
    return platform.FileAppend(path.c_str(), bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

std::string RecordBehindText(const VerdictRecord& record, const ProductionView& view) {
    if (record.Waiting() == 0) return {};
    unsigned reason = IDS_RECORD_FAILED;
    switch (record.Trouble()) {
        case FileResult::InUse: reason = IDS_RECORD_IN_USE; break;
        case FileResult::DiskFull: reason = IDS_RECORD_DISK_FULL; break;
        case FileResult::Denied: reason = IDS_RECORD_DENIED; break;
        case FileResult::NotAFolder: reason = IDS_RECORD_NOT_A_FOLDER; break;
        case FileResult::Missing: reason = IDS_RECORD_NO_FOLDER; break;
        default: break;
    }
    char text[256];
    std::snprintf(text, sizeof text, view.LoadText(IDS_RECORD_BEHIND).c_str(),
                  static_cast<unsigned>(record.Waiting()), view.LoadText(reason).c_str());
    return text;
}

}  // namespace talven
