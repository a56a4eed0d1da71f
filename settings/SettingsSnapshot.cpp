#include "settings/SettingsSnapshot.h"

#include <cstring>
#include <iterator>

namespace talven {

namespace {

bool IsNumeric(SettingKind kind) {
    return kind == SettingKind::Switch || kind == SettingKind::Speed || kind == SettingKind::Number;
}

}  // namespace

SettingsSnapshot::SettingsSnapshot(const SettingsFile& settings) {
    entries.reserve(std::size(kSettingsKeys));
    for (const SettingsKey* key : kSettingsKeys)
        entries.push_back({CheckSetting(settings, *key), IsNumeric(key->kind) ? settings.ReadNumber(*key) : 0});
    warnings = FindSettingsWarnings(settings);
}

const SettingsSnapshot::Entry& SettingsSnapshot::EntryOf(const SettingsKey& key) const {
    for (const Entry& entry : entries)
        if (entry.checked.key == &key) return entry;
    // Every key the program names is in the table; a key that is not reads as missing.
    static const Entry missing;
    return missing;
}

std::vector<CheckedSetting> SettingsSnapshot::Refused(const char* section) const {
    std::vector<CheckedSetting> refused;
    for (const Entry& entry : entries) {
        if (section != nullptr && std::strcmp(entry.checked.key->section, section) != 0) continue;
        if (!entry.checked.reason.empty()) refused.push_back(entry.checked);
    }
    return refused;
}

std::string SettingsSnapshot::StatusText(const char* section) const {
    return SettingsStatusText(Refused(section), warnings);
}

std::string SettingsSnapshot::RefusalText(const SettingsKey& key) const {
    const CheckedSetting& checked = Checked(key);
    if (checked.reason.empty()) return {};
    return SettingsStatusText({checked}, {});
}

}  // namespace talven
