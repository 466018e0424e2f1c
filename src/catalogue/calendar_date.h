#pragma once

namespace tramlet {

// A date as the month calendar hands it over. All zero means "no date": the
// catalogue uses it to force the next month scan.
struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;

    bool IsSet() const { return year != 0 || month != 0 || day != 0; }
    friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
};

}  // namespace tramlet
