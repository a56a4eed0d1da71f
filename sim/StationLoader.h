// How TalvenSim.exe finds its station.
#pragma once

#include <memory>
#include <string>

#include "sim/SimulatedStation.h"

namespace talven {

inline constexpr const char* kStationVariable = "TALVEN_STATION";
inline constexpr const char* kStationFileName = "TalvenSim.station";

// Reads and parses one station file; null with `error` set when it cannot be
// read or is not a valid station.
std::unique_ptr<SimulatedStation> LoadStationFile(Platform& outer, const std::string& path, std::string& error);

// The station used when there is no station file: DefaultStation's, with
// cards as fast as a USB 2.0 reader moves them, so that a trainee learns the
// figures of a good slot.
StationConfig BuiltInStation(const std::string& eepromFolder);

// The station file named by TALVEN_STATION if set, else TalvenSim.station
// beside the executable if there is one, else the built-in station
// (its EEPROM file beside the executable). Null, with `error` saying which
// file and line, when the chosen file cannot be read or parsed.
std::unique_ptr<SimulatedStation> LoadStationForProgram(Platform& outer, std::string& error);

}  // namespace talven
