#include "library/recorder_time.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace tramlet::library {
namespace {

constexpr RecorderSeconds kSecondsPerDay = 86400;

bool IsValidTime(int hour, int minute, int second) {
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

}  // namespace

bool IsValidDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    const std::chrono::year_month_day date{std::chrono::year(year),
                                           std::chrono::month(static_cast<unsigned>(month)),
                                           std::chrono::day(static_cast<unsigned>(day))};
    return date.ok();
}

RecorderSeconds RecorderSecondsOf(int year, int month, int day, int secondOfDay) {
    const std::chrono::sys_days date{std::chrono::year(year) /
                                     std::chrono::month(static_cast<unsigned>(month)) /
                                     std::chrono::day(static_cast<unsigned>(day))};
    return RecorderSeconds{date.time_since_epoch().count()} * kSecondsPerDay + secondOfDay;
}

RecorderDateTime DateTimeOf(RecorderSeconds t) {
    RecorderSeconds days = t / kSecondsPerDay;
    RecorderSeconds second = t % kSecondsPerDay;
    if (second < 0) {
        second += kSecondsPerDay;
        --days;
    }
    const std::chrono::year_month_day date{
        std::chrono::sys_days{std::chrono::days{static_cast<int>(days)}}};
    return {static_cast<int>(date.year()),
            static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day())),
            static_cast<int>(second / 3600),
            static_cast<int>(second / 60 % 60),
            static_cast<int>(second % 60)};
}

std::string FormatRecorderTime(RecorderSeconds t) {
    const RecorderDateTime d = DateTimeOf(t);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day,
                  d.hour, d.minute, d.second);
    return text;
}

std::string RecorderStamp(RecorderSeconds t) {
    const RecorderDateTime d = DateTimeOf(t);
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", d.year, d.month, d.day, d.hour,
                  d.minute, d.second);
    return text;
}

namespace {

// "YYYYMMDD-HHMMSS"
bool ParseStamp(const std::string& s, RecorderDateTime& d) {
    int used = 0;
    return std::sscanf(s.c_str(), "%4d%2d%2d-%2d%2d%2d%n", &d.year, &d.month, &d.day, &d.hour,
                       &d.minute, &d.second, &used) == 6 &&
           used == 15 && s.size() == 15;
}

// "YYYY-MM-DD" with, unless `dateOnly` comes back true, " HH:MM[:SS]" or "THH:MM[:SS]".
bool ParseIso(const std::string& s, RecorderDateTime& d, bool& dateOnly) {
    int used = 0;
    if (std::sscanf(s.c_str(), "%4d-%2d-%2d%n", &d.year, &d.month, &d.day, &used) != 3 ||
        used != 10)
        return false;
    dateOnly = s.size() == 10;
    if (dateOnly)
        return true;
    const std::string time = s.substr(11);
    int timeUsed = 0;
    const int fields = std::sscanf(time.c_str(), "%2d:%2d%n:%2d%n", &d.hour, &d.minute, &timeUsed,
                                   &d.second, &timeUsed);
    return (s[10] == ' ' || s[10] == 'T') && fields >= 2 &&
           static_cast<size_t>(timeUsed) == time.size();
}

}  // namespace

std::optional<RecorderSeconds> ParseRecorderTime(std::string_view text, bool endOfDay) {
    const std::string s(text);
    RecorderDateTime d;
    bool dateOnly = false;
    if (!ParseStamp(s, d) && !ParseIso(s, d = RecorderDateTime{}, dateOnly))
        return std::nullopt;
    if (!IsValidDate(d.year, d.month, d.day) || !IsValidTime(d.hour, d.minute, d.second))
        return std::nullopt;
    if (dateOnly && endOfDay)
        return RecorderSecondsOf(d.year, d.month, d.day, kSecondsPerDay - 1);
    return RecorderSecondsOf(d.year, d.month, d.day, d.hour * 3600 + d.minute * 60 + d.second);
}

std::optional<RecorderSeconds> ClipStart(const ClipName& clip) {
    if (!IsValidDate(clip.year, clip.month, clip.day) ||
        !IsValidTime(clip.hour, clip.minute, clip.second))
        return std::nullopt;
    return RecorderSecondsOf(clip.year, clip.month, clip.day, clip.StartSecond());
}

}  // namespace tramlet::library
