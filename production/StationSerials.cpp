#include "production/StationSerials.h"

#include <cstdio>

#include "production/ConfigurationImage.h"
#include "platform/PathText.h"
#include "production/StationState.h"
#include "resources/StringFormat.h"
#include "settings/SettingsText.h"

namespace talven {

namespace {

// Said as the record's note says a file it cannot write.
std::string Trouble(FileResult result) {
    switch (result) {
        case FileResult::InUse: return StringText(IDS_RECORD_IN_USE);
        case FileResult::DiskFull: return StringText(IDS_RECORD_DISK_FULL);
        case FileResult::Denied: return StringText(IDS_RECORD_DENIED);
        case FileResult::NotAFolder: return StringText(IDS_RECORD_NOT_A_FOLDER);
        case FileResult::Missing: return StringText(IDS_RECORD_NO_FOLDER);
        default: return StringText(IDS_RECORD_FAILED);
    }
}

// The first refused end of the block, as the status line says it.
std::string BlockRefusal(const SettingsSnapshot& settings) {
    const std::string first = settings.RefusalText(kSerialFirstKey);
    return first.empty() ? settings.RefusalText(kSerialLastKey) : first;
}

// The state as the plan needs it; false with `plan.problem` said.
bool ReadState(Platform& platform, const std::string& path, StationState& state, SerialPlan& plan, bool& missing) {
    FileResult trouble = FileResult::Done;
    const StateRead read = ReadStationState(platform, path, state, &trouble);
    missing = read == StateRead::Missing;
    switch (read) {
        case StateRead::Read:
        case StateRead::Missing: return true;
        case StateRead::Damaged:
            plan.problem = Format(IDS_STATE_DAMAGED, NameOf(path).c_str());
            return false;
        case StateRead::Failed: break;
    }
    plan.problem = Format(IDS_STATE_UNREADABLE, Trouble(trouble).c_str());
    return false;
}

// The block goes on after the highest serial of its own series handed out
// within it; a block that overlaps nothing handed out starts at its first.
// Returns the next serial's number, past the block's last when used up.
std::uint64_t PlanNext(const StationState& state, SerialPlan& plan) {
    const SerialBlock& block = *plan.block;
    std::uint64_t next = block.first.number;
    const HandedRange* highest = nullptr;
    for (const HandedRange& range : state.handed) {
        if (!range.low.SameSeries(block.first) || range.high < block.first.number || range.low.number > block.last)
            continue;
        if (range.high >= next) {
            next = range.high + 1;
            highest = &range;
        }
    }
    const bool sameBlock = state.blockFirst == block.first.Text() && state.blockLast == block.At(block.last).Text();
    if (highest != nullptr && !sameBlock) plan.after = block.At(highest->high).Text();
    return next;
}

// The record's serials over the state's: the block goes on after the highest
// of either. Without the record only a station whose state is whole goes on.
std::uint64_t PlanFromRecord(const RecordSerialScan& scan, bool stateMissing, std::uint64_t next, SerialPlan& plan) {
    if (scan.result != FileResult::Done) {
        if (stateMissing) plan.problem = Format(IDS_SERIAL_RECORD_NEEDED, Trouble(scan.result).c_str());
        else plan.note = Format(IDS_SERIAL_RECORD_UNREAD, Trouble(scan.result).c_str());
        return next;
    }
    const std::optional<std::uint64_t> highest = scan.serials.HighestIn(*plan.block);
    if (!highest || *highest < next) return next;
    plan.after = plan.block->At(*highest).Text();
    plan.note = Format(stateMissing ? IDS_SERIAL_STATE_MISSING : IDS_SERIAL_STATE_BEHIND, plan.after.c_str());
    return *highest + 1;
}

SerialPlan Plan(Platform& platform, const SettingsSnapshot& settings, const std::string& settingsPath,
                const RecordSerialScan& scan, StationState& state) {
    SerialPlan plan;
    plan.block = ReadSerialBlock(settings);
    if (!plan.block) {
        plan.problem = BlockRefusal(settings);
        return plan;
    }
    const std::string path = StationStatePath(settingsPath);
    bool stateMissing = false;
    if (!ReadState(platform, path, state, plan, stateMissing)) return plan;
    std::uint64_t next = PlanFromRecord(scan, stateMissing, PlanNext(state, plan), plan);
    if (!plan.problem.empty()) return plan;
    if (next > plan.block->last) {
        plan.problem = Format(IDS_SERIALS_USED_UP, plan.block->At(next - 1).Text().c_str());
        plan.note.clear();
    } else {
        plan.next = plan.block->At(next).Text();
    }
    return plan;
}

// What the record holds, read before the state is held: a first start
// reads for seconds, and another program waits for the state meanwhile.
// Without a reader (a run with no record) the state alone counts.
RecordSerialScan Scan(const SettingsSnapshot& settings, const RecordSerialReader& readRecord) {
    if (!ReadSerialBlock(settings) || !readRecord) return {};
    return readRecord();
}

// `serial` joins the range it continues, or starts one of its own.
void Hand(StationState& state, const SerialNumber& serial) {
    for (HandedRange& range : state.handed) {
        if (range.low.prefix == serial.prefix && range.low.width == serial.width && range.high + 1 == serial.number) {
            range.high = serial.number;
            return;
        }
    }
    state.handed.push_back({serial, serial.number});
}

}  // namespace

SerialPlan PlanSerial(Platform& platform, const SettingsSnapshot& settings, const std::string& settingsPath,
                      const RecordSerialReader& readRecord) {
    if (!SerialBlockSet(settings)) return {};
    StationState state;
    return Plan(platform, settings, settingsPath, Scan(settings, readRecord), state);
}

SerialPlan TakeSerial(Platform& platform, const SettingsSnapshot& settings, const std::string& settingsPath,
                      const RecordSerialReader& readRecord) {
    if (!SerialBlockSet(settings)) return {};
    const RecordSerialScan scan = Scan(settings, readRecord);
    const StateHold hold(platform, StationStatePath(settingsPath));
    StationState state;
    SerialPlan plan = Plan(platform, settings, settingsPath, scan, state);
    if (plan.problem.empty() && hold.Result() != FileResult::Done)
        plan.problem = Format(IDS_STATE_HELD, Trouble(hold.Result()).c_str());
    if (!plan.problem.empty()) return plan;
    Hand(state, *ParseSerial(plan.next));
    state.blockFirst = plan.block->first.Text();
    state.blockLast = plan.block->At(plan.block->last).Text();
    const FileResult written = WriteStationState(platform, StationStatePath(settingsPath), state);
    if (written != FileResult::Done) plan.problem = Format(IDS_STATE_UNWRITABLE, Trouble(written).c_str());
    return plan;
}

std::string ListedSerial(const SerialPlan& plan) {
    if (!plan.problem.empty() || !plan.block) return plan.problem;
    const std::string first = plan.block->first.Text();
    const std::string last = plan.block->At(plan.block->last).Text();
    if (!plan.after.empty())
        return Format(IDS_SERIAL_GOES_ON, plan.next.c_str(), first.c_str(), last.c_str(), plan.after.c_str());
    return Format(IDS_SERIAL_NEXT, plan.next.c_str(), first.c_str(), last.c_str());
}

void PutSerial(std::uint8_t* image, const std::string& serial) {
    const ImageField& field = *ImageFieldOf(kSerialNumberKey);
    EncodeField(image + field.offset, DecodeSettingsText(serial), field.size,
                field.encoding == FieldEncoding::DescriptorText);
}

}  // namespace talven
