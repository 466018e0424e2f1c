#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tramlet {

// One second of a day's GPS log. The program stores the values as the log
// gives them and leaves their meaning to the map page.
struct GpsEntry {
    std::uint8_t present = 0;
    double value3 = 0;
    double value4 = 0;
    double value1 = 0;
    double value2 = 0;
};

// The fixes of one day, one entry per second, so that the position at any
// moment is an index away. Allocated once; loading a day replaces it whole.
class GpsTable {
  public:
    static constexpr int kSecondsPerDay = 86400;
    static constexpr int kLookAhead = 602;

    GpsTable();

    void ClearGpsTable();
    // A missing or unreadable log leaves the table empty; nothing is reported.
    void LoadGpsLog(std::string_view dataRoot, int year, int month, int day);
    // Reads log text already in memory, as LoadGpsLog reads a file.
    void LoadGpsText(std::string_view text);
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
};

// The one table the whole program shares.
GpsTable& TheGpsTable();

}  // namespace tramlet
