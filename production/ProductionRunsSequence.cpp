// The test sequence: the listed slots tested top down, each row ending with
// its outcome's message and icon; the run ends at the first slot that is not
// ready, does not pass or is stopped.
#include <cstdio>
#include <memory>

#include "production/ProductionRuns.h"
#include "reader/ReaderDevice.h"
#include "resources/StringTable.h"

namespace talven {

void ProductionRuns::RunTestSequence(const SettingsSnapshot& settings) {
    // A value of the test's own section that the settings refuse (a lowest
    // speed, a test amount) could judge no slot: none is tested.
    if (const std::vector<CheckedSetting> refused = settings.Refused(kProgramSection); !refused.empty()) {
        view.SetStatusText(settings.RefusalText(*refused.front().key).c_str());
        return;
    }
    ShowTestAmount(settings);
    tally.Start(GoJob::TestSequence);
    // The slots listed now, top down; a row the drive watch takes away later
    // gets nothing.
    std::vector<std::uint32_t> listed;
    for (int row = 0; row < view.RowCount(); ++row)
        if (const std::uint32_t number = view.RowSlot(row); number != 0) listed.push_back(number);
    // A repair bench wants every slot's verdict; a stop ends the run all the same.
    const bool allSlots = settings.Number(kTestAllSlotsKey) != 0;
    for (const std::uint32_t number : listed)
        if (!TestSlot(slots[number - 1], settings) && (!allSlots || view.Running() == 0)) break;
    // The set amount is this run's: the chip text alone stays.
    if (settings.Number(kTestMebibytesKey) != 0 && !slots.empty()) view.SetStatusText(slots.back().chip.c_str());
}

// A set amount per card is named after the chip text, so that nobody takes
// the run for a whole-card test; the whole card keeps the chip text alone.
void ProductionRuns::ShowTestAmount(const SettingsSnapshot& settings) {
    const std::uint32_t mebibytes = settings.Number(kTestMebibytesKey);
    if (mebibytes == 0 || slots.empty()) return;
    char note[128];
    std::snprintf(note, sizeof note, view.LoadText(IDS_TEST_AMOUNT_NOTE).c_str(), static_cast<unsigned>(mebibytes));
    view.SetStatusText((slots.back().chip + "   " + note).c_str());
}

void ProductionRuns::ShowRowText(const ReaderSlot& slot, const std::string& text) {
    if (const int at = view.FindRow(slot.number, slot.row); at >= 0) view.SetRowText(at, text.c_str());
}

void ProductionRuns::ShowRowIcon(const ReaderSlot& slot, int icon) {
    if (const int at = view.FindRow(slot.number, slot.row); at >= 0) view.SetRowIcon(at, icon);
}

// The record has the verdict on the disk before the row shows it: a kill
// in between loses nothing the operator saw.
void ProductionRuns::ShowVerdict(ReaderSlot& slot, const Verdict& verdict) {
    HandOn(&slot, verdict);
    ShowRowText(slot, verdict.text);
    ShowRowIcon(slot, verdict.icon);
}

bool ProductionRuns::TestSlot(ReaderSlot& slot, const SettingsSnapshot& settings) {
    auto device = std::make_unique<ReaderDevice>(platform);
    device->Open(slot.drive);
    if (!WaitUntilReady(device.get(), true)) {
        ShowVerdict(slot, NewVerdict(EmptySlotFace(), &slot));
        view.PumpMessages();
        return false;
    }
    // The reader's volume is closed before any test file is written.
    device.reset();
    view.PumpMessages();

    TestFigures figures;
    const TestOutcome outcome = TestDrive(slot, settings, figures);
    return EndSlot(slot, outcome, figures, settings);
}

// The row's verdict, its speed after it, and its record, on the disk before
// the row shows it and before the next slot starts; false ends the sequence.
// A stop asked for in the pump after a slot passed ends the run on that slot.
bool ProductionRuns::EndSlot(ReaderSlot& slot, TestOutcome outcome, const TestFigures& figures,
                             const SettingsSnapshot& settings) {
    // The lowest speed's whole number: the image takes numbers' low 8 bits only.
    const auto lowest = static_cast<std::int32_t>(settings.Number(kMinimumSpeedKey));
    const bool tooSlow = outcome == TestOutcome::Passed && TooSlow(figures, lowest);
    // No pass without the amount to test written: a test card too full to take it is its own fault.
    const bool tooFull = outcome == TestOutcome::Passed && !tooSlow &&
                         figures.bytesWritten < LeastTestedBytes(settings.Number(kTestMebibytesKey));
    Verdict verdict = NewVerdict(tooFull ? CardFullFace() : CardTestFace(outcome, tooSlow), &slot);
    if (verdict.word == VerdictWord::Pass) {
        view.PumpMessages();
        if (view.Running() == 0) verdict = NewVerdict(StopFace(), &slot);
    }
    verdict.figures = figures;
    HandOn(&slot, verdict);
    ShowRowText(slot, verdict.text);
    const std::string speed = SpeedText(figures);
    if (const int at = view.FindRow(slot.number, slot.row); at >= 0 && !speed.empty())
        view.SetRowSpeed(at, speed.c_str());
    view.PumpMessages();
    ShowRowIcon(slot, verdict.icon);
    return verdict.word == VerdictWord::Pass;
}

TestOutcome ProductionRuns::TestDrive(const ReaderSlot& slot, const SettingsSnapshot& settings, TestFigures& figures) {
    TestEngine test(platform, view, settings, slot);
    const TestOutcome outcome = test.Run();
    figures = test.figures;
    return outcome;
}

}  // namespace talven
