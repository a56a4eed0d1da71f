// A card in a simulated slot: a volume with a capacity, a cluster size and
// files kept in memory, which can be write-protected, corrupt a cluster or be
// pulled out. Transfers are counted in clusters of the card's cluster size,
// however many a request moves, so that cluster-numbered faults land on the
// cluster the station file names.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "sim/StationConfig.h"

namespace talven {

class CardVolume {
public:
    CardVolume(const CardConfig& config, const DriveFaults& faults);

    bool Present() const { return present; }
    // The card leaves the slot and takes its files with it.
    void Pull();

    std::uint32_t ClusterSize() const { return config.sectorsPerCluster * kSimSectorSize; }
    std::uint32_t TotalClusters() const { return totalClusters; }
    std::uint32_t FreeClusters() const;
    bool WriteProtected() const { return config.writeProtected; }
    double WriteSpeed() const { return config.writeSpeed; }
    double ReadSpeed() const { return config.readSpeed; }

    // File access by name (the part of the path after the drive's root).
    // Create and Open fail while the file is open elsewhere (not shared).
    bool Create(const std::string& name);
    bool Open(const std::string& name);
    void Close(const std::string& name);
    // A request moves ceil(size / cluster size) clusters. When the card is
    // pulled at one of them, the request fails and keeps nothing.
    FileTransfer Write(const std::string& name, std::uint64_t position, const void* data, std::uint32_t size);
    FileTransfer Read(const std::string& name, std::uint64_t position, void* data, std::uint32_t size);
    bool Delete(const std::string& name);
    bool Exists(const std::string& name) const;

    // For tests: the files by name and their contents, and the clusters
    // written by successful writes and moved by writes and reads (up to and
    // including the one at which the card was pulled).
    std::vector<std::string> FileNames() const;
    const std::vector<std::uint8_t>* FileData(const std::string& name) const;
    std::uint64_t ClustersWritten() const { return clustersWritten; }
    std::uint64_t ClustersMoved() const { return clustersMoved; }

private:
    struct File {
        std::string name;
        std::vector<std::uint8_t> data;
        int openCount = 0;
    };
    static std::string Key(const std::string& name);
    std::uint64_t ClustersOf(std::uint64_t bytes) const;
    // Counts the clusters of one request; false, with the card pulled, when
    // the pull-at cluster is among them.
    bool CountMoved(std::uint64_t clusters);
    // Inverts the first byte of the corrupt-at cluster if this write holds it.
    void CorruptIfDue(std::vector<std::uint8_t>& bytes, std::uint64_t position, std::uint64_t clusters);

    CardConfig config;
    DriveFaults faults;
    bool present = true;
    std::uint32_t totalClusters = 0;
    std::uint32_t reservedClusters = 0;  // taken by whatever else is on the card
    std::map<std::string, File> files;
    std::uint64_t clustersWritten = 0;
    std::uint64_t clustersMoved = 0;
};

}  // namespace talven
