// The columns of the verdict record, in their order: the header line of
// every file, the count of a line's fields, the places the record reads back
// and the order it writes its fields in all come from this one list. A new
// column goes at the end, so that every column keeps its place in the lines
// written before it.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace talven {

#define TALVEN_RECORD_COLUMNS(X)   \
    X(Time, "time")                \
    X(Computer, "computer")        \
    X(Version, "version")          \
    X(Mode, "mode")                \
    X(Run, "run")                  \
    X(Chip, "chip")                \
    X(Drive, "drive")              \
    X(Product, "product")          \
    X(Verdict, "verdict")          \
    X(Result, "result")            \
    X(MibTested, "MiB tested")     \
    X(WriteSpeed, "write MB/s")    \
    X(ReadSpeed, "read MB/s")      \
    X(Seconds, "seconds")          \
    X(VendorId, "VID")             \
    X(ProductId, "PID")            \
    X(Serial, "serial")            \
    X(Checksum, "checksum")        \
    X(UtcOffset, "UTC offset")     \
    X(Warning, "warning")          \
    X(Line, "line")                \
    X(Lot, "lot")                  \
    X(Simulated, "simulated")

enum class RecordColumn : std::size_t {
#define TALVEN_RECORD_COLUMN_ID(id, name) id,
    TALVEN_RECORD_COLUMNS(TALVEN_RECORD_COLUMN_ID)
#undef TALVEN_RECORD_COLUMN_ID
};

inline constexpr std::string_view kRecordColumnNames[] = {
#define TALVEN_RECORD_COLUMN_NAME(id, name) name,
    TALVEN_RECORD_COLUMNS(TALVEN_RECORD_COLUMN_NAME)
#undef TALVEN_RECORD_COLUMN_NAME
};

// The place of a column in a line.
constexpr std::size_t ColumnIndex(RecordColumn column) { return static_cast<std::size_t>(column); }

// The columns of a line, and the ones the record reads back.
inline constexpr std::size_t kRecordColumns = std::size(kRecordColumnNames);
inline constexpr std::size_t kRecordRunColumn = ColumnIndex(RecordColumn::Run);
inline constexpr std::size_t kRecordLineColumn = ColumnIndex(RecordColumn::Line);
// Lines written before the UTC offset, the warning and the line identity
// existed; their run numbers count.
inline constexpr std::size_t kFirstRecordColumns = ColumnIndex(RecordColumn::UtcOffset);

namespace detail {

constexpr std::size_t RecordHeaderLength() {
    std::size_t length = kRecordColumns - 1;  // the commas
    for (const std::string_view name : kRecordColumnNames) length += name.size();
    return length;
}

constexpr std::array<char, RecordHeaderLength() + 1> RecordHeaderText() {
    std::array<char, RecordHeaderLength() + 1> text{};
    std::size_t at = 0;
    for (const std::string_view name : kRecordColumnNames) {
        if (at > 0) text[at++] = ',';
        for (const char c : name) text[at++] = c;
    }
    return text;
}

inline constexpr auto kRecordHeaderText = RecordHeaderText();

}  // namespace detail

// The header line of every file: the names, comma-separated.
inline constexpr const char* kRecordHeader = detail::kRecordHeaderText.data();

// Files written before hold these places: a column is only ever added at the end.
static_assert(kFirstRecordColumns == 18 && kRecordRunColumn == 4 && kRecordLineColumn == 20,
              "a new column goes at the end of the list");
static_assert(kRecordColumnNames[kRecordRunColumn] == "run" && kRecordColumnNames[kRecordLineColumn] == "line",
              "the record reads its run and line identity back from these places");
static_assert(detail::kRecordHeaderText[detail::RecordHeaderLength()] == '\0');

}  // namespace talven
