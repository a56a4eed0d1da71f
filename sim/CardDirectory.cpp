#include "sim/CardDirectory.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace talven {

namespace {

constexpr std::uint32_t kEntrySize = 32;
constexpr std::uint32_t kLongNameCharacters = 13;
constexpr std::uint32_t kExFatEntriesPerFile = 3;
constexpr std::uint32_t kExFatRootEntries = 3;  // the label, the allocation bitmap and the up-case table

// An 8.3 name: up to eight characters, optionally a dot and up to three more,
// of the characters a short name may hold, in one case.
bool IsShortName(const std::string& name) {
    const std::size_t dot = name.find('.');
    const std::size_t base = std::min(dot, name.size());
    if (base == 0 || base > 8) return false;
    if (dot != std::string::npos && (name.size() - dot - 1 > 3 || name.find('.', dot + 1) != std::string::npos))
        return false;
    bool lower = false, upper = false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x21 || byte > 0x7E || std::string_view("\"*+,/:;<=>?[\\]|").find(c) != std::string_view::npos)
            return false;
        lower |= std::islower(byte) != 0;
        upper |= std::isupper(byte) != 0;
    }
    return !(lower && upper);
}

}  // namespace

CardDirectory::CardDirectory(CardFormat format, std::uint32_t rootEntries, std::uint32_t clusterSize)
    : format(format), perCluster(std::max<std::uint32_t>(1, clusterSize / kEntrySize)) {
    capacity = RootGrows(format) ? perCluster : rootEntries;
    used = format == CardFormat::ExFat ? kExFatRootEntries : 1;  // exFAT's own, or the volume label
}

std::uint32_t CardDirectory::EntriesFor(const std::string& name) const {
    if (format == CardFormat::ExFat) return kExFatEntriesPerFile;
    if (IsShortName(name)) return 1;
    const auto length = static_cast<std::uint32_t>(name.size());
    return 1 + (length + kLongNameCharacters - 1) / kLongNameCharacters;
}

bool CardDirectory::ClustersToAdd(const std::string& name, std::uint32_t& clusters) const {
    const std::uint64_t needed = std::uint64_t{used} + EntriesFor(name);
    clusters = 0;
    if (needed <= capacity) return true;
    if (!RootGrows(format)) return false;
    clusters = static_cast<std::uint32_t>((needed - capacity + perCluster - 1) / perCluster);
    return true;
}

void CardDirectory::Add(const std::string& name, std::uint32_t clustersTaken) {
    capacity += clustersTaken * perCluster;
    used += EntriesFor(name);
}

void CardDirectory::Remove(const std::string& name) { used -= std::min(used, EntriesFor(name)); }

}  // namespace talven
