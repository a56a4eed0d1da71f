#include "report/RecordFiles.h"

#include <algorithm>
#include <cstring>

#include "report/ReportDates.h"

namespace talven {

namespace {

constexpr std::uint32_t kPieceSize = 1u << 20;
// A line longer than this is no line of the record: it is cut here, so
// that a file without line ends takes no more memory than this.
constexpr std::size_t kLongestLine = 64u * 1024;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool EndsWithCsv(const std::string& name) {
    if (name.size() < 4) return false;
    std::string end = name.substr(name.size() - 4);
    std::transform(end.begin(), end.end(), end.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
    return end == ".csv";
}

}  // namespace

bool ParseRecordFileName(const std::string& name, RecordFileName& file) {
    static constexpr std::string_view kStation = "Talven-";
    static constexpr std::string_view kTrainer = "TalvenSim-";
    std::size_t at = 0;
    if (name.compare(0, kStation.size(), kStation) == 0) {
        at = kStation.size();
        file.simulated = false;
    } else if (name.compare(0, kTrainer.size(), kTrainer) == 0) {
        at = kTrainer.size();
        file.simulated = true;
    } else {
        return false;
    }
    // The date, a dash, a computer name of at least one character, ".csv".
    if (!EndsWithCsv(name) || name.size() < at + 10 + 1 + 1 + 4 || name[at + 10] != '-' ||
        !ParseDay(name.substr(at, 10), file.day))
        return false;
    file.name = name;
    file.computer = name.substr(at + 11, name.size() - 4 - (at + 11));
    return true;
}

FileResult ListRecordFiles(Platform& platform, const std::string& folder, std::int32_t first, std::int32_t last,
                           bool simulated, std::vector<RecordFileName>& files) {
    std::vector<FoundFile> found;
    const FileResult result = platform.FindFiles(folder.c_str(), found);
    if (result != FileResult::Done) return result;
    for (const FoundFile& each : found) {
        RecordFileName file;
        if (ParseRecordFileName(each.name, file) && file.simulated == simulated && file.day >= first && file.day <= last)
            files.push_back(std::move(file));
    }
    std::sort(files.begin(), files.end(), [](const RecordFileName& a, const RecordFileName& b) {
        return a.day != b.day ? a.day < b.day : a.computer < b.computer;
    });
    return FileResult::Done;
}

RecordLines::RecordLines(Platform& platform, std::string path) : platform(platform), path(std::move(path)) {}

bool RecordLines::Fill() {
    if (atEnd) return false;
    buffer.erase(0, start);
    start = 0;
    const std::size_t had = buffer.size();
    buffer.resize(had + kPieceSize);
    const FileEnd end = platform.FileReadAt(path.c_str(), offset, buffer.data() + had, kPieceSize);
    buffer.resize(had + (end.result == FileResult::Done ? end.bytes : 0));
    result = end.result;
    offset += end.bytes;
    if (end.result != FileResult::Done || end.bytes == 0) atEnd = true;
    if (offset == end.bytes && buffer.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0)
        start = kByteOrderMark.size();
    return !atEnd;
}

bool RecordLines::Next(std::string_view& line, std::uint32_t& number) {
    for (;;) {
        const std::size_t end = buffer.find('\n', start);
        const bool tooLong = end == std::string::npos && buffer.size() - start > kLongestLine;
        if (end != std::string::npos || tooLong || (!Fill() && start < buffer.size())) {
            const std::size_t stop = end != std::string::npos ? end : std::min(buffer.size(), start + kLongestLine);
            line = std::string_view(buffer).substr(start, stop - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            unended = end == std::string::npos;
            start = end != std::string::npos ? end + 1 : stop;
            number = ++lineNumber;
            return true;
        }
        if (atEnd && start >= buffer.size()) return false;
    }
}

}  // namespace talven
