#include "export/merged_export.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/opt.h>
}

#include "export/caption_graph.h"
#include "export/cell_graph.h"
#include "export/channel_decoder.h"
#include "export/export_clock.h"
#include "export/mp4_output.h"
#include "gps/coordinate_text.h"
#include "gps/gps_table.h"

namespace tramlet::exporter {
namespace {

constexpr int kMaxWidth = 1920;
constexpr int kMaxHeight = 1080;

// Date and time of the picture, then the position and speed of its second
// when the log has a fix.
std::string CaptionText(const CalendarDate& date, int second, const GpsTable& gps) {
    std::string text = ClockText(date, second);
    // That second's own fix only: a picture must not claim a place the car
    // reached later.
    // Numbers as the C locale writes them, whatever the user's.
    if (const GpsEntry* fix = gps.FixAt(second)) {
        text += "    " + CoordinateText(fix->latitude) + ", " + CoordinateText(fix->longitude) +
                "    " + std::to_string(std::lround(fix->speedKmh)) + " km/h";
    }
    return text;
}

class MergedExport {
  public:
    MergedExport(const ExportRequest& request, ExportProgress& progress)
        : request_(request), progress_(progress) {
        gps_.LoadGpsLog(request.dataRoot, request.date.year, request.date.month, request.date.day);
    }

    ExportResult Run(const std::vector<PlannedRecording>& plan,
                     const std::filesystem::path& destination) {
        if (auto failed = MeasureCells(plan))
            return Stopped(failed);
        if (auto failed = Open(plan, destination))
            return Stopped(failed);
        for (const PlannedRecording& recording : plan) {
            const std::int64_t chapterStart = frames_;
            if (auto failed = Recording(recording))
                return Stopped(failed);
            if (frames_ > chapterStart)
                output_.AddChapter(recording.stamp, chapterStart, frames_, encoder_->time_base);
        }
        if (auto failed = Encode(nullptr))
            return Stopped(failed);
        if (auto failed = output_.Finish())
            return Stopped(failed);
        return {std::nullopt, {destination}, frames_};
    }

  private:
    // Cells take the size of the largest picture among the clips, shrunk to
    // fit the merged picture's largest size; the frame rate is the first clip's.
    std::optional<ExportFailure> MeasureCells(const std::vector<PlannedRecording>& plan) {
        layout_.cells = request_.channels.size() == 1 ? 1 : request_.channels.size() == 2 ? 2 : 4;
        layout_.fontFile = CaptionFontFile();
        bool first = true;
        for (const PlannedRecording& recording : plan) {
            for (const std::string& clip : recording.clips) {
                if (clip.empty())
                    continue;
                ClipReader reader;
                if (const int result = reader.Open(clip); result < 0)
                    return Unreadable(clip, result);
                if (first)
                    layout_.frameRate = reader.FrameRate();
                first = false;
                layout_.cellWidth = std::max(layout_.cellWidth, reader.Stream()->codecpar->width);
                layout_.cellHeight =
                    std::max(layout_.cellHeight, reader.Stream()->codecpar->height);
            }
        }
        // Four 1080p channels would make a 3840x2160 file that few players
        // and fewer recipients want.
        if (!request_.fullSize)
            layout_.FitWithin(kMaxWidth, kMaxHeight);
        return std::nullopt;
    }

    std::optional<ExportFailure> Open(const std::vector<PlannedRecording>& plan,
                                      const std::filesystem::path& destination) {
        const AVCodec* x264 = avcodec_find_encoder_by_name("libx264");
        encoder_.reset(x264 ? avcodec_alloc_context3(x264) : nullptr);
        if (!encoder_)
            return Failed(ExportError::kFailed, "FFmpeg has no libx264 encoder");
        encoder_->width = layout_.Width();
        encoder_->height = layout_.Height();
        encoder_->pix_fmt = AV_PIX_FMT_YUV420P;
        encoder_->time_base = av_inv_q(layout_.frameRate);
        encoder_->framerate = layout_.frameRate;
        encoder_->thread_count = 0;
        encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        av_opt_set_int(encoder_->priv_data, "crf", request_.crf, 0);
        av_opt_set(encoder_->priv_data, "preset", request_.preset.c_str(), 0);
        if (const int result = avcodec_open2(encoder_.get(), x264, nullptr); result < 0)
            return Failed(ExportError::kFailed, "libx264: " + AvErrorText(result));
        if (auto failed = output_.Open(destination, request_.overwrite, progress_.CancelFlag()))
            return failed;
        AVCodecParameters* parameters = avcodec_parameters_alloc();
        avcodec_parameters_from_context(parameters, encoder_.get());
        output_.AddStream(parameters, encoder_->time_base);
        avcodec_parameters_free(&parameters);
        output_.SetMetadata("creation_time", CreationTime(request_.date, plan.front().fromSecond));
        output_.SetMetadata("comment", plan.front().stamp);
        output_.SetMetadata("description", "Tramlet export from " +
                                               ClockText(request_.date, plan.front().fromSecond));
        if (const int result = caption_.Build(layout_.Width(), layout_.Height(), layout_.frameRate,
                                              layout_.fontFile);
            result < 0) {
            return Failed(ExportError::kFailed, "drawtext: " + AvErrorText(result));
        }
        return output_.WriteHeader();
    }

    // The cells of one recording, picture by picture, until its span or one
    // of its channels ends.
    std::optional<ExportFailure> Recording(const PlannedRecording& recording) {
        std::vector<ChannelDecoder> decoders(layout_.cells);
        std::vector<FramePtr> pictures;
        std::vector<CellSource> sources(layout_.cells);
        for (size_t cell = 0; cell < sources.size(); ++cell) {
            pictures.emplace_back(av_frame_alloc());
            if (cell >= request_.channels.size())
                continue;
            const int channel = request_.channels[cell];
            sources[cell].channel = channel;
            const std::string& clip = recording.clips[static_cast<size_t>(channel - 1)];
            if (clip.empty())
                continue;
            int result = decoders[cell].Open(clip, recording.FromOffset(), recording.ToOffset());
            if (result >= 0)
                result = decoders[cell].Next(pictures[cell].get());
            if (result == AVERROR_EOF)
                return std::nullopt;  // nothing of this recording lies in the span
            if (result < 0)
                return Unreadable(clip, result);
            sources[cell].first = pictures[cell].get();
        }
        CellGraph cells;
        if (const int result = cells.Build(layout_, sources); result < 0)
            return Failed(ExportError::kFailed, "merging the channels: " + AvErrorText(result));
        FramePtr merged(av_frame_alloc());
        for (std::int64_t index = 0;; ++index) {
            for (size_t cell = 0; cell < sources.size(); ++cell) {
                if (!sources[cell].first)
                    continue;
                AVFrame* picture = pictures[cell].get();
                if (index > 0) {
                    av_frame_unref(picture);
                    const int result = decoders[cell].Next(picture);
                    if (result == AVERROR_EOF)
                        return Drain(cells, sources, recording, merged.get());
                    if (result < 0)
                        return Unreadable(recording.clips[sources[cell].channel - 1], result);
                }
                picture->pts = index;
                cells.Push(cell, picture);
            }
            if (auto failed = Take(cells, recording, merged.get()))
                return failed;
        }
    }

    // One channel has ended: so has the recording.
    std::optional<ExportFailure> Drain(CellGraph& cells, const std::vector<CellSource>& sources,
                                       const PlannedRecording& recording, AVFrame* merged) {
        for (size_t cell = 0; cell < sources.size(); ++cell) {
            if (sources[cell].first)
                cells.Push(cell, nullptr);
        }
        return Take(cells, recording, merged);
    }

    // Captions and encodes every merged picture the graph has ready.
    std::optional<ExportFailure> Take(CellGraph& cells, const PlannedRecording& recording,
                                      AVFrame* merged) {
        int result;
        while ((result = cells.Pull(merged)) >= 0) {
            // The picture's own place in the recording gives its time.
            const int second =
                recording.fromSecond +
                static_cast<int>(av_rescale_q(merged->pts, encoder_->time_base, AVRational{1, 1}));
            if ((result = caption_.Draw(merged, CaptionText(request_.date, second, gps_))) < 0)
                return Failed(ExportError::kFailed, "drawtext: " + AvErrorText(result));
            merged->pts = frames_++;
            merged->pict_type = AV_PICTURE_TYPE_NONE;
            std::optional<ExportFailure> failed = Encode(merged);
            av_frame_unref(merged);
            if (failed)
                return failed;
            if (!progress_.Step())
                return Failed(ExportError::kCancelled);
        }
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return std::nullopt;
        return Failed(ExportError::kFailed, "merging the channels: " + AvErrorText(result));
    }

    // Sends a picture (null: the end) and writes every packet that comes out.
    std::optional<ExportFailure> Encode(const AVFrame* picture) {
        int result = avcodec_send_frame(encoder_.get(), picture);
        PacketPtr packet(av_packet_alloc());
        while (result >= 0 &&
               (result = avcodec_receive_packet(encoder_.get(), packet.get())) >= 0) {
            // The encoder's last pictures come out in a burst at the end.
            if (!picture && progress_.Cancelled())
                return Failed(ExportError::kCancelled);
            packet->stream_index = 0;
            if (auto failed = output_.Write(packet.get(), encoder_->time_base))
                return failed;
        }
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return std::nullopt;
        return Failed(ExportError::kFailed, "libx264: " + AvErrorText(result));
    }

    const ExportRequest& request_;
    ExportProgress& progress_;
    GpsTable gps_;
    CellLayout layout_;
    CodecPtr encoder_;
    Mp4Output output_;
    CaptionGraph caption_;
    std::int64_t frames_ = 0;
};

}  // namespace

std::string CaptionFontFile() {
    return "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
}

ExportResult ExportMerged(const ExportRequest& request, const std::vector<PlannedRecording>& plan,
                          const std::filesystem::path& destination, ExportProgress& progress) {
    return MergedExport(request, progress).Run(plan, destination);
}

}  // namespace tramlet::exporter
