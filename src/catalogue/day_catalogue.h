#pragma once

#include <optional>
#include <string>

#include "catalogue/calendar_date.h"
#include "catalogue/calendar_port.h"
#include "catalogue/day_list.h"
#include "catalogue/day_marks.h"
#include "catalogue/folder_listing.h"
#include "common/data_root_path.h"

namespace tramlet {

struct MonthScanResult {
    // False when the calendar's selection already was the selected date and
    // nothing changed.
    bool scanned = false;
    // The first day of the month with clips; the day message names it.
    std::optional<CalendarDate> firstDayWithClips;
    // With auto-selection, the day whose GPS log the caller loads.
    std::optional<CalendarDate> gpsLogDay;
};

// The selected day and what the main window shows of it: its recordings, the
// bold days of the shown month and the marks beside the time sliders. There is
// no index on the card: every scan lists the video folder again, or takes a
// listing read for the same user action.
class DayCatalogue {
  public:
    // All zero until a scan sets it; zeroing it makes the next month scan run.
    const CalendarDate& SelectedDate() const { return selected_; }
    void SetSelectedDate(const CalendarDate& date) { selected_ = date; }

    const DayList& Recordings() const { return dayList_; }
    const HourMarks& Hours() const { return hourMarks_; }
    const MinuteMarks& Minutes() const { return minuteMarks_; }
    const SecondMarks& Seconds() const { return secondMarks_; }

    // Re-marks the month of the calendar's selection and lists the selected
    // day. With autoSelect the calendar moves to the month's first day that
    // has clips. Does nothing while the selection equals the selected date.
    MonthScanResult ScanMonth(const DataRootPath& dataRoot, CalendarPort& calendar,
                              bool autoSelect);
    MonthScanResult ScanMonth(const FolderListing& video, CalendarPort& calendar, bool autoSelect);
    // Lists the recordings of `date` afresh; leaves the selected date alone.
    void SelectDay(const DataRootPath& dataRoot, const CalendarDate& date);
    void SelectDay(const FolderListing& video, const CalendarDate& date);
    // Minute and second marks around the chosen moment.
    void MarkMinutesAndSeconds(int hour, int minute, int second);
    void ClearDayList() { dayList_.Clear(); }

  private:
    void AddClipNamed(const std::string& name, const CalendarDate* onlyOn);

    CalendarDate selected_;
    DayList dayList_;
    HourMarks hourMarks_{};
    MinuteMarks minuteMarks_{};
    SecondMarks secondMarks_{};
};

// The data root's video folder, for the questions of one user action.
FolderListing ReadVideoFolder(const DataRootPath& dataRoot);

// The day of the newest listable clip of a video folder, if it holds any.
std::optional<CalendarDate> NewestClipDay(const FolderListing& video);

}  // namespace tramlet
