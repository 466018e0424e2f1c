#include "export/video_export.h"

#include <algorithm>
#include <cmath>

#include "export/clip_reader.h"
#include "export/export_plan.h"
#include "export/lossless_export.h"
#include "export/merged_export.h"

namespace tramlet::exporter {
namespace {

bool ValidChannels(const std::vector<int>& channels) {
    std::vector<int> sorted = channels;
    std::sort(sorted.begin(), sorted.end());
    return !sorted.empty() && sorted.front() >= 1 && sorted.back() <= 4 &&
           std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end();
}

std::vector<std::filesystem::path> Outputs(const ExportRequest& request) {
    if (request.mode == ExportMode::kMerged)
        return {request.output};
    std::vector<std::filesystem::path> outputs;
    for (const int channel : request.channels)
        outputs.push_back(ChannelOutput(request.output, channel));
    return outputs;
}

// Frames to write, for the progress: each output's share of the span at
// the first clip's rate.
std::int64_t FramesTotal(const ExportRequest& request, const std::vector<PlannedRecording>& plan) {
    double rate = 30;
    ClipReader reader;
    for (const std::string& clip : plan.front().clips) {
        if (!clip.empty() && reader.Open(clip) >= 0) {
            rate = av_q2d(reader.FrameRate());
            break;
        }
    }
    std::int64_t total = 0;
    for (const PlannedRecording& recording : plan) {
        const auto frames = static_cast<std::int64_t>(
            std::llround((recording.toSecond - recording.fromSecond) * rate));
        if (request.mode == ExportMode::kMerged) {
            total += frames;
            continue;
        }
        for (const int channel : request.channels)
            total += recording.clips[static_cast<size_t>(channel - 1)].empty() ? 0 : frames;
    }
    return total;
}

}  // namespace

std::filesystem::path ChannelOutput(const std::filesystem::path& pattern, int channel) {
    std::filesystem::path output = pattern;
    output.replace_filename(pattern.stem().string() + "-ch" + std::to_string(channel) +
                            pattern.extension().string());
    return output;
}

ExportResult ExportVideo(const ExportRequest& request, const ExportCallbacks& callbacks) {
    if (!ValidChannels(request.channels) || request.fromSecond >= request.toSecond)
        return Stopped(Failed(ExportError::kNoRecording, "an empty span or no valid channel"));
    const std::vector<PlannedRecording> plan = PlanExport(request);
    if (plan.empty())
        return Stopped(Failed(ExportError::kNoRecording));
    const std::vector<std::filesystem::path> outputs = Outputs(request);
    std::error_code error;
    for (const std::filesystem::path& output : outputs) {
        if (!request.overwrite && std::filesystem::exists(output, error))
            return Stopped(Failed(ExportError::kExists, output.string()));
    }

    ExportProgress progress(callbacks, FramesTotal(request, plan));
    ExportResult result;
    if (request.mode == ExportMode::kMerged) {
        result = ExportMerged(request, plan, request.output, progress);
    } else {
        for (size_t i = 0; i < outputs.size() && !result.failure; ++i) {
            ExportResult channel =
                ExportChannel(request, plan, request.channels[i], outputs[i], progress);
            channel.written.insert(channel.written.begin(), result.written.begin(),
                                   result.written.end());
            result = std::move(channel);
        }
    }
    result.frames = progress.Done();
    if (result.failure) {
        for (const std::filesystem::path& written : result.written)
            std::filesystem::remove(written, error);
        result.written.clear();
    } else if (result.written.empty()) {
        result.failure = Failed(ExportError::kNoRecording);
    }
    return result;
}

void QuietLibraryLog() {
    av_log_set_level(AV_LOG_ERROR);
}

std::string ExportErrorText(ExportError error) {
    switch (error) {
        case ExportError::kNoRecording:
            return "no recording of the chosen channels in that span";
        case ExportError::kUnreadableClip:
            return "a clip could not be read";
        case ExportError::kExists:
            return "the output file exists (use --overwrite to replace it)";
        case ExportError::kNotWritable:
            return "the destination cannot be written";
        case ExportError::kDiskFull:
            return "the destination is full";
        case ExportError::kCancelled:
            return "cancelled";
        case ExportError::kFailed:
            break;
    }
    return "the export failed";
}

}  // namespace tramlet::exporter
