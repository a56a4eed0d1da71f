// The station file: one statement a line (docs/station-format.md).
#pragma once

#include <string>

#include "platform/PathText.h"
#include "sim/StationConfig.h"

namespace talven {

// Parses a station file's text, UTF-8 (a byte-order mark is skipped) or
// ASCII. Relative EEPROM file names are taken from `baseFolder` (may be
// empty). On failure `error` says "line N: reason", with any control byte
// of the file written as \xNN.
bool ParseStation(const std::string& text, const std::string& baseFolder, StationConfig& config,
                  std::string& error);

// The station used when there is no station file: one four-slot reader on E:
// to H: with a 4 MiB card of 16 KiB clusters in every slot, a fixed disk C:
// and a network drive Z:. Its EEPROM file lies in `eepromFolder`.
StationConfig DefaultStation(const std::string& eepromFolder);

}  // namespace talven
