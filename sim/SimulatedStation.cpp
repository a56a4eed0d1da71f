#include "sim/SimulatedStation.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

#include "reader/PassThroughLayout.h"

namespace talven {

namespace {

char UpperLetter(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// Fixed-format sense data: key, additional sense code and qualifier.
void SetSense(std::array<std::uint8_t, kSenseFixedLength>& sense, std::uint8_t& length, std::uint8_t key,
              std::uint8_t asc, std::uint8_t ascq = 0) {
    sense.fill(0);
    sense[0] = kSenseCurrentFixed;
    sense[kSenseKeyAt] = key;
    sense[kSenseAdditionalLengthAt] = kSenseFixedLength - 8;  // the bytes after byte 7
    sense[kSenseCodeAt] = asc;
    sense[kSenseQualifierAt] = ascq;
    length = kSenseFixedLength;
}

void CopyPadded(std::uint8_t* to, std::size_t size, const std::string& text) {
    std::memset(to, ' ', size);
    std::memcpy(to, text.data(), std::min(size, text.size()));
}

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

SimulatedStation::SimulatedStation(Platform& outer, StationConfig stationConfig)
    : outer(outer), config(std::move(stationConfig)) {
    for (const ReaderConfig& readerConfig : config.readers) {
        readers.push_back(Reader{readerConfig, {}});
        LoadEeprom(readers.back());
    }
    for (const DriveConfig& driveConfig : config.drives) {
        Drive drive{driveConfig, false, nullptr};
        if (driveConfig.card) drive.card = std::make_unique<CardVolume>(*driveConfig.card, driveConfig.faults);
        drives[UpperLetter(driveConfig.letter)] = std::move(drive);
    }
}

void SimulatedStation::LoadEeprom(Reader& reader) {
    // A reader fresh from the line has an erased EEPROM.
    reader.eeprom.fill(0xFF);
    if (reader.config.eepromPath.empty()) return;
    std::ifstream file(reader.config.eepromPath, std::ios::binary);
    if (!file) return;
    std::array<std::uint8_t, kSimEepromSize> bytes{};
    file.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
    // Only a whole image counts; anything else is treated as erased.
    if (file.gcount() == static_cast<std::streamsize>(bytes.size()) && file.peek() == EOF) reader.eeprom = bytes;
}

void SimulatedStation::SaveEeprom(const Reader& reader) {
    if (reader.config.eepromPath.empty()) return;
    std::ofstream file(reader.config.eepromPath, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(reader.eeprom.data()), reader.eeprom.size());
}

const std::array<std::uint8_t, kSimEepromSize>& SimulatedStation::Eeprom(std::size_t reader) const {
    return readers.at(reader).eeprom;
}

// ---- Time ----

std::uint64_t SimulatedStation::NowMs() const {
    std::uint64_t now = sleptMs;
    if (config.timeScale > 0) {
        const auto awake = std::chrono::steady_clock::now() - started - realSleeping;
        const double ms = std::chrono::duration<double, std::milli>(awake).count() / config.timeScale;
        // A scale set outside the station file's limits must not overflow the conversion.
        constexpr double kLongestMs = 1e18;
        if (ms > 0) now += static_cast<std::uint64_t>(std::min(ms, kLongestMs));
    }
    return now;
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

CardVolume* SimulatedStation::Card(char letter) {
    ApplyTimedFaults();
    Drive* drive = FindDrive(letter);
    return drive == nullptr ? nullptr : PresentCard(*drive);
}

void SimulatedStation::InsertCard(char letter, const CardConfig& card) {
    auto it = drives.find(UpperLetter(letter));
    if (it == drives.end()) return;
    it->second.card = std::make_unique<CardVolume>(card, it->second.config.faults);
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

// ---- Pass-through requests ----

bool SimulatedStation::DeviceIoControl(Handle device, std::uint32_t ioControlCode, void* inBuffer,
                                       std::uint32_t inBufferSize, void* outBuffer, std::uint32_t outBufferSize,
                                       std::uint32_t* bytesReturned) {
    ApplyTimedFaults();
    SimRequest entry;
    entry.ioControlCode = ioControlCode;
    entry.inBufferSize = inBufferSize;
    entry.outBufferSize = outBufferSize;
    // A size without its buffer is an invalid parameter, whatever the code.
    const bool buffersGiven =
        (inBuffer != nullptr || inBufferSize == 0) && (outBuffer != nullptr || outBufferSize == 0);
    if (buffersGiven && inBufferSize != 0) {
        const auto* in = static_cast<const std::uint8_t*>(inBuffer);
        entry.input.assign(in, in + inBufferSize);
    }
    OpenHandle* handle = FindHandle(device, HandleKind::Device);
    Drive* drive = handle == nullptr ? nullptr : FindDrive(handle->letter);
    const std::uint32_t systemSize = std::max(inBufferSize, outBufferSize);
    bool succeeded = false;
    if (drive != nullptr && buffersGiven && systemSize <= kSimMaxSystemBuffer) {
        entry.drive = handle->letter;
        // As a buffered device control does: one system buffer that receives
        // the input and from which the output is copied back.
        std::vector<std::uint8_t> system(systemSize, 0);
        if (inBufferSize != 0) std::memcpy(system.data(), inBuffer, inBufferSize);
        succeeded = AnswerRequest(*drive, ioControlCode, system.data(), systemSize, inBufferSize, outBufferSize,
                                  bytesReturned, entry);
        if (succeeded && outBufferSize != 0) std::memcpy(outBuffer, system.data(), outBufferSize);
    }
    if (succeeded && outBufferSize != 0) {
        const auto* out = static_cast<const std::uint8_t*>(outBuffer);
        entry.output.assign(out, out + outBufferSize);
    }
    entry.callSucceeded = succeeded;
    log.requests.push_back(std::move(entry));
    return succeeded;
}

namespace {

static_assert(sizeof(ScsiPassThroughMirror) == sizeof(ScsiPassThroughDirectMirror) &&
                  offsetof(ScsiPassThroughMirror, SenseInfoOffset) ==
                      offsetof(ScsiPassThroughDirectMirror, SenseInfoOffset),
              "the two records differ only in the data address");
constexpr std::uint32_t kRecordSize = sizeof(ScsiPassThroughMirror);

// Whether `length` bytes from `offset` lie between `floor` and `limit`;
// computed so that no offset or length can wrap around.
bool AreaFits(std::uint64_t offset, std::uint64_t length, std::uint64_t floor, std::uint64_t limit) {
    return offset >= floor && offset <= limit && length <= limit - offset;
}

// The checks the driver makes before a command reaches the device. Areas in
// the system buffer lie after the record and within the buffer their data
// travels in: output for sense data and data in, input for data out.
bool RecordPasses(const ScsiPassThroughMirror& record, bool direct, std::uint32_t inSize, std::uint32_t outSize) {
    if (record.Length != kRecordSize || record.CdbLength == 0 || record.CdbLength > sizeof record.Cdb) return false;
    if (record.DataIn > kScsiDataUnspecified || record.DataTransferLength > kSimMaxTransferLength) return false;
    if (record.SenseInfoLength != 0 && !AreaFits(record.SenseInfoOffset, record.SenseInfoLength, kRecordSize, outSize))
        return false;
    if (direct || record.DataTransferLength == 0) return true;
    const std::uint32_t limit = record.DataIn == kScsiDataIn    ? outSize
                                : record.DataIn == kScsiDataOut ? inSize
                                                                : std::min(inSize, outSize);
    return AreaFits(record.DataBufferOffset, record.DataTransferLength, kRecordSize, limit);
}

}  // namespace

bool SimulatedStation::AnswerRequest(Drive& drive, std::uint32_t code, std::uint8_t* system,
                                     std::uint32_t systemSize, std::uint32_t inSize, std::uint32_t outSize,
                                     std::uint32_t* bytesReturned, SimRequest& entry) {
    const bool direct = code == kIoctlScsiPassThroughDirect;
    if (!direct && code != kIoctlScsiPassThrough) return false;
    if (inSize < kRecordSize || outSize < kRecordSize || systemSize < std::max(inSize, outSize)) return false;
    ScsiPassThroughMirror record;
    std::memcpy(&record, system, sizeof record);
    if (!RecordPasses(record, direct, inSize, outSize)) return false;

    Command command;
    command.dataIn = record.DataIn;
    command.length = record.DataTransferLength;
    command.drive = entry.drive;
    if (command.length != 0) {
        if (direct) {
            ScsiPassThroughDirectMirror directRecord;
            std::memcpy(&directRecord, system, sizeof directRecord);
            command.data = static_cast<std::uint8_t*>(directRecord.DataBuffer);
            if (command.data == nullptr) return false;
        } else {
            command.data = system + record.DataBufferOffset;
        }
    }

    std::uint8_t cdb[sizeof record.Cdb] = {};
    std::memcpy(cdb, record.Cdb, record.CdbLength);
    std::memcpy(entry.cdb.data(), cdb, sizeof cdb);
    entry.cdbLength = record.CdbLength;
    command.cdb = cdb;

    for (const CommandFault& fault : drive.config.faults.commands)
        if (fault.operation == cdb[0] && (!fault.subOperation || *fault.subOperation == cdb[1]) && fault.callFails)
            return false;

    const Answer answer = Execute(drive, command);
    system[offsetof(ScsiPassThroughMirror, ScsiStatus)] = answer.status;
    std::memcpy(system + offsetof(ScsiPassThroughMirror, DataTransferLength), &answer.transferred,
                sizeof answer.transferred);
    const std::uint8_t senseLength = std::min(answer.senseLength, record.SenseInfoLength);
    if (senseLength != 0) std::memcpy(system + record.SenseInfoOffset, answer.sense.data(), senseLength);
    system[offsetof(ScsiPassThroughMirror, SenseInfoLength)] = senseLength;
    entry.scsiStatus = answer.status;

    std::uint64_t returned = kRecordSize;
    if (senseLength != 0)
        returned = std::max<std::uint64_t>(returned, std::uint64_t{record.SenseInfoOffset} + senseLength);
    if (!direct && record.DataIn == kScsiDataIn && answer.transferred != 0)
        returned = std::max<std::uint64_t>(returned, std::uint64_t{record.DataBufferOffset} + answer.transferred);
    if (bytesReturned != nullptr)
        *bytesReturned = static_cast<std::uint32_t>(std::min<std::uint64_t>(returned, outSize));
    return true;
}

SimulatedStation::Answer SimulatedStation::CheckCondition(std::uint8_t key, std::uint8_t code) {
    Answer answer;
    answer.status = kScsiStatusCheckCondition;
    SetSense(answer.sense, answer.senseLength, key, code);
    return answer;
}

SimulatedStation::Answer SimulatedStation::SendIn(const Command& command, const std::uint8_t* reply,
                                                  std::uint32_t size) {
    if (command.dataIn != kScsiDataIn) return CheckCondition(kSenseKeyIllegalRequest, kSenseInvalidFieldInCdb);
    Answer answer;
    answer.transferred = std::min(size, command.length);
    if (answer.transferred != 0) std::memcpy(command.data, reply, answer.transferred);
    return answer;
}

SimulatedStation::Reader* SimulatedStation::ReaderOf(Drive& drive) {
    if (drive.config.kind != SimDriveKind::ReaderSlot || drive.config.reader < 0 ||
        static_cast<std::size_t>(drive.config.reader) >= readers.size())
        return nullptr;
    return &readers[drive.config.reader];
}

// A dispatcher over the commands the controller knows.
SimulatedStation::Answer SimulatedStation::Execute(Drive& drive, const Command& command) {
    const std::uint8_t* cdb = command.cdb;
    for (const CommandFault& fault : drive.config.faults.commands)
        if (fault.operation == cdb[0] && (!fault.subOperation || *fault.subOperation == cdb[kVendorSubOperationAt])) {
            if (fault.scsiStatus == kScsiStatusCheckCondition)
                return CheckCondition(kSenseKeyHardwareError, kSenseInternalTargetFailure);
            Answer answer;
            answer.status = fault.scsiStatus;
            return answer;
        }

    Reader* reader = ReaderOf(drive);
    const bool vendorBlock =
        cdb[kVendorSignatureAt] == kVendorSignature0 && cdb[kVendorSignatureAt + 1] == kVendorSignature1;
    if (cdb[0] == kScsiTestUnitReady) return AnswerTestUnitReady(drive);
    if (cdb[0] == kScsiInquiry) return AnswerInquiry(drive, reader, command);
    if (reader != nullptr && vendorBlock) {
        if (cdb[0] == kVendorChipIdentity) return AnswerChipIdentity(drive, *reader, command);
        if (cdb[0] == kVendorEeprom && cdb[kVendorSubOperationAt] == kVendorEepromWrite)
            return AnswerEepromWrite(drive, *reader, command);
        if (cdb[0] == kVendorEeprom && cdb[kVendorSubOperationAt] == kVendorEepromRead)
            return AnswerEepromRead(drive, *reader, command);
    }
    return CheckCondition(kSenseKeyIllegalRequest, kSenseInvalidOperationCode);
}

SimulatedStation::Answer SimulatedStation::AnswerTestUnitReady(Drive& drive) {
    const bool medium = drive.config.kind == SimDriveKind::Fixed || drive.config.kind == SimDriveKind::RamDisk ||
                        PresentCard(drive) != nullptr;
    if (!medium) return CheckCondition(kSenseKeyNotReady, kSenseMediumNotPresent);
    return Answer{};
}

SimulatedStation::Answer SimulatedStation::AnswerInquiry(Drive& drive, Reader* reader, const Command& command) {
    constexpr std::uint8_t kCdromDevice = 0x05;      // peripheral device type, byte 0
    constexpr std::uint8_t kRemovableMedium = 0x80;  // byte 1
    constexpr std::uint8_t kScsi2 = 0x02;            // version and response data format, bytes 2 and 3
    std::uint8_t reply[kInquiryStandardLength] = {};
    if (drive.config.kind == SimDriveKind::Optical) reply[0] = kCdromDevice;
    if (drive.config.kind != SimDriveKind::Fixed) reply[1] = kRemovableMedium;
    reply[2] = kScsi2;
    reply[3] = kScsi2;
    reply[4] = sizeof reply - 5;  // additional length: the bytes after byte 4
    const std::string vendor = reader ? reader->config.vendor : "Generic";
    const std::string product = drive.config.product.value_or(reader ? reader->config.product : "Disk");
    const std::string revision = reader ? reader->config.revision : "1.00";
    CopyPadded(reply + kInquiryVendorAt, kInquiryVendorLength, vendor);
    CopyPadded(reply + kInquiryProductAt, kInquiryProductLength, product);
    CopyPadded(reply + kInquiryRevisionAt, kInquiryRevisionLength, revision);
    std::uint32_t size = std::min<std::uint32_t>(sizeof reply, command.cdb[kInquiryAllocationLengthAt]);
    if (drive.config.faults.inquiryLength) size = std::min(size, *drive.config.faults.inquiryLength);
    return SendIn(command, reply, size);
}

SimulatedStation::Answer SimulatedStation::AnswerChipIdentity(Drive& drive, Reader& reader, const Command& command) {
    SimChipIdentity identity = reader.config.identity;
    if (drive.config.faults.identitySwapped) std::swap(identity[kChipModelAt], identity[kChipModelAt + 1]);
    return SendIn(command, identity.data(), static_cast<std::uint32_t>(identity.size()));
}

// The payload travels in the block; the command has no data phase.
SimulatedStation::Answer SimulatedStation::AnswerEepromWrite(Drive& drive, Reader& reader, const Command& command) {
    const std::uint8_t* cdb = command.cdb;
    const std::uint8_t address = cdb[kEepromWriteAddressAt];
    const std::uint8_t count = cdb[kEepromWriteCountAt];
    SimEepromWrite write{command.drive, address, count, {}, false};
    std::memcpy(write.payload.data(), cdb + kEepromWritePayloadAt, write.payload.size());
    if (count > kEepromPieceSize || command.length != 0) {
        log.eepromWrites.push_back(write);
        return CheckCondition(kSenseKeyIllegalRequest, kSenseInvalidFieldInCdb);
    }
    if (!drive.config.faults.eepromWritesIgnored && count != 0) {
        std::memcpy(reader.eeprom.data() + address, cdb + kEepromWritePayloadAt, count);
        SaveEeprom(reader);
        write.stored = true;
    }
    log.eepromWrites.push_back(write);
    return Answer{};
}

// Always the first 512 bytes: the command carries no address.
SimulatedStation::Answer SimulatedStation::AnswerEepromRead(Drive& drive, Reader& reader, const Command& command) {
    std::array<std::uint8_t, kSimEepromSize> image = reader.eeprom;
    for (const EepromChange& change : drive.config.faults.eepromChanges)
        if (change.address < image.size()) image[change.address] ^= change.mask;
    return SendIn(command, image.data(), static_cast<std::uint32_t>(image.size()));
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
    Drive* drive = DriveOfPath(path, &name);
    CardVolume* card = drive == nullptr ? nullptr : PresentCard(*drive);
    if (card == nullptr || !(create ? card->Create(name) : card->Open(name))) return kInvalidHandle;
    handle.kind = HandleKind::CardFile;
    handle.letter = UpperLetter(path[0]);
    handle.name = name;
    return NewHandle(handle);
}

FileTransfer SimulatedStation::FileWrite(Handle file, const void* data, std::uint32_t size) {
    ApplyTimedFaults();
    if (OpenHandle* outerFile = FindHandle(file, HandleKind::OuterFile))
        return outer.FileWrite(outerFile->outer, data, size);
    OpenHandle* handle = FindHandle(file, HandleKind::CardFile);
    if (handle == nullptr) return {true, 0};
    Drive* drive = FindDrive(handle->letter);
    CardVolume* card = drive == nullptr ? nullptr : PresentCard(*drive);
    if (card == nullptr) return {true, 0};
    const FileTransfer transfer = card->Write(handle->name, handle->position, data, size);
    handle->position += transfer.bytes;
    return transfer;
}

FileTransfer SimulatedStation::FileRead(Handle file, void* data, std::uint32_t size) {
    ApplyTimedFaults();
    if (OpenHandle* outerFile = FindHandle(file, HandleKind::OuterFile))
        return outer.FileRead(outerFile->outer, data, size);
    OpenHandle* handle = FindHandle(file, HandleKind::CardFile);
    if (handle == nullptr) return {true, 0};
    Drive* drive = FindDrive(handle->letter);
    CardVolume* card = drive == nullptr ? nullptr : PresentCard(*drive);
    if (card == nullptr) return {true, 0};
    const FileTransfer transfer = card->Read(handle->name, handle->position, data, size);
    handle->position += transfer.bytes;
    return transfer;
}

bool SimulatedStation::FileFlush(Handle file) {
    if (OpenHandle* outerFile = FindHandle(file, HandleKind::OuterFile)) return outer.FileFlush(outerFile->outer);
    OpenHandle* handle = FindHandle(file, HandleKind::CardFile);
    return handle != nullptr && Card(handle->letter) != nullptr;
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
    Drive* drive = DriveOfPath(path, &name);
    CardVolume* card = drive == nullptr ? nullptr : PresentCard(*drive);
    return card != nullptr && card->Delete(name);
}

bool SimulatedStation::FileFind(const char* path) {
    ApplyTimedFaults();
    std::string name;
    if (!OnStationDrive(path)) return outer.FileFind(path);
    Drive* drive = DriveOfPath(path, &name);
    CardVolume* card = drive == nullptr ? nullptr : PresentCard(*drive);
    return card != nullptr && card->Exists(name);
}

// ---- Forwarded to the outer platform ----

std::uint32_t SimulatedStation::GetPrivateProfileStringA(const char* section, const char* key,
                                                         const char* defaultText, char* buffer,
                                                         std::uint32_t bufferSize, const char* path) {
    return outer.GetPrivateProfileStringA(section, key, defaultText, buffer, bufferSize, path);
}

std::uint32_t SimulatedStation::GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                                                      const char* path) {
    return outer.GetPrivateProfileIntA(section, key, defaultValue, path);
}

bool SimulatedStation::WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                                  const char* path) {
    return outer.WritePrivateProfileStringA(section, key, value, path);
}

std::uint32_t SimulatedStation::GetModuleFileNameA(char* buffer, std::uint32_t bufferSize) {
    return outer.GetModuleFileNameA(buffer, bufferSize);
}

}  // namespace talven
