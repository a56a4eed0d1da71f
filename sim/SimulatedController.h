// The VX5308 controller of a simulated reader: its EEPROM and the file that
// keeps it between runs, and the answers to the commands a drive is sent.
// A drive on no reader has a controller without EEPROM that knows only the
// standard commands.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "reader/ScsiCommands.h"
#include "sim/StationConfig.h"
#include "sim/StationLog.h"

namespace talven {

inline constexpr std::size_t kSimEepromSize = kEepromReadSize;

// One command as it reaches the controller.
struct SimCommand {
    const std::uint8_t* cdb = nullptr;  // 16 bytes, zero past the block's length
    std::uint8_t dataIn = kScsiDataOut;
    std::uint8_t* data = nullptr;  // null when no data moves
    std::uint32_t length = 0;
    char drive = 0;
};

struct SimAnswer {
    bool callFails = false;  // a fault fails the platform call; nothing else here counts
    std::uint8_t status = kScsiStatusGood;
    std::uint32_t transferred = 0;
    std::array<std::uint8_t, kSenseFixedLength> sense{};
    std::uint8_t senseLength = 0;
};

// What a command sees of the drive it is sent to.
struct SimSlot {
    const DriveConfig& config;
    bool medium = false;  // a fixed medium, or a card that is present
};

// The fault set for a command: one that fails the call when any does, else
// the first that matches.
const CommandFault* FaultFor(const DriveFaults& faults, const std::uint8_t* cdb);

class SimulatedController {
public:
    // A reader's controller; its EEPROM is read from the reader's file.
    explicit SimulatedController(const ReaderConfig& reader);
    // The controller of a drive on no reader.
    SimulatedController() = default;

    SimAnswer Execute(const SimSlot& slot, const SimCommand& command, StationLog& log);
    const std::array<std::uint8_t, kSimEepromSize>& Eeprom() const { return eeprom; }

private:
    SimAnswer AnswerTestUnitReady(const SimSlot& slot) const;
    SimAnswer AnswerInquiry(const SimSlot& slot, const SimCommand& command) const;
    SimAnswer AnswerChipIdentity(const SimSlot& slot, const SimCommand& command) const;
    SimAnswer AnswerEepromWrite(const SimSlot& slot, const SimCommand& command, StationLog& log);
    SimAnswer AnswerEepromRead(const SimSlot& slot, const SimCommand& command) const;
    void LoadEeprom();
    void SaveEeprom() const;

    std::optional<ReaderConfig> reader;
    std::array<std::uint8_t, kSimEepromSize> eeprom{};
};

}  // namespace talven
