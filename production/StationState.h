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
    // "key=value" lines of a later program, kept when the state is saved.
    std::vector<std::string> unknown;
};

enum class StateRead : std::uint8_t {
    Read,
    Missing,  // no file: nothing handed out, nothing counted
    Damaged,  // a file that is not the program's whole state
    Failed,   // the file could not be read; `trouble` says why
};

// The settings path with its extension replaced: Talven.ini beside Talven.state.
std::string StationStatePath(const std::string& settingsPath);
// The record's index beside it: Talven.index, a cache of the record's serials.
std::string RecordIndexPath(const std::string& settingsPath);

StateRead ReadStationState(Platform& platform, const std::string& path, StationState& state,
                           FileResult* trouble = nullptr);
FileResult WriteStationState(Platform& platform, const std::string& path, const StationState& state);

// The state file held for this program alone from its reading to its
// writing, so that two programs never take one serial. The hold is on a
// file beside it (Talven.state.lock): the state itself is replaced whole
// when written, which no open handle on it would allow. Another program's
// hold waits a few seconds, then gives up with InUse.
class StateHold {
public:
    StateHold(Platform& platform, const std::string& statePath);
    ~StateHold();
    StateHold(const StateHold&) = delete;
    StateHold& operator=(const StateHold&) = delete;
    FileResult Result() const { return result; }

private:
    Platform& platform;
    Handle held = kInvalidHandle;
    FileResult result = FileResult::Failed;
};

// The file's text, and its reading; false for a text the program did not write whole.
std::string FormatStationState(const StationState& state);
bool ParseStationState(const std::string& text, StationState& state);
// "LOW<TAB>HIGH" of one series, as the file holds a range.
bool ParseHandedRange(const std::string& value, HandedRange& range);

}  // namespace talven
