#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/clip_name.h"

namespace tramlet::library {

// A moment on the recorder's own clock, in seconds from 1970-01-01 00:00:00
// of that clock. The recorder keeps no time zone, and so neither does the
// library: clip names and GPS lines are compared as they stand.
using RecorderSeconds = std::int64_t;

// The first and last second any date can name (years 1 to 9999).
constexpr RecorderSeconds kEarliest = -62135596800;
constexpr RecorderSeconds kLatest = 253402300799;

struct RecorderDateTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

bool IsValidDate(int year, int month, int day);

RecorderSeconds RecorderSecondsOf(int year, int month, int day, int secondOfDay);
RecorderDateTime DateTimeOf(RecorderSeconds t);
// "YYYY-MM-DD HH:MM:SS"
std::string FormatRecorderTime(RecorderSeconds t);
// "YYYYMMDD-HHMMSS", the start stamp that names a recording.
std::string RecorderStamp(RecorderSeconds t);

// Reads "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS]" (or with a 'T') and
// "YYYYMMDD-HHMMSS". A date alone is its first second, or with `endOfDay`
// its last. Nothing for text that is not a valid date and time.
std::optional<RecorderSeconds> ParseRecorderTime(std::string_view text, bool endOfDay);

// The moment a clip starts, from its name; nothing when the name's fields
// are no valid date and time.
std::optional<RecorderSeconds> ClipStart(const ClipName& clip);

}  // namespace tramlet::library
