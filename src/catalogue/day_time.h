#pragma once

#include <array>
#include <cstdint>

namespace tramlet {

// One recording of the selected day: the clips of up to four channels that
// started in the same second.
struct DayTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
    std::array<bool, 4> channels{};  // by channel index
    // From the first clip of this start that the scan met; the channels of one
    // recording may differ by a second or two and the first one wins.
    int duration = 0;

    int StartSecond() const { return hour * 3600 + minute * 60 + second; }
    // One past the last second covered; in 64 bits, since a name's duration
    // field may hold up to INT_MAX.
    std::int64_t EndSecond() const { return std::int64_t{StartSecond()} + duration; }
    int ChannelCount() const;
};

}  // namespace tramlet
