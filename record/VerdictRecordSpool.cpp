// The verdict record's spool, and what the window says of lines that wait.
// The spool holds one CSV line per waiting line: the day's file name, then
// the line's own fields.
#include <cstdio>

#include "record/VerdictRecordCsv.h"
#include "record/VerdictRecord.h"
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
// never shown as kept. A spool that cannot be read (another program holds
// it) is left as it is and read again later: its lines are still owed.
void VerdictRecord::LoadSpool() {
    FileResult result = FileResult::Failed;
    const std::string bytes = ReadRecordFile(platform, spoolPath, result);
    spoolUnread = result != FileResult::Done && result != FileResult::Missing;
    if (spoolUnread) return;
    std::deque<Line> loaded;
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
        loaded.push_back({fields[0], std::vector<std::string>(fields.begin() + 1, fields.end()), run, true, true});
    }
    waiting.insert(waiting.begin(), loaded.begin(), loaded.end());
    spoolHolds = spoolHolds || !bytes.empty();
}

// On the disk before it returns, so before the next slot starts.
bool VerdictRecord::Spool(const Line& line) {
    // Nothing is added to a spool whose own lines are not taken up yet.
    if (spoolUnread) LoadSpool();
    if (spoolUnread) return false;
    std::vector<std::string> entry = {line.fileName};
    entry.insert(entry.end(), line.fields.begin(), line.fields.end());
    char last = '\n';
    const FileEnd end = platform.FileReadEnd(spoolPath.c_str(), &last, 1);
    if (end.result != FileResult::Done && end.result != FileResult::Missing) return false;
    // A line a kill cut off stays apart from this one, and without its CR
    // LF no line: only one torn between its CR and LF was whole.
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
