#pragma once

#include <cstddef>
#include <vector>

#include "catalogue/day_time.h"

namespace tramlet {

// The recordings of one day in ascending order of start, one record per start.
class DayList {
  public:
    // Adds the clip of channel index `channel` to the recording that starts at
    // the given second, creating the recording if it is new. Returns the
    // recording, valid until the list next changes, or nullptr for a channel
    // index outside 0..3.
    const DayTime* AddClip(int hour, int minute, int second, int channel, int duration);
    void Clear() { records_.clear(); }

    bool empty() const { return records_.empty(); }
    std::size_t size() const { return records_.size(); }
    std::vector<DayTime>::const_iterator begin() const { return records_.begin(); }
    std::vector<DayTime>::const_iterator end() const { return records_.end(); }

  private:
    std::vector<DayTime> records_;
};

}  // namespace tramlet
