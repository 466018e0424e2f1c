#pragma once

#include <string>

#include "common/data_root_path.h"

namespace tramlet {

// What the viewing session asks of the program around it. None of these
// may call back into the session before they return.
class SessionHost {
  public:
    virtual ~SessionHost() = default;
    // Runs the repair pass over the data root once the current call has
    // returned, then tells the session with OnRepairFinished.
    virtual void RequestRepair(const DataRootPath& dataRoot) = 0;
    virtual void ReloadMapPage() = 0;
    // Tells the user, without waiting for an answer.
    virtual void ReportError(const std::string& text) = 0;
    virtual void Log(const std::string& text) = 0;
};

}  // namespace tramlet
