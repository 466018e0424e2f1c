#include "catalogue/day_list.h"

#include <algorithm>

namespace tramlet {

int DayTime::ChannelCount() const {
    return static_cast<int>(std::count(channels.begin(), channels.end(), true));
}

const DayTime* DayList::AddClip(int hour, int minute, int second, int channel, int duration) {
    if (channel < 0 || channel > 3)
        return nullptr;
    const int start = hour * 3600 + minute * 60 + second;
    auto place = std::lower_bound(
        records_.begin(), records_.end(), start,
        [](const DayTime& record, int value) { return record.StartSecond() < value; });
    // Equal start seconds can come from different fields only for names with
    // out-of-range fields, which the scans do not add; match the fields anyway.
    while (place != records_.end() && place->StartSecond() == start) {
        if (place->hour == hour && place->minute == minute && place->second == second) {
            place->channels[static_cast<size_t>(channel)] = true;
            return &*place;
        }
        ++place;
    }
    DayTime record{hour, minute, second, {}, duration};
    record.channels[static_cast<size_t>(channel)] = true;
    return &*records_.insert(place, record);
}

}  // namespace tramlet
