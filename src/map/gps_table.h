#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tramlet {

// One second of a day's GPS log: value1 is the latitude, value2 the
// longitude, value3 the speed in km/h and value4 the heading, as the map,
// the exports and the snapshots all read them.
struct GpsEntry {
    std::uint8_t present = 0;
    double value3 = 0;
    double value4 = 0;
    double value1 = 0;
    double value2 = 0;
};

// A line whose values no place on earth and no car can have (a latitude
// beyond the poles, a longitude beyond the date line, a negative speed or
// one above kMaxSpeedKmh, a value that is not a finite number) is no fix.
bool IsPossibleFix(const GpsEntry& entry);
inline constexpr double kMaxSpeedKmh = 400;

// What reading a day's log found, for the log and the command-line tools.
struct GpsLoadReport {
    bool read = false;  // the log was there and could be read
    int lines = 0;      // lines that hold anything but separators
    int fixes = 0;      // seconds of the day that hold a fix afterwards
    // Lines that stored nothing: no time of day, a time outside the day, or
    // impossible values.
    int skipped = 0;
};

// The fixes of one day, one entry per second, so that the position at any
// moment is an index away. Allocated once; loading a day replaces it whole.
class GpsTable {
  public:
    static constexpr int kSecondsPerDay = 86400;
    static constexpr int kLookAhead = 602;

    GpsTable();

    void ClearGpsTable();
    // A missing or unreadable log leaves the table empty.
    GpsLoadReport LoadGpsLog(std::string_view dataRoot, int year, int month, int day);
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

    std::vector<GpsEntry> entries_;
    GpsLoadReport lastLoad_;
};


}  // namespace tramlet
