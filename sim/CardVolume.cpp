#include "sim/CardVolume.h"

#include <algorithm>
#include <cstring>

namespace talven {

CardVolume::CardVolume(const CardConfig& cardConfig, const DriveFaults& faults) : config(cardConfig), faults(faults) {
    // The station file's limits, which also keep the cluster size from wrapping to 0.
    config.sectorsPerCluster = std::clamp<std::uint32_t>(config.sectorsPerCluster, 1, 65535);
    const std::uint64_t clusters = config.capacity / ClusterSize();
    totalClusters = static_cast<std::uint32_t>(std::min<std::uint64_t>(clusters, UINT32_MAX));
    const std::uint32_t free = std::min(config.freeClusters.value_or(totalClusters), totalClusters);
    reservedClusters = totalClusters - free;
}

void CardVolume::Pull() {
    present = false;
    files.clear();
}

std::uint64_t CardVolume::ClustersOf(std::uint64_t bytes) const {
    return bytes / ClusterSize() + (bytes % ClusterSize() != 0 ? 1 : 0);
}

std::uint32_t CardVolume::FreeClusters() const {
    if (!present) return 0;
    std::uint64_t used = reservedClusters;
    for (const auto& [key, file] : files) used += ClustersOf(file.data.size());
    return used >= totalClusters ? 0 : static_cast<std::uint32_t>(totalClusters - used);
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
        it->second.data.clear();
        it->second.openCount = 1;
        return true;
    }
    files[Key(name)] = File{name, {}, 1};
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

void CardVolume::CorruptIfDue(std::vector<std::uint8_t>& bytes, std::uint64_t position, std::uint64_t clusters) {
    const std::uint64_t corruptAt = faults.corruptAtCluster;
    if (corruptAt > clustersWritten && corruptAt - clustersWritten <= clusters)
        bytes[position + (corruptAt - clustersWritten - 1) * ClusterSize()] ^= 0xFF;
}

FileTransfer CardVolume::Write(const std::string& name, std::uint64_t position, const void* data,
                               std::uint32_t size) {
    if (!present) return {true, 0};
    auto it = files.find(Key(name));
    if (it == files.end()) return {true, 0};
    if (size == 0) return {false, 0};
    if (data == nullptr) return {true, 0};  // as Windows refuses a missing buffer
    std::vector<std::uint8_t>& bytes = it->second.data;
    const std::uint64_t end = position + size;
    // A full card refuses the request before any of it moves.
    if (end > bytes.size() && ClustersOf(end) - ClustersOf(bytes.size()) > FreeClusters()) return {true, 0};
    const std::uint64_t clusters = ClustersOf(size);
    if (!CountMoved(clusters)) return {true, 0};
    if (end > bytes.size()) bytes.resize(end);
    std::memcpy(bytes.data() + position, data, size);
    CorruptIfDue(bytes, position, clusters);
    clustersWritten += clusters;
    return {false, size};
}

FileTransfer CardVolume::Read(const std::string& name, std::uint64_t position, void* data, std::uint32_t size) {
    if (!present) return {true, 0};
    auto it = files.find(Key(name));
    if (it == files.end()) return {true, 0};
    const std::vector<std::uint8_t>& bytes = it->second.data;
    if (position >= bytes.size() || size == 0) return {false, 0};
    if (data == nullptr) return {true, 0};
    const std::uint32_t count = static_cast<std::uint32_t>(std::min<std::uint64_t>(size, bytes.size() - position));
    if (!CountMoved(ClustersOf(count))) return {true, 0};
    std::memcpy(data, bytes.data() + position, count);
    return {false, count};
}

bool CardVolume::Delete(const std::string& name) {
    if (!present || config.writeProtected) return false;
    auto it = files.find(Key(name));
    if (it == files.end() || it->second.openCount > 0) return false;
    files.erase(it);
    return true;
}

bool CardVolume::Exists(const std::string& name) const { return present && files.count(Key(name)) != 0; }

std::vector<std::string> CardVolume::FileNames() const {
    std::vector<std::string> names;
    for (const auto& [key, file] : files) names.push_back(file.name);
    return names;
}

const std::vector<std::uint8_t>* CardVolume::FileData(const std::string& name) const {
    auto it = files.find(Key(name));
    return it == files.end() ? nullptr : &it->second.data;
}

}  // namespace talven
