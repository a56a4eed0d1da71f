#include "sim/SimulatedStation.h"

#include <algorithm>
#include <cmath>

namespace talven {

namespace {

std::uint32_t DriveTypeOf(SimDriveKind kind) {
    switch (kind) {
        case SimDriveKind::Fixed: return kDriveFixed;
        case SimDriveKind::Remote: return kDriveRemote;
        case SimDriveKind::Optical: return kDriveCdrom;
        case SimDriveKind::Removable: return kDriveRemovable;
        case SimDriveKind::ReaderSlot: return kDriveRemovable;
        case SimDriveKind::RamDisk: return kDriveRamdisk;
    }
    return kDriveUnknown;
}

}  // namespace

char SimulatedStation::UpperLetter(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

SimulatedStation::SimulatedStation(Platform& outer, StationConfig stationConfig)
    : ForwardingPlatform(outer), outer(outer), config(std::move(stationConfig)) {
    for (const ReaderConfig& readerConfig : config.readers) readers.emplace_back(readerConfig);
    for (const DriveConfig& driveConfig : config.drives) {
        Drive drive{driveConfig, false, nullptr};
        if (driveConfig.card) drive.card = std::make_unique<CardVolume>(*driveConfig.card, driveConfig.faults);
        drives[UpperLetter(driveConfig.letter)] = std::move(drive);
    }
}

const std::array<std::uint8_t, kSimEepromSize>& SimulatedStation::Eeprom(std::size_t reader) const {
    return readers.at(reader).Eeprom();
}

// ---- Time ----

// Real time outside sleeps, divided by the time scale, in microseconds.
std::uint64_t SimulatedStation::AwakeMicroseconds() const {
    if (config.timeScale <= 0) return 0;
    const auto awake = std::chrono::steady_clock::now() - started - realSleeping;
    const double us = std::chrono::duration<double, std::micro>(awake).count() / config.timeScale;
    // A scale set outside the station file's limits must not overflow the conversion.
    constexpr double kLongestUs = 1e18;
    return us > 0 ? static_cast<std::uint64_t>(std::min(us, kLongestUs)) : 0;
}

std::uint64_t SimulatedStation::NowMs() const { return sleptMs + AwakeMicroseconds() / 1000; }

std::uint64_t SimulatedStation::NowMicroseconds() const {
    return sleptMs * 1000 + static_cast<std::uint64_t>(busyMicroseconds) + AwakeMicroseconds();
}

void SimulatedStation::AdvanceClock(std::uint64_t milliseconds) {
    sleptMs += milliseconds;
    ApplyTimedFaults();
}

void SimulatedStation::Sleep(std::uint32_t milliseconds) {
    sleptMs += milliseconds;
    if (config.timeScale > 0) {
        const double scaled = std::round(milliseconds * config.timeScale);
        const auto before = std::chrono::steady_clock::now();
        if (scaled >= 1) outer.Sleep(static_cast<std::uint32_t>(std::min(scaled, 4294967295.0)));
        realSleeping += std::chrono::steady_clock::now() - before;
    }
    ApplyTimedFaults();
}

void SimulatedStation::ApplyTimedFaults() {
    const std::uint64_t now = NowMs();
    for (auto& [letter, drive] : drives) {
        const DriveFaults& faults = drive.config.faults;
        if (faults.pullAtMs && now >= *faults.pullAtMs && drive.card) drive.card->Pull();
        if (faults.vanishAtMs && now >= *faults.vanishAtMs && !drive.vanished) {
            drive.vanished = true;
            if (drive.card) drive.card->Pull();
        }
    }
}

// ---- Drives ----

SimulatedStation::Drive* SimulatedStation::FindDrive(char letter) {
    auto it = drives.find(UpperLetter(letter));
    if (it == drives.end() || it->second.vanished) return nullptr;
    return &it->second;
}

// "E:", "E:\", "E:\name": the drive, and the name after the root.
SimulatedStation::Drive* SimulatedStation::DriveOfPath(const char* path, std::string* name) {
    if (path == nullptr || path[0] == 0 || path[1] != ':') return nullptr;
    if (name != nullptr) {
        const char* rest = path + 2;
        while (*rest == '\\' || *rest == '/') ++rest;
        *name = rest;
    }
    return FindDrive(path[0]);
}

bool SimulatedStation::OnStationDrive(const char* path) const {
    return path != nullptr && path[0] != 0 && path[1] == ':' && drives.count(UpperLetter(path[0])) != 0;
}

CardVolume* SimulatedStation::PresentCard(Drive& drive) {
    return drive.card && drive.card->Present() ? drive.card.get() : nullptr;
}

bool SimulatedStation::MediumPresent(Drive& drive) {
    return drive.config.kind == SimDriveKind::Fixed || drive.config.kind == SimDriveKind::RamDisk ||
           PresentCard(drive) != nullptr;
}

SimulatedController& SimulatedStation::ControllerOf(const Drive& drive) {
    const int reader = drive.config.reader;
    if (drive.config.kind != SimDriveKind::ReaderSlot || reader < 0 || static_cast<std::size_t>(reader) >= readers.size())
        return plainDrive;
    return readers[reader];
}

CardVolume* SimulatedStation::Card(char letter) {
    ApplyTimedFaults();
    Drive* drive = FindDrive(letter);
    return drive == nullptr ? nullptr : PresentCard(*drive);
}

void SimulatedStation::InsertCard(char letter, const CardConfig& card) {
    auto it = drives.find(UpperLetter(letter));
    if (it == drives.end()) return;
    // The slot's life count goes on with the new card.
    const std::uint64_t written = it->second.card ? it->second.card->ClustersWrittenEver() : 0;
    it->second.card = std::make_unique<CardVolume>(card, it->second.config.faults, written);
}

void SimulatedStation::PullCard(char letter) {
    auto it = drives.find(UpperLetter(letter));
    if (it != drives.end() && it->second.card) it->second.card->Pull();
}

std::uint32_t SimulatedStation::GetLogicalDrives() {
    ApplyTimedFaults();
    std::uint32_t mask = 0;
    for (const auto& [letter, drive] : drives)
        if (!drive.vanished && letter >= 'A' && letter <= 'Z') mask |= 1u << (letter - 'A');
    return mask;
}

std::uint32_t SimulatedStation::GetDriveTypeA(const char* rootPath) {
    ApplyTimedFaults();
    Drive* drive = DriveOfPath(rootPath, nullptr);
    return drive == nullptr ? kDriveNoRootDir : DriveTypeOf(drive->config.kind);
}

bool SimulatedStation::GetDiskFreeSpaceA(const char* rootPath, DiskFreeSpace& space) {
    ApplyTimedFaults();
    Drive* drive = DriveOfPath(rootPath, nullptr);
    if (drive == nullptr) return false;
    CardVolume* card = PresentCard(*drive);
    if (card == nullptr) return false;  // no medium: the drive is not ready
    space.sectorsPerCluster = card->ClusterSize() / kSimSectorSize;
    space.bytesPerSector = kSimSectorSize;
    space.freeClusters = card->FreeClusters();
    space.totalClusters = card->TotalClusters();
    return true;
}

}  // namespace talven
