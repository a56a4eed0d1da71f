#include "settings/SettingsFile.h"

#include <cstdio>
#include <cstring>

namespace talven {

void DeriveSettingsPath(Platform& platform, SettingsPath& path) {
    static_assert(kSettingsPathSize == kMaxPath);
    const std::string program = ProgramPath(platform);
    // The extension is replaced from the last '.' of the whole path, a
    // folder's included, as the station has always done (WithoutExtension
    // looks in the file's name alone); a path without any '.' gets ".ini"
    // appended, so the executable itself is never taken for its settings file.
    const std::size_t dot = program.rfind('.');
    const std::string settings = dot != std::string::npos ? program.substr(0, dot + 1) + "ini" : program + ".ini";
    // A path that would not fit is cut, never written past the buffer.
    std::memset(path, 0, sizeof path);
    std::snprintf(path, kSettingsPathSize, "%s", settings.c_str());
}

std::uint32_t SettingsFile::ReadText(const char* section, const char* key, const char* defaultText, char* buffer,
                                     std::uint32_t size) const {
    return platform.GetPrivateProfileStringA(section, key, defaultText, buffer, size, path);
}

std::vector<std::string> SettingsFile::ReadNames(const char* section) const {
    std::vector<char> list(32768);
    const std::uint32_t size = static_cast<std::uint32_t>(list.size());
    const std::uint32_t count = platform.GetPrivateProfileStringA(section, nullptr, "", list.data(), size, path);
    std::vector<std::string> names;
    // Counted, not ended at the first empty name: a key may have none.
    for (std::uint32_t at = 0; at < count;) {
        names.emplace_back(list.data() + at);
        at += static_cast<std::uint32_t>(names.back().size()) + 1;
    }
    return names;
}

std::uint32_t SettingsFile::ReadNumber(const char* section, const char* key, int defaultValue) const {
    return platform.GetPrivateProfileIntA(section, key, defaultValue, path);
}

void SettingsFile::WriteText(const char* section, const char* key, const char* value) const {
    platform.WritePrivateProfileStringA(section, key, value, path);
}

void SettingsFile::WriteNumber(const char* section, const char* key, int value) const {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    WriteText(section, key, text);
}

}  // namespace talven
