#pragma once

#include <filesystem>
#include <vector>

#include "export/export_plan.h"
#include "export/export_progress.h"

namespace tramlet::exporter {

// The chosen channels over the span in one H.264 MP4, each in its cell, with
// the date, time, position and speed of each picture burned in along the
// bottom; one chapter per recording.
ExportResult ExportMerged(const ExportRequest& request, const std::vector<PlannedRecording>& plan,
                          const std::filesystem::path& destination, ExportProgress& progress);

// The Noto font the captions are drawn with.
std::string CaptionFontFile();

}  // namespace tramlet::exporter
