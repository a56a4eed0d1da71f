#include "sim/SimulatedStation.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace talven {

// ---- Handles ----

Handle SimulatedStation::NewHandle(OpenHandle handle) {
    const Handle value = nextHandle;
    nextHandle += 4;
    handles[value] = std::move(handle);
    return value;
}

SimulatedStation::OpenHandle* SimulatedStation::FindHandle(Handle handle, HandleKind kind) {
    auto it = handles.find(handle);
    return it == handles.end() || it->second.kind != kind ? nullptr : &it->second;
}

CardVolume* SimulatedStation::CardOf(OpenHandle& handle) {
    Drive* drive = FindDrive(handle.letter);
    return drive == nullptr ? nullptr : PresentCard(*drive);
}

CardVolume* SimulatedStation::CardOfPath(const char* path, std::string& name) {
    Drive* drive = DriveOfPath(path, &name);
    return drive == nullptr ? nullptr : PresentCard(*drive);
}

Handle SimulatedStation::CreateFileA(const char* path, std::uint32_t desiredAccess, std::uint32_t shareMode,
                                     std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes) {
    ApplyTimedFaults();
    SimOpen entry{path == nullptr ? std::string() : std::string(path), desiredAccess, shareMode,
                  creationDisposition, flagsAndAttributes, false};
    Handle result = kInvalidHandle;
    // Only volumes are opened this way: "\\.\E:".
    if (path != nullptr && std::strncmp(path, "\\\\.\\", 4) == 0 && std::strlen(path) == 6 && path[5] == ':') {
        Drive* drive = FindDrive(path[4]);
        // A network drive has no local volume to open.
        if (drive != nullptr && drive->config.kind != SimDriveKind::Remote && !drive->config.faults.openFails &&
            creationDisposition == kOpenExisting) {
            OpenHandle handle;
            handle.kind = HandleKind::Device;
            handle.letter = UpperLetter(path[4]);
            result = NewHandle(handle);
        }
    }
    entry.opened = result != kInvalidHandle;
    log.opens.push_back(std::move(entry));
    return result;
}

bool SimulatedStation::CloseHandle(Handle handle) {
    ++log.closes;
    auto it = handles.find(handle);
    if (it == handles.end() || it->second.kind != HandleKind::Device) return false;
    handles.erase(it);
    return true;
}

// ---- Files ----

Handle SimulatedStation::FileCreate(const char* path) { return OpenFileHandle(path, true); }

Handle SimulatedStation::FileOpen(const char* path) { return OpenFileHandle(path, false); }

Handle SimulatedStation::OpenFileHandle(const char* path, bool create) {
    ApplyTimedFaults();
    OpenHandle handle;
    if (!OnStationDrive(path)) {
        const Handle outerHandle = create ? outer.FileCreate(path) : outer.FileOpen(path);
        if (outerHandle == kInvalidHandle) return kInvalidHandle;
        handle.kind = HandleKind::OuterFile;
        handle.outer = outerHandle;
        return NewHandle(handle);
    }
    std::string name;
    CardVolume* card = CardOfPath(path, name);
    if (card == nullptr || !(create ? card->Create(name) : card->Open(name))) return kInvalidHandle;
    handle.kind = HandleKind::CardFile;
    handle.letter = UpperLetter(path[0]);
    handle.name = name;
    return NewHandle(handle);
}

template <class OuterMove, class CardMove>
FileTransfer SimulatedStation::Transfer(Handle file, OuterMove outerMove, CardMove cardMove) {
    ApplyTimedFaults();
    if (OpenHandle* outerFile = FindHandle(file, HandleKind::OuterFile)) return outerMove(outerFile->outer);
    OpenHandle* handle = FindHandle(file, HandleKind::CardFile);
    CardVolume* card = handle == nullptr ? nullptr : CardOf(*handle);
    if (card == nullptr) return {true, 0};
    const FileTransfer transfer = cardMove(*card, *handle);
    handle->position += transfer.bytes;
    return transfer;
}

FileTransfer SimulatedStation::FileWrite(Handle file, const void* data, std::uint32_t size) {
    return Transfer(
        file, [&](Handle outerFile) { return outer.FileWrite(outerFile, data, size); },
        [&](CardVolume& card, const OpenHandle& handle) {
            const FileTransfer transfer = card.Write(handle.name, handle.position, data, size);
            Busy(transfer.bytes, card.WriteSpeed());
            return transfer;
        });
}

FileTransfer SimulatedStation::FileRead(Handle file, void* data, std::uint32_t size) {
    return Transfer(
        file, [&](Handle outerFile) { return outer.FileRead(outerFile, data, size); },
        [&](CardVolume& card, const OpenHandle& handle) {
            const FileTransfer transfer = card.Read(handle.name, handle.position, data, size);
            Busy(transfer.bytes, card.ReadSpeed());
            return transfer;
        });
}

// Whole milliseconds are slept as the program's own sleeps are (scaled);
// the rest is kept for the next transfer, so that many small ones add up.
void SimulatedStation::Busy(std::uint32_t bytes, double megabytesPerSecond) {
    if (megabytesPerSecond <= 0 || bytes == 0) return;
    busyMicroseconds += bytes / megabytesPerSecond;
    const double whole = std::floor(busyMicroseconds / 1000);
    busyMicroseconds -= whole * 1000;
    if (whole >= 1) Sleep(static_cast<std::uint32_t>(std::min(whole, 4294967295.0)));
}

bool SimulatedStation::FileFlush(Handle file) {
    ApplyTimedFaults();
    if (OpenHandle* outerFile = FindHandle(file, HandleKind::OuterFile)) return outer.FileFlush(outerFile->outer);
    OpenHandle* handle = FindHandle(file, HandleKind::CardFile);
    return handle != nullptr && CardOf(*handle) != nullptr;
}

void SimulatedStation::FileClose(Handle file) {
    auto it = handles.find(file);
    if (it == handles.end()) return;
    if (it->second.kind == HandleKind::OuterFile) {
        outer.FileClose(it->second.outer);
    } else if (it->second.kind == HandleKind::CardFile) {
        auto drive = drives.find(it->second.letter);
        if (drive != drives.end() && drive->second.card) drive->second.card->Close(it->second.name);
    } else {
        return;  // a volume is closed with CloseHandle
    }
    handles.erase(it);
}

bool SimulatedStation::FileDelete(const char* path) {
    ApplyTimedFaults();
    std::string name;
    if (!OnStationDrive(path)) return outer.FileDelete(path);
    CardVolume* card = CardOfPath(path, name);
    return card != nullptr && card->Delete(name);
}

bool SimulatedStation::FileFind(const char* path) {
    ApplyTimedFaults();
    std::string name;
    if (!OnStationDrive(path)) return outer.FileFind(path);
    CardVolume* card = CardOfPath(path, name);
    return card != nullptr && card->Exists(name);
}

}  // namespace talven
