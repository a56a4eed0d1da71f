// The drive watch: once a second it looks at the drive mask; a drive that
// went stops the run and takes its slots' rows with it. Rows are known by
// their slot, whatever they show. Records that wait are tried again on the
// same tick.
#include "app/ProductionDialog.h"

namespace talven {

bool ProductionDialog::OnTimer(UINT_PTR) {
    const std::uint32_t driveMask = platform.GetLogicalDrives();
    for (std::uint32_t drive = 0; drive < kDriveLetters; ++drive) {
        if ((lastDriveMask >> drive & 1u) != 0 && (driveMask >> drive & 1u) == 0) {
            RequestStop();
            RemoveDriveRows(DriveText(drive));
        }
    }
    lastDriveMask = driveMask;
    RetryRecord();
    return false;
}

void ProductionDialog::RemoveDriveRows(const std::string& driveText) {
    // From the bottom up, so that no row of the drive moves past the loop.
    for (int row = RowCount() - 1; row >= 0; --row) {
        const auto named = rowDrives.find(RowSlot(row));
        if (named != rowDrives.end() && named->second == driveText) DeleteRow(row);
    }
    if (RowCount() == 0) SetStatusText("");
}

void ProductionDialog::SetRowDrive(int index, const std::string& drive) {
    if (const std::uint32_t slot = RowSlot(index); slot != 0) rowDrives[slot] = drive;
}

void ProductionDialog::ForgetRows() {
    readerList.DeleteAllItems();
    rowDrives.clear();
}

}  // namespace talven
