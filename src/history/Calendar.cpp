#include "history/Calendar.h"

#include <cstdio>

namespace zv::history {

std::int64_t daysFromCivil(Date d) {
    const std::int64_t y = d.year - (d.month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (d.month + (d.month > 2 ? -3 : 9)) + 2) / 5 + d.day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

Date civilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0)), month, day};
}

namespace {
std::int64_t floorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
}  // namespace

std::int64_t localDay(std::int64_t utcMs, int utcOffsetMinutes) {
    return floorDiv(utcMs + std::int64_t{utcOffsetMinutes} * 60000, 86400000);
}

std::string isoUtc(std::int64_t utcMs) {
    const std::int64_t day = floorDiv(utcMs, 86400000);
    const std::int64_t msOfDay = utcMs - day * 86400000;
    const Date d = civilFromDays(day);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", d.year, d.month, d.day,
                  static_cast<int>(msOfDay / 3600000), static_cast<int>(msOfDay / 60000 % 60),
                  static_cast<int>(msOfDay / 1000 % 60), static_cast<int>(msOfDay % 1000));
    return text;
}

bool parseIsoUtc(const std::string& text, std::int64_t& utcMs) {
    // Exactly the form isoUtc writes: 24 characters, digits where digits belong.
    static constexpr char kShape[] = "dddd-dd-ddTdd:dd:dd.dddZ";
    if (text.size() != sizeof kShape - 1) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == 'd' ? !digit : text[i] != kShape[i]) return false;
    }
    const auto n = [&](std::size_t at, std::size_t len) {
        int v = 0;
        for (std::size_t i = at; i < at + len; ++i) v = v * 10 + (text[i] - '0');
        return v;
    };
    const Date d{n(0, 4), n(5, 2), n(8, 2)};
    const int h = n(11, 2), m = n(14, 2), s = n(17, 2), ms = n(20, 3);
    if (d.year < 2000 || d.month < 1 || d.month > 12 || d.day < 1 || h > 23 || m > 59 || s > 59) return false;
    const std::int64_t day = daysFromCivil(d);
    if (civilFromDays(day).day != d.day) return false;  // 31 February and the like
    utcMs = ((day * 24 + h) * 60 + m) * 60000LL + s * 1000LL + ms;
    return true;
}

std::string dayText(std::int64_t day) {
    const Date d = civilFromDays(day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", d.year, d.month, d.day);
    return text;
}

}  // namespace zv::history
