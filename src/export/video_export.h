#pragma once

#include <filesystem>
#include <string>

#include "export/export_request.h"

namespace tramlet::exporter {

// Exports the span as the request says. Nothing is left behind when it
// fails or is cancelled: not a temporary file, not an output already done.
ExportResult ExportVideo(const ExportRequest& request, const ExportCallbacks& callbacks);

// Where --each puts a channel: OUT.mp4 gives OUT-ch2.mp4.
std::filesystem::path ChannelOutput(const std::filesystem::path& pattern, int channel);

// Keeps FFmpeg's libraries to errors on stderr: their notes on every clip
// would bury the program's own output.
void QuietLibraryLog();

// A sentence for the error, in English, for the command line.
std::string ExportErrorText(ExportError error);

}  // namespace tramlet::exporter
