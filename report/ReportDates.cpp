#include "report/ReportDates.h"

#include <cstdio>

namespace talven {

namespace {

constexpr std::uint32_t kMinutesADay = 24 * 60;

bool Digits(const std::string& text, std::size_t at, std::size_t count, unsigned& value) {
    value = 0;
    if (at + count > text.size()) return false;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    return true;
}

unsigned DaysInMonth(unsigned year, unsigned month) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

bool ParseDayAt(const std::string& text, std::size_t at, std::int32_t& dayNumber) {
    unsigned year = 0, month = 0, day = 0;
    if (!Digits(text, at, 4, year) || text.size() < at + 10 || text[at + 4] != '-' ||
        !Digits(text, at + 5, 2, month) || text[at + 7] != '-' || !Digits(text, at + 8, 2, day))
        return false;
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
    dayNumber = DayNumber(static_cast<int>(year), month, day);
    return true;
}

bool ParseClock(const std::string& text, std::size_t at, std::uint32_t& minute) {
    unsigned hour = 0, minutes = 0;
    if (!Digits(text, at, 2, hour) || text.size() < at + 5 || text[at + 2] != ':' || !Digits(text, at + 3, 2, minutes))
        return false;
    if (hour > 23 || minutes > 59) return false;
    minute = hour * 60 + minutes;
    return true;
}

std::string ClockText(std::uint32_t minute) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u", minute / 60 % 24, minute % 60);
    return text;
}

}  // namespace

// Howard Hinnant's days_from_civil.
std::int32_t DayNumber(int year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int32_t>(dayOfEra) - 719468;
}

std::string DayText(std::int32_t dayNumber) {
    const std::int32_t z = dayNumber + 719468;
    const std::int32_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(z - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned mp = (5 * dayOfYear + 2) / 153;
    const unsigned day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const unsigned month = mp < 10 ? mp + 3 : mp - 9;
    const int year = static_cast<int>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", year, month, day);
    return text;
}

bool ParseDay(const std::string& text, std::int32_t& dayNumber) {
    return text.size() == 10 && ParseDayAt(text, 0, dayNumber);
}

bool ParseShifts(const std::string& text, std::vector<std::uint32_t>& startMinutes) {
    startMinutes.clear();
    for (std::size_t at = 0;; at += 6) {
        std::uint32_t minute = 0;
        if (!ParseClock(text, at, minute)) return false;
        if (!startMinutes.empty() && minute <= startMinutes.back()) return false;
        startMinutes.push_back(minute);
        if (at + 5 == text.size()) return true;
        if (text[at + 5] != ',') return false;
    }
}

bool ParseRecordMoment(const std::string& text, RecordMoment& moment) {
    if ((text.size() != 16 && text.size() != 19) || text[10] != ' ') return false;
    unsigned seconds = 0;
    if (text.size() == 19 && (text[16] != ':' || !Digits(text, 17, 2, seconds) || seconds > 59)) return false;
    return ParseDayAt(text, 0, moment.day) && ParseClock(text, 11, moment.minute);
}

ReportPeriods::ReportPeriods(std::int32_t first, std::int32_t last, std::vector<std::uint32_t> shiftStarts)
    : first(first), last(last), starts(std::move(shiftStarts)) {}

std::size_t ReportPeriods::Count() const {
    const auto days = static_cast<std::size_t>(last - first + 1);
    return starts.empty() ? days : days * starts.size();
}

bool ReportPeriods::PeriodOf(const RecordMoment& moment, std::size_t& period) const {
    std::int32_t day = moment.day;
    std::size_t shift = 0;
    if (!starts.empty()) {
        // Before the day's first start is the previous day's last shift.
        shift = starts.size();
        while (shift > 0 && starts[shift - 1] > moment.minute) --shift;
        if (shift == 0) {
            --day;
            shift = starts.size();
        }
        --shift;
    }
    if (day < first || day > last) return false;
    const auto offset = static_cast<std::size_t>(day - first);
    period = starts.empty() ? offset : offset * starts.size() + shift;
    return true;
}

std::string ReportPeriods::Label(std::size_t period) const {
    if (starts.empty()) return DayText(first + static_cast<std::int32_t>(period));
    const std::size_t shift = period % starts.size();
    const std::uint32_t end = shift + 1 < starts.size() ? starts[shift + 1] : starts.front() + kMinutesADay;
    return DayText(first + static_cast<std::int32_t>(period / starts.size())) + " " + ClockText(starts[shift]) + "-" +
           ClockText(end);
}

}  // namespace talven
