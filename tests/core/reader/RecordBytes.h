// Where the driver finds each field of a pass-through record, written out by
// hand for both pointer widths so that a wrong layout cannot agree with itself.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace talven::test {

inline constexpr bool k64 = sizeof(void*) == 8;

struct RecordOffsets {
    std::size_t length = 0, scsiStatus = 2, pathId = 3, targetId = 4, lun = 5, cdbLength = 6,
                senseInfoLength = 7, dataIn = 8, dataTransferLength = 12, timeOutValue = 16;
    std::size_t dataBuffer = k64 ? 24 : 20;
    std::size_t senseInfoOffset = k64 ? 32 : 24;
    std::size_t cdb = k64 ? 36 : 28;
    std::size_t recordSize = k64 ? 56 : 44;
};
inline constexpr RecordOffsets kAt{};

inline constexpr std::uint32_t kSenseAt = k64 ? 56 : 48;
inline constexpr std::uint32_t kDataAt = k64 ? 88 : 80;
inline constexpr std::uint32_t kBufferedSize = k64 ? 1112 : 1104;
inline constexpr std::uint32_t kDirectSize = k64 ? 120 : 112;

inline std::uint32_t U16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes.at(at) | bytes.at(at + 1) << 8;
}
inline std::uint32_t U32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes.at(at) | bytes.at(at + 1) << 8 | bytes.at(at + 2) << 16 | std::uint32_t{bytes.at(at + 3)} << 24;
}
inline std::uint64_t Pointer(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < sizeof(void*); ++i) value |= std::uint64_t{bytes.at(at + i)} << (8 * i);
    return value;
}
inline std::vector<std::uint8_t> Cdb(const std::vector<std::uint8_t>& bytes, std::size_t count = 16) {
    return {bytes.begin() + kAt.cdb, bytes.begin() + kAt.cdb + count};
}

}  // namespace talven::test
