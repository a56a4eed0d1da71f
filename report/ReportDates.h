// Calendar days and the periods the line report counts in: calendar days, or
// shifts that start at set times of day, a night shift crossing midnight
// being one shift that belongs to the day it started.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace talven {

// Days since 1970-01-01 of a civil date; and back, as "YYYY-MM-DD".
std::int32_t DayNumber(int year, unsigned month, unsigned day);
std::string DayText(std::int32_t dayNumber);
// "YYYY-MM-DD", a real date, as a day number; false for anything else.
bool ParseDay(const std::string& text, std::int32_t& dayNumber);
// "HH:MM,HH:MM,..." as minutes of the day, ascending and distinct; false
// for anything else.
bool ParseShifts(const std::string& text, std::vector<std::uint32_t>& startMinutes);

// A moment of the record, in whole minutes: the day and the minute of it.
struct RecordMoment {
    std::int32_t day = 0;
    std::uint32_t minute = 0;  // 0..1439
};
// "2026-12-07 22:01:50" (seconds optional); false when it is no such time.
bool ParseRecordMoment(const std::string& text, RecordMoment& moment);

// The periods of a report from day `first` to day `last`: days, or shifts.
class ReportPeriods {
public:
    ReportPeriods(std::int32_t first, std::int32_t last, std::vector<std::uint32_t> shiftStarts);
    std::size_t Count() const;
    // The period of a moment; false when it is outside the report.
    bool PeriodOf(const RecordMoment& moment, std::size_t& period) const;
    // "2026-12-07" or "2026-12-07 22:00-06:00".
    std::string Label(std::size_t period) const;
    bool Shifts() const { return !starts.empty(); }
    std::int32_t First() const { return first; }
    std::int32_t Last() const { return last; }

private:
    std::int32_t first;
    std::int32_t last;
    std::vector<std::uint32_t> starts;
};

}  // namespace talven
