#include "sim/CardVolume.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace talven {

namespace {

std::uint32_t ClusterSizeOf(const CardConfig& config) {
    // The station file's limits, which also keep the cluster size from wrapping to 0.
    return std::clamp<std::uint32_t>(config.sectorsPerCluster, 1, 65535) * kSimSectorSize;
}

}  // namespace

CardVolume::CardVolume(const CardConfig& cardConfig, const DriveFaults& faults, std::uint64_t writtenBefore)
    : config(cardConfig),
      faults(faults),
      directory(FormatOf(cardConfig), cardConfig.rootEntries.value_or(kDefaultRootEntries), ClusterSizeOf(cardConfig)),
      storage(faults.wrapAt),
      clustersWrittenEver(writtenBefore) {
    config.sectorsPerCluster = ClusterSizeOf(cardConfig) / kSimSectorSize;
    const std::uint64_t clusters = config.capacity / ClusterSize();
    totalClusters = static_cast<std::uint32_t>(std::min<std::uint64_t>(clusters, UINT32_MAX));
    // A growing root starts with the first cluster; other data follows it.
    const std::uint32_t root = RootGrows(FormatOf(config)) && totalClusters > 0 ? 1 : 0;
    const std::uint32_t free = std::min(config.freeClusters.value_or(totalClusters), totalClusters - root);
    firstFreeable = totalClusters - free;
}

void CardVolume::Pull() {
    present = false;
    files.clear();
    storage.Clear();
}

std::uint64_t CardVolume::ClustersOf(std::uint64_t bytes) const {
    return bytes / ClusterSize() + (bytes % ClusterSize() != 0 ? 1 : 0);
}

std::uint32_t CardVolume::FreeClusters() const {
    if (!present) return 0;
    return static_cast<std::uint32_t>(totalClusters - firstFreeable - usedClusters);
}

bool CardVolume::Allocate(std::uint64_t count, std::vector<std::uint32_t>& into) {
    if (count > FreeClusters()) return false;
    for (; count > 0; ++searchFrom) {
        if (searchFrom >= inUse.size()) inUse.resize(std::max<std::size_t>(2 * inUse.size(), searchFrom + 1));
        if (inUse[searchFrom]) continue;
        inUse[searchFrom] = true;
        into.push_back(static_cast<std::uint32_t>(firstFreeable + searchFrom));
        ++usedClusters;
        --count;
    }
    return true;
}

void CardVolume::Release(std::vector<std::uint32_t>& clusters) {
    for (const std::uint32_t cluster : clusters) {
        const std::uint64_t at = cluster - firstFreeable;
        inUse[at] = false;
        searchFrom = std::min(searchFrom, at);
    }
    usedClusters -= clusters.size();
    clusters.clear();
}

std::string CardVolume::Key(const std::string& name) {
    std::string key = name;
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return key;
}

bool CardVolume::Create(const std::string& name) {
    if (!present || config.writeProtected || name.empty()) return false;
    auto it = files.find(Key(name));
    if (it != files.end()) {
        if (it->second.openCount > 0) return false;
        Release(it->second.clusters);
        it->second.size = 0;
        it->second.openCount = 1;
        return true;
    }
    // The first file on an empty card starts a card test: the slot's faults strike anew.
    if (files.empty()) clustersWritten = clustersMoved = 0;
    // A new name needs room in the root, which may have to take clusters.
    std::uint32_t grow = 0;
    std::vector<std::uint32_t> rootClusters;
    if (!directory.ClustersToAdd(name, grow) || !Allocate(grow, rootClusters)) return false;
    directory.Add(name, grow);
    files[Key(name)] = File{name, 0, {}, 1};
    return true;
}

bool CardVolume::Open(const std::string& name) {
    if (!present) return false;
    auto it = files.find(Key(name));
    if (it == files.end() || it->second.openCount > 0) return false;
    it->second.openCount = 1;
    return true;
}

void CardVolume::Close(const std::string& name) {
    auto it = files.find(Key(name));
    if (it != files.end() && it->second.openCount > 0) --it->second.openCount;
}

bool CardVolume::CountMoved(std::uint64_t clusters) {
    const std::uint64_t pullAt = faults.pullAtCluster;
    if (pullAt > clustersMoved && pullAt - clustersMoved <= clusters) {
        clustersMoved = pullAt;
        Pull();
        return false;
    }
    clustersMoved += clusters;
    return true;
}

std::uint64_t CardVolume::DataSector(const File& file, std::uint64_t fileSector) const {
    const std::uint64_t perCluster = config.sectorsPerCluster;
    return std::uint64_t{file.clusters[fileSector / perCluster]} * perCluster + fileSector % perCluster;
}

// Calls `step(dataSector, offset, length, done)` for each piece of the byte
// range that lies in one sector, `done` bytes into the range.
template <typename Step>
void CardVolume::ForEachSector(const File& file, std::uint64_t position, std::uint64_t size, Step step) const {
    for (std::uint64_t at = position; at < position + size;) {
        const std::uint64_t offset = at % kSimSectorSize;
        const std::uint64_t length = std::min<std::uint64_t>(kSimSectorSize - offset, position + size - at);
        step(DataSector(file, at / kSimSectorSize), offset, length, at - position);
        at += length;
    }
}

void CardVolume::StoreBytes(const File& file, std::uint64_t position, const std::uint8_t* data, std::uint64_t size) {
    ForEachSector(file, position, size, [&](std::uint64_t sector, std::uint64_t offset, std::uint64_t length,
                                            std::uint64_t done) {
        if (length == kSimSectorSize) return storage.Write(sector, data + done);
        // A part of a sector keeps the rest of it.
        std::array<std::uint8_t, kSimSectorSize> whole;
        storage.Read(sector, whole.data());
        std::memcpy(whole.data() + offset, data + done, length);
        storage.Write(sector, whole.data());
    });
}

void CardVolume::LoadBytes(const File& file, std::uint64_t position, std::uint8_t* data, std::uint64_t size) const {
    ForEachSector(file, position, size, [&](std::uint64_t sector, std::uint64_t offset, std::uint64_t length,
                                            std::uint64_t done) {
        if (length == kSimSectorSize) return storage.Read(sector, data + done);
        std::array<std::uint8_t, kSimSectorSize> whole;
        storage.Read(sector, whole.data());
        std::memcpy(data + done, whole.data() + offset, length);
    });
}

bool CardVolume::DueIn(std::uint64_t n, std::uint64_t position, std::uint64_t clusters, std::uint64_t& at) const {
    if (n <= clustersWritten || n - clustersWritten > clusters) return false;
    at = position + (n - clustersWritten - 1) * ClusterSize();
    return true;
}

void CardVolume::ApplyWriteFaults(const File& file, std::uint64_t position, std::uint64_t clusters) {
    std::uint64_t at = 0;
    if (DueIn(faults.corruptAtCluster, position, clusters, at)) {
        std::uint8_t byte = 0;
        LoadBytes(file, at, &byte, 1);
        byte ^= 0xFF;
        StoreBytes(file, at, &byte, 1);
    }
    // A slot that writes one sector twice and loses the next.
    if (DueIn(faults.repeatSectorAtCluster, position, clusters, at) && ClusterSize() >= 2 * kSimSectorSize &&
        at + 2 * kSimSectorSize <= file.size) {
        std::array<std::uint8_t, kSimSectorSize> first;
        LoadBytes(file, at, first.data(), kSimSectorSize);
        StoreBytes(file, at + kSimSectorSize, first.data(), kSimSectorSize);
    }
}

std::uint64_t CardVolume::ClustersStored(std::uint64_t clusters) const {
    const std::uint64_t dropAt = faults.dropWritesAfterCluster;
    if (dropAt == 0) return clusters;
    return dropAt > clustersWrittenEver ? std::min(clusters, dropAt - clustersWrittenEver - 1) : 0;
}

FileTransfer CardVolume::Write(const std::string& name, std::uint64_t position, const void* data,
                               std::uint32_t size) {
    if (!present) return {true, 0};
    auto it = files.find(Key(name));
    if (it == files.end()) return {true, 0};
    if (size == 0) return {false, 0};
    if (data == nullptr) return {true, 0};  // as Windows refuses a missing buffer
    File& file = it->second;
    const std::uint64_t end = position + size;
    const std::uint64_t held = file.clusters.size();
    const std::uint64_t needed = ClustersOf(end) > held ? ClustersOf(end) - held : 0;
    // A full card refuses the request before any of it moves.
    if (needed > FreeClusters()) return {true, 0};
    const std::uint64_t clusters = ClustersOf(size);
    if (!CountMoved(clusters)) return {true, 0};
    Allocate(needed, file.clusters);
    // A slot that has stopped storing leaves the card what its clusters held.
    const std::uint64_t stored = ClustersStored(clusters);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    StoreBytes(file, position, bytes, std::min<std::uint64_t>(size, stored * ClusterSize()));
    file.size = std::max(file.size, end);
    ApplyWriteFaults(file, position, stored);
    clustersWritten += clusters;
    clustersWrittenEver += clusters;
    return {false, size};
}

FileTransfer CardVolume::Read(const std::string& name, std::uint64_t position, void* data, std::uint32_t size) {
    if (!present) return {true, 0};
    auto it = files.find(Key(name));
    if (it == files.end()) return {true, 0};
    const File& file = it->second;
    if (position >= file.size || size == 0) return {false, 0};
    if (data == nullptr) return {true, 0};
    const std::uint32_t count = static_cast<std::uint32_t>(std::min<std::uint64_t>(size, file.size - position));
    if (!CountMoved(ClustersOf(count))) return {true, 0};
    LoadBytes(file, position, static_cast<std::uint8_t*>(data), count);
    return {false, count};
}

bool CardVolume::Delete(const std::string& name) {
    if (!present || config.writeProtected) return false;
    auto it = files.find(Key(name));
    if (it == files.end() || it->second.openCount > 0) return false;
    Release(it->second.clusters);
    directory.Remove(it->second.name);
    files.erase(it);
    return true;
}

bool CardVolume::Exists(const std::string& name) const { return present && files.count(Key(name)) != 0; }

std::vector<std::string> CardVolume::FileNames() const {
    std::vector<std::string> names;
    for (const auto& [key, file] : files) names.push_back(file.name);
    return names;
}

std::optional<std::vector<std::uint8_t>> CardVolume::FileData(const std::string& name) const {
    auto it = files.find(Key(name));
    if (it == files.end()) return std::nullopt;
    std::vector<std::uint8_t> bytes(it->second.size);
    LoadBytes(it->second, 0, bytes.data(), bytes.size());
    return bytes;
}

}  // namespace talven
