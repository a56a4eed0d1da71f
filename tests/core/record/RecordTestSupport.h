// The verdict record under test: a folder of the test's own for its files, a
// CSV reader of our own (so that a quoting fault of the writer is not read
// back the same wrong way), and another process's hold on a file.
#pragma once

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace talven::test {

using CsvRow = std::vector<std::string>;

// RFC 4180: records end in CR LF, quoted fields may hold commas, quotes
// (doubled) and line breaks.
inline std::vector<CsvRow> ParseCsv(const std::string& text) {
    std::vector<CsvRow> rows;
    CsvRow row(1);
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                row.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                row.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            rows.push_back(row);
            row = CsvRow(1);
            ++i;
        } else {
            row.back() += c;
        }
    }
    if (row.size() > 1 || !row[0].empty()) rows.push_back(row);
    return rows;
}

inline std::string ReadWhole(const std::filesystem::path& path) {
    std::string content;
    std::FILE* file = std::fopen(path.string().c_str(), "rb");
    if (file == nullptr) return content;
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) content.append(chunk, got);
    std::fclose(file);
    return content;
}

// A folder of the test's own, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder() {
        static int counter = 0;
        path = std::filesystem::temp_directory_path() /
               ("talven-record-" + std::to_string(std::random_device{}()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The station's spool, beside the record files.
    std::string Spool() const { return (path / "station.spool").string(); }
    // The one record file in `folder` (the whole tree is searched); empty when none.
    std::filesystem::path RecordFile() const {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path, ignored))
            if (entry.path().extension() == ".csv") return entry.path();
        return {};
    }
    // Its rows, the header included, read past the byte-order mark.
    std::vector<CsvRow> Rows() const {
        std::string text = ReadWhole(RecordFile());
        if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
        return ParseCsv(text);
    }

    std::filesystem::path path;
};

// A file held open by another program as a spreadsheet holds it: Windows
// refuses other openers by its share mode, the host build by an flock.
class HeldFile {
public:
    explicit HeldFile(const std::filesystem::path& file) {
#ifdef _WIN32
        handle = ::CreateFileA(file.string().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
#else
        descriptor = ::open(file.string().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (descriptor >= 0) ::flock(descriptor, LOCK_EX);
#endif
    }
    ~HeldFile() { Release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    void Release() {
#ifdef _WIN32
        if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
#else
        if (descriptor >= 0) ::close(descriptor);
        descriptor = -1;
#endif
    }

private:
#ifdef _WIN32
    HANDLE handle = INVALID_HANDLE_VALUE;
#else
    int descriptor = -1;
#endif
};

}  // namespace talven::test
