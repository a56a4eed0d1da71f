// The version and build texts of a program's version record.
#pragma once

#include <string>

namespace talven {

struct VersionTexts {
    std::string version;  // FileVersion
    std::string build;    // PrivateBuild
};

// Reads FileVersion and PrivateBuild in the record's first translation. A
// missing record, translation or string leaves that text empty. Each text is
// at most 259 characters.
VersionTexts ReadVersionTexts(const char* file);
// The same texts from the running program's own resources: no path is
// needed, so they hold wherever the settings file is taken from.
VersionTexts ReadOwnVersionTexts();

}  // namespace talven
