// One checked reading of the settings file: every key of the key table read
// and checked once, and the names in the file the program does not read. GO
// takes one and hands it to everything the run does, so that one run never
// sees two versions of the file; the next GO takes a new one, and so follows
// a file edited by hand meanwhile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/SettingsCheck.h"
#include "settings/SettingsFile.h"

namespace talven {

class SettingsSnapshot {
public:
    explicit SettingsSnapshot(const SettingsFile& settings);

    // `key` as CheckSetting takes it.
    const CheckedSetting& Checked(const SettingsKey& key) const { return EntryOf(key).checked; }
    // The whole number GetPrivateProfileIntA reads for a switch, a speed or a
    // number; 0 for the other kinds.
    std::uint32_t Number(const SettingsKey& key) const { return EntryOf(key).number; }

    // WR: any non-zero value means write-EEPROM mode.
    bool EepromMode() const { return Number(kRunModeKey) != 0; }
    // FS: any non-zero value means test files of 2 MiB instead of 1 MiB.
    bool LargeTestFiles() const { return Number(kFileSizeKey) != 0; }

    // Every refused value in the table's order; only those of `section` when one is named.
    std::vector<CheckedSetting> Refused(const char* section = nullptr) const;
    const std::vector<SettingsWarning>& Warnings() const { return warnings; }
    // What the window says of the file, as SettingsStatusText says it.
    std::string StatusText(const char* section = nullptr) const;
    // The status line's naming of `key`'s refused value; empty when it is good.
    std::string RefusalText(const SettingsKey& key) const;

private:
    struct Entry {
        CheckedSetting checked;
        std::uint32_t number = 0;
    };
    const Entry& EntryOf(const SettingsKey& key) const;

    std::vector<Entry> entries;  // in the order of kSettingsKeys
    std::vector<SettingsWarning> warnings;
};

}  // namespace talven
