// The configuration image: the 110-byte block at the start of the reader's
// configuration EEPROM, built from the settings over the EEPROM's own copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "reader/ScsiCommands.h"
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

// Field offsets and sizes of the image; a text field holds its key's capacity.
inline constexpr std::size_t kVendorIdOffset = 0;
inline constexpr std::size_t kProductIdOffset = 2;
inline constexpr std::size_t kManufacturerOffset = 4;
inline constexpr std::size_t kManufacturerSize = DescriptorSize(kManufactureKey.capacity);
inline constexpr std::size_t kProductOffset = 22;
inline constexpr std::size_t kProductSize = DescriptorSize(kProductorKey.capacity);
inline constexpr std::size_t kSerialNumberOffset = 56;
inline constexpr std::size_t kSerialNumberSize = DescriptorSize(kSerialNumberKey.capacity);
inline constexpr std::size_t kScsiVersionOffset = 90;
inline constexpr std::size_t kScsiVersionSize = kScsiVersionKey.capacity;
inline constexpr std::size_t kSpeedOffset = 98;  // CF, SM, SD, MS Pro, MS, MMC
inline constexpr std::size_t kPowerOffset = 104;
inline constexpr std::size_t kByte105Offset = 105;
inline constexpr std::size_t kZeroByteOffset = 106;

// The reader's firmware reads its fields where they are: a capacity in the
// key table cannot move them.
static_assert(kManufacturerSize == 8 && kProductSize == 32 && kSerialNumberSize == 34 && kScsiVersionSize == 8,
              "the text fields keep their sizes in the reader's EEPROM");

// Writes one text field of `fieldSize` bytes at `destination`. As a string
// descriptor: the size, the type, then each character as a UTF-16LE unit
// with high byte 0, filled up with spaces; as plain text: the characters
// filled up with spaces, no terminating zero. A text longer than the field holds is cut
// there: nothing is written outside the field.
void EncodeField(std::uint8_t* destination, const char* text, std::uint32_t length, std::uint32_t fieldSize,
                 bool descriptor);

// The characters of a string descriptor field, the spaces that fill it up
// left off.
std::string DescriptorText(const std::uint8_t* field, std::size_t fieldSize);

// CRC-32 (the one of zip and Ethernet) of the image's 110 bytes: one number
// that tells two programmed configurations apart.
std::uint32_t ImageChecksum(const std::uint8_t* image);

// Builds the image over the first 110 bytes of `buffer` (which holds the
// EEPROM copy) from the settings, taken as CheckSetting takes them, refused
// values included; the bytes the image does not define keep their values.
// The forms with a file or a path read it anew.
void BuildConfigurationImage(const SettingsSnapshot& settings, std::uint8_t* buffer);
void BuildConfigurationImage(const SettingsFile& settings, std::uint8_t* buffer);
void BuildConfigurationImage(Platform& platform, std::uint8_t* buffer, const char* settingsPath);

}  // namespace talven
