// The configuration image: the 110-byte block at the start of the reader's
// configuration EEPROM, built from the settings over the EEPROM's own copy.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "reader/ScsiCommands.h"
#include "resources/StringTable.h"
#include "settings/SettingsCheck.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsSnapshot.h"

namespace talven {

inline constexpr std::size_t kConfigurationImageSize = 110;
// The working buffer is one EEPROM read; only its first 110 bytes are built.
inline constexpr std::size_t kWorkingBufferSize = kEepromReadSize;

// A string descriptor holds its size, its type and two bytes a character.
inline constexpr std::uint8_t kStringDescriptorType = 3;
constexpr std::size_t DescriptorSize(std::uint32_t characters) { return 2 + 2 * std::size_t{characters}; }

// How a field holds its key's value.
enum class FieldEncoding : std::uint8_t {
    DescriptorText,  // a USB string descriptor: size, type 3, UTF-16LE units filled up with spaces
    ScsiText,        // one byte a character, filled up with spaces, no terminating zero
    Byte,            // the number's low 8 bits
    SpeedByte,       // 0 for High or the key's Low value, as a byte
    Word,            // the number's low 16 bits, low byte first
};

// Where the main window's settings listing shows a field: its row and the
// row's label. A field without a label is not listed.
struct ListedAt {
    std::size_t row = 0;
    unsigned label = 0;
};

// One field of the image. Bytes no field covers keep the EEPROM's values.
struct ImageField {
    const char* name;  // as talven-image lists it
    std::size_t offset;
    std::size_t size;
    const SettingsKey* key;  // null: the field is always 0
    FieldEncoding encoding;
    ListedAt listed = {};
};

// The image's layout, in the order of its bytes: the builder writes these
// fields, talven-image and the main window list them and the record reads
// what was written back out of them.
inline constexpr ImageField kImageFields[] = {
    {"USB vendor ID", 0, 2, &kVendorIdKey, FieldEncoding::Word},
    {"USB product ID", 2, 2, &kProductIdKey, FieldEncoding::Word},
    {"manufacturer string", 4, 8, &kManufactureKey, FieldEncoding::DescriptorText, {1, IDS_MANUFACTURE}},
    {"product string", 22, 32, &kProductorKey, FieldEncoding::DescriptorText, {0, IDS_PRODUCTOR}},
    {"serial-number string", 56, 34, &kSerialNumberKey, FieldEncoding::DescriptorText, {2, IDS_SERIAL_NO}},
    {"SCSI version text", 90, 8, &kScsiVersionKey, FieldEncoding::ScsiText, {3, IDS_SCSI_VERSION}},
    {"CF speed", 98, 1, &kCfSpeedKey, FieldEncoding::SpeedByte, {4, IDS_CF_SPEED}},
    {"SM speed", 99, 1, &kSmSpeedKey, FieldEncoding::SpeedByte, {5, IDS_SM_SPEED}},
    {"SD speed", 100, 1, &kSdSpeedKey, FieldEncoding::SpeedByte, {6, IDS_SD_SPEED}},
    {"MS Pro speed", 101, 1, &kMsProSpeedKey, FieldEncoding::SpeedByte, {7, IDS_MS_PRO_SPEED}},
    {"MS speed", 102, 1, &kMsSpeedKey, FieldEncoding::SpeedByte, {8, IDS_MS_SPEED}},
    {"MMC speed", 103, 1, &kMmcSpeedKey, FieldEncoding::SpeedByte, {9, IDS_MMC_SPEED}},
    {"power consumption", 104, 1, &kPowerConsumptionKey, FieldEncoding::Byte, {10, IDS_POWER_CONSUMPTION}},
    {"byte 105", 105, 1, &kByte105Key, FieldEncoding::Byte},
    {"always 0", 106, 1, nullptr, FieldEncoding::Byte},
};

// The reader's firmware reads its fields where they are: a capacity or a
// character size in the key table cannot move or resize them.
constexpr bool FieldHoldsItsKey(const ImageField& field) {
    switch (field.encoding) {
        case FieldEncoding::DescriptorText:
            return field.size == DescriptorSize(field.key->capacity) && field.key->limit == 0xFFFF;
        case FieldEncoding::ScsiText:
            return field.size == field.key->capacity && field.key->limit == 0xFF;
        case FieldEncoding::Word:
            return field.size == 2;
        default:
            return field.size == 1;
    }
}
static_assert([] {
    std::size_t end = 0;
    for (const ImageField& field : kImageFields) {
        if (field.offset < end || !FieldHoldsItsKey(field)) return false;
        end = field.offset + field.size;
    }
    return end <= kConfigurationImageSize;
}(), "the image's fields keep their places and sizes in the reader's EEPROM");

inline constexpr std::size_t kListedFieldCount = [] {
    std::size_t listed = 0;
    for (const ImageField& field : kImageFields) listed += field.listed.label != 0 ? 1 : 0;
    return listed;
}();

// Each row of the main window's settings listing shows one field: the rows
// are numbered from 0, none twice.
static_assert([] {
    for (std::size_t row = 0; row < kListedFieldCount; ++row) {
        std::size_t fields = 0;
        for (const ImageField& field : kImageFields) fields += field.listed.label != 0 && field.listed.row == row;
        if (fields != 1) return false;
    }
    return true;
}(), "every row of the window's settings listing shows one field");

// The fields the main window's settings listing shows, in its order.
inline constexpr std::array<const ImageField*, kListedFieldCount> kListedFields = [] {
    std::array<const ImageField*, kListedFieldCount> listed{};
    for (const ImageField& field : kImageFields)
        if (field.listed.label != 0) listed[field.listed.row] = &field;
    return listed;
}();

// The field `key` is written to; null for a key the image does not hold.
const ImageField* ImageFieldOf(const SettingsKey& key);

// The string id of the speed a speed field's byte selects: High for 0, Low
// for its key's Low value; 0 for a byte that is neither.
constexpr unsigned SpeedWord(const ImageField& field, std::uint32_t byte) {
    if (byte == 0) return IDS_HIGH;
    if (byte == static_cast<std::uint32_t>(field.key->limit)) return IDS_LOW;
    return 0;
}

// Writes the characters into a text field of `fieldSize` bytes at
// `destination`. As a string descriptor: the size, the type, then each
// character as one UTF-16LE unit, filled up with spaces; as SCSI text: one
// byte a character, filled up with spaces, no terminating zero. A character
// the field cannot hold becomes '?', and a text longer than the field holds is
// cut there: nothing is written outside the field.
void EncodeField(std::uint8_t* destination, std::u32string_view characters, std::size_t fieldSize,
                 bool descriptor);

// What a field holds, read back from the image: a number field's number,
// a text field's characters with the spaces that fill it up.
std::uint32_t FieldNumber(const ImageField& field, const std::uint8_t* image);
std::u32string FieldCharacters(const ImageField& field, const std::uint8_t* image);

// A text field's characters without the blanks that fill it up.
std::u32string UnpaddedCharacters(const ImageField& field, const std::uint8_t* image);

// What the record keeps of a reader's identity as an image holds it: the
// IDs as four hexadecimal digits, the serial in UTF-8 without its padding.
struct ImageIdentity {
    std::string vendorId;
    std::string productId;
    std::string serial;
};
ImageIdentity IdentityOf(const std::uint8_t* image);

// CRC-32 (the one of zip and Ethernet) of the image's 110 bytes: one number
// that tells two programmed configurations apart.
std::uint32_t ImageChecksum(const std::uint8_t* image);

// Builds the image over the first 110 bytes of `buffer` (which holds the
// EEPROM copy) from the settings, taken as CheckSetting takes them, refused
// values included; the bytes the image does not define keep their values.
void BuildConfigurationImage(const SettingsSnapshot& settings, std::uint8_t* buffer);

}  // namespace talven
