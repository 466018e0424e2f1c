#include "catalogue/day_catalogue.h"

#include <array>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "catalogue/clip_name.h"
#include "catalogue/folder_listing.h"
#include "catalogue/storage_layout.h"
#include "catalogue/wildcard.h"

namespace tramlet {
namespace {

constexpr int kMaxDayOfMonth = 31;

// Unfinished clips and names whose fields cannot be a start of the day are
// left out; a negative length or an hour of 25 would mark outside the bars.
bool IsListable(const ClipName& clip) {
    return clip.duration > 0 && clip.hour >= 0 && clip.hour < 24 && clip.minute >= 0 &&
           clip.minute < 60 && clip.second >= 0 && clip.second < 60;
}

using MonthNames = std::array<std::vector<std::string>, kMaxDayOfMonth + 1>;

// The names of the month's clips by day, each day's in listing order: what
// the day patterns match. One pass sorts the names by their date, so that a
// folder holding years of clips (a vehicle's in a library) costs one look
// at each name rather than 31; a name a day pattern matches begins with
// that pattern's fixed "YYYYMMDD-", so only names with that beginning can.
MonthNames MonthClipNames(const FolderListing& video, int year, int month) {
    std::array<std::string, kMaxDayOfMonth + 1> patterns;
    std::unordered_map<std::string_view, int> dayOfStamp;
    for (int day = 1; day <= kMaxDayOfMonth; ++day) {
        patterns[day] = DayClipsName(year, month, day);
        dayOfStamp[std::string_view(patterns[day]).substr(0, patterns[day].find('*'))] = day;
    }
    MonthNames names;
    for (const std::string& name : video.Names()) {
        const size_t hyphen = name.find('-');
        if (hyphen == std::string::npos)
            continue;
        const auto day = dayOfStamp.find(std::string_view(name).substr(0, hyphen + 1));
        if (day != dayOfStamp.end() && MatchesWildcard(patterns[day->second], name))
            names[day->second].push_back(name);
    }
    return names;
}

}  // namespace

void DayCatalogue::AddClipNamed(const std::string& name, const CalendarDate* onlyOn) {
    const std::optional<ClipName> clip = ParseClipName(name);
    if (!clip || !IsListable(*clip))
        return;
    if (onlyOn && !clip->IsOnDate(onlyOn->year, onlyOn->month, onlyOn->day))
        return;
    const DayTime* record =
        dayList_.AddClip(clip->hour, clip->minute, clip->second, clip->channel - 1, clip->duration);
    if (record)
        MarkHours(*record, hourMarks_);
}

MonthScanResult DayCatalogue::ScanMonth(const DataRootPath& dataRoot, CalendarPort& calendar,
                                        bool autoSelect) {
    return ScanMonth(ReadVideoFolder(dataRoot), calendar, autoSelect);
}

MonthScanResult DayCatalogue::ScanMonth(const FolderListing& video, CalendarPort& calendar,
                                        bool autoSelect) {
    MonthScanResult result;
    const CalendarDate shown = calendar.SelectedDate();
    if (shown == selected_)
        return result;
    result.scanned = true;

    const ShownMonths months = calendar.ShownMonthRange();
    const size_t monthIndex = months.first.day == 1 ? 0 : 1;
    std::vector<std::uint32_t> masks(static_cast<size_t>(std::max(months.count, 0)), 0);

    hourMarks_.fill(false);
    minuteMarks_.fill(false);
    secondMarks_.fill(false);
    dayList_.Clear();

    const MonthNames month = MonthClipNames(video, shown.year, shown.month);
    for (int day = 1; day <= kMaxDayOfMonth; ++day) {
        const std::vector<std::string>& names = month[day];
        if (names.empty())
            continue;
        if (!result.firstDayWithClips) {
            const CalendarDate first{shown.year, shown.month, day};
            result.firstDayWithClips = first;
            if (autoSelect) {
                calendar.SetSelectedDate(first);
                result.gpsLogDay = first;
            }
            selected_ = calendar.SelectedDate();
        }
        if (monthIndex < masks.size())
            masks[monthIndex] |= std::uint32_t{1} << (day - 1);
        for (const std::string& name : names)
            AddClipNamed(name, &selected_);
    }
    if (!result.firstDayWithClips)
        selected_ = shown;
    calendar.SetDayStates(masks);
    return result;
}

void DayCatalogue::SelectDay(const DataRootPath& dataRoot, const CalendarDate& date) {
    SelectDay(ReadVideoFolder(dataRoot), date);
}

void DayCatalogue::SelectDay(const FolderListing& video, const CalendarDate& date) {
    dayList_.Clear();
    hourMarks_.fill(false);
    for (const std::string& name : video.Match(DayClipsName(date.year, date.month, date.day)))
        AddClipNamed(name, nullptr);
}

void DayCatalogue::MarkMinutesAndSeconds(int hour, int minute, int second) {
    tramlet::MarkMinutesAndSeconds(dayList_, hour, minute, second, minuteMarks_, secondMarks_);
}

FolderListing ReadVideoFolder(const DataRootPath& dataRoot) {
    return FolderListing::Read(VideoFolder(dataRoot));
}

std::optional<CalendarDate> NewestClipDay(const FolderListing& video) {
    std::optional<CalendarDate> newest;
    for (const std::string& name : video.Names()) {
        const std::optional<ClipName> clip = ParseClipName(name);
        if (!clip || !IsListable(*clip) || !clip->IsRealDate())
            continue;
        const CalendarDate day{clip->year, clip->month, clip->day};
        if (!newest || std::tie(day.year, day.month, day.day) >
                           std::tie(newest->year, newest->month, newest->day))
            newest = day;
    }
    return newest;
}

}  // namespace tramlet
