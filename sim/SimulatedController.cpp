#include "sim/SimulatedController.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>

namespace talven {

namespace {

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

SimAnswer CheckCondition(std::uint8_t key, std::uint8_t code) {
    SimAnswer answer;
    answer.status = kScsiStatusCheckCondition;
    SetSense(answer.sense, answer.senseLength, key, code);
    return answer;
}

SimAnswer SendIn(const SimCommand& command, const std::uint8_t* reply, std::uint32_t size) {
    if (command.dataIn != kScsiDataIn) return CheckCondition(kSenseKeyIllegalRequest, kSenseInvalidFieldInCdb);
    SimAnswer answer;
    answer.transferred = std::min(size, command.length);
    if (answer.transferred != 0) std::memcpy(command.data, reply, answer.transferred);
    return answer;
}

bool Matches(const CommandFault& fault, const std::uint8_t* cdb) {
    return fault.operation == cdb[0] && (!fault.subOperation || *fault.subOperation == cdb[kVendorSubOperationAt]);
}

SimAnswer AnswerFault(const CommandFault& fault) {
    if (fault.callFails) {
        SimAnswer answer;
        answer.callFails = true;
        return answer;
    }
    if (fault.scsiStatus == kScsiStatusCheckCondition)
        return CheckCondition(kSenseKeyHardwareError, kSenseInternalTargetFailure);
    SimAnswer answer;
    answer.status = fault.scsiStatus;
    return answer;
}

}  // namespace

const CommandFault* FaultFor(const DriveFaults& faults, const std::uint8_t* cdb) {
    const CommandFault* first = nullptr;
    for (const CommandFault& fault : faults.commands) {
        if (!Matches(fault, cdb)) continue;
        if (fault.callFails) return &fault;
        if (first == nullptr) first = &fault;
    }
    return first;
}

SimulatedController::SimulatedController(const ReaderConfig& readerConfig) : reader(readerConfig) { LoadEeprom(); }

void SimulatedController::LoadEeprom() {
    // A reader fresh from the line has an erased EEPROM.
    eeprom.fill(0xFF);
    if (reader->eepromPath.empty()) return;
    std::ifstream file(reader->eepromPath, std::ios::binary);
    if (!file) return;
    std::array<std::uint8_t, kSimEepromSize> bytes{};
    file.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
    // Only a whole image counts; anything else is treated as erased.
    if (file.gcount() == static_cast<std::streamsize>(bytes.size()) && file.peek() == EOF) eeprom = bytes;
}

void SimulatedController::SaveEeprom() const {
    if (reader->eepromPath.empty()) return;
    std::ofstream file(reader->eepromPath, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(eeprom.data()), eeprom.size());
}

// A dispatcher over the commands the controller knows.
SimAnswer SimulatedController::Execute(const SimSlot& slot, const SimCommand& command, StationLog& log) {
    const std::uint8_t* cdb = command.cdb;
    if (const CommandFault* fault = FaultFor(slot.config.faults, cdb)) return AnswerFault(*fault);
    const bool vendorBlock =
        cdb[kVendorSignatureAt] == kVendorSignature0 && cdb[kVendorSignatureAt + 1] == kVendorSignature1;
    if (cdb[0] == kScsiTestUnitReady) return AnswerTestUnitReady(slot);
    if (cdb[0] == kScsiInquiry) return AnswerInquiry(slot, command);
    if (reader && vendorBlock) {
        if (cdb[0] == kVendorChipIdentity) return AnswerChipIdentity(slot, command);
        if (cdb[0] == kVendorEeprom && cdb[kVendorSubOperationAt] == kVendorEepromWrite)
            return AnswerEepromWrite(slot, command, log);
        if (cdb[0] == kVendorEeprom && cdb[kVendorSubOperationAt] == kVendorEepromRead)
            return AnswerEepromRead(slot, command);
    }
    return CheckCondition(kSenseKeyIllegalRequest, kSenseInvalidOperationCode);
}

SimAnswer SimulatedController::AnswerTestUnitReady(const SimSlot& slot) const {
    if (!slot.medium) return CheckCondition(kSenseKeyNotReady, kSenseMediumNotPresent);
    return SimAnswer{};
}

SimAnswer SimulatedController::AnswerInquiry(const SimSlot& slot, const SimCommand& command) const {
    constexpr std::uint8_t kCdromDevice = 0x05;      // peripheral device type, byte 0
    constexpr std::uint8_t kRemovableMedium = 0x80;  // byte 1
    constexpr std::uint8_t kScsi2 = 0x02;            // version and response data format, bytes 2 and 3
    const DriveConfig& drive = slot.config;
    std::uint8_t reply[kInquiryStandardLength] = {};
    if (drive.kind == SimDriveKind::Optical) reply[0] = kCdromDevice;
    if (drive.kind != SimDriveKind::Fixed) reply[1] = kRemovableMedium;
    reply[2] = kScsi2;
    reply[3] = kScsi2;
    reply[4] = sizeof reply - 5;  // additional length: the bytes after byte 4
    const std::string vendor = reader ? reader->vendor : "Generic";
    const std::string product = drive.product.value_or(reader ? reader->product : "Disk");
    const std::string revision = reader ? reader->revision : "1.00";
    CopyPadded(reply + kInquiryVendorAt, kInquiryVendorLength, vendor);
    CopyPadded(reply + kInquiryProductAt, kInquiryProductLength, product);
    CopyPadded(reply + kInquiryRevisionAt, kInquiryRevisionLength, revision);
    std::uint32_t size = std::min<std::uint32_t>(sizeof reply, command.cdb[kInquiryAllocationLengthAt]);
    if (drive.faults.inquiryLength) size = std::min(size, *drive.faults.inquiryLength);
    return SendIn(command, reply, size);
}

SimAnswer SimulatedController::AnswerChipIdentity(const SimSlot& slot, const SimCommand& command) const {
    SimChipIdentity identity = reader->identity;
    if (slot.config.faults.identitySwapped) std::swap(identity[kChipModelAt], identity[kChipModelAt + 1]);
    return SendIn(command, identity.data(), static_cast<std::uint32_t>(identity.size()));
}

// The payload travels in the block; the command has no data phase.
SimAnswer SimulatedController::AnswerEepromWrite(const SimSlot& slot, const SimCommand& command, StationLog& log) {
    const std::uint8_t* cdb = command.cdb;
    const std::uint8_t address = cdb[kEepromWriteAddressAt];
    const std::uint8_t count = cdb[kEepromWriteCountAt];
    SimEepromWrite write{command.drive, address, count, {}, false};
    std::memcpy(write.payload.data(), cdb + kEepromWritePayloadAt, write.payload.size());
    if (count > kEepromPieceSize || command.length != 0) {
        log.eepromWrites.push_back(write);
        return CheckCondition(kSenseKeyIllegalRequest, kSenseInvalidFieldInCdb);
    }
    if (!slot.config.faults.eepromWritesIgnored && count != 0) {
        std::memcpy(eeprom.data() + address, cdb + kEepromWritePayloadAt, count);
        SaveEeprom();
        write.stored = true;
    }
    log.eepromWrites.push_back(write);
    return SimAnswer{};
}

// Always the first 512 bytes: the command carries no address.
SimAnswer SimulatedController::AnswerEepromRead(const SimSlot& slot, const SimCommand& command) const {
    std::array<std::uint8_t, kSimEepromSize> image = eeprom;
    for (const EepromChange& change : slot.config.faults.eepromChanges)
        if (change.address < image.size()) image[change.address] ^= change.mask;
    return SendIn(command, image.data(), static_cast<std::uint32_t>(image.size()));
}

}  // namespace talven
