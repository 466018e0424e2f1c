#include "catalogue/day_catalogue.h"

#include <cstdio>
#include <vector>

#include "catalogue/clip_name.h"
#include "catalogue/folder_listing.h"
#include "catalogue/storage_layout.h"

namespace tramlet {
namespace {

constexpr int kMaxDayOfMonth = 31;

// Unfinished clips and names whose fields cannot be a start of the day are
// left out; a negative length or an hour of 25 would mark outside the bars.
bool IsListable(const ClipName& clip) {
    return clip.duration > 0 && clip.hour >= 0 && clip.hour < 24 && clip.minute >= 0 &&
           clip.minute < 60 && clip.second >= 0 && clip.second < 60;
}

}  // namespace

std::string DayMessageHead(const CalendarDate& date) {
    char head[48];
    std::snprintf(head, sizeof head, "1\t%04d%02d%02d", date.year, date.month, date.day);
    return head;
}

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

MonthScanResult DayCatalogue::ScanMonth(std::string_view dataRoot, CalendarPort& calendar,
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

    const FolderListing video = FolderListing::Read(VideoFolder(dataRoot));
    for (int day = 1; day <= kMaxDayOfMonth; ++day) {
        const std::vector<std::string> names =
            video.Match(PatternName(DayClipsPattern(dataRoot, shown.year, shown.month, day)));
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

void DayCatalogue::SelectDay(std::string_view dataRoot, const CalendarDate& date) {
    dayList_.Clear();
    hourMarks_.fill(false);
    for (const std::string& name :
         FindFiles(DayClipsPattern(dataRoot, date.year, date.month, date.day))) {
        AddClipNamed(name, nullptr);
    }
}

void DayCatalogue::MarkMinutesAndSeconds(int hour, int minute, int second) {
    tramlet::MarkMinutesAndSeconds(dayList_, hour, minute, second, minuteMarks_, secondMarks_);
}

}  // namespace tramlet
