#include "record/VerdictRecord.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <random>

#include "record/RecordSerials.h"
#include "record/VerdictRecordCsv.h"
#include "platform/PathText.h"
#include "production/SpeedRule.h"
#include "resources/StringTable.h"
#include "settings/SettingsKeys.h"

namespace talven {

namespace {

constexpr const char* kLineEnd = "\r\n";
// Spreadsheets take a file with it for UTF-8 rather than the local code page.
constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";

// Letters that make no word, no number and no date in a spreadsheet, drawn
// afresh at every start: the lines of two starts never share an identity.
std::string NewSession(Platform& platform) {
    constexpr char kLetters[] = "bcdfghjkmnpqrstvwxz";
    constexpr std::uint64_t kCount = sizeof kLetters - 1;
    std::random_device device;
    std::uint64_t bits = (std::uint64_t{device()} << 32 | device()) ^ platform.GetTickCount64();
    std::string session;
    for (int i = 0; i < 10; ++i, bits /= kCount) session += kLetters[bits % kCount];
    return session;
}

std::string Fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// What one line is made of: the verdict, the time, and the station's own.
struct LineFacts {
    const Verdict& verdict;
    const LocalTime& time;
    const std::string& computer;
    const std::string& version;
    const std::string& identity;
    bool simulated;
};

// The figures' fields are empty where the test did not run, a phase's
// speed where it has no true figure.
std::string MibTested(const std::optional<TestFigures>& figures) {
    return figures ? Fixed(static_cast<double>(figures->bytesWritten) / (1u << 20), 1) : std::string();
}

std::string Speed(const std::optional<TestFigures>& figures, std::optional<double> (*speed)(const TestFigures&)) {
    const std::optional<double> value = figures ? speed(*figures) : std::nullopt;
    return value ? Fixed(*value, 1) : std::string();
}

std::string Seconds(const std::optional<TestFigures>& figures) {
    return figures ? Fixed(static_cast<double>(figures->totalMs) / 1000, 2) : std::string();
}

struct ColumnField {
    RecordColumn column;
    std::string (*field)(const LineFacts&);
};

// Each column's field, in the columns' order.
constexpr ColumnField kColumnFields[] = {
    {RecordColumn::Time, [](const LineFacts& f) { return RecordTime(f.time); }},
    {RecordColumn::Computer, [](const LineFacts& f) { return RecordText(f.computer); }},
    {RecordColumn::Version, [](const LineFacts& f) { return RecordVersion(RecordText(f.version), f.simulated); }},
    {RecordColumn::Mode, [](const LineFacts& f) { return RecordText(f.verdict.mode); }},
    {RecordColumn::Run, [](const LineFacts& f) { return std::to_string(f.verdict.run); }},
    {RecordColumn::Chip, [](const LineFacts& f) { return RecordText(f.verdict.chip); }},
    {RecordColumn::Drive, [](const LineFacts& f) { return RecordText(f.verdict.drive); }},
    {RecordColumn::Product, [](const LineFacts& f) { return RecordText(f.verdict.product); }},
    {RecordColumn::Verdict, [](const LineFacts& f) { return RecordText(f.verdict.text); }},
    {RecordColumn::Result, [](const LineFacts& f) { return std::string(VerdictWordText(f.verdict.word)); }},
    {RecordColumn::MibTested, [](const LineFacts& f) { return MibTested(f.verdict.figures); }},
    {RecordColumn::WriteSpeed, [](const LineFacts& f) { return Speed(f.verdict.figures, WriteSpeed); }},
    {RecordColumn::ReadSpeed, [](const LineFacts& f) { return Speed(f.verdict.figures, ReadSpeed); }},
    {RecordColumn::Seconds, [](const LineFacts& f) { return Seconds(f.verdict.figures); }},
    {RecordColumn::VendorId, [](const LineFacts& f) { return RecordHex(RecordText(f.verdict.vendorId)); }},
    {RecordColumn::ProductId, [](const LineFacts& f) { return RecordHex(RecordText(f.verdict.productId)); }},
    {RecordColumn::Serial, [](const LineFacts& f) { return RecordSerial(RecordText(f.verdict.serial)); }},
    {RecordColumn::Checksum, [](const LineFacts& f) { return RecordText(f.verdict.checksum); }},
    {RecordColumn::UtcOffset, [](const LineFacts& f) { return RecordUtcOffset(f.time); }},
    {RecordColumn::Warning, [](const LineFacts& f) { return RecordText(f.verdict.warning); }},
    {RecordColumn::Line, [](const LineFacts& f) { return f.identity; }},
    {RecordColumn::Lot, [](const LineFacts& f) { return RecordText(f.verdict.lot); }},
    {RecordColumn::Simulated, [](const LineFacts& f) { return std::string(f.simulated ? "yes" : ""); }},
};

constexpr bool FieldsInColumnOrder() {
    for (std::size_t i = 0; i < std::size(kColumnFields); ++i)
        if (ColumnIndex(kColumnFields[i].column) != i) return false;
    return std::size(kColumnFields) == kRecordColumns;
}
static_assert(FieldsInColumnOrder(), "one field for each column of the record, in the columns' order");

// One append that leaves the file as it was when it fails: a short write or
// one whose flush failed is cut off again. `cutBack` is false when that
// failed too, so that the bytes may be in the file.
FileResult Append(Platform& platform, const std::string& path, const std::string& bytes, std::uint64_t oldSize,
                  bool& cutBack) {
    const FileResult appended =
        platform.FileAppend(path.c_str(), bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    cutBack = appended == FileResult::Done || platform.FileTruncate(path.c_str(), oldSize) == FileResult::Done;
    return appended;
}

constexpr const char* kSimulatedName = "TalvenSim";

// A line's text as written: an earlier version's line gets the columns
// added since, empty.
std::string WrittenLine(std::vector<std::string> fields) {
    fields.resize(std::max(fields.size(), kRecordColumns));
    return CsvLine(fields);
}

}  // namespace

VerdictRecord::VerdictRecord(Platform& platform, std::string spoolPath, std::string version, bool simulated)
    : platform(platform),
      spoolPath(std::move(spoolPath)),
      version(std::move(version)),
      simulated(simulated),
      session(NewSession(platform)) {
    SetFolder(kRecordFolderKey.defaultValue);
    HoldSpool();
    LoadSpool();
    for (const std::string& other : OtherSpoolPaths(platform, this->spoolPath)) TakeSpool(other);
}

VerdictRecord::~VerdictRecord() {
    if (spoolHold == kInvalidHandle) return;
    platform.FileRelease(spoolHold);
    // Another program that holds it now keeps it: Windows removes no open file.
    platform.FileDelete((spoolPath + ".lock").c_str());
}

void VerdictRecord::SetFolder(const std::string& configured) {
    folder = RecordFolderPath(ProgramPath(platform), configured);
}

RecordSerialScan VerdictRecord::ReadSerials(const std::string& indexPath, const ScanProgress& progress) {
    return ScanRecordSerials(platform, folder, spoolPath, indexPath, progress);
}

std::string RecordFolderPath(const std::string& besidePath, const std::string& configured) {
    std::string folder = configured;
    // "D:\records\" is the folder D:\records; a root keeps its separator.
    while (folder.size() > 1 && IsPathSeparator(folder.back()) && folder[folder.size() - 2] != ':') folder.pop_back();
    if (IsAbsolutePath(folder)) return folder;
    std::string base = besidePath;
    const std::size_t last = base.find_last_of("\\/");
    base.resize(last == std::string::npos ? 0 : last + 1);
    return folder.empty() ? base : JoinPath(base, folder);
}

std::string VerdictRecord::Computer() const {
    char name[256] = {};
    const std::uint32_t length = platform.GetComputerNameA(name, sizeof name);
    return std::string(name, std::min<std::uint32_t>(length, sizeof name - 1));
}

std::string VerdictRecord::FileName(const LocalTime& time) const {
    const std::string computer = ComputerInFileName(platform);
    char name[64];
    std::snprintf(name, sizeof name, "%s-%04u-%02u-%02u", simulated ? kSimulatedName : "Talven", time.year,
                  time.month, time.day);
    return std::string(name) + (computer.empty() ? "" : "-" + computer) + ".csv";
}

std::vector<std::string> VerdictRecord::Fields(const Verdict& verdict, const LocalTime& time) {
    const std::string computer = Computer();
    const std::string identity = session + "-" + std::to_string(++linesMade);
    const LineFacts facts{verdict, time, computer, version, identity, simulated};
    std::vector<std::string> fields;
    fields.reserve(kRecordColumns);
    for (const ColumnField& column : kColumnFields) fields.push_back(column.field(facts));
    return fields;
}

std::uint32_t VerdictRecord::LastRun(const std::string& fileName, bool& known) {
    const RecordTail tail = ReadRecordTail(platform, JoinPath(folder, fileName));
    known = tail.result == FileResult::Done || tail.result == FileResult::Missing;
    std::uint32_t last = tail.highestRun;
    bool numbered = false;
    for (const Line& line : waiting)
        if (line.fileName == fileName) last = std::max({last, line.run, RecordRun(line.fields, numbered)});
    return last;
}

std::uint32_t VerdictRecord::StartRun() {
    LocalTime now;
    platform.GetLocalTime(now);
    const std::string name = FileName(now);
    // A file that could not be read is read again at the next run; a run
    // numbered meanwhile is renumbered when its lines are written.
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
    Line line{FileName(now), Fields(verdict, now), verdict.run, false};
    line.spooled = Spool(line);
    waiting.push_back(std::move(line));
    Flush();
}

std::size_t VerdictRecord::Unspooled() const {
    return static_cast<std::size_t>(
        std::count_if(waiting.begin(), waiting.end(), [](const Line& line) { return !line.spooled; }));
}

bool VerdictRecord::Flush() {
    if (spoolUnread) LoadSpool();
    trouble = waiting.empty() ? FileResult::Done : MakeFolder(folder);
    while (trouble == FileResult::Done && !waiting.empty()) trouble = WriteFirstFile();
    // The spool is emptied only once every line it held is in its file.
    if (waiting.empty() && spoolHolds && !spoolUnread) {
        const FileResult cut = platform.FileTruncate(spoolPath.c_str(), 0);
        spoolHolds = cut != FileResult::Done && cut != FileResult::Missing;
    }
    return waiting.empty();
}

FileResult VerdictRecord::WriteFirstFile() {
    const std::string fileName = waiting.front().fileName;
    const std::string path = JoinPath(folder, fileName);
    SoughtLines sought;
    for (std::size_t i = 0; i < waiting.size() && waiting[i].fileName == fileName; ++i)
        if (waiting[i].maybeWritten) sought.emplace(waiting[i].fields[kRecordLineColumn], waiting[i].fields);
    RecordTail tail = ReadRecordTail(platform, path, sought);
    // A line a power cut left open is ended first, also when it is a waiting
    // line's own: only an ended line leaves the spool as written.
    bool cutBack = true;
    if ((tail.result == FileResult::Done || tail.result == FileResult::Missing) && !tail.finish.empty()) {
        const FileResult ended = Append(platform, path, LineEnd(fileName, tail), tail.size, cutBack);
        if (ended != FileResult::Done) return ended;
        tail = ReadRecordTail(platform, path, sought);
    }
    if (tail.result != FileResult::Done && tail.result != FileResult::Missing) return tail.result;
    DropWritten(fileName, tail);
    Renumber(fileName, tail.highestRun);
    std::string bytes = tail.size == 0 ? std::string(kByteOrderMark) + kRecordHeader + kLineEnd : std::string();
    std::size_t count = 0;
    for (; count < waiting.size() && waiting[count].fileName == fileName; ++count)
        bytes += WrittenLine(waiting[count].fields);
    if (count == 0) return FileResult::Done;
    const FileResult appended = Append(platform, path, bytes, tail.size, cutBack);
    for (std::size_t i = 0; i < count; ++i) waiting[i].maybeWritten = !cutBack;
    if (appended == FileResult::Done) waiting.erase(waiting.begin(), waiting.begin() + static_cast<long>(count));
    return appended;
}

// What ends the open last line: when a power cut tore the append of the
// first waiting line the file does not hold, and the open line begins it,
// the rest of that line, its run as written there, so that it is whole
// once; else a line end, so that a cut-off line or NUL bytes stay apart
// from the next line.
std::string VerdictRecord::LineEnd(const std::string& fileName, const RecordTail& tail) const {
    std::size_t i = 0;
    while (i < waiting.size() && waiting[i].fileName == fileName &&
           tail.found.count(waiting[i].fields[kRecordLineColumn]))
        ++i;
    if (i == waiting.size() || waiting[i].fileName != fileName || !waiting[i].maybeWritten) return tail.finish;
    std::vector<std::string> fields = waiting[i].fields;
    if (tail.openLine.size() > kRecordRunColumn + 1) fields[kRecordRunColumn] = tail.openLine[kRecordRunColumn];
    const std::string text = WrittenLine(fields);
    if (tail.openText.empty() || text.size() <= tail.openText.size() ||
        text.compare(0, tail.openText.size(), tail.openText) != 0)
        return tail.finish;
    return text.substr(tail.openText.size());
}

// A line is in the file when a whole line there is this very line, whoever
// wrote the lines around it, or when the open last line is, its run perhaps
// renumbered. The tail was read as far back as the lines that may be there,
// so one not found is not there.
void VerdictRecord::DropWritten(const std::string& fileName, const RecordTail& tail) {
    if (fileName != renumberedFile) renumbered.clear();
    renumberedFile = fileName;
    for (std::size_t i = 0; i < waiting.size() && waiting[i].fileName == fileName;) {
        Line& line = waiting[i];
        line.maybeWritten = false;
        const auto found = tail.found.find(line.fields[kRecordLineColumn]);
        bool numbered = found != tail.found.end();
        std::uint32_t run = numbered ? found->second : 0;
        if (!numbered && SameRecordLine(tail.openLine, line.fields)) run = RecordRun(tail.openLine, numbered);
        if (!numbered) {
            ++i;
            continue;
        }
        renumbered[line.run] = run;
        waiting.erase(waiting.begin() + static_cast<long>(i));
    }
}

void VerdictRecord::Renumber(const std::string& fileName, std::uint32_t highestRun) {
    if (fileName != renumberedFile) renumbered.clear();
    renumberedFile = fileName;
    std::uint32_t highest = highestRun;
    for (Line& line : waiting) {
        if (line.fileName != fileName) break;
        auto given = renumbered.find(line.run);
        if (given == renumbered.end())
            given = renumbered.emplace(line.run, line.run > highest ? line.run : highest + 1).first;
        highest = std::max(highest, given->second);
        line.fields[kRecordRunColumn] = std::to_string(given->second);
    }
    if (fileName == runFile) lastRun = std::max(lastRun, highest);
}

// Makes the folder and whatever of its path is missing, down from the first
// folder that exists; a drive or a server is never made.
FileResult VerdictRecord::MakeFolder(const std::string& path) {
    const FileResult made = platform.CreateDirectoryA(path.c_str());
    if (made != FileResult::Missing) return made;
    const std::size_t last = path.find_last_of("\\/");
    if (last == std::string::npos || last <= 2) return made;
    const std::string parent = path.substr(0, last);
    if (parent.find_first_not_of("\\/") == std::string::npos) return made;
    const FileResult parentMade = MakeFolder(parent);
    return parentMade == FileResult::Done ? platform.CreateDirectoryA(path.c_str()) : parentMade;
}

std::string ComputerInFileName(Platform& platform) {
    char name[256] = {};
    const std::uint32_t length = platform.GetComputerNameA(name, sizeof name);
    std::string computer(name, std::min<std::uint32_t>(length, sizeof name - 1));
    for (char& c : computer)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') c = '_';
    return computer;
}

std::string DefaultSpoolPath(Platform& platform, bool simulated) {
    const std::string program = ProgramPath(platform);
    const std::size_t nameStart = program.find_last_of("\\/") + 1;
    const std::string base = simulated ? program.substr(0, nameStart) + kSimulatedName : WithoutExtension(program);
    const std::string computer = ComputerInFileName(platform);
    return base + (computer.empty() ? "" : "-" + computer) + ".spool";
}

}  // namespace talven
