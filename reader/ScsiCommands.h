// The protocol between the program and a VX5308 reader, named once: the
// standard SCSI commands it sends, the controller's vendor commands, and the
// statuses, sense codes and data directions of a pass-through request. The
// reader builds its command blocks from these and the simulated controller
// answers by them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace talven {

// Standard operation codes (command block byte 0).
inline constexpr std::uint8_t kScsiTestUnitReady = 0x00;
inline constexpr std::uint8_t kScsiInquiry = 0x12;
inline constexpr std::size_t kInquiryAllocationLengthAt = 4;

// The standard INQUIRY reply: identification texts, blank-filled.
inline constexpr std::size_t kInquiryStandardLength = 36;
inline constexpr std::size_t kInquiryVendorAt = 8;
inline constexpr std::size_t kInquiryVendorLength = 8;
inline constexpr std::size_t kInquiryProductAt = 16;
inline constexpr std::size_t kInquiryProductLength = 16;
inline constexpr std::size_t kInquiryRevisionAt = 32;
inline constexpr std::size_t kInquiryRevisionLength = 4;

// Vendor commands: 16-byte blocks whose bytes 14 and 15 carry the signature "KV".
inline constexpr std::size_t kVendorBlockLength = 16;
inline constexpr std::uint8_t kVendorChipIdentity = 0xF0;
inline constexpr std::uint8_t kVendorEeprom = 0xF2;
// The EEPROM command's sub-operation, in block byte 1.
inline constexpr std::size_t kVendorSubOperationAt = 1;
inline constexpr std::uint8_t kVendorEepromRead = 0x20;
inline constexpr std::uint8_t kVendorEepromWrite = 0x21;
inline constexpr std::size_t kVendorSignatureAt = 14;
inline constexpr std::uint8_t kVendorSignature0 = 0x4B;  // 'K'
inline constexpr std::uint8_t kVendorSignature1 = 0x56;  // 'V'

// The EEPROM write carries its payload in the block: address, count, ten bytes.
inline constexpr std::size_t kEepromWriteAddressAt = 2;
inline constexpr std::size_t kEepromWriteCountAt = 3;
inline constexpr std::size_t kEepromWritePayloadAt = 4;
inline constexpr std::uint32_t kEepromPieceSize = 10;

// Data phases of the vendor commands.
inline constexpr std::uint32_t kChipIdentityLength = 12;
inline constexpr std::size_t kEepromReadSize = 512;

// The chip identity reply: bytes 0 and 1 mean nothing to us; the model in
// bytes 2 and 3 (53 08 for the VX5308), the revision in 4 and 5, then the
// chip's date as six characters, two each for year, month and day.
inline constexpr std::size_t kChipModelAt = 2;
inline constexpr std::uint8_t kChipModel5308High = 0x53;
inline constexpr std::uint8_t kChipModel5308Low = 0x08;
inline constexpr std::size_t kChipRevisionAt = 4;
inline constexpr std::size_t kChipYearAt = 6;
inline constexpr std::size_t kChipMonthAt = 8;
inline constexpr std::size_t kChipDayAt = 10;

// Data directions of a pass-through record (SCSI_IOCTL_DATA_*).
inline constexpr std::uint8_t kScsiDataOut = 0;
inline constexpr std::uint8_t kScsiDataIn = 1;
inline constexpr std::uint8_t kScsiDataUnspecified = 2;

// PathId, TargetId and Lun of a direct request. A request sent to a volume
// is addressed by its handle: the driver puts in the device's own address,
// so these say "none" (a buffered request leaves them 0).
inline constexpr std::uint8_t kScsiAddressNone = 0xFF;

// SCSI statuses.
inline constexpr std::uint8_t kScsiStatusGood = 0x00;
inline constexpr std::uint8_t kScsiStatusCheckCondition = 0x02;

// Fixed-format sense data: response code, and where key and codes lie.
inline constexpr std::uint8_t kSenseCurrentFixed = 0x70;
inline constexpr std::size_t kSenseFixedLength = 18;
inline constexpr std::size_t kSenseKeyAt = 2;
inline constexpr std::size_t kSenseAdditionalLengthAt = 7;
inline constexpr std::size_t kSenseCodeAt = 12;
inline constexpr std::size_t kSenseQualifierAt = 13;

// Sense keys and additional sense codes the controller reports.
inline constexpr std::uint8_t kSenseKeyNotReady = 0x02;
inline constexpr std::uint8_t kSenseKeyHardwareError = 0x04;
inline constexpr std::uint8_t kSenseKeyIllegalRequest = 0x05;
inline constexpr std::uint8_t kSenseInvalidOperationCode = 0x20;
inline constexpr std::uint8_t kSenseInvalidFieldInCdb = 0x24;
inline constexpr std::uint8_t kSenseMediumNotPresent = 0x3A;
inline constexpr std::uint8_t kSenseInternalTargetFailure = 0x44;

}  // namespace talven
