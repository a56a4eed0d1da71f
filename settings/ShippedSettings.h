// The settings file shipped with the station: every key of both sections at
// the value the programming run assumes when the key is missing (the mode at
// the read/write test), commented for the process engineer who edits it.
#pragma once

#include <string>

#include "settings/SettingsKeys.h"

namespace talven {

// The value the shipped file holds for `key`.
const char* ShippedValue(const SettingsKey& key);

// Talven.ini beside the station program, or TalvenSim.ini beside the
// training program: the same keys and values, each file saying whose it is.
enum class ShippedFile { Station, Training };

// The whole file, with Windows line ends.
std::string ShippedSettingsText(ShippedFile file = ShippedFile::Station);

}  // namespace talven
