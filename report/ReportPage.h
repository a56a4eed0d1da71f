// The line report's page: one self-contained HTML file, its charts inline
// SVG with their numbers in a table under each, no script, nothing fetched,
// laid out to print on A4.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "report/LineTally.h"

namespace talven {

struct PageFacts {
    std::string folder;
    LocalTime made;
};

std::string ReportPage(const LineTally& tally, const PageFacts& facts);

// The parts of the page, each a section with its heading.
std::string YieldSection(const LineTally& tally);
std::string MessageSection(const LineTally& tally);
std::string PositionSection(const LineTally& tally);
std::string SpeedSection(const LineTally& tally);
std::string LedgerSection(const LineTally& tally);
std::string QualitySection(const LineTally& tally);

// What a slot position that fails far more readers than the others likely
// means, in words; empty when none does. One sentence a line.
std::string SuspectPositions(const LineTally& tally);

// Serials written more than once.
std::size_t DuplicateSerials(const LineTally& tally);

// "2026-12-07 22:01".
std::string MomentText(const RecordMoment& moment);
// A table's row of cells, the first a row header.
std::string TableRow(const std::vector<std::string>& cells, const char* rowClass = nullptr);
std::string TableHead(const std::vector<std::string>& cells);

}  // namespace talven
