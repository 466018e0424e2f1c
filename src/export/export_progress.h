#pragma once

#include <cstdint>

#include "export/export_request.h"

namespace tramlet::exporter {

// Frames done out of the export's total, told to the caller as they are
// written, and the caller's cancel flag, asked at every frame.
class ExportProgress {
  public:
    ExportProgress(const ExportCallbacks& callbacks, std::int64_t total)
        : callbacks_(callbacks), total_(total) {}

    // Counts one frame; false once the caller has cancelled.
    bool Step() {
        ++done_;
        if (callbacks_.progress)
            callbacks_.progress(done_, total_);
        return !Cancelled();
    }
    bool Cancelled() const { return callbacks_.cancel && callbacks_.cancel->load(); }
    const std::atomic<bool>* CancelFlag() const { return callbacks_.cancel; }
    std::int64_t Done() const { return done_; }

  private:
    const ExportCallbacks& callbacks_;
    std::int64_t total_;
    std::int64_t done_ = 0;
};

}  // namespace tramlet::exporter
