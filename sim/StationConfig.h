// What a simulated station is made of, as read from a station file or built in.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "reader/ScsiCommands.h"

namespace talven {

enum class SimDriveKind { Fixed, Remote, Optical, Removable, ReaderSlot, RamDisk };

// A command that fails: matched by operation code and, when given, by the
// second command byte (the vendor sub-operation).
struct CommandFault {
    std::uint8_t operation = 0;
    std::optional<std::uint8_t> subOperation;
    bool callFails = false;       // the platform call itself fails
    std::uint8_t scsiStatus = 2;  // otherwise the status the command ends with
};

// An EEPROM byte that reads back changed: its value XOR `mask`.
struct EepromChange {
    std::uint16_t address = 0;
    std::uint8_t mask = 0xFF;
};

// Cluster counts are 1-based: "cluster 1" is the first one moved. They count
// from the start of each card test, as a broken slot fails every test; only
// drop-writes counts over the slot's life, as a slot that breaks during the day.
struct DriveFaults {
    bool openFails = false;
    std::vector<CommandFault> commands;
    bool eepromWritesIgnored = false;
    std::vector<EepromChange> eepromChanges;
    bool identitySwapped = false;
    std::optional<std::uint32_t> inquiryLength;  // INQUIRY returns only this many bytes
    std::uint64_t corruptAtCluster = 0;  // the n-th cluster written reads back changed
    std::uint64_t pullAtCluster = 0;     // the card goes at the n-th cluster written or read
    std::uint64_t repeatSectorAtCluster = 0;  // the n-th cluster written: its second sector reads as its first
    std::uint64_t dropWritesAfterCluster = 0;  // from the n-th cluster written on, writes store nothing
    std::uint64_t wrapAt = 0;  // the card keeps only this many bytes of data (whole sectors), 0 = all
    std::optional<std::uint64_t> pullAtMs;
    std::optional<std::uint64_t> vanishAtMs;
};

inline constexpr std::uint32_t kSimSectorSize = 512;

// The file system a card is formatted with, which decides its root directory.
enum class CardFormat { Fat12, Fat16, Fat32, ExFat };

inline constexpr std::uint32_t kDefaultRootEntries = 512;

struct CardConfig {
    std::uint64_t capacity = 4u << 20;
    std::uint32_t sectorsPerCluster = 32;
    std::optional<std::uint32_t> freeClusters;  // all clusters (but a growing root's first) when not given
    bool writeProtected = false;
    std::optional<CardFormat> format;         // what a card formatter chooses for the capacity when not given
    std::optional<std::uint32_t> rootEntries;  // FAT12 and FAT16 only
    // MB/s (10^6 bytes a second) of the station's time; 0 is as fast as memory.
    double writeSpeed = 0;
    double readSpeed = 0;
};

// The card speeds a station file can give.
inline constexpr double kSimMinCardSpeed = 0.01;
inline constexpr double kSimMaxCardSpeed = 100000;

// The layout a card formatter chooses for a capacity, or the card's own.
inline CardFormat FormatOf(const CardConfig& card) {
    if (card.format) return *card.format;
    if (card.capacity <= 64ull << 20) return CardFormat::Fat12;
    if (card.capacity <= 2ull << 30) return CardFormat::Fat16;
    return card.capacity <= 32ull << 30 ? CardFormat::Fat32 : CardFormat::ExFat;
}

// FAT32 and exFAT roots grow in clusters taken from the free space; FAT12
// and FAT16 have a fixed root.
inline bool RootGrows(CardFormat format) { return format == CardFormat::Fat32 || format == CardFormat::ExFat; }

using SimChipIdentity = std::array<std::uint8_t, kChipIdentityLength>;

// The VX5308 identity: model 53 08, revision 01 02, "23" "05" "17".
inline constexpr SimChipIdentity kDefaultChipIdentity = {
    0x00, 0x00, kChipModel5308High, kChipModel5308Low, 0x01, 0x02, '2', '3', '0', '5', '1', '7'};

struct ReaderConfig {
    std::string name;
    SimChipIdentity identity = kDefaultChipIdentity;
    std::string vendor = "Generic";
    std::string product = "Card Reader";
    std::string revision = "1.00";
    std::string eepromPath;  // the 512-byte EEPROM image kept between runs
};

struct DriveConfig {
    char letter = 'C';
    SimDriveKind kind = SimDriveKind::Fixed;
    int reader = -1;                     // index into StationConfig::readers for a reader slot
    std::optional<std::string> product;  // this slot's INQUIRY product text, else the reader's
    std::optional<CardConfig> card;
    DriveFaults faults;
};

// Time scales the simulated clock can carry besides 0: real time outside
// sleeps is divided by the scale, sleeps are multiplied by it.
inline constexpr double kSimMinTimeScale = 1e-6;
inline constexpr double kSimMaxTimeScale = 1000;

struct StationConfig {
    double timeScale = 1.0;  // real seconds per simulated second; 0 = sleeps cost nothing
    std::vector<ReaderConfig> readers;
    std::vector<DriveConfig> drives;
};

}  // namespace talven
