// The drive watch: once a second it looks at the drive mask; a drive that
// went stops the run and takes its slots' rows with it. Records that wait
// are tried again on the same tick.
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
        const auto slot = slotDrives.find(RowSlot(row));
        if (slot != slotDrives.end() && slot->second == driveText) DeleteRow(row);
    }
    if (RowCount() == 0) SetStatusText("");
}

}  // namespace talven
