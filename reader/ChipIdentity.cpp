#include "reader/ChipIdentity.h"

namespace talven {

namespace {

std::array<std::uint8_t, 2> BytePair(const ChipIdentity& identity, std::size_t at) {
    return {identity[at], identity[at + 1]};
}

std::array<char, 2> CharacterPair(const ChipIdentity& identity, std::size_t at) {
    return {static_cast<char>(identity[at]), static_cast<char>(identity[at + 1])};
}

}  // namespace

ChipIdentityFields DecodeChipIdentity(const ChipIdentity& identity) {
    return {BytePair(identity, kChipModelAt), BytePair(identity, kChipRevisionAt),
            CharacterPair(identity, kChipYearAt), CharacterPair(identity, kChipMonthAt),
            CharacterPair(identity, kChipDayAt)};
}

bool IsVx5308(const ChipIdentityFields& chip) {
    return chip.model[0] == kChipModel5308High && chip.model[1] == kChipModel5308Low;
}

}  // namespace talven
