// The root directory of a simulated card, where the test files are created.
// FAT12 and FAT16 have a fixed root of a number of entries, one of them the
// volume label's. FAT32 and exFAT roots start with one cluster and take a
// free cluster whenever an entry no longer fits. A file takes, on FAT, one
// entry for an 8.3 name and one more for every 13 characters of a longer
// name (as Windows stores a lower-case 8.3 name); on exFAT three, and the
// root holds three entries of its own. Deleting frees the entries; the root
// never shrinks.
#pragma once

#include <cstdint>
#include <string>

#include "sim/StationConfig.h"

namespace talven {

class CardDirectory {
public:
    CardDirectory(CardFormat format, std::uint32_t rootEntries, std::uint32_t clusterSize);

    std::uint32_t EntriesFor(const std::string& name) const;
    // Clusters the root must take from the free space before `name` fits:
    // false when it cannot grow (a fixed root that is full).
    bool ClustersToAdd(const std::string& name, std::uint32_t& clusters) const;
    // Adds `name` after the root took ClustersToAdd clusters.
    void Add(const std::string& name, std::uint32_t clustersTaken);
    void Remove(const std::string& name);

    std::uint32_t EntriesUsed() const { return used; }
    std::uint32_t Capacity() const { return capacity; }

private:
    CardFormat format;
    std::uint32_t perCluster;  // entries in one cluster of a growing root
    std::uint32_t capacity;    // entries the root holds now
    std::uint32_t used;
};

}  // namespace talven
