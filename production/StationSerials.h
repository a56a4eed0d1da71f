// Serials from the settings' block, one a reader. The serial a GO writes is
// on the disk as handed out before the reader's EEPROM is touched, so neither
// a failed write, a kill nor a restart can give two readers one serial.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "production/SerialRanges.h"
#include "settings/SerialBlock.h"
#include "settings/SettingsSnapshot.h"

namespace talven {

struct SerialPlan {
    // Null: the settings set no block and the fixed SN holds.
    std::optional<SerialBlock> block;
    // The serial the next GO writes.
    std::string next;
    // The highest serial handed out before that the block goes on after,
    // when the block was changed onto serials handed out already.
    std::string after;
    // Why GO writes nothing; empty when it can.
    std::string problem;
    // What the status line and the record's warning say of the serial: that
    // it goes on past the state file after the record, or from the state
    // file alone while the record cannot be read.
    std::string note;
};

// What the next GO will write, from the GO's settings, the station's state
// beside the settings file at `settingsPath` and the serials the record
// folder's files hold: never one at or below the highest of either.
SerialPlan PlanSerial(Platform& platform, const SettingsSnapshot& settings, const std::string& settingsPath,
                      const RecordSerialReader& readRecord);
// The same, and its serial handed out: on the disk when `problem` is empty.
// The state is held from its reading to its writing; while another program
// holds it past a few seconds, this GO gets no serial.
SerialPlan TakeSerial(Platform& platform, const SettingsSnapshot& settings, const std::string& settingsPath,
                      const RecordSerialReader& readRecord);

// The settings listing's serial row: "TLV00000124 (next of TLV00000100, dash, TLV00000999)",
// or why GO writes nothing.
std::string ListedSerial(const SerialPlan& plan);

// The image's serial-number field holds `serial`, its characters read as
// every settings text is.
void PutSerial(std::uint8_t* image, const std::string& serial);

}  // namespace talven
