#include "map/page_messages.h"

#include <cstdio>
#include <utility>

#include "catalogue/storage_layout.h"
#include "map/coordinate_text.h"

namespace tramlet {

void PageMessages::SetDayMessage(std::string message, bool pending) {
    day_ = std::move(message);
    dayDelivered_ = false;
    if (pending)
        dayPending_ = true;
}

void PageMessages::ClearDayMessage() {
    day_.clear();
    track_.clear();
    dayDelivered_ = false;
    dayPending_ = true;
}

void PageMessages::BuildPositionMessage(const GpsTable& gps, int hour, int minute, int second) {
    const GpsEntry& fix = gps.FindGpsFix(hour * 3600 + minute * 60 + second);
    position_ = "2\t" + CoordinateText(fix.value1) + "\t" + CoordinateText(fix.value2) + "\t" +
                CoordinateText(fix.value3);
    positionPending_ = true;
}

void PageMessages::SetClipMessage(const std::string& stamp) {
    clip_ = "3\t" + stamp;
    clipPending_ = true;
}

std::string PageMessages::GetPageMessage(int wanted) {
    if (dayPending_ || (dayRequeued_ && wanted == 1)) {
        dayPending_ = false;
        if (wanted == 1)
            dayRequeued_ = false;
        return DeliverDayMessage();
    }
    if (clipPending_) {
        clipPending_ = false;
        return clip_;
    }
    if (wanted == 4)
        return track_.empty() ? "4\t" : track_;
    if ((hooks_.isPlaying && hooks_.isPlaying()) || positionPending_) {
        positionPending_ = false;
        return position_;
    }
    switch (wanted) {
        case 1:
            return DeliverDayMessage();
        case 2:
            return position_;
        case 3:
            return clip_;
        default:
            return "0";
    }
}

// The whole message is handed over, however many recordings the day has: a
// cut message would give the page a half point with a wrong coordinate.
// Only its first delivery opens the day's first recording: a page that
// reloads (at every volume arrival) gets the day again, and must not close
// what the user is watching. It is told instead, by the clip message that
// follows, which recording is open.
std::string PageMessages::DeliverDayMessage() {
    const std::string message = day_;  // opening a recording may rebuild the slots
    if (std::exchange(dayDelivered_, true)) {
        if (hooks_.openRecording)
            SetClipMessage(hooks_.openRecording());
        return message;
    }
    int y, mo, d, h, mi, s;
    if (std::sscanf(message.c_str(), "1\t%04d%02d%02d\t%02d%02d%02d", &y, &mo, &d, &h, &mi, &s) ==
            6 &&
        hooks_.openFirstRecording) {
        hooks_.openFirstRecording(StartStamp(y, mo, d, h, mi, s));
    }
    return message;
}

}  // namespace tramlet
