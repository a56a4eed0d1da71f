#include "sim/CardStorage.h"

#include <cstring>

namespace talven {

CardStorage::CardStorage(std::uint64_t keptBytes) : keptSectors(keptBytes / kSimSectorSize) { Clear(); }

void CardStorage::Clear() {
    sectors.clear();
    sectors.shrink_to_fit();
    bodyIndex.clear();
    bodies.clear();
    bodies.emplace_back();  // body 0: zeros
    const auto& zeros = bodies.back();
    bodyIndex.emplace(std::string_view(reinterpret_cast<const char*>(zeros.data()), kBodySize), 0);
    lastBody = 0;
}

// Consecutive sectors of a test file share their body: the last one is
// compared before the pool is searched.
std::uint32_t CardStorage::BodyOf(const std::uint8_t* body) {
    if (std::memcmp(bodies[lastBody].data(), body, kBodySize) == 0) return lastBody;
    const std::string_view key(reinterpret_cast<const char*>(body), kBodySize);
    auto found = bodyIndex.find(key);
    if (found == bodyIndex.end()) {
        bodies.emplace_back();
        std::memcpy(bodies.back().data(), body, kBodySize);
        const std::string_view kept(reinterpret_cast<const char*>(bodies.back().data()), kBodySize);
        found = bodyIndex.emplace(kept, static_cast<std::uint32_t>(bodies.size() - 1)).first;
    }
    lastBody = found->second;
    return lastBody;
}

void CardStorage::Write(std::uint64_t sector, const std::uint8_t* data) {
    const std::uint64_t slot = Slot(sector);
    if (slot >= sectors.size()) sectors.resize(slot + 1);
    Sector& stored = sectors[slot];
    std::memcpy(stored.head.data(), data, kHeadSize);
    stored.body = BodyOf(data + kHeadSize);
}

void CardStorage::Read(std::uint64_t sector, std::uint8_t* data) const {
    const std::uint64_t slot = Slot(sector);
    if (slot >= sectors.size()) {
        std::memset(data, 0, kSimSectorSize);
        return;
    }
    const Sector& stored = sectors[slot];
    std::memcpy(data, stored.head.data(), kHeadSize);
    std::memcpy(data + kHeadSize, bodies[stored.body].data(), kBodySize);
}

}  // namespace talven
