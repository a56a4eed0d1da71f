// The one reading of the settings file that the configuration image, the
// settings listing, GO and talven-image share: each key's value as the
// programming run takes it, the values it refuses and why, and the names in
// the file that look meant for the program but are never read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/SettingsFile.h"

namespace talven {

// Converts as strtoul with base 16 does on Windows (32 bits): leading blanks,
// an optional sign, an optional 0x, digits up to the first other character;
// no digits give 0, an overflow all bits set.
std::uint32_t ParseHexadecimal(const char* text);

// Why `text` cannot be a value of `key`; empty when it can.
std::string RefusalReason(const SettingsKey& key, const std::string& text);

// One key as the programming run takes it.
struct CheckedSetting {
    const SettingsKey* key = nullptr;
    // As read (at most 258 characters), or the key's default.
    std::string text;
    // A number as the private-profile call reads it, an ID as the
    // hexadecimal conversion gives it (the image keeps as many low bits as
    // its field holds); 0 for a text.
    std::uint32_t value = 0;
    // A text's characters, decoded as every reader of the text decodes them.
    std::u32string characters;
    // Empty for a good value.
    std::string reason;
};

CheckedSetting CheckSetting(const SettingsFile& settings, const SettingsKey& key);

// A name in the file that looks meant for the program but is not read: a key
// the program's sections do not know, or a section named almost like one of
// them; or a switch (WR, FS) holding another value than 0 or 1.
struct SettingsWarning {
    std::string section;
    std::string key;  // empty when the section's own name is the matter
    std::string message;
};

std::vector<SettingsWarning> FindSettingsWarnings(const SettingsFile& settings);

// What the window says of the file: the first refused value as "key:
// reason", else the first warning; empty when there is nothing to say.
std::string SettingsStatusText(const std::vector<CheckedSetting>& refused, const std::vector<SettingsWarning>& warnings);

}  // namespace talven
