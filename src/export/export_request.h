#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/calendar_date.h"
#include "common/data_root_path.h"
#include "common/failure.h"

namespace tramlet::exporter {

enum class ExportMode {
    kEach,    // each channel its own MP4, the H.264 stream copied packet for packet
    kMerged,  // all channels in one picture, with the time and position burned in
};

struct ExportRequest {
    DataRootPath dataRoot;
    CalendarDate date;
    int fromSecond = 0;  // seconds of the day: the span is [from, to)
    int toSecond = 0;
    std::vector<int> channels{1, 2, 3, 4};
    ExportMode mode = ExportMode::kMerged;
    // With kEach a pattern: OUT.mp4 gives OUT-ch1.mp4 and so on.
    std::filesystem::path output;
    bool overwrite = false;
    // kMerged: keep every channel's own picture size, however large the
    // merged picture grows, instead of fitting it within 1920x1080.
    bool fullSize = false;
    int crf = 20;
    std::string preset = "veryfast";
};

struct ExportCallbacks {
    std::function<void(std::int64_t framesDone, std::int64_t framesTotal)> progress;
    // Read at every frame; a set flag stops the export and removes what it wrote.
    const std::atomic<bool>* cancel = nullptr;
};

// Why an export stopped; what it had written is removed.
enum class ExportError {
    kNoRecording,     // no recording of the chosen channels in the span
    kUnreadableClip,  // a clip could not be opened or read
    kExists,          // the output is there and replacing it was not asked for
    kNotWritable,     // the destination folder cannot be written
    kDiskFull,
    kCancelled,
    kFailed,  // anything else FFmpeg refused
};

// The text names the file concerned, in the library's own words.
using ExportFailure = Failure<ExportError>;

struct ExportResult {
    // Why the export stopped; empty when it is done.
    std::optional<ExportFailure> failure;
    std::vector<std::filesystem::path> written;
    std::int64_t frames = 0;
};

inline ExportFailure Failed(ExportError error, std::string text = {}, int errorNumber = 0) {
    return {error, errorNumber, std::move(text)};
}

// The result of an export that stopped, or of one that wrote nothing.
inline ExportResult Stopped(std::optional<ExportFailure> failure) {
    ExportResult result;
    result.failure = std::move(failure);
    return result;
}

}  // namespace tramlet::exporter
