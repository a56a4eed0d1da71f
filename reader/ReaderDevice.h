// One opened reader volume and the requests sent to it: the two standard SCSI
// commands as buffered pass-through requests, the controller's vendor commands
// as direct ones. Every request goes to the platform as the record's bytes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "reader/ChipIdentity.h"
#include "reader/PassThroughLayout.h"
#include "reader/ScsiCommands.h"

namespace talven {

// The chip identity reply and a zero byte after it, which no reply reaches:
// the buffer always ends as a terminated text, whatever the chip sent.
inline constexpr std::size_t kReplyBufferSize = kChipIdentityLength + 1;
// Longest drive text Open accepts; the device path buffer holds 260 characters.
inline constexpr std::size_t kMaxDriveText = 255;

class ReaderDevice {
public:
    explicit ReaderDevice(Platform& platform);
    virtual ~ReaderDevice();
    ReaderDevice(const ReaderDevice&) = delete;
    ReaderDevice& operator=(const ReaderDevice&) = delete;

    // Opens "\\.\" followed by the drive text with read and write access.
    bool Open(std::string driveText);
    bool IsOpen() const { return volumeHandle != kInvalidHandle; }

    bool TestUnitReady();
    // On status GOOD `product` becomes the product identification; otherwise
    // it is left alone. True whenever the platform call succeeded.
    bool Inquiry(std::string& product);

    // Sends one direct request; the result is the platform call's success.
    // The SCSI status is then in the record (ScsiStatus()).
    bool SendDirect(std::uint8_t direction, std::uint32_t* returned, const std::uint8_t* cdb,
                    std::uint8_t cdbLength, void* data, std::uint32_t dataLength);

    bool ReadChipIdentity(ChipIdentity& identity);
    // Sends all ten payload bytes; `count` tells the device how many to store.
    bool WriteEeprom(std::uint32_t address, std::uint32_t count, const std::uint8_t* payload10);
    bool ReadEeprom(std::uint8_t* buffer512);

    // The SCSI status the last direct request left in its record.
    std::uint8_t ScsiStatus() const;

    const std::string& DevicePath() const { return devicePath; }
    Handle VolumeHandle() const { return volumeHandle; }
    const std::uint8_t* ReplyBuffer() const { return replyBuffer.get(); }
    const std::uint8_t* DirectRequest() const { return directRequest.data(); }

private:
    bool SendBuffered(const std::uint8_t (&cdb)[6], std::uint32_t transferLength, std::uint32_t outputLength,
                      std::uint8_t* request);
    void CloseVolume();

    Platform& platform;
    Handle volumeHandle = kInvalidHandle;
    std::string devicePath;
    std::unique_ptr<std::uint8_t[]> replyBuffer;
    alignas(8) std::array<std::uint8_t, kDirectRequestSize> directRequest{};
};

// Writes the image in ten-byte pieces from address 0, then reads the EEPROM
// back; true when its first `length` bytes equal the image. The buffer must
// hold ten readable bytes from the start of the last piece.
bool ProgramAndVerify(ReaderDevice& device, const std::uint8_t* image, std::uint32_t length);

}  // namespace talven
