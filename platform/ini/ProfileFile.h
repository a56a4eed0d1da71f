// Our own reader and writer of Windows private-profile (INI) files, for the
// builds that have no Windows underneath. Reads answer as Windows'
// GetPrivateProfileStringA and GetPrivateProfileIntA do; writes change only
// what they must and keep every other byte of the file.
#pragma once

#include <cstdint>
#include <string>

namespace talven {

class ProfileFile {
public:
    explicit ProfileFile(std::string path) : path(std::move(path)) {}

    // The value of `key` in `section`, quotes and surrounding blanks removed,
    // or `defaultText` (NULL meaning empty, trailing blanks dropped) when the
    // file, the section or the key is missing. At most bufferSize - 1
    // characters are stored, always zero-terminated; returns their count.
    // A NULL section gives the names of the sections, a NULL key those of the
    // section's keys (comments left out), each ended by a zero and the list
    // by a second one. A file that starts with a UTF-16 byte order mark is
    // read as Windows reads it: characters outside Latin-1 become '?'.
    std::uint32_t GetString(const char* section, const char* key, const char* defaultText, char* buffer,
                            std::uint32_t bufferSize) const;

    // The number the value gives (blanks, a sign, decimal digits, or the 0x,
    // 0o and 0b prefixes; stops at the first other character), or
    // `defaultValue` when the value is missing or empty. Negative numbers come
    // back in two's complement, as Windows returns them.
    std::uint32_t GetInt(const char* section, const char* key, int defaultValue) const;

    // Sets `key` in `section`, creating the file, the section (at the end)
    // and the key (after the section's last line) when missing. A NULL value
    // removes the key, a NULL key the whole section. A UTF-16 file stays
    // UTF-16. Returns false when the file cannot be read or written.
    bool WriteString(const char* section, const char* key, const char* value) const;

    // The line, counted from 1, of `key` in `section` (of the section's own
    // header when `key` is NULL), where GetString finds it; 0 when missing.
    std::uint32_t LineOf(const char* section, const char* key) const;

    const std::string& Path() const { return path; }

private:
    std::string path;
};

}  // namespace talven
