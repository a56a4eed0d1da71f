// The verdict record's spool, and what the window says of lines that wait.
// The spool holds one CSV line per waiting line: the day's file name, then
// the line's own fields.
#include <algorithm>
#include <cstdio>
#include <set>
#include <tuple>

#include "record/VerdictRecordCsv.h"
#include "record/VerdictRecord.h"
#include "platform/AsciiText.h"
#include "resources/StringTable.h"

namespace talven {

namespace {

// A name the record itself gives: never a path that leads elsewhere.
bool IsRecordFileName(const std::string& name) {
    return name.size() > 4 && name.find_first_of("\\/:") == std::string::npos &&
           name.compare(name.size() - 4, 4, ".csv") == 0;
}

std::string Reason(const VerdictRecord& record, const ProductionView& view) {
    unsigned reason = IDS_RECORD_FAILED;
    switch (record.Trouble()) {
        case FileResult::InUse: reason = IDS_RECORD_IN_USE; break;
        case FileResult::DiskFull: reason = IDS_RECORD_DISK_FULL; break;
        case FileResult::Denied: reason = IDS_RECORD_DENIED; break;
        case FileResult::NotAFolder: reason = IDS_RECORD_NOT_A_FOLDER; break;
        case FileResult::Missing: reason = IDS_RECORD_NO_FOLDER; break;
        default: break;
    }
    return view.LoadText(reason);
}

}  // namespace

// Whole lines only, each ended by its own CR LF: one a kill cut off was
// never shown as kept.
std::deque<VerdictRecord::Line> VerdictRecord::SpoolLines(const std::string& bytes) {
    std::deque<Line> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
        if (end == start || bytes[end - 1] != '\r') continue;
        std::vector<std::string> fields = SplitCsvLine(bytes.substr(start, end - start));
        // A line an earlier program spooled has fewer columns.
        if (fields.size() <= kRecordLineColumn + 1 || fields.size() > kRecordColumns + 1 ||
            !IsRecordFileName(fields[0]) || fields[kRecordLineColumn + 1].empty())
            continue;
        bool numbered = false;
        const std::uint32_t run = RecordRun(fields, numbered, 1);
        if (!numbered) continue;
        lines.push_back({fields[0], std::vector<std::string>(fields.begin() + 1, fields.end()), run, true, true});
    }
    return lines;
}

// A spool that cannot be read (another program holds it) is left as it is
// and read again later: its lines are still owed.
void VerdictRecord::LoadSpool() {
    FileResult result = FileResult::Failed;
    const std::string bytes = ReadRecordFile(platform, spoolPath, result);
    spoolUnread = result != FileResult::Done && result != FileResult::Missing;
    if (spoolUnread) return;
    std::set<std::string> known;  // read again: the lines taken up before stay as they are
    for (const Line& line : waiting) known.insert(line.fields[kRecordLineColumn]);
    std::deque<Line> loaded;
    for (Line& line : SpoolLines(bytes))
        if (known.insert(line.fields[kRecordLineColumn]).second) loaded.push_back(std::move(line));
    waiting.insert(waiting.begin(), loaded.begin(), loaded.end());
    spoolHolds = spoolHolds || !bytes.empty();
}

// Held while the program runs, so that no program on another computer
// takes the spool over meanwhile. One taking it over just now is waited
// for; a second copy of the program on this computer holds it for good,
// and the two share the spool as before.
void VerdictRecord::HoldSpool() {
    constexpr int kTries = 20;
    const std::string path = spoolPath + ".lock";
    for (int tried = 1;; ++tried) {
        const FileResult held = platform.FileHold(path.c_str(), spoolHold);
        if (held == FileResult::Done) return;
        spoolHold = kInvalidHandle;
        if (held != FileResult::InUse || tried == kTries) return;
        platform.Sleep(100);
    }
}

bool VerdictRecord::IsWaiting(const std::string& identity) const {
    return std::any_of(waiting.begin(), waiting.end(),
                       [&](const Line& line) { return line.fields[kRecordLineColumn] == identity; });
}

// Under its hold, the other spool's lines go into this one, each once
// however often a kill broke this off, and it is removed only when all are
// there. Without the hold (a read-only folder) it is only named.
void VerdictRecord::TakeSpool(const std::string& path) {
    const std::string holdPath = path + ".lock";
    Handle held = kInvalidHandle;
    const FileResult hold = platform.FileHold(holdPath.c_str(), held);
    if (hold == FileResult::InUse) return;  // its program runs and writes them itself
    FileResult read = FileResult::Failed;
    const std::deque<Line> lines = SpoolLines(ReadRecordFile(platform, path, read));
    std::size_t taken = 0;
    for (; hold == FileResult::Done && read == FileResult::Done && taken < lines.size(); ++taken) {
        if (IsWaiting(lines[taken].fields[kRecordLineColumn])) continue;
        if (!Spool(lines[taken])) break;
        waiting.push_back(lines[taken]);
    }
    if (read != FileResult::Missing && (read != FileResult::Done || taken < lines.size()))
        otherSpools.push_back({path, read == FileResult::Done, lines.size() - taken});
    else if (hold == FileResult::Done)
        platform.FileDelete(path.c_str());
    if (hold != FileResult::Done) return;
    platform.FileRelease(held);
    platform.FileDelete(holdPath.c_str());
}

std::vector<std::string> OtherSpoolPaths(Platform& platform, const std::string& spoolPath) {
    const std::string own = "-" + ComputerInFileName(platform) + ".spool";
    const std::size_t nameStart = spoolPath.find_last_of("\\/") + 1;
    const std::string name = spoolPath.substr(nameStart);
    std::vector<std::string> paths;
    std::vector<FoundFile> files;
    if (nameStart == 0 || own == "-.spool" || name.size() <= own.size() ||
        !SameName(name.substr(name.size() - own.size()), own) ||
        platform.FindFiles(spoolPath.substr(0, nameStart - 1).c_str(), files) != FileResult::Done)
        return paths;
    const std::string prefix = name.substr(0, name.size() - own.size() + 1);
    for (const FoundFile& file : files) {
        const std::size_t size = file.name.size();
        if (size > prefix.size() + 6 && SameName(file.name.substr(0, prefix.size()), prefix) &&
            SameName(file.name.substr(size - 6), ".spool") && !SameName(file.name, name))
            paths.push_back(spoolPath.substr(0, nameStart) + file.name);
    }
    return paths;
}

// On the disk before it returns, so before the next slot starts.
bool VerdictRecord::Spool(const Line& line) {
    // Nothing is added to a spool whose own lines are not taken up yet.
    if (spoolUnread) LoadSpool();
    if (spoolUnread) return false;
    std::vector<std::string> entry = {line.fileName};
    entry.insert(entry.end(), line.fields.begin(), line.fields.end());
    char last = '\n';
    FileEnd end = platform.FileReadEnd(spoolPath.c_str(), &last, 1);
    if (end.result != FileResult::Done && end.result != FileResult::Missing) return false;
    // A line torn between its CR and LF is whole once its LF is there, also
    // from an append that failed, and then taken up like the others, before
    // the spool may be emptied.
    if (end.size > 0 && last == '\r') {
        const FileResult ended = platform.FileAppend(spoolPath.c_str(), "\n", 1);
        LoadSpool();
        if (ended != FileResult::Done || spoolUnread) return false;
        std::tie(end.size, last) = std::tuple(end.size + 1, '\n');
    }
    // A line a kill cut off stays apart from this one, and without its CR
    // LF no line.
    const std::string bytes = (end.size > 0 && last != '\n' ? "\n" : "") + CsvLine(entry);
    spoolHolds = true;
    const FileResult appended =
        platform.FileAppend(spoolPath.c_str(), bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    if (appended != FileResult::Done) platform.FileTruncate(spoolPath.c_str(), end.size);
    return appended == FileResult::Done;
}

std::string VerdictRecord::BehindText(const ProductionView& view) const { return RecordBehindText(*this, view); }

std::string RecordBehindText(const VerdictRecord& record, const ProductionView& view) {
    char text[1024] = "";
    if (record.Waiting() > 0)
        std::snprintf(text, sizeof text, view.LoadText(IDS_RECORD_BEHIND).c_str(),
                      static_cast<unsigned>(record.Waiting()), Reason(record, view).c_str());
    std::string note = text;
    if (record.SpoolUnread()) {
        std::snprintf(text, sizeof text, view.LoadText(IDS_SPOOL_UNREAD).c_str(), record.SpoolPath().c_str());
        note += (note.empty() ? "" : "   ") + std::string(text);
    }
    for (const VerdictRecord::OtherSpool& other : record.OtherSpools()) {
        if (other.read)
            std::snprintf(text, sizeof text, view.LoadText(IDS_OTHER_SPOOL).c_str(), other.path.c_str(),
                          static_cast<unsigned>(other.lines));
        else
            std::snprintf(text, sizeof text, view.LoadText(IDS_SPOOL_UNREAD).c_str(), other.path.c_str());
        note += (note.empty() ? "" : "   ") + std::string(text);
    }
    return note;
}

std::string RecordClosingText(const VerdictRecord& record, const ProductionView& view) {
    if (record.Waiting() == 0) return {};
    const auto waiting = static_cast<unsigned>(record.Waiting());
    const auto unspooled = static_cast<unsigned>(record.Unspooled());
    char text[2048];
    if (unspooled == 0) {
        std::snprintf(text, sizeof text, view.LoadText(IDS_RECORD_KEPT).c_str(), waiting, record.Folder().c_str(),
                      Reason(record, view).c_str(), record.SpoolPath().c_str());
    } else {
        std::snprintf(text, sizeof text, view.LoadText(IDS_RECORD_NOT_KEPT).c_str(), waiting, record.Folder().c_str(),
                      Reason(record, view).c_str(), unspooled, record.SpoolPath().c_str());
    }
    return text;
}

}  // namespace talven
