// What the simulated station was sent, for tests to read. The product itself
// never logs; only the simulator keeps this.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace talven {

struct SimOpen {
    std::string path;
    std::uint32_t desiredAccess = 0;
    std::uint32_t shareMode = 0;
    std::uint32_t creationDisposition = 0;
    std::uint32_t flagsAndAttributes = 0;
    bool opened = false;
};

struct SimRequest {
    char drive = 0;
    std::uint32_t ioControlCode = 0;
    std::uint32_t inBufferSize = 0;
    std::uint32_t outBufferSize = 0;
    std::vector<std::uint8_t> input;   // the input bytes as they arrived
    std::vector<std::uint8_t> output;  // the output bytes as they were returned
    std::array<std::uint8_t, 16> cdb{};
    std::uint8_t cdbLength = 0;
    bool callSucceeded = false;
    std::uint8_t scsiStatus = 0;
};

struct SimEepromWrite {
    char drive = 0;
    std::uint8_t address = 0;
    std::uint8_t count = 0;
    std::array<std::uint8_t, 10> payload{};
    bool stored = false;
};

struct StationLog {
    std::vector<SimOpen> opens;
    std::vector<SimRequest> requests;
    std::vector<SimEepromWrite> eepromWrites;
    std::uint32_t closes = 0;
};

}  // namespace talven
