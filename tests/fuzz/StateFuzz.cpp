// The station's state file through the serials' plan, take and save. The
// input is: the number of takes, a byte whose bits kill the program at a
// take's writes, SNFirst and SNLast each on a line, then the state file.
// No serial may be handed out twice, none beyond the block nor within a range
// the file says was handed out, and a file read back must write the same.
#include <cstdint>
#include <set>
#include <string>

#include "production/StationSerials.h"
#include "production/StationState.h"
#include "tests/support/MemoryPlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace talven;
    using test::Require;
    if (size < 2 || size > 4096) return 0;
    const std::string input(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::size_t firstEnd = std::min(input.find('\n'), input.size());
    const std::size_t lastEnd = std::min(input.find('\n', firstEnd + 1), input.size());
    test::MemoryPlatform platform;
    platform.SetProfile(kSerialFirstKey, input.substr(0, firstEnd));
    platform.SetProfile(kSerialLastKey, input.substr(std::min(firstEnd + 1, lastEnd), lastEnd - firstEnd - 1));
    const char* settingsPath = "C:\\line\\Talven.ini";
    const std::string statePath = StationStatePath(settingsPath);
    platform.files[statePath] = input.substr(std::min(lastEnd + 1, input.size()));
    StationState before;
    if (!ParseStationState(platform.files[statePath], before)) before = {};

    const SettingsSnapshot settings{SettingsFile(platform, settingsPath)};
    const std::optional<SerialBlock> block = ReadSerialBlock(settings);
    std::set<std::uint64_t> taken;
    for (int take = 0; take < (data[0] & 15); ++take) {
        const SerialPlan plan = PlanSerial(platform, settings, settingsPath, {});
        if (take < 8 && (data[1] >> take & 1)) platform.faults.kill = take & 1;
        platform.faults.tear = data[0];
        const SerialPlan taking = TakeSerial(platform, settings, settingsPath, {});
        const bool killed = platform.dead;
        platform.Revive();
        if (killed || !taking.problem.empty() || !taking.block) continue;
        Require(block.has_value() && taking.next == plan.next, "the plan names the serial taken");
        const std::optional<SerialNumber> serial = ParseSerial(taking.next);
        Require(serial && serial->SameSeries(block->first) && serial->number >= block->first.number &&
                    serial->number <= block->last,
                "a serial beyond the block");
        Require(taken.insert(serial->number).second, "a serial handed out twice");
        for (const HandedRange& range : before.handed)
            Require(!range.low.SameSeries(*serial) || serial->number < range.low.number ||
                        serial->number > range.high,
                    "a serial the state file says was handed out");
    }
    StationState after;
    if (ReadStationState(platform, statePath, after) != StateRead::Read) return 0;
    StationState again;
    Require(ParseStationState(FormatStationState(after), again) &&
                FormatStationState(again) == FormatStationState(after),
            "the state file reads back as written");
    return 0;
}
