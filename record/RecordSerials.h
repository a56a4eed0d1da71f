// The serials the record's files hold: what every station that shares the
// record folder wrote, so that a station whose state file was lost, copied
// anew or restored from an old copy never hands one of them out again.
//
// Reading a year of a busy folder takes seconds, so what was read is kept in
// an index beside the state file: each file's name and how far it was read,
// and the serials found, as ranges. The index is a cache, never the only
// copy: without it, or with one that no longer fits the folder, the files
// are read again from their start.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "production/SerialRanges.h"
#include "settings/SettingsSnapshot.h"

namespace talven {

// The serials of every record file in `folder` ("Talven*.csv", whoever
// wrote it) and of the spool at `spoolPath`, read on from the index at
// `indexPath`, which is written anew when it changed.
RecordSerialScan ScanRecordSerials(Platform& platform, const std::string& folder, const std::string& spoolPath,
                                   const std::string& indexPath, const ScanProgress& progress = {});

// The same for the record folder and spool the settings at `settingsPath`
// name, read on from the station's index.
RecordSerialScan ScanRecordSerials(Platform& platform, const SettingsSnapshot& settings,
                                   const std::string& settingsPath, const ScanProgress& progress = {});

}  // namespace talven
