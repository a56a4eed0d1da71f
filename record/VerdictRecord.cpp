#include "record/VerdictRecord.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <random>

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

std::string ProgramPath(Platform& platform) {
    char program[kMaxPath] = {};
    const std::uint32_t length = platform.GetModuleFileNameA(program, kMaxPath);
    return std::string(program, std::min(length, kMaxPath - 1));
}

// The computer's name with only what every file system takes in a name.
std::string ComputerInName(Platform& platform) {
    char name[256] = {};
    const std::uint32_t length = platform.GetComputerNameA(name, sizeof name);
    std::string computer(name, std::min<std::uint32_t>(length, sizeof name - 1));
    for (char& c : computer)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') c = '_';
    return computer;
}

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

// MiB tested, write and read MB/s, seconds: empty where the test did not run.
std::vector<std::string> FigureFields(const std::optional<TestFigures>& figures) {
    std::vector<std::string> fields(4);
    if (!figures) return fields;
    fields[0] = Fixed(static_cast<double>(figures->bytesWritten) / (1u << 20), 1);
    // A phase with no true figure leaves its field empty.
    if (const std::optional<double> speed = WriteSpeed(*figures)) fields[1] = Fixed(*speed, 1);
    if (const std::optional<double> speed = ReadSpeed(*figures)) fields[2] = Fixed(*speed, 1);
    fields[3] = Fixed(static_cast<double>(figures->totalMs) / 1000, 2);
    return fields;
}

const char* WordOf(VerdictWord word) {
    switch (word) {
        case VerdictWord::Pass: return "pass";
        case VerdictWord::Fail: return "fail";
        case VerdictWord::Stop: return "stop";
        case VerdictWord::Empty: return "empty";
        case VerdictWord::Refused: return "refused";
        case VerdictWord::Reset: return "reset";
    }
    return "fail";
}

// One append that leaves the file as it was when it fails: a short write or
// one whose flush failed is cut off again.
FileResult Append(Platform& platform, const std::string& path, const std::string& bytes, std::uint64_t oldSize) {
    const FileResult appended =
        platform.FileAppend(path.c_str(), bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    if (appended != FileResult::Done) platform.FileTruncate(path.c_str(), oldSize);
    return appended;
}

}  // namespace

VerdictRecord::VerdictRecord(Platform& platform, std::string spoolPath, std::string version)
    : platform(platform), spoolPath(std::move(spoolPath)), version(std::move(version)), session(NewSession(platform)) {
    SetFolder(kRecordFolderKey.defaultValue);
    LoadSpool();
}

void VerdictRecord::SetFolder(const std::string& configured) {
    folder = RecordFolderPath(ProgramPath(platform), configured);
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
    const std::string computer = ComputerInName(platform);
    char name[64];
    std::snprintf(name, sizeof name, "Talven-%04u-%02u-%02u", time.year, time.month, time.day);
    return std::string(name) + (computer.empty() ? "" : "-" + computer) + ".csv";
}

std::vector<std::string> VerdictRecord::Fields(const Verdict& verdict, const LocalTime& time) {
    std::vector<std::string> fields = {
        RecordTime(time),          RecordText(Computer()),      RecordVersion(RecordText(version)),
        RecordText(verdict.mode),  std::to_string(verdict.run), RecordText(verdict.chip),
        RecordText(verdict.drive), RecordText(verdict.product), RecordText(verdict.text),
        WordOf(verdict.word)};
    const std::vector<std::string> figures = FigureFields(verdict.figures);
    fields.insert(fields.end(), figures.begin(), figures.end());
    fields.push_back(RecordHex(RecordText(verdict.vendorId)));
    fields.push_back(RecordHex(RecordText(verdict.productId)));
    fields.push_back(RecordSerial(RecordText(verdict.serial)));
    fields.push_back(RecordText(verdict.checksum));
    fields.push_back(RecordUtcOffset(time));
    fields.push_back(RecordText(verdict.warning));
    fields.push_back(session + "-" + std::to_string(++linesMade));
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
    trouble = waiting.empty() ? FileResult::Done : MakeFolder(folder);
    while (trouble == FileResult::Done && !waiting.empty()) trouble = WriteFirstFile();
    // The spool is emptied only once every line it held is in its file.
    if (waiting.empty() && spoolHolds) {
        const FileResult cut = platform.FileTruncate(spoolPath.c_str(), 0);
        spoolHolds = cut != FileResult::Done && cut != FileResult::Missing;
    }
    return waiting.empty();
}

FileResult VerdictRecord::WriteFirstFile() {
    const std::string fileName = waiting.front().fileName;
    const std::string path = JoinPath(folder, fileName);
    const RecordTail tail = ReadRecordTail(platform, path);
    if (tail.result != FileResult::Done && tail.result != FileResult::Missing) return tail.result;
    DropWritten(fileName, tail.lastLine, tail.lastLineRun);
    Renumber(fileName, tail.highestRun);
    std::string bytes;
    if (tail.size == 0) {
        bytes = std::string(kByteOrderMark) + kRecordHeader + kLineEnd;
    } else if (!tail.endsWithLineEnd) {
        bytes = kLineEnd;  // a line cut off, or NUL bytes, stay apart from the next line
    }
    std::size_t count = 0;
    for (; count < waiting.size() && waiting[count].fileName == fileName; ++count)
        bytes += CsvLine(waiting[count].fields);
    if (count == 0) return FileResult::Done;
    const FileResult appended = Append(platform, path, bytes, tail.size);
    if (appended == FileResult::Done) waiting.erase(waiting.begin(), waiting.begin() + static_cast<long>(count));
    return appended;
}

// Lines are appended in order and only this station writes its file: when
// the file ends with a waiting line, that line and all before it are there.
void VerdictRecord::DropWritten(const std::string& fileName, const std::string& lastLine, std::uint32_t lastLineRun) {
    if (lastLine.empty()) return;
    for (std::size_t i = 0; i < waiting.size() && waiting[i].fileName == fileName; ++i) {
        if (waiting[i].fields[kRecordLineColumn] != lastLine) continue;
        if (fileName != renumberedFile) renumbered.clear();
        renumberedFile = fileName;
        renumbered[waiting[i].run] = lastLineRun;
        waiting.erase(waiting.begin(), waiting.begin() + static_cast<long>(i + 1));
        return;
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

std::string DefaultSpoolPath(Platform& platform) {
    const std::string program = ProgramPath(platform);
    const std::size_t nameStart = program.find_last_of("\\/") + 1;
    std::size_t dot = program.rfind('.');
    if (dot == std::string::npos || dot < nameStart) dot = program.size();
    const std::string computer = ComputerInName(platform);
    return program.substr(0, dot) + (computer.empty() ? "" : "-" + computer) + ".spool";
}

}  // namespace talven
