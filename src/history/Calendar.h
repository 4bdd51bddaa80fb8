// Days and dates without a time-zone database: the proleptic Gregorian calendar
// counted in days since 1970-01-01, and the player's day as UTC plus an offset.
#pragma once

#include <cstdint>
#include <string>

namespace zv::history {

struct Date {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
};

// Days since 1970-01-01 of a date, and back (Howard Hinnant's algorithms).
std::int64_t daysFromCivil(Date d);
Date civilFromDays(std::int64_t days);

// The day (days since 1970) a UTC instant falls on, utcOffsetMinutes east of UTC.
std::int64_t localDay(std::int64_t utcMs, int utcOffsetMinutes);

// "2026-12-08T14:35:04.123Z", and back: nothing for any other text.
std::string isoUtc(std::int64_t utcMs);
bool parseIsoUtc(const std::string& text, std::int64_t& utcMs);

// "2026/12/08", as the progress view writes a day.
std::string dayText(std::int64_t day);

}  // namespace zv::history
