// The field-by-field listing of a built working buffer that talven-image
// prints: offsets, names and bytes, the kept ranges and refused values marked
// as such.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/SettingsCheck.h"

namespace talven {

// `buffer` is the whole 512-byte working buffer; `keptFrom` names where the
// bytes the build does not touch came from; a field whose value is in
// `refused` shows that value as refused.
std::string ListConfigurationImage(const std::uint8_t* buffer, const std::string& keptFrom,
                                   const std::vector<CheckedSetting>& refused);

}  // namespace talven
