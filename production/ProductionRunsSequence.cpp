// The test sequence: the listed slots tested top down, each row ending with
// its outcome's message and icon; the run ends at the first slot that is not
// ready, does not pass or is stopped.
#include <memory>

#include "production/ProductionRuns.h"
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

void ProductionRuns::RunTestSequence() {
    const std::uint16_t rowCount = view.RowCount();
    for (std::uint16_t row = 0; row < rowCount; ++row) {
        const std::string rowText = view.RowText(row);
        const std::string driveText = DriveOfRow(rowText);
        // A slot's result goes to its own row, even when rows above it were
        // removed meanwhile; a removed row gets nothing.
        auto setText = [&](unsigned id) {
            if (const int at = view.FindRow(rowText, row); at >= 0) view.SetRowText(at, view.LoadText(id).c_str());
        };
        auto setIcon = [&](int icon) {
            if (const int at = view.FindRow(rowText, row); at >= 0) view.SetRowIcon(at, icon);
        };
        auto device = std::make_unique<ReaderDevice>(platform);
        device->Open(driveText);
        if (!WaitUntilReady(device.get(), true)) {
            setText(IDS_INSERT_CARD);
            setIcon(kRowFailed);
            view.PumpMessages();
            return;
        }
        // The reader's volume is closed before any test file is written.
        device.reset();
        view.PumpMessages();

        const TestOutcome outcome = TestDrive(driveText, row);
        setText(OutcomeText(outcome));
        view.PumpMessages();
        if (outcome != TestOutcome::Passed) {
            setIcon(outcome == TestOutcome::Stopped ? kRowStopped : kRowFailed);
            return;
        }
        setIcon(kRowPassed);
        view.PumpMessages();
        if (view.Running() == 0) {
            setText(IDS_TEST_STOP);
            setIcon(kRowStopped);
            return;
        }
    }
}

}  // namespace talven
