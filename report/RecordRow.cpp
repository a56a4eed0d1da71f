#include "report/RecordRow.h"

#include <algorithm>
#include <charconv>

#include "record/RecordColumns.h"
#include "resources/StringTable.h"

namespace talven {

namespace {

struct NamedColumn {
    std::string_view name;
    int RowColumns::*column;
    bool needed;
};

constexpr std::string_view Name(RecordColumn column) { return kRecordColumnNames[ColumnIndex(column)]; }

constexpr NamedColumn kNamedColumns[] = {
    {Name(RecordColumn::Time), &RowColumns::time, true},
    {Name(RecordColumn::Mode), &RowColumns::mode, true},
    {Name(RecordColumn::Run), &RowColumns::run, true},
    {Name(RecordColumn::Drive), &RowColumns::drive, true},
    {Name(RecordColumn::Verdict), &RowColumns::verdict, true},
    {Name(RecordColumn::Result), &RowColumns::result, true},
    {Name(RecordColumn::WriteSpeed), &RowColumns::writeSpeed, false},
    {Name(RecordColumn::ReadSpeed), &RowColumns::readSpeed, false},
    {Name(RecordColumn::Serial), &RowColumns::serial, false},
    {Name(RecordColumn::Warning), &RowColumns::warning, false},
    // Columns newer than the table this was built with.
    {"lot", &RowColumns::lot, false},
    {"simulated", &RowColumns::simulated, false},
};

std::string_view Field(const std::vector<std::string>& fields, int column) {
    return column >= 0 && static_cast<std::size_t>(column) < fields.size() ? std::string_view(fields[column])
                                                                          : std::string_view();
}

double Speed(std::string_view text) {
    double value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= 0 ? value : -1;
}

}  // namespace

bool ReadHeader(const std::vector<std::string>& fields, RowColumns& columns) {
    if (fields.empty() || fields[0] != Name(RecordColumn::Time)) return false;
    columns = {};
    for (const NamedColumn& named : kNamedColumns) {
        const auto found = std::find(fields.begin(), fields.end(), named.name);
        if (found == fields.end()) {
            if (named.needed) return false;
            continue;
        }
        columns.*named.column = static_cast<int>(found - fields.begin());
        if (named.needed) columns.needed = std::max(columns.needed, static_cast<std::size_t>(columns.*named.column) + 1);
    }
    return true;
}

RowColumns DefaultColumns() {
    RowColumns columns;
    ReadHeader(std::vector<std::string>(kRecordColumnNames, kRecordColumnNames + kFirstRecordColumns), columns);
    return columns;
}

// A quoted field from `at`, just after its opening quote: up to the closing
// one, "" read as one quote; `at` ends after the closing quote.
void QuotedField(std::string_view line, std::size_t& at, std::string& field) {
    for (;;) {
        const std::size_t quote = line.find('"', at);
        if (quote == std::string_view::npos) {
            field.append(line.substr(at));
            at = line.size();
            return;
        }
        field.append(line.substr(at, quote - at));
        at = quote + 1;
        if (at >= line.size() || line[at] != '"') return;
        field += '"';
        ++at;
    }
}

void SplitFields(std::string_view line, std::vector<std::string>& fields) {
    std::size_t count = 0;
    for (std::size_t at = 0;;) {
        if (fields.size() == count) fields.emplace_back();
        std::string& field = fields[count++];
        field.clear();
        if (at < line.size() && line[at] == '"') QuotedField(line, ++at, field);
        // Whole runs up to the next comma: most fields are never quoted.
        const std::size_t comma = line.find(',', at);
        field.append(line.substr(at, comma == std::string_view::npos ? std::string_view::npos : comma - at));
        if (comma == std::string_view::npos) break;
        at = comma + 1;
    }
    fields.resize(count);
}

std::string ReadRow(const std::vector<std::string>& fields, const RowColumns& columns, RecordRow& row) {
    if (fields.size() < columns.needed) return StringText(IDS_REPORT_FEWER_COLUMNS);
    if (!ParseRecordMoment(fields[columns.time], row.moment)) return StringText(IDS_REPORT_NO_TIME);
    const std::string_view run = Field(fields, columns.run);
    const auto [end, error] = std::from_chars(run.data(), run.data() + run.size(), row.run);
    if (run.empty() || error != std::errc() || end != run.data() + run.size()) return StringText(IDS_REPORT_NO_RUN);
    row.mode = Field(fields, columns.mode);
    row.drive = Field(fields, columns.drive);
    row.verdict = Field(fields, columns.verdict);
    row.result = Field(fields, columns.result);
    row.serial = Field(fields, columns.serial);
    if (!row.serial.empty() && row.serial.front() == '#') row.serial.remove_prefix(1);
    row.warning = Field(fields, columns.warning);
    row.lot = Field(fields, columns.lot);
    row.writeSpeed = Speed(Field(fields, columns.writeSpeed));
    row.readSpeed = Speed(Field(fields, columns.readSpeed));
    row.simulated = Field(fields, columns.simulated) == "yes";
    return {};
}

}  // namespace talven
