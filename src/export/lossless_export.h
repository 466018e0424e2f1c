#pragma once

#include <filesystem>
#include <vector>

#include "export/export_plan.h"
#include "export/export_progress.h"

namespace tramlet::exporter {

// One channel's clips over the span into one MP4, the H.264 stream copied
// packet for packet from the key frame at or before the span's start of each
// recording; one chapter per recording. A channel with no clip in the span
// writes nothing. Recordings of another picture size than the first go to
// an MP4 of their own, one per size, named by SizedOutput.
// OUT-ch1.mp4 of 1280x720 pictures gives OUT-ch1-1280x720.mp4.
std::filesystem::path SizedOutput(const std::filesystem::path& output, int width, int height);

ExportResult ExportChannel(const ExportRequest& request, const std::vector<PlannedRecording>& plan,
                           int channel, const std::filesystem::path& destination,
                           ExportProgress& progress);

}  // namespace tramlet::exporter
