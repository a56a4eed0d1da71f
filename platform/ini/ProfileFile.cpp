#include "platform/ini/ProfileFile.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/AsciiText.h"

namespace talven {

namespace {

// The blanks Windows trims around names and values; 0x1A is the old
// end-of-file mark, which it treats as a blank too.
bool IsProfileBlank(char c) { return IsSpace(c) || c == 0x1A; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsProfileBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
    return text;
}


struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

// A file that starts with a UTF-16 byte order mark (Notepad's "Unicode"),
// or nothing.
enum class Utf16 { kNone, kLittleEndian, kBigEndian };

Utf16 Utf16Mark(std::string_view bytes) {
    if (bytes.substr(0, 2) == "\xFF\xFE") return Utf16::kLittleEndian;
    if (bytes.substr(0, 2) == "\xFE\xFF") return Utf16::kBigEndian;
    return Utf16::kNone;
}

// The text as Windows' ANSI functions hand it out: a character of the code
// page's Latin-1 range stays itself, any other becomes '?'.
std::string FromUtf16(std::string_view bytes, Utf16 order) {
    std::string text;
    for (std::size_t at = 2; at + 1 < bytes.size(); at += 2) {
        const auto first = static_cast<unsigned char>(bytes[at]);
        const auto second = static_cast<unsigned char>(bytes[at + 1]);
        const unsigned unit = order == Utf16::kLittleEndian ? first | second << 8 : first << 8 | second;
        // The second half of a surrogate pair: its character is one '?' already.
        if (unit >= 0xDC00 && unit <= 0xDFFF) continue;
        text += unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF) ? static_cast<char>(unit) : '?';
    }
    return text;
}

std::string ToUtf16(std::string_view text, Utf16 order) {
    std::string bytes = order == Utf16::kLittleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (char c : text) {
        if (order == Utf16::kBigEndian) bytes += '\0';
        bytes += c;
        if (order == Utf16::kLittleEndian) bytes += '\0';
    }
    return bytes;
}

// The file's bytes, or nothing when it cannot be opened.
std::optional<std::string> ReadBytes(const std::string& path) {
    FilePointer file(std::fopen(path.c_str(), "rb"));
    if (!file) return std::nullopt;
    std::string text;
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) text.append(chunk, got);
    if (std::ferror(file.get())) return std::nullopt;
    return text;
}

// The whole file as 8-bit text, or nothing when it cannot be opened.
std::optional<std::string> ReadWhole(const std::string& path) {
    std::optional<std::string> bytes = ReadBytes(path);
    if (bytes && Utf16Mark(*bytes) != Utf16::kNone) return FromUtf16(*bytes, Utf16Mark(*bytes));
    return bytes;
}

// A file in UTF-16 stays in UTF-16, as Windows keeps it.
bool WriteWhole(const std::string& path, const std::string& text) {
    std::string head;
    if (FilePointer old{std::fopen(path.c_str(), "rb")}) {
        char mark[2];
        head.assign(mark, std::fread(mark, 1, sizeof mark, old.get()));
    }
    const Utf16 order = Utf16Mark(head);
    const std::string bytes = order == Utf16::kNone ? text : ToUtf16(text, order);
    FilePointer file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return false;
    return std::fclose(file.release()) == 0;
}

enum class LineKind { kBlank, kSection, kKey };

// One line of the file as offsets into its text, so that a write can replace
// a value and leave every other byte where it was.
struct Line {
    std::size_t begin = 0;
    std::size_t contentEnd = 0;  // before the line ending
    std::size_t end = 0;         // after the line ending
    LineKind kind = LineKind::kBlank;
    std::string_view name;       // section or key name as written
    bool hasValue = false;       // the key line holds '='
    std::size_t valueBegin = 0;  // trimmed value
    std::size_t valueEnd = 0;
};

// Reads what a line holds from its trimmed content, text[first, last).
void ReadContent(std::string_view text, std::size_t first, std::size_t last, Line& line) {
    std::string_view content = text.substr(first, last - first);
    std::size_t close = content.rfind(']');
    if (content.front() == '[' && close != std::string_view::npos) {
        line.kind = LineKind::kSection;
        line.name = Trim(content.substr(1, close - 1));
        return;
    }
    // Anything else is a key line, comments included: ";x=1" is a key
    // named ";x", which no lookup of ours asks for.
    line.kind = LineKind::kKey;
    std::size_t equals = content.find('=');
    if (equals == std::string_view::npos) {
        line.name = content;
        return;
    }
    line.name = Trim(content.substr(0, equals));
    line.hasValue = true;
    line.valueBegin = first + equals + 1;
    line.valueEnd = last;
    while (line.valueBegin < line.valueEnd && IsProfileBlank(text[line.valueBegin])) ++line.valueBegin;
}

// The line that starts at `begin`.
Line ReadLine(std::string_view text, std::size_t begin) {
    Line line;
    line.begin = begin;
    std::size_t newline = text.find('\n', begin);
    line.contentEnd = newline == std::string_view::npos ? text.size() : newline;
    line.end = newline == std::string_view::npos ? text.size() : newline + 1;

    std::size_t first = line.begin;
    std::size_t last = line.contentEnd;
    while (first < last && IsProfileBlank(text[first])) ++first;
    while (last > first && IsProfileBlank(text[last - 1])) --last;
    if (first != last) ReadContent(text, first, last, line);
    return line;
}

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    // A UTF-8 byte order mark is not part of the first line.
    std::size_t pos = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    while (pos < text.size()) {
        lines.push_back(ReadLine(text, pos));
        pos = lines.back().end;
    }
    return lines;
}

// Where a section's lines are: its header (none for the lines before the
// first header, which form the section with the empty name) and the line
// after its last one.
struct SectionSpan {
    std::optional<std::size_t> header;
    std::size_t first = 0;  // first line after the header
    std::size_t end = 0;
};

// Only the first section of a name counts, as on Windows.
std::optional<SectionSpan> FindSection(const std::vector<Line>& lines, std::string_view name) {
    std::optional<SectionSpan> found;
    if (name.empty()) found = SectionSpan{std::nullopt, 0, 0};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != LineKind::kSection) continue;
        if (found) {
            found->end = i;
            return found;
        }
        if (SameName(lines[i].name, name)) found = SectionSpan{i, i + 1, 0};
    }
    if (found) found->end = lines.size();
    return found;
}

std::optional<std::size_t> FindKey(const std::vector<Line>& lines, const SectionSpan& section,
                                   std::string_view key) {
    for (std::size_t i = section.first; i < section.end; ++i) {
        if (lines[i].kind == LineKind::kKey && SameName(lines[i].name, key)) return i;
    }
    return std::nullopt;
}

// Copies a value as Windows hands it out: matching quotes around it removed,
// cut to size - 1 characters, zero-terminated. Returns the count. (Wine drops
// one more character when the text without its opening quote is exactly as
// long as the buffer; a text that fits is given whole here.)
std::uint32_t CopyOut(std::string_view value, char* buffer, std::uint32_t size) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    // A zero byte in the file ends the text there.
    value = value.substr(0, value.find('\0'));
    std::size_t count = value.size() < size - 1 ? value.size() : size - 1;
    std::memcpy(buffer, value.data(), count);
    buffer[count] = '\0';
    return static_cast<std::uint32_t>(count);
}

// The value's text, or nothing when the file, section, key or '=' is missing.
std::optional<std::string> LookUp(const std::string& path, std::string_view section, std::string_view key) {
    std::optional<std::string> text = ReadWhole(path);
    if (!text) return std::nullopt;
    std::vector<Line> lines = SplitLines(*text);
    std::optional<SectionSpan> span = FindSection(lines, Trim(section));
    if (!span) return std::nullopt;
    std::optional<std::size_t> at = FindKey(lines, *span, Trim(key));
    if (!at || !lines[*at].hasValue) return std::nullopt;
    return text->substr(lines[*at].valueBegin, lines[*at].valueEnd - lines[*at].valueBegin);
}

// The names of the file's sections (no section given) or of a section's
// keys, in the order of the file. As on Windows, a list of keys leaves out
// comments and lines without '=', but not a key without a name.
std::vector<std::string_view> Names(const std::vector<Line>& lines, const char* section) {
    std::vector<std::string_view> names;
    if (section == nullptr) {
        for (const Line& line : lines)
            if (line.kind == LineKind::kSection) names.push_back(line.name);
        return names;
    }
    std::optional<SectionSpan> span = FindSection(lines, Trim(section));
    if (!span) return names;
    for (std::size_t i = span->first; i < span->end; ++i) {
        const Line& line = lines[i];
        if (line.kind == LineKind::kKey && line.hasValue && (line.name.empty() || line.name.front() != ';'))
            names.push_back(line.name);
    }
    return names;
}

// Copies names as Windows hands out a name list: each one ended by a zero,
// the list by a second one; a list cut short by the buffer still ends in
// two zeros and counts size - 2.
std::uint32_t CopyNames(const std::vector<std::string_view>& names, char* buffer, std::uint32_t size) {
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    std::uint32_t at = 0;
    for (std::string_view name : names) {
        if (at + name.size() + 1 > size - 1) {
            const std::uint32_t room = at < size - 2 ? size - 2 - at : 0;
            std::memcpy(buffer + at, name.data(), room);
            buffer[size - 2] = '\0';
            buffer[size - 1] = '\0';
            return size - 2;
        }
        std::memcpy(buffer + at, name.data(), name.size());
        at += static_cast<std::uint32_t>(name.size());
        buffer[at++] = '\0';
    }
    buffer[at] = '\0';
    return at;
}

// ---- The steps of a write; each changes the text in place ----

// New lines follow the file's own line ending; a new file gets CRLF.
std::string LineEnding(const std::string& text) {
    std::size_t firstNewline = text.find('\n');
    bool bare = firstNewline != std::string::npos && (firstNewline == 0 || text[firstNewline - 1] != '\r');
    return bare ? "\n" : "\r\n";
}

// A value is one line: anything from a line break on would become lines of
// its own.
std::string_view OneLine(const char* value) {
    std::string_view line = value != nullptr ? value : "";
    return line.substr(0, line.find_first_of("\r\n"));
}

std::string KeyLine(std::string_view key, std::string_view value, const std::string& eol) {
    return std::string(key) + "=" + std::string(value) + eol;
}

// The section's header and every line up to the next header go; false when
// there is nothing to remove (no lines before the first header).
bool RemoveSection(std::string& text, const std::vector<Line>& lines, const SectionSpan& span) {
    if (!span.header && span.end == 0) return false;
    std::size_t from = span.header ? lines[*span.header].begin : lines[0].begin;
    std::size_t to = span.end < lines.size() ? lines[span.end].begin : text.size();
    if (to > from) text.erase(from, to - from);
    return true;
}

// A missing section is appended to the file with its one key.
void AppendSection(std::string& text, std::string_view section, std::string_view key, std::string_view value) {
    const std::string eol = LineEnding(text);
    if (!text.empty() && text.back() != '\n') text += eol;
    text += "[" + std::string(section) + "]" + eol;
    text += KeyLine(key, value, eol);
}

void ReplaceValue(std::string& text, const Line& line, std::string_view value) {
    if (line.hasValue) {
        text.replace(line.valueBegin, line.valueEnd - line.valueBegin, value);
        return;
    }
    // A bare key line gets its value after the key's own spelling.
    std::size_t nameEnd = static_cast<std::size_t>(line.name.data() - text.data()) + line.name.size();
    text.insert(nameEnd, "=" + std::string(value));
}

// A new key goes after the section's last non-blank line.
void InsertKey(std::string& text, const std::vector<Line>& lines, const SectionSpan& span, std::string_view key,
               std::string_view value) {
    std::size_t after = span.header ? *span.header : 0;
    bool any = span.header.has_value();
    for (std::size_t i = span.first; i < span.end; ++i) {
        if (lines[i].kind != LineKind::kBlank) {
            after = i;
            any = true;
        }
    }
    const std::string eol = LineEnding(text);
    const std::string newLine = KeyLine(key, value, eol);
    if (!any) {
        text.insert(span.first < lines.size() ? lines[span.first].begin : text.size(), newLine);
    } else if (lines[after].end == lines[after].contentEnd) {
        // The last line has no line ending yet.
        text.insert(lines[after].end, eol + newLine);
    } else {
        text.insert(lines[after].end, newLine);
    }
}

// One write applied to the file's text; false when it leaves the file as it
// was (a removal of something missing), which is then not written at all.
bool ApplyWrite(std::string& text, std::string_view section, const char* key, const char* value) {
    const std::vector<Line> lines = SplitLines(text);
    const std::optional<SectionSpan> span = FindSection(lines, section);
    if (key == nullptr) return span && RemoveSection(text, lines, *span);
    const std::string_view keyName = Trim(key);
    if (!span) {
        if (value == nullptr) return false;
        AppendSection(text, section, keyName, OneLine(value));
        return true;
    }
    const std::optional<std::size_t> at = FindKey(lines, *span, keyName);
    if (!at) {
        if (value == nullptr) return false;
        InsertKey(text, lines, *span, keyName, OneLine(value));
        return true;
    }
    if (value == nullptr) {
        text.erase(lines[*at].begin, lines[*at].end - lines[*at].begin);
    } else {
        ReplaceValue(text, lines[*at], OneLine(value));
    }
    return true;
}

}  // namespace

std::uint32_t ProfileFile::GetString(const char* section, const char* key, const char* defaultText, char* buffer,
                                     std::uint32_t bufferSize) const {
    if (buffer == nullptr || bufferSize == 0) return 0;
    if (section == nullptr || key == nullptr) {
        std::optional<std::string> text = ReadWhole(path);
        if (!text) return CopyNames({}, buffer, bufferSize);
        return CopyNames(Names(SplitLines(*text), section), buffer, bufferSize);
    }
    std::string_view fallback = defaultText != nullptr ? defaultText : "";
    // Trailing blanks of the default are dropped (all but the first character).
    while (fallback.size() > 1 && fallback.back() == ' ') fallback.remove_suffix(1);
    std::optional<std::string> value = LookUp(path, section, key);
    return CopyOut(value ? std::string_view(*value) : fallback, buffer, bufferSize);
}

std::uint32_t ProfileFile::GetInt(const char* section, const char* key, int defaultValue) const {
    // Windows reads the value into 30 characters and converts those.
    char text[30];
    if (GetString(section, key, "", text, sizeof text) == 0) return static_cast<std::uint32_t>(defaultValue);
    const char* p = text;
    while (*p != '\0' && static_cast<unsigned char>(*p) <= ' ') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    std::uint32_t base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'o' || p[1] == 'b')) {
        base = p[1] == 'x' ? 16 : p[1] == 'o' ? 8 : 2;
        p += 2;
    }
    std::uint32_t total = 0;  // wraps as Windows' 32-bit conversion does
    for (;; ++p) {
        std::uint32_t digit;
        if (*p >= '0' && *p <= '9') {
            digit = static_cast<std::uint32_t>(*p - '0');
        } else if (*p >= 'a' && *p <= 'z') {
            digit = static_cast<std::uint32_t>(*p - 'a' + 10);
        } else if (*p >= 'A' && *p <= 'Z') {
            digit = static_cast<std::uint32_t>(*p - 'A' + 10);
        } else {
            break;
        }
        if (digit >= base) break;
        total = total * base + digit;
    }
    return negative ? 0u - total : total;
}

std::uint32_t ProfileFile::LineOf(const char* section, const char* key) const {
    std::optional<std::string> text = ReadWhole(path);
    if (!text || section == nullptr) return 0;
    std::vector<Line> lines = SplitLines(*text);
    std::optional<SectionSpan> span = FindSection(lines, Trim(section));
    if (!span) return 0;
    std::optional<std::size_t> at = key != nullptr ? FindKey(lines, *span, Trim(key)) : span->header;
    return at ? static_cast<std::uint32_t>(*at + 1) : 0;
}

bool ProfileFile::WriteString(const char* section, const char* key, const char* value) const {
    if (section == nullptr) return false;
    std::optional<std::string> read = ReadWhole(path);
    // A file that exists but cannot be read is not replaced by a new one.
    if (!read && FilePointer(std::fopen(path.c_str(), "rb"))) return false;
    std::string text = read ? std::move(*read) : std::string();
    if (!ApplyWrite(text, Trim(section), key, value)) return true;
    return WriteWhole(path, text);
}

}  // namespace talven
