// Every key of the settings file, once: its section, its name, the default
// every user assumes when the file, the section or the key is missing, and
// what a value of the key may be.
//
// The defaults are the programming run's: the configuration a reader is
// shipped with. The listing shows them and the setup dialog loads them, so a
// missing key reads alike everywhere.
#pragma once

#include <cstdint>

namespace talven {

inline constexpr const char* kProgramSection = "Program set";
inline constexpr const char* kDeviceSection = "VX5308";

// What a key holds, and so which of its values are refused.
enum class SettingKind : std::uint8_t {
    Switch,       // zero or non-zero; nothing is refused
    Hexadecimal,  // a 16-bit ID: one to four hexadecimal digits, 0x allowed
    Text,         // at most `capacity` characters, none above `limit`, no control character
    Speed,        // 0 for High or `limit` for Low
    Number,       // a whole number from 0 to `limit`
    Folder,       // a folder's path; nothing is refused, the record says what it cannot write
    SerialEnd,    // empty, or a text like Text ending in digits: one end of a serial block
};

struct SettingsKey {
    const char* section;
    const char* name;
    // As the file would hold it: numbers in decimal, VID and PID in hexadecimal.
    const char* defaultValue;
    SettingKind kind;
    // Characters a text key's field in the configuration image holds, and so
    // its edit in the setup dialog; 0 for a number.
    std::uint32_t capacity;
    // Speed: the value of Low; Number: the largest value; Text: the largest
    // character its field holds (a string descriptor's 16-bit unit, or one
    // byte of the SCSI version); 0 otherwise.
    int limit;

    constexpr int NumberDefault() const {
        const bool negative = *defaultValue == '-';
        int value = 0;
        for (const char* p = negative ? defaultValue + 1 : defaultValue; *p >= '0' && *p <= '9'; ++p) {
            value = value * 10 + (*p - '0');
        }
        return negative ? -value : value;
    }
};

// clang-format off
//                                                section          name                 default            kind                      capacity limit
inline constexpr SettingsKey kRunModeKey         {kProgramSection, "WR",                "0",               SettingKind::Switch,      0,       0};
inline constexpr SettingsKey kFileSizeKey        {kProgramSection, "FS",                "0",               SettingKind::Switch,      0,       0};
// MiB each card's test moves; 0, or more than the card has free, fills all free space.
inline constexpr SettingsKey kTestMebibytesKey   {kProgramSection, "TestMiB",           "0",               SettingKind::Number,      0,       65535};
// 0 ends the run at the first failed slot; 1 tests every slot, so a repair bench sees every fault at once.
inline constexpr SettingsKey kTestAllSlotsKey    {kProgramSection, "TestAllSlots",      "0",               SettingKind::Switch,      0,       0};
// MB/s; the fastest USB card readers move a few hundred.
inline constexpr SettingsKey kMinimumSpeedKey    {kProgramSection, "MinSpeed",          "0",               SettingKind::Number,      0,       1000};
inline constexpr SettingsKey kRecordFolderKey    {kProgramSection, "RecordFolder",      "Logs",            SettingKind::Folder,      0,       0};
// The line's work order or lot, a column of every line of the record; no reader holds it.
inline constexpr SettingsKey kLotKey             {kProgramSection, "Lot",               "",                SettingKind::Text,        32,      0xFFFF};
// Readers in a row one slot position may fail before the station warns of its test card; 0: never.
inline constexpr SettingsKey kSuspectAfterKey    {kProgramSection, "SuspectAfter",      "3",               SettingKind::Number,      0,       1000};
inline constexpr SettingsKey kVendorIdKey        {kDeviceSection,  "VID",               "3C71",            SettingKind::Hexadecimal, 0,       0};
inline constexpr SettingsKey kProductIdKey       {kDeviceSection,  "PID",               "5308",            SettingKind::Hexadecimal, 0,       0};
inline constexpr SettingsKey kManufactureKey     {kDeviceSection,  "Manufacture",       "KVe",             SettingKind::Text,        3,       0xFFFF};
inline constexpr SettingsKey kProductorKey       {kDeviceSection,  "Productor",         "USBCard Reader",  SettingKind::Text,        15,      0xFFFF};
inline constexpr SettingsKey kSerialNumberKey    {kDeviceSection,  "SN",                "123456789abcdef", SettingKind::Text,        16,      0xFFFF};
// A block of serials handed out one by one instead of SN; unset, SN holds.
inline constexpr SettingsKey kSerialFirstKey     {kDeviceSection,  "SNFirst",           "",                SettingKind::SerialEnd,   16,      0xFFFF};
inline constexpr SettingsKey kSerialLastKey      {kDeviceSection,  "SNLast",            "",                SettingKind::SerialEnd,   16,      0xFFFF};
inline constexpr SettingsKey kScsiVersionKey     {kDeviceSection,  "SCSI_VER",          "KVe",             SettingKind::Text,        8,       0xFF};
inline constexpr SettingsKey kCfSpeedKey         {kDeviceSection,  "CFSpeed",           "0",               SettingKind::Speed,       0,       1};
inline constexpr SettingsKey kSmSpeedKey         {kDeviceSection,  "SMSpeed",           "0",               SettingKind::Speed,       0,       1};
inline constexpr SettingsKey kSdSpeedKey         {kDeviceSection,  "SDSpeed",           "0",               SettingKind::Speed,       0,       1};
inline constexpr SettingsKey kMsProSpeedKey      {kDeviceSection,  "MSProSpeed",        "0",               SettingKind::Speed,       0,       2};
inline constexpr SettingsKey kMsSpeedKey         {kDeviceSection,  "MSSpeed",           "0",               SettingKind::Speed,       0,       2};
inline constexpr SettingsKey kMmcSpeedKey        {kDeviceSection,  "MMCSpeed",          "0",               SettingKind::Speed,       0,       1};
// The setup dialog offers 1 to 250; its unit is 2 mA, as USB counts a device's power.
inline constexpr SettingsKey kPowerConsumptionKey{kDeviceSection,  "Power Consumption", "250",             SettingKind::Number,      0,       250};
inline constexpr SettingsKey kByte105Key         {kDeviceSection,  "BY105",             "65",              SettingKind::Number,      0,       255};
// clang-format on

// The whole table in the order of the file: "Program set", then "VX5308".
inline constexpr const SettingsKey* kSettingsKeys[] = {
    &kRunModeKey,      &kFileSizeKey,    &kTestMebibytesKey, &kTestAllSlotsKey,
    &kMinimumSpeedKey, &kRecordFolderKey, &kLotKey,         &kSuspectAfterKey, &kVendorIdKey,
    &kProductIdKey,    &kManufactureKey, &kProductorKey,    &kSerialNumberKey, &kSerialFirstKey,
    &kSerialLastKey,   &kScsiVersionKey,
    &kCfSpeedKey,      &kSmSpeedKey,     &kSdSpeedKey,      &kMsProSpeedKey,   &kMsSpeedKey,
    &kMmcSpeedKey,     &kPowerConsumptionKey,               &kByte105Key,
};

}  // namespace talven
