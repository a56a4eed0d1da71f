// The reply of the chip identity command and what the program reads in it:
// whether the controller is a VX5308, and the text of its model, revision
// and date for the status line.
#pragma once

#include <array>
#include <cstdint>

#include "reader/ScsiCommands.h"

namespace talven {

// The reply byte for byte, as ReadChipIdentity hands it over.
using ChipIdentity = std::array<std::uint8_t, kChipIdentityLength>;

// The reply decoded. Model and revision are shown as hexadecimal pairs, the
// date characters as the chip sends them.
struct ChipIdentityFields {
    std::array<std::uint8_t, 2> model;
    std::array<std::uint8_t, 2> revision;
    std::array<char, 2> year;
    std::array<char, 2> month;
    std::array<char, 2> day;
};

ChipIdentityFields DecodeChipIdentity(const ChipIdentity& identity);

// Discovery accepts a drive only behind this controller.
bool IsVx5308(const ChipIdentityFields& chip);

}  // namespace talven
