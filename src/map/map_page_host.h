#pragma once

#include <string>

#include "gps/gps_table.h"

namespace tramlet {

// What the map page may ask of the main window: the next page message, to
// open a recording named by its start stamp, and to go to a moment of the
// day's route.
class MapPageHost {
  public:
    virtual ~MapPageHost() = default;
    virtual std::string GetPageMessage(int wanted) = 0;
    virtual void ViewFromExpPos(const std::string& stamp) = 0;
    virtual void ViewFromTrack(const std::string& stamp) = 0;
    // Every fix of the selected day, behind its thinned-out route.
    virtual const GpsTable& DayFixes() const = 0;
};

}  // namespace tramlet
