// A card in a simulated slot: a volume with a capacity, a cluster size, a
// root directory of its format and files whose data lies in clusters handed
// out lowest first, which can be write-protected, corrupt a cluster, repeat a
// sector, keep less than it claims, stop storing what is written or be pulled
// out. Transfers are counted in clusters of the card's cluster size, however
// many a request moves, so that cluster-numbered faults land on the cluster
// the station file names.
//
// A card test starts when a file is created on a card that holds none: the
// station program's test creates its files on an empty card and deletes them
// on every path, so each GO counts its clusters afresh without announcing
// itself. The slot's life count, which drop-writes follows, never starts over.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "sim/CardDirectory.h"
#include "sim/CardStorage.h"
#include "sim/StationConfig.h"

namespace talven {

class CardVolume {
public:
    // `writtenBefore`: clusters the slot wrote to the cards it held before.
    CardVolume(const CardConfig& config, const DriveFaults& faults, std::uint64_t writtenBefore = 0);

    bool Present() const { return present; }
    // The card leaves the slot and takes its files with it.
    void Pull();

    std::uint32_t ClusterSize() const { return config.sectorsPerCluster * kSimSectorSize; }
    std::uint32_t TotalClusters() const { return totalClusters; }
    std::uint32_t FreeClusters() const;
    bool WriteProtected() const { return config.writeProtected; }
    double WriteSpeed() const { return config.writeSpeed; }
    double ReadSpeed() const { return config.readSpeed; }
    const CardDirectory& Directory() const { return directory; }

    // File access by name (the part of the path after the drive's root).
    // Create and Open fail while the file is open elsewhere (not shared);
    // Create fails too when the root has no room for the name.
    bool Create(const std::string& name);
    bool Open(const std::string& name);
    void Close(const std::string& name);
    // A request moves ceil(size / cluster size) clusters. When the card is
    // pulled at one of them, the request fails and keeps nothing. Writes from
    // the drop-writes cluster on succeed and store nothing.
    FileTransfer Write(const std::string& name, std::uint64_t position, const void* data, std::uint32_t size);
    FileTransfer Read(const std::string& name, std::uint64_t position, void* data, std::uint32_t size);
    bool Delete(const std::string& name);
    bool Exists(const std::string& name) const;

    // For tests: the files by name and their contents, and the clusters of
    // this card test written by successful writes and moved by writes and
    // reads (up to and including the one at which the card was pulled).
    std::vector<std::string> FileNames() const;
    std::optional<std::vector<std::uint8_t>> FileData(const std::string& name) const;
    std::uint64_t ClustersWritten() const { return clustersWritten; }
    std::uint64_t ClustersMoved() const { return clustersMoved; }
    // Clusters written over the slot's life, the cards before this one included.
    std::uint64_t ClustersWrittenEver() const { return clustersWrittenEver; }

private:
    struct File {
        std::string name;
        std::uint64_t size = 0;
        std::vector<std::uint32_t> clusters;  // in file order
        int openCount = 0;
    };
    static std::string Key(const std::string& name);
    std::uint64_t ClustersOf(std::uint64_t bytes) const;
    // Hands out `count` free clusters, lowest first; false, taking none,
    // when fewer are free.
    bool Allocate(std::uint64_t count, std::vector<std::uint32_t>& into);
    void Release(std::vector<std::uint32_t>& clusters);
    // The data area's sector that holds sector `fileSector` of a file.
    std::uint64_t DataSector(const File& file, std::uint64_t fileSector) const;
    template <typename Step>
    void ForEachSector(const File& file, std::uint64_t position, std::uint64_t size, Step step) const;
    void StoreBytes(const File& file, std::uint64_t position, const std::uint8_t* data, std::uint64_t size);
    void LoadBytes(const File& file, std::uint64_t position, std::uint8_t* data, std::uint64_t size) const;
    // Counts the clusters of one request; false, with the card pulled, when
    // the pull-at cluster is among them.
    bool CountMoved(std::uint64_t clusters);
    // Where in a write of `clusters` clusters at `position` the n-th cluster
    // written falls; false when it is not in this write.
    bool DueIn(std::uint64_t n, std::uint64_t position, std::uint64_t clusters, std::uint64_t& at) const;
    // The corrupt-at cluster's first byte inverted, the repeat-sector-at
    // cluster's second sector a copy of its first, if this write holds them.
    void ApplyWriteFaults(const File& file, std::uint64_t position, std::uint64_t clusters);
    // How many of a write's first `clusters` clusters come before the
    // drop-writes cluster and are stored.
    std::uint64_t ClustersStored(std::uint64_t clusters) const;

    CardConfig config;
    DriveFaults faults;
    bool present = true;
    std::uint32_t totalClusters = 0;
    // Clusters below this are a growing root's first one and other data;
    // those from here on are handed out, lowest free first.
    std::uint32_t firstFreeable = 0;
    std::vector<bool> inUse;  // from firstFreeable on, grown as handed out
    std::uint64_t searchFrom = 0;  // every one below it is in use
    std::uint64_t usedClusters = 0;
    CardDirectory directory;
    CardStorage storage;
    std::map<std::string, File> files;
    std::uint64_t clustersWritten = 0;  // in this card test
    std::uint64_t clustersMoved = 0;    // in this card test
    std::uint64_t clustersWrittenEver = 0;
};

}  // namespace talven
