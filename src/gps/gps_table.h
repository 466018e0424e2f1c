#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "common/data_root_path.h"
#include "common/failure.h"

namespace tramlet {

// One second of a day's GPS log. The log's own names for the values are
// value1 to value4; they stand in this order (3, 4, 1, 2) since the log was
// first read that way, and brace-initialised tables rely on it.
struct GpsEntry {
    std::uint8_t present = 0;
    double speedKmh = 0;   // value3
    double heading = 0;    // value4
    double latitude = 0;   // value1
    double longitude = 0;  // value2
};

// A line whose values no place on earth and no car can have (a latitude
// beyond the poles, a longitude beyond the date line, a negative speed or
// one above kMaxSpeedKmh, a value that is not a finite number) is no fix.
bool IsPossibleFix(const GpsEntry& entry);
inline constexpr double kMaxSpeedKmh = 400;

enum class GpsLogProblem {
    kMissing,     // the card holds no log for the day
    kUnreadable,  // the log is there but could not be opened or read to its end
};

// What reading a day's log found, for the log and the command-line tools.
struct GpsLoadReport {
    bool read = false;  // the log was there and could be read
    int lines = 0;      // lines that hold anything but separators
    int fixes = 0;      // seconds of the day that hold a fix afterwards
    // Lines that stored nothing: no time of day, a time outside the day, or
    // impossible values.
    int skipped = 0;
    // Why the log was not read, or not to its end; empty when it was.
    std::optional<Failure<GpsLogProblem>> failure;
};

// The fixes of one day, one entry per second, so that the position at any
// moment is an index away. Allocated once; loading a day replaces it whole.
class GpsTable {
  public:
    static constexpr int kSecondsPerDay = 86400;
    static constexpr int kLookAhead = 602;

    GpsTable();

    void ClearGpsTable();
    // A missing or unreadable log leaves the table empty, and the report
    // says why; a read error later keeps what was read before it.
    GpsLoadReport LoadGpsLog(const DataRootPath& dataRoot, int year, int month, int day);
    // Reads log text already in memory, as LoadGpsLog reads a file.
    GpsLoadReport LoadGpsText(std::string_view text);
    // What the last load found.
    const GpsLoadReport& LastLoad() const { return lastLoad_; }
    // The fix at the second or up to 601 seconds after it; never looks back.
    const GpsEntry& FindGpsFix(int secondOfDay) const;
    // The fix of exactly this second, or null: a track must not borrow a
    // later second's position.
    const GpsEntry* FixAt(int secondOfDay) const;
    // Seconds of the day that have a fix.
    int FixCount() const;

  private:
    class LineReader;
    void StoreLine(std::string_view line);
    // A line whose time was read: its latitude, longitude, speed and heading.
    void StoreTimedLine(int second, const double (&values)[4]);

    std::vector<GpsEntry> entries_;
    GpsLoadReport lastLoad_;
};

}  // namespace tramlet
