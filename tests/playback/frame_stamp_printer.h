#pragma once

#include <ostream>

#include "playback/frame_stamp.h"

namespace tramlet {

// Names stamps in test failures.
inline void PrintTo(const FrameStamp& s, std::ostream* os) {
    *os << "channel " << s.channel << " frame " << s.frame;
}

}  // namespace tramlet
