// The data area of a simulated card, kept compact: each 512-byte sector keeps
// its first bytes itself and the rest as a number in a pool of the distinct
// contents the card has seen. Test files are a few patterns whose sectors
// differ only in a stamp at their start, so a card of hundreds of MiB takes a
// few MiB of memory. A card that keeps fewer bytes than it claims stores the
// sector at data offset o at o mod the bytes it keeps.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sim/StationConfig.h"

namespace talven {

class CardStorage {
public:
    // `keptBytes`: whole sectors the card really keeps; 0 keeps everything.
    explicit CardStorage(std::uint64_t keptBytes = 0);

    // One sector at data offset `sector` × 512. A sector never written reads
    // as zeros.
    void Write(std::uint64_t sector, const std::uint8_t* data);
    void Read(std::uint64_t sector, std::uint8_t* data) const;
    void Clear();

    static constexpr std::size_t kHeadSize = 8;
    static constexpr std::size_t kBodySize = kSimSectorSize - kHeadSize;

private:
    struct Sector {
        std::array<std::uint8_t, kHeadSize> head{};
        std::uint32_t body = 0;  // 0: zeros
    };
    std::uint64_t Slot(std::uint64_t sector) const { return keptSectors == 0 ? sector : sector % keptSectors; }
    std::uint32_t BodyOf(const std::uint8_t* body);

    std::uint64_t keptSectors;
    std::vector<Sector> sectors;  // by slot, grown as written
    // Distinct bodies; a deque keeps them where the index's views point.
    std::deque<std::array<std::uint8_t, kBodySize>> bodies;
    std::unordered_map<std::string_view, std::uint32_t> bodyIndex;
    std::uint32_t lastBody = 0;
};

}  // namespace talven
