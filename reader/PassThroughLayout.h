// The SCSI pass-through records as the Windows driver reads them, written out
// for this build's pointer width, and the buffers that carry them.
//
// The host build has no SDK, so these mirrors are the records there; the
// Windows build uses the SDK's own structures and checks at compile time that
// they agree with these in size and in every offset (PassThroughRecords.h).
// Field names follow the SDK so that the same code fills either.
#pragma once

#include <cstddef>
#include <cstdint>

#include "reader/ScsiCommands.h"

namespace talven {

struct ScsiPassThroughMirror {
    std::uint16_t Length;
    std::uint8_t ScsiStatus;
    std::uint8_t PathId;
    std::uint8_t TargetId;
    std::uint8_t Lun;
    std::uint8_t CdbLength;
    std::uint8_t SenseInfoLength;
    std::uint8_t DataIn;
    std::uint32_t DataTransferLength;
    std::uint32_t TimeOutValue;
    std::uintptr_t DataBufferOffset;
    std::uint32_t SenseInfoOffset;
    std::uint8_t Cdb[16];
};

struct ScsiPassThroughDirectMirror {
    std::uint16_t Length;
    std::uint8_t ScsiStatus;
    std::uint8_t PathId;
    std::uint8_t TargetId;
    std::uint8_t Lun;
    std::uint8_t CdbLength;
    std::uint8_t SenseInfoLength;
    std::uint8_t DataIn;
    std::uint32_t DataTransferLength;
    std::uint32_t TimeOutValue;
    void* DataBuffer;
    std::uint32_t SenseInfoOffset;
    std::uint8_t Cdb[16];
};

// The sense area follows the record on an eight-byte boundary: byte 48 in the
// 44-byte 32-bit record, byte 56 in the 56-byte 64-bit one.
constexpr std::size_t AlignUp8(std::size_t value) { return (value + 7) & ~std::size_t{7}; }

// Buffered request: record, sense area of 32 bytes, data area of 1024 bytes.
inline constexpr std::size_t kBufferedRecordSize = sizeof(ScsiPassThroughMirror);
inline constexpr std::size_t kBufferedSenseOffset = AlignUp8(kBufferedRecordSize);
inline constexpr std::size_t kBufferedSenseSize = 32;
inline constexpr std::size_t kBufferedDataOffset = kBufferedSenseOffset + kBufferedSenseSize;
inline constexpr std::size_t kBufferedDataSize = 1024;
inline constexpr std::size_t kBufferedRequestSize = kBufferedDataOffset + kBufferedDataSize;

// Direct request: record and a sense area of 64 bytes.
inline constexpr std::size_t kDirectRecordSize = sizeof(ScsiPassThroughDirectMirror);
inline constexpr std::size_t kDirectSenseOffset = AlignUp8(kDirectRecordSize);
inline constexpr std::size_t kDirectSenseSize = 64;
inline constexpr std::size_t kDirectRequestSize = kDirectSenseOffset + kDirectSenseSize;

// Sense bytes the driver may return into either sense area.
inline constexpr std::uint8_t kSenseInfoLength = 24;

static_assert(sizeof(void*) != 4 || (kBufferedRecordSize == 44 && kBufferedRequestSize == 1104 &&
                                     kDirectRecordSize == 44 && kDirectRequestSize == 112),
              "the 32-bit records keep the sizes every 32-bit driver expects");

}  // namespace talven
