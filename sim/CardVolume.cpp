#include "sim/CardVolume.h"

#include <algorithm>
#include <cstring>

namespace talven {

CardVolume::CardVolume(const CardConfig& config, const DriveFaults& faults) : config(config), faults(faults) {
    const std::uint64_t clusters = ClusterSize() == 0 ? 0 : config.capacity / ClusterSize();
    totalClusters = static_cast<std::uint32_t>(std::min<std::uint64_t>(clusters, UINT32_MAX));
    const std::uint32_t free = std::min(config.freeClusters.value_or(totalClusters), totalClusters);
    reservedClusters = totalClusters - free;
}

void CardVolume::Pull() {
    present = false;
    files.clear();
}

std::uint32_t CardVolume::ClustersOf(std::uint64_t bytes) const {
    return static_cast<std::uint32_t>((bytes + ClusterSize() - 1) / ClusterSize());
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

bool CardVolume::CountTransfer() {
    if (!present) return false;
    ++clustersMoved;
    if (faults.pullAtCluster != 0 && clustersMoved == faults.pullAtCluster) {
        Pull();
        return false;
    }
    return true;
}

FileTransfer CardVolume::Write(const std::string& name, std::uint64_t position, const void* data,
                               std::uint32_t size) {
    if (!CountTransfer()) return {true, 0};
    auto it = files.find(Key(name));
    if (it == files.end()) return {true, 0};
    std::vector<std::uint8_t>& bytes = it->second.data;
    const std::uint64_t end = position + size;
    if (end > bytes.size()) {
        const std::uint32_t more = ClustersOf(end) - ClustersOf(bytes.size());
        if (more > FreeClusters()) return {true, 0};  // the card is full
        bytes.resize(end);
    }
    std::memcpy(bytes.data() + position, data, size);
    ++clustersWritten;
    if (faults.corruptAtCluster != 0 && clustersWritten == faults.corruptAtCluster && size > 0)
        bytes[position] ^= 0xFF;
    return {false, size};
}

FileTransfer CardVolume::Read(const std::string& name, std::uint64_t position, void* data, std::uint32_t size) {
    if (!present) return {true, 0};
    auto it = files.find(Key(name));
    if (it == files.end()) return {true, 0};
    const std::vector<std::uint8_t>& bytes = it->second.data;
    if (position >= bytes.size()) return {false, 0};
    if (!CountTransfer()) return {true, 0};
    const std::uint32_t count = static_cast<std::uint32_t>(std::min<std::uint64_t>(size, bytes.size() - position));
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
