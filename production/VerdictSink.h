// Where the runs hand their verdicts on to be kept: the record, which lives
// above production and implements this.
#pragma once

#include <cstdint>
#include <string>

#include "production/SerialRanges.h"
#include "production/Verdict.h"

namespace talven {

class ProductionView;

class VerdictSink {
public:
    virtual ~VerdictSink() = default;

    // The folder as the settings name it at GO: the GO's verdicts go there.
    virtual void SetFolder(const std::string& configured) = 0;
    // The number of a new run, taken at the GO's first verdict kept.
    virtual std::uint32_t StartRun() = 0;
    virtual void Add(const Verdict& verdict) = 0;
    // The status line's note on verdicts that wait; empty when none waits.
    virtual std::string BehindText(const ProductionView& view) const = 0;
    // The serials the folder's files and the waiting lines hold, read on
    // from the index at `indexPath`.
    virtual RecordSerialScan ReadSerials(const std::string& indexPath, const ScanProgress& progress) = 0;
};

}  // namespace talven
