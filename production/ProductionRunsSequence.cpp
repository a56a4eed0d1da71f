// The test sequence: the listed slots tested top down, each row ending with
// its outcome's message and icon; the run ends at the first slot that is not
// ready, does not pass or is stopped.
#include <memory>

#include "production/ProductionRuns.h"
#include "production/VerdictRecord.h"
#include "reader/ReaderDevice.h"
#include "resources/StringTable.h"

namespace talven {

namespace {

// The drive is the "(X:)" that discovery appended to the row text, not a
// "(" of the reader's own INQUIRY text; a row without it (the INQUIRY failed
// during discovery) starts with its drive.
std::string DriveOfRow(const std::string& rowText) {
    const std::size_t size = rowText.size();
    if (size >= 4 && rowText.compare(size - 4, 1, "(") == 0 && rowText.compare(size - 2, 2, ":)") == 0)
        return rowText.substr(size - 3, 2);
    return rowText.substr(0, 2);
}

unsigned OutcomeText(TestOutcome outcome) {
    switch (outcome) {
        case TestOutcome::Passed: return IDS_TEST_SUCCESS;
        case TestOutcome::WriteFailed: return IDS_WRITE_FAILURE;
        case TestOutcome::ReadFailed: return IDS_READ_FAILURE;
        case TestOutcome::CompareFailed: return IDS_COMPARE_FAILURE;
        case TestOutcome::DiskRemoved: return IDS_DISK_REMOVED;
        case TestOutcome::Stopped: return IDS_TEST_STOP;
    }
    return IDS_WRITE_FAILURE;
}

}  // namespace

void ProductionRuns::RunTestSequence(const SettingsSnapshot& settings) {
    // A lowest speed the settings refuse could judge no slot: none is tested.
    if (const std::string refusal = settings.RefusalText(kMinimumSpeedKey); !refusal.empty()) {
        view.SetStatusText(refusal.c_str());
        return;
    }
    const std::uint16_t rowCount = view.RowCount();
    for (std::uint16_t row = 0; row < rowCount; ++row)
        if (!TestRow(row, settings)) return;
}

// A slot's result goes to its own row, even when rows above it were removed
// meanwhile; a removed row gets nothing.
void ProductionRuns::ShowRowText(const std::string& rowText, int row, unsigned id) {
    if (const int at = view.FindRow(rowText, row); at >= 0) view.SetRowText(at, view.LoadText(id).c_str());
}

void ProductionRuns::ShowRowIcon(const std::string& rowText, int row, int icon) {
    if (const int at = view.FindRow(rowText, row); at >= 0) view.SetRowIcon(at, icon);
}

bool ProductionRuns::TestRow(std::uint16_t row, const SettingsSnapshot& settings) {
    const std::string rowText = view.RowText(row);
    const std::string driveText = DriveOfRow(rowText);
    auto device = std::make_unique<ReaderDevice>(platform);
    device->Open(driveText);
    if (!WaitUntilReady(device.get(), true)) {
        ShowRowText(rowText, row, IDS_INSERT_CARD);
        ShowRowIcon(rowText, row, kRowFailed);
        RecordRow(rowText, IDS_INSERT_CARD, VerdictWord::Empty, nullptr);
        view.PumpMessages();
        return false;
    }
    // The reader's volume is closed before any test file is written.
    device.reset();
    view.PumpMessages();

    CardTest test(platform, view, settings, driveText, row);
    const TestOutcome outcome = test.Run();
    return EndRow(rowText, row, outcome, test.figures, settings);
}

// The row's verdict, its speed after it, and its record, on the disk before
// the next slot starts; false ends the sequence.
bool ProductionRuns::EndRow(const std::string& rowText, std::uint16_t row, TestOutcome outcome,
                            const TestFigures& figures, const SettingsSnapshot& settings) {
    // The lowest speed's whole number: the image takes numbers' low 8 bits only.
    const auto lowest = static_cast<std::int32_t>(settings.Number(kMinimumSpeedKey));
    const bool tooSlow = outcome == TestOutcome::Passed && TooSlow(figures, lowest);
    const unsigned text = tooSlow ? IDS_SPEED_TOO_LOW : OutcomeText(outcome);
    ShowRowText(rowText, row, text);
    const std::string speed = SpeedText(figures);
    if (const int at = view.FindRow(rowText, row); at >= 0 && !speed.empty()) view.SetRowSpeed(at, speed.c_str());
    view.PumpMessages();
    if (outcome != TestOutcome::Passed || tooSlow) {
        const bool stopped = outcome == TestOutcome::Stopped;
        ShowRowIcon(rowText, row, stopped ? kRowStopped : kRowFailed);
        RecordRow(rowText, text, stopped ? VerdictWord::Stop : VerdictWord::Fail, &figures);
        return false;
    }
    ShowRowIcon(rowText, row, kRowPassed);
    view.PumpMessages();
    if (view.Running() == 0) {
        ShowRowText(rowText, row, IDS_TEST_STOP);
        ShowRowIcon(rowText, row, kRowStopped);
        RecordRow(rowText, IDS_TEST_STOP, VerdictWord::Stop, &figures);
        return false;
    }
    RecordRow(rowText, text, VerdictWord::Pass, &figures);
    return true;
}

TestOutcome ProductionRuns::TestDrive(const std::string& driveText, std::uint16_t row, TestFigures* figures) {
    const SettingsSnapshot settings = ReadSettings();
    CardTest test(platform, view, settings, driveText, row);
    const TestOutcome outcome = test.Run();
    if (figures != nullptr) *figures = test.figures;
    return outcome;
}

}  // namespace talven
