// The controller's vendor commands: 16-byte blocks ending in the signature "KV".
#include <cstring>

#include "reader/ReaderDevice.h"

namespace talven {

namespace {

// The address is one byte: the last piece may start at 250 at the latest.
constexpr std::uint32_t kMaxImageLength = 259;

using CommandBlock = std::array<std::uint8_t, kVendorBlockLength>;

CommandBlock VendorBlock(std::uint8_t operation, std::uint8_t subOperation) {
    CommandBlock block{};
    block[0] = operation;
    block[kVendorSubOperationAt] = subOperation;
    block[kVendorSignatureAt] = kVendorSignature0;
    block[kVendorSignatureAt + 1] = kVendorSignature1;
    return block;
}

}  // namespace

bool ReaderDevice::ReadChipIdentity(ChipIdentity& identity) {
    if (!IsOpen()) return false;
    replyBuffer = std::make_unique<std::uint8_t[]>(kReplyBufferSize);
    const CommandBlock block = VendorBlock(kVendorChipIdentity, 0);
    std::uint32_t returned = 0;
    if (!SendDirect(kScsiDataIn, &returned, block.data(), block.size(), replyBuffer.get(), kChipIdentityLength))
        return false;
    if (ScsiStatus() != kScsiStatusGood) return false;
    std::memcpy(identity.data(), replyBuffer.get(), identity.size());
    return true;
}

bool ReaderDevice::WriteEeprom(std::uint32_t address, std::uint32_t count, const std::uint8_t* payload10) {
    if (!IsOpen()) return false;
    replyBuffer.reset();
    CommandBlock block = VendorBlock(kVendorEeprom, kVendorEepromWrite);
    block[kEepromWriteAddressAt] = static_cast<std::uint8_t>(address);
    block[kEepromWriteCountAt] = static_cast<std::uint8_t>(count);
    std::memcpy(block.data() + kEepromWritePayloadAt, payload10, kEepromPieceSize);
    std::uint32_t returned = 0;
    if (!SendDirect(kScsiDataOut, &returned, block.data(), block.size(), nullptr, 0)) return false;
    return ScsiStatus() == kScsiStatusGood;
}

bool ReaderDevice::ReadEeprom(std::uint8_t* buffer512) {
    if (!IsOpen()) return false;
    replyBuffer.reset();
    const CommandBlock block = VendorBlock(kVendorEeprom, kVendorEepromRead);
    std::uint32_t returned = 0;
    if (!SendDirect(kScsiDataIn, &returned, block.data(), block.size(), buffer512, kEepromReadSize))
        return false;
    return ScsiStatus() == kScsiStatusGood;
}

bool ProgramAndVerify(ReaderDevice& device, const std::uint8_t* image, std::uint32_t length) {
    // A longer image would wrap the one-byte address over its own start.
    if (length > kMaxImageLength) return false;
    std::uint32_t address = 0;
    std::uint32_t remaining = length;
    const std::uint8_t* piece = image;
    // Each write's own result is not judged: the read-back alone decides.
    while (remaining >= kEepromPieceSize) {
        device.WriteEeprom(address, kEepromPieceSize, piece);
        piece += kEepromPieceSize;
        address += kEepromPieceSize;
        remaining -= kEepromPieceSize;
    }
    device.WriteEeprom(address, remaining, piece);

    std::uint8_t readBack[kEepromReadSize] = {};
    device.ReadEeprom(readBack);
    return std::memcmp(readBack, image, length) == 0;
}

}  // namespace talven
