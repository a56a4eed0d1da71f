// Every key of the settings file, once: its section, its name and the default
// each of its readers assumes when the file, the section or the key is missing.
//
// The defaults differ between readers on purpose, and every reader keeps its
// own, because stations and files in use rely on them: the programming run
// falls back to the configuration a reader is shipped with, the setup dialog
// to a complete set it can save (its serial number a full 16 characters), and
// the listing shows a missing text as empty, a missing speed as Low and a
// missing power as 105.
#pragma once

#include <cstdint>

namespace talven {

inline constexpr const char* kProgramSection = "Program set";
inline constexpr const char* kDeviceSection = "VX5308";

enum class SettingsReader : std::uint8_t {
    Listing,         // the main window's settings listing
    ProgrammingRun,  // the configuration image the programming run writes
    SetupDialog,     // the setup dialog's settings load
    Run,             // the mode at GO, list rebuild and tooltip; the read/write test's file size
};

// Marks a reader that never reads the key.
inline constexpr const char* kUnread = nullptr;

struct SettingsKey {
    const char* section;
    const char* name;
    // Each reader's default as the file would hold it: numbers in decimal,
    // VID and PID in hexadecimal.
    const char* listing;
    const char* programmingRun;
    const char* setupDialog;
    const char* run;
    // Characters a text key's field in the configuration image holds, and so
    // its edit in the setup dialog; 0 for a number.
    std::uint32_t capacity = 0;

    constexpr const char* Default(SettingsReader reader) const {
        switch (reader) {
            case SettingsReader::Listing: return listing;
            case SettingsReader::ProgrammingRun: return programmingRun;
            case SettingsReader::SetupDialog: return setupDialog;
            case SettingsReader::Run: return run;
        }
        return kUnread;
    }

    // A number key's default for `reader`.
    constexpr int NumberDefault(SettingsReader reader) const {
        const char* text = Default(reader);
        if (text == kUnread) return 0;
        const bool negative = *text == '-';
        int value = 0;
        for (const char* p = negative ? text + 1 : text; *p >= '0' && *p <= '9'; ++p) {
            value = value * 10 + (*p - '0');
        }
        return negative ? -value : value;
    }
};

// clang-format off
//                                                section          name                 listing  programming run    setup dialog        run      capacity
inline constexpr SettingsKey kRunModeKey         {kProgramSection, "WR",                kUnread, kUnread,           "0",                "0"};
inline constexpr SettingsKey kFileSizeKey        {kProgramSection, "FS",                kUnread, kUnread,           "0",                "0"};
inline constexpr SettingsKey kVendorIdKey        {kDeviceSection,  "VID",               kUnread, "3C71",            kUnread,            kUnread};
inline constexpr SettingsKey kProductIdKey       {kDeviceSection,  "PID",               kUnread, "5308",            kUnread,            kUnread};
inline constexpr SettingsKey kManufactureKey     {kDeviceSection,  "Manufacture",       "",      "KVe",             "KVe",              kUnread,  3};
inline constexpr SettingsKey kProductorKey       {kDeviceSection,  "Productor",         "",      "USBCard Reader",  "USBCard Reader",   kUnread, 15};
inline constexpr SettingsKey kSerialNumberKey    {kDeviceSection,  "SN",                "",      "123456789abcdef", "0123456789abcdef", kUnread, 16};
inline constexpr SettingsKey kScsiVersionKey     {kDeviceSection,  "SCSI_VER",          "",      "KVe",             "KVe",              kUnread,  8};
inline constexpr SettingsKey kCfSpeedKey         {kDeviceSection,  "CFSpeed",           "1",     "0",               "0",                kUnread};
inline constexpr SettingsKey kSmSpeedKey         {kDeviceSection,  "SMSpeed",           "1",     "0",               "0",                kUnread};
inline constexpr SettingsKey kSdSpeedKey         {kDeviceSection,  "SDSpeed",           "1",     "0",               "0",                kUnread};
inline constexpr SettingsKey kMsProSpeedKey      {kDeviceSection,  "MSProSpeed",        "2",     "0",               "0",                kUnread};
inline constexpr SettingsKey kMsSpeedKey         {kDeviceSection,  "MSSpeed",           "2",     "0",               "0",                kUnread};
inline constexpr SettingsKey kMmcSpeedKey        {kDeviceSection,  "MMCSpeed",          "1",     "0",               "0",                kUnread};
inline constexpr SettingsKey kPowerConsumptionKey{kDeviceSection,  "Power Consumption", "105",   "250",             "250",              kUnread};
inline constexpr SettingsKey kByte105Key         {kDeviceSection,  "BY105",             kUnread, "65",              kUnread,            kUnread};
// clang-format on

// The whole table in the order of the file: "Program set", then "VX5308".
inline constexpr const SettingsKey* kSettingsKeys[] = {
    &kRunModeKey,     &kFileSizeKey,    &kVendorIdKey, &kProductIdKey, &kManufactureKey, &kProductorKey,
    &kSerialNumberKey, &kScsiVersionKey, &kCfSpeedKey,  &kSmSpeedKey,   &kSdSpeedKey,     &kMsProSpeedKey,
    &kMsSpeedKey,     &kMmcSpeedKey,    &kPowerConsumptionKey,           &kByte105Key,
};

}  // namespace talven
