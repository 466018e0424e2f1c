#pragma once

#include <filesystem>
#include <vector>

#include "export/export_plan.h"
#include "export/export_progress.h"

namespace tramlet::exporter {

// One channel's clips over the span into one MP4, the H.264 stream copied
// packet for packet from the key frame at or before the span's start of each
// recording; one chapter per recording. A channel with no clip in the span
// writes nothing.
ExportResult ExportChannel(const ExportRequest& request, const std::vector<PlannedRecording>& plan,
                           int channel, const std::filesystem::path& destination,
                           ExportProgress& progress);

}  // namespace tramlet::exporter
