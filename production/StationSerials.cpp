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
bool ReadState(Platform& platform, const std::string& path, StationState& state, SerialPlan& plan) {
    FileResult trouble = FileResult::Done;
    switch (ReadStationState(platform, path, state, &trouble)) {
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
void PlanNext(const StationState& state, SerialPlan& plan) {
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
    const std::string last = highest == nullptr ? "" : block.At(highest->high).Text();
    if (next > block.last) {
        plan.problem = Format(IDS_SERIALS_USED_UP, last.c_str());
        return;
    }
    plan.next = block.At(next).Text();
    const bool sameBlock = state.blockFirst == block.first.Text() && state.blockLast == block.At(block.last).Text();
    if (highest != nullptr && !sameBlock) plan.after = last;
}

SerialPlan Plan(Platform& platform, const SettingsSnapshot& settings, const std::string& settingsPath,
                StationState& state) {
    SerialPlan plan;
    if (!SerialBlockSet(settings)) return plan;
    plan.block = ReadSerialBlock(settings);
    if (!plan.block) {
        plan.problem = BlockRefusal(settings);
        return plan;
    }
    if (ReadState(platform, StationStatePath(settingsPath), state, plan)) PlanNext(state, plan);
    return plan;
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

SerialPlan PlanSerial(Platform& platform, const SettingsSnapshot& settings, const std::string& settingsPath) {
    StationState state;
    return Plan(platform, settings, settingsPath, state);
}

SerialPlan TakeSerial(Platform& platform, const SettingsSnapshot& settings, const std::string& settingsPath) {
    StationState state;
    SerialPlan plan = Plan(platform, settings, settingsPath, state);
    if (!plan.block || !plan.problem.empty()) return plan;
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
