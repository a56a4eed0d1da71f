// The station's own state, kept in a small text file beside its settings
// file: the serial numbers it has handed out and the shift's counts. The file
// is written whole to a temporary file, flushed, and put in the old one's
// place in one step, so a kill or a power cut leaves the old state or the new
// one, never a mix.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "production/ShiftCounts.h"
#include "settings/SerialBlock.h"

namespace talven {

// Serials from `low` to `high` of low's series, all handed out.
struct HandedRange {
    SerialNumber low;
    std::uint64_t high = 0;
};

struct StationState {
    std::vector<HandedRange> handed;
    // The block of the last serial handed out, as the settings spelt it.
    std::string blockFirst;
    std::string blockLast;
    ShiftCounts counts;
};

enum class StateRead : std::uint8_t {
    Read,
    Missing,  // no file: nothing handed out, nothing counted
    Damaged,  // a file that is not the program's whole state
    Failed,   // the file could not be read; `trouble` says why
};

// The settings path with its extension replaced: Talven.ini beside Talven.state.
std::string StationStatePath(const std::string& settingsPath);

StateRead ReadStationState(Platform& platform, const std::string& path, StationState& state,
                           FileResult* trouble = nullptr);
FileResult WriteStationState(Platform& platform, const std::string& path, const StationState& state);

// The file's text, and its reading; false for a text the program did not write whole.
std::string FormatStationState(const StationState& state);
bool ParseStationState(const std::string& text, StationState& state);

}  // namespace talven
