// The field-by-field listing of a built working buffer that talven-image
// prints: offsets, names and bytes, the kept ranges marked as such.
#pragma once

#include <cstdint>
#include <string>

namespace talven {

// `buffer` is the whole 512-byte working buffer; `keptFrom` names where the
// bytes the build does not touch came from.
std::string ListConfigurationImage(const std::uint8_t* buffer, const std::string& keptFrom);

}  // namespace talven
