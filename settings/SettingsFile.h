// The settings file beside the executable. This class keeps nothing: each
// call reads or writes the file. A GO, the window's listing and talven-image
// work from one SettingsSnapshot taken of it, so that one run never sees two
// versions of the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "settings/SettingsKeys.h"

namespace talven {

// A settings path: at most 259 characters and a terminating zero.
inline constexpr std::uint32_t kSettingsPathSize = 260;
// Texts are read into buffers of 259 characters, so at most 258 arrive.
inline constexpr std::uint32_t kSettingsTextSize = 259;

using SettingsPath = char[kSettingsPathSize];

// Fills `path` with the executable's own path, its extension replaced by "ini".
void DeriveSettingsPath(Platform& platform, SettingsPath& path);

// Reads and writes of one settings file through the platform's private-profile
// functions. The program names its keys through the key table; the forms with
// a section and a key name are the private-profile calls themselves.
class SettingsFile {
public:
    SettingsFile(Platform& platform, const char* path) : platform(platform), path(path) {}

    // `key` with its default.
    std::uint32_t ReadText(const SettingsKey& key, char* buffer, std::uint32_t size = kSettingsTextSize) const {
        return ReadText(key.section, key.name, key.defaultValue, buffer, size);
    }
    std::uint32_t ReadNumber(const SettingsKey& key) const {
        return ReadNumber(key.section, key.name, key.NumberDefault());
    }
    void WriteText(const SettingsKey& key, const char* value) const { WriteText(key.section, key.name, value); }
    void WriteNumber(const SettingsKey& key, int value) const { WriteNumber(key.section, key.name, value); }

    // GetPrivateProfileStringA with buffer size `size`; returns the count of
    // characters placed in `buffer`.
    std::uint32_t ReadText(const char* section, const char* key, const char* defaultText, char* buffer,
                           std::uint32_t size = kSettingsTextSize) const;
    // GetPrivateProfileStringA with a NULL key: the names of the keys of
    // `section`, or with a NULL section those of the sections.
    std::vector<std::string> ReadNames(const char* section) const;
    // GetPrivateProfileIntA.
    std::uint32_t ReadNumber(const char* section, const char* key, int defaultValue) const;
    // WritePrivateProfileStringA; the result is not examined by any caller.
    void WriteText(const char* section, const char* key, const char* value) const;
    // The number as decimal text ("%d").
    void WriteNumber(const char* section, const char* key, int value) const;

    // WR: any non-zero value means write-EEPROM mode.
    bool EepromMode() const { return ReadNumber(kRunModeKey) != 0; }
    // FS: any non-zero value means test files of 2 MiB instead of 1 MiB.
    bool LargeTestFiles() const { return ReadNumber(kFileSizeKey) != 0; }

    Platform& GetPlatform() const { return platform; }
    const char* Path() const { return path; }

private:
    Platform& platform;
    const char* path;
};

}  // namespace talven
