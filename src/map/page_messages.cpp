#include "map/page_messages.h"

#include <utility>

#include "gps/coordinate_text.h"

namespace tramlet {

void PageMessages::SetDayMessage(std::string message, bool pending) {
    day_ = std::move(message);
    if (pending)
        dayPending_ = true;
}

void PageMessages::ClearDayMessage() {
    day_.clear();
    track_.clear();
    dayPending_ = true;
}

void PageMessages::BuildPositionMessage(const GpsTable& gps, int hour, int minute, int second) {
    const GpsEntry& fix = gps.FindGpsFix(hour * 3600 + minute * 60 + second);
    position_ = "2\t" + CoordinateText(fix.latitude) + "\t" + CoordinateText(fix.longitude) + "\t" +
                CoordinateText(fix.speedKmh);
    positionPending_ = true;
}

void PageMessages::ClearPositionMessage() {
    position_ = "2\t" + CoordinateText(0) + "\t" + CoordinateText(0) + "\t" + CoordinateText(0);
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
// cut message would give the page a half point with a wrong coordinate. A
// page takes the day's first recording for the open one; the clip message
// that follows tells it which one is open, also to a page that has reloaded
// and gets the day again.
std::string PageMessages::DeliverDayMessage() {
    if (hooks_.openRecording)
        SetClipMessage(hooks_.openRecording());
    return day_;
}

}  // namespace tramlet
