#include "record/RecordSerials.h"

#include <algorithm>
#include <cctype>

#include "platform/PathText.h"
#include "production/StationState.h"
#include "record/RecordColumns.h"
#include "record/VerdictRecord.h"
#include "record/VerdictRecordCsv.h"
#include "settings/SettingsText.h"

namespace talven {

namespace {

constexpr char kSeparator = '\t';
constexpr const char* kEndLine = "end";
// No record file grows by this much between two starts: a day of a busy
// station is a few MiB.
constexpr std::uint64_t kLongestRead = 64u << 20;

constexpr const char* kIndexHeader =
    "; Talven record index, written by the program: how far it has read each\r\n"
    "; record file and the serials found there. Deleting it costs a longer\r\n"
    "; start, never a serial.\r\n";

bool StartsWithNoCase(const std::string& text, const char* start) {
    for (std::size_t i = 0; start[i] != 0; ++i)
        if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != start[i]) return false;
    return true;
}

bool IsRecordFile(const std::string& name) {
    return StartsWithNoCase(name, "talven") && name.size() > 4 &&
           StartsWithNoCase(name.substr(name.size() - 4), ".csv");
}

// Field `column` of a CSV line, quotes undone, without splitting the rest.
std::string FieldOf(const char* line, const char* end, std::size_t column) {
    std::size_t at = 0;
    bool quoted = false;
    std::string field;
    for (const char* c = line; c < end; ++c) {
        if (*c == '"') {
            if (quoted && c + 1 < end && c[1] == '"' && at == column) field += '"';
            if (quoted && c + 1 < end && c[1] == '"') ++c;
            else quoted = !quoted;
        } else if (*c == ',' && !quoted) {
            if (at++ == column) return field;
        } else if (at == column && *c != '\r') {
            field += *c;
        }
    }
    return at == column ? field : std::string();
}

// The serials of `bytes`' whole lines, the serial in field `column`; the
// bytes up to the last line end, which is how far they were read.
std::size_t AddSerials(const std::string& bytes, std::size_t column, SerialRanges& serials) {
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string serial = FieldOf(bytes.data() + start, bytes.data() + end, column);
        // A serial a spreadsheet would take for a number is written after a '#'.
        if (!serial.empty() && serial[0] == '#') serial.erase(0, 1);
        if (const std::optional<SerialNumber> parsed = ParseSerial(serial)) serials.Add(*parsed);
    }
    return start;
}

// The bytes of the file from `from` to its end, however far it grew meanwhile.
std::string ReadFrom(Platform& platform, const std::string& path, std::uint64_t from, std::uint64_t size,
                     FileResult& result) {
    for (;;) {
        if (size <= from) return {};
        if (size - from > kLongestRead) {
            result = FileResult::Failed;
            return {};
        }
        std::string bytes(static_cast<std::size_t>(size - from), '\0');
        const FileEnd end = platform.FileReadEnd(path.c_str(), bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        result = end.result;
        if (end.result != FileResult::Done) return {};
        if (end.size - end.bytes == from) return bytes.substr(0, end.bytes);
        size = end.size;  // it grew, or was cut back and is read anew
        if (size < from) from = 0;
    }
}

struct RecordIndex {
    std::string folder;
    std::map<std::string, std::uint64_t> read;  // file name to bytes read
    SerialRanges serials;
};

bool ParseIndexLine(const std::string& key, const std::string& value, RecordIndex& index) {
    if (key == "folder") {
        index.folder = value;
        return true;
    }
    if (key == "serials") return index.serials.AddLine(value);
    const std::size_t tab = value.find(kSeparator);
    if (key != "file" || tab == 0 || tab == std::string::npos || tab > 19) return false;
    const std::string digits = value.substr(0, tab);
    if (digits.find_first_not_of("0123456789") != std::string::npos) return false;
    index.read[value.substr(tab + 1)] = std::stoull(digits);
    return true;
}

// The index as written, or an empty one when it is missing, not whole or of another folder.
RecordIndex ReadIndex(Platform& platform, const std::string& path, const std::string& folder) {
    FileResult result = FileResult::Failed;
    const std::string text = ReadRecordFile(platform, path, result);
    RecordIndex index;
    bool ended = false;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        const std::size_t equals = line.find('=');
        ended = line == kEndLine;
        if (ended) break;
        if (equals == std::string::npos || !ParseIndexLine(line.substr(0, equals), line.substr(equals + 1), index))
            return {};
    }
    return ended && index.folder == folder ? index : RecordIndex{};
}

void WriteIndex(Platform& platform, const std::string& path, const RecordIndex& index) {
    std::string text = std::string(kIndexHeader) + "folder=" + index.folder + "\r\n";
    for (const auto& [name, read] : index.read) text += "file=" + std::to_string(read) + kSeparator + name + "\r\n";
    text += index.serials.Lines() + kEndLine + "\r\n";
    const std::string temporary = path + ".tmp";
    // A cache: one that cannot be written is read again from the files next time.
    if (platform.FileWriteWhole(temporary.c_str(), text.data(), static_cast<std::uint32_t>(text.size())) ==
        FileResult::Done)
        platform.MoveFileExA(temporary.c_str(), path.c_str());
}

bool ParentThere(Platform& platform, const std::string& folder) {
    const std::size_t last = folder.find_last_of("\\/");
    if (last == std::string::npos || last == 0) return false;
    std::vector<FoundFile> ignored;
    return platform.FindFiles(folder.substr(0, last).c_str(), ignored) == FileResult::Done;
}

// Reads on in each record file of the folder; false with `scan.result` said
// when one could not be read.
bool ReadFolder(Platform& platform, const std::string& folder, RecordIndex& index, bool& changed,
                const ScanProgress& progress, RecordSerialScan& scan) {
    std::vector<FoundFile> files;
    scan.result = platform.FindFiles(folder.c_str(), files);
    // No folder yet beside a parent that is there: nothing was recorded in
    // it. A share that is down is missing with its parent.
    if (scan.result == FileResult::Missing && ParentThere(platform, folder)) scan.result = FileResult::Done;
    if (scan.result != FileResult::Done) return false;
    std::vector<FoundFile> toRead;
    for (FoundFile& file : files) {
        auto known = index.read.find(file.name);
        if (IsRecordFile(file.name) && (known == index.read.end() || known->second != file.size))
            toRead.push_back(std::move(file));
    }
    for (std::size_t i = 0; i < toRead.size(); ++i) {
        std::uint64_t& read = index.read[toRead[i].name];
        // A file cut back or made anew is read from its start; what it held stays counted.
        if (toRead[i].size < read) read = 0;
        const std::string path = JoinPath(folder, toRead[i].name);
        const std::string bytes = ReadFrom(platform, path, read, toRead[i].size, scan.result);
        if (scan.result != FileResult::Done) return false;
        read += AddSerials(bytes, ColumnIndex(RecordColumn::Serial), index.serials);
        changed = true;
        if (progress) progress(i + 1, toRead.size());
    }
    return true;
}

}  // namespace

RecordSerialScan ScanRecordSerials(Platform& platform, const std::string& folder, const std::string& spoolPath,
                                   const std::string& indexPath, const ScanProgress& progress) {
    RecordSerialScan scan;
    RecordIndex index = ReadIndex(platform, indexPath, folder);
    index.folder = folder;
    bool changed = false;
    const bool whole = ReadFolder(platform, folder, index, changed, progress, scan);
    if (changed) WriteIndex(platform, indexPath, index);
    if (!whole) return scan;
    scan.serials = index.serials;
    // Lines that wait for the folder: the spool holds the day's file name first.
    FileResult spoolRead = FileResult::Failed;
    AddSerials(ReadRecordFile(platform, spoolPath, spoolRead), ColumnIndex(RecordColumn::Serial) + 1, scan.serials);
    if (spoolRead != FileResult::Done && spoolRead != FileResult::Missing) scan.result = spoolRead;
    return scan;
}

RecordSerialScan ScanRecordSerials(Platform& platform, const SettingsSnapshot& settings,
                                   const std::string& settingsPath, const ScanProgress& progress) {
    const std::string folder = RecordFolderPath(settingsPath, settings.Checked(kRecordFolderKey).text);
    return ScanRecordSerials(platform, folder, DefaultSpoolPath(platform), RecordIndexPath(settingsPath), progress);
}

}  // namespace talven
