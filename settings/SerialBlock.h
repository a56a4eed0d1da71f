// A block of serial numbers that a station hands out one by one: a text
// whose trailing decimal digits count up with their width kept, TLV00000100
// to TLV00000999. The settings name it by its ends, SNFirst and SNLast; with
// neither set, every reader gets the fixed SN.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "settings/SettingsFile.h"

namespace talven {

// Named only: the snapshot's check asks this file whether two ends make a block.
class SettingsSnapshot;

// A serial taken apart at its trailing digits: "TLV00000123" is "TLV",
// eight digits, 123. The prefix never ends in a digit, so one text has one
// reading. The prefix keeps the file's bytes (UTF-8 or one byte a
// character); the digits are ASCII in either, so a serial made of them reads
// as the prefix does.
struct SerialNumber {
    std::string prefix;
    std::uint32_t width = 0;
    std::uint64_t number = 0;

    std::string Text() const;
    // Windows takes a device's serial without regard to case: "tlv01" and
    // "TLV01" name one device, so they are one series. Prefixes are compared
    // as characters: a file saved anew in another encoding names the same
    // series.
    bool SameSeries(const SerialNumber& other) const;
};

// Null when the text does not end in a digit, or ends in more than a
// 64-bit count holds (the field holds 16 characters anyway).
std::optional<SerialNumber> ParseSerial(const std::string& text);

// The serials from `first` to `last`, both of `first`'s series.
struct SerialBlock {
    SerialNumber first;
    std::uint64_t last = 0;

    SerialNumber At(std::uint64_t number) const { return {first.prefix, first.width, number}; }
};

// Whether the settings set either end of a block.
bool SerialBlockSet(const SettingsSnapshot& settings);

// The block the settings name; null when they set none or a refused one.
std::optional<SerialBlock> ReadSerialBlock(const SettingsSnapshot& settings);

// Why `text` cannot be an end of a block on its own; empty when it can.
std::string SerialEndRefusal(const std::string& text);

// Why the two ends cannot make a block together, said of `key` (SNLast,
// or SNFirst when only it is missing); empty otherwise.
std::string SerialPairRefusal(const SettingsFile& settings, const SettingsKey& key);

}  // namespace talven
