#pragma once

#include <functional>
#include <string>

#include "gps/gps_table.h"

namespace tramlet {

// The three messages waiting for the map page's next poll. Each slot holds
// one message: a newer one replaces an older one the page has not fetched.
class PageMessages {
  public:
    struct Hooks {
        std::function<bool()> isPlaying;
        // The start stamp of the open recording, empty when none is open.
        std::function<std::string()> openRecording;
    };

    explicit PageMessages(Hooks hooks) : hooks_(std::move(hooks)) {}

    // "1\tYYYYMMDD" followed by the day track; `pending` as the producer says.
    void SetDayMessage(std::string message, bool pending);
    // An empty day message after the card is gone; the page clears its map.
    void ClearDayMessage();
    // A page that has just opened has nothing: hand the day over again, then
    // what is open and where the car is, to the first poll that asks for a
    // day (1). A page that has its day asks for none, so it cannot take the
    // new page's.
    void RequeueDayMessage() { dayRequeued_ = positionPending_ = true; }
    void BuildPositionMessage(const GpsTable& gps, int hour, int minute, int second);
    // No moment is chosen: the page shows no position.
    void ClearPositionMessage();
    // "3\t" + stamp, or "3\t" alone when no recording covers the moment.
    void SetClipMessage(const std::string& stamp);
    // The day's route, handed over when the page asks for type 4.
    void SetTrackMessage(std::string message) { track_ = std::move(message); }

    // What one poll of the page receives; `wanted` is the type the page asks
    // for when nothing waits (1, 2 or 3; anything else gets "0"). The route
    // (4) is answered ahead of the position, which stays waiting: while
    // playing, the page would otherwise never get it.
    std::string GetPageMessage(int wanted);

    const std::string& DayMessage() const { return day_; }
    const std::string& PositionMessage() const { return position_; }
    const std::string& ClipMessage() const { return clip_; }
    const std::string& TrackMessage() const { return track_; }

  private:
    std::string DeliverDayMessage();

    Hooks hooks_;
    std::string day_, position_, clip_, track_;
    bool dayPending_ = false;
    bool dayRequeued_ = false;
    bool positionPending_ = false;
    bool clipPending_ = false;
};

}  // namespace tramlet
