#include "export/lossless_export.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "export/clip_reader.h"
#include "export/export_clock.h"
#include "export/mp4_output.h"

namespace tramlet::exporter {
namespace {

// One recording's packets, from its first key frame in the span on.
class RecordingPackets {
  public:
    RecordingPackets(const PlannedRecording& recording, int channelIndex)
        : recording_(recording), clip_(recording.clips[static_cast<size_t>(channelIndex)]) {}

    // Opens the clip and reads its first packet; 0 or an error code.
    int Start(AVPacket* first) {
        int result = reader_.Open(clip_);
        if (result >= 0)
            result = reader_.SeekToSecond(recording_.FromOffset());
        // A decoder can start only at a key frame.
        while (result >= 0 && (result = Next(first)) >= 0 && !(first->flags & AV_PKT_FLAG_KEY))
            av_packet_unref(first);
        return result;
    }
    int Next(AVPacket* packet) { return reader_.Read(packet, recording_.ToOffset()); }

    const ClipReader& Reader() const { return reader_; }
    const std::string& Clip() const { return clip_; }
    // The second of the day a packet shows.
    int SecondOf(const AVPacket* packet) const {
        return recording_.startSecond +
               static_cast<int>(av_rescale_q(packet->pts, reader_.TimeBase(), AVRational{1, 1}));
    }

  private:
    const PlannedRecording& recording_;
    std::string clip_;
    ClipReader reader_;
};

class ChannelExport {
  public:
    ChannelExport(const ExportRequest& request, ExportProgress& progress)
        : request_(request), progress_(progress) {}

    ExportResult Run(const std::vector<const PlannedRecording*>& recordings, int channelIndex,
                     const std::filesystem::path& destination) {
        PacketPtr packet(av_packet_alloc());
        for (const PlannedRecording* recording : recordings) {
            RecordingPackets source(*recording, channelIndex);
            const int started = source.Start(packet.get());
            if (started == AVERROR_EOF)
                continue;  // nothing of this clip lies in the span
            if (started < 0)
                return Stopped(Unreadable(source.Clip(), started));
            if (!open_) {
                if (auto failed = Open(source, packet.get(), recording->stamp, destination))
                    return Stopped(failed);
            }
            if (auto failed = Copy(source, packet.get(), recording->stamp))
                return Stopped(failed);
        }
        if (!open_)
            return {};
        if (auto failed = output_.Finish())
            return Stopped(failed);
        ExportResult done;
        done.written.push_back(destination);
        return done;
    }

  private:
    std::optional<ExportFailure> Open(const RecordingPackets& source, const AVPacket* first,
                                      const std::string& stamp,
                                      const std::filesystem::path& destination) {
        if (auto failed = output_.Open(destination, request_.overwrite, progress_.CancelFlag()))
            return failed;
        timeBase_ = source.Reader().TimeBase();
        const int firstSecond = source.SecondOf(first);
        output_.AddStream(source.Reader().Stream()->codecpar, timeBase_);
        output_.SetMetadata("creation_time", CreationTime(request_.date, firstSecond));
        output_.SetMetadata("comment", stamp);
        output_.SetMetadata("description", "Tramlet export from " +
                                               ClockText(request_.date, request_.fromSecond) +
                                               "; the video starts at the key frame of " +
                                               ClockText(request_.date, firstSecond));
        open_ = true;
        return output_.WriteHeader();
    }

    // Packets go on where the last recording ended: the time between
    // recordings is left out.
    std::optional<ExportFailure> Copy(RecordingPackets& source, AVPacket* packet,
                                      const std::string& stamp) {
        const std::int64_t chapterStart = end_;
        const std::int64_t shift =
            end_ - av_rescale_q(packet->dts, source.Reader().TimeBase(), timeBase_);
        int result = 0;
        do {
            av_packet_rescale_ts(packet, source.Reader().TimeBase(), timeBase_);
            packet->pts += shift;
            packet->dts += shift;
            packet->stream_index = 0;
            end_ = std::max(end_, packet->pts + packet->duration);
            if (auto failed = output_.Write(packet, timeBase_))
                return failed;
            if (!progress_.Step())
                return Failed(ExportError::kCancelled);
        } while ((result = source.Next(packet)) >= 0);
        if (result != AVERROR_EOF)
            return Unreadable(source.Clip(), result);
        output_.AddChapter(stamp, chapterStart, end_, timeBase_);
        return std::nullopt;
    }

    const ExportRequest& request_;
    ExportProgress& progress_;
    Mp4Output output_;
    bool open_ = false;
    AVRational timeBase_{1, 1};
    std::int64_t end_ = 0;
};

using PictureSize = std::pair<int, int>;

// The picture size a clip's stream states; nothing when it cannot be read,
// which the export itself then reports.
std::optional<PictureSize> PictureSizeOf(const std::string& clip) {
    ClipReader reader;
    if (reader.Open(clip) < 0)
        return std::nullopt;
    return PictureSize{reader.Stream()->codecpar->width, reader.Stream()->codecpar->height};
}

// The channel's recordings by picture size, in the order the sizes first
// appear: an MP4 states one size for its whole stream.
std::vector<std::vector<const PlannedRecording*>> BySize(
    const std::vector<const PlannedRecording*>& recordings, int channelIndex,
    std::vector<std::optional<PictureSize>>& sizes) {
    std::vector<std::vector<const PlannedRecording*>> groups;
    for (const PlannedRecording* recording : recordings) {
        const auto size = PictureSizeOf(recording->clips[static_cast<size_t>(channelIndex)]);
        const auto group =
            static_cast<size_t>(std::find(sizes.begin(), sizes.end(), size) - sizes.begin());
        if (group == sizes.size()) {
            sizes.push_back(size);
            groups.emplace_back();
        }
        groups[group].push_back(recording);
    }
    return groups;
}

}  // namespace

std::filesystem::path SizedOutput(const std::filesystem::path& output, int width, int height) {
    std::filesystem::path sized = output;
    sized.replace_filename(output.stem().string() + "-" + std::to_string(width) + "x" +
                           std::to_string(height) + output.extension().string());
    return sized;
}

ExportResult ExportChannel(const ExportRequest& request, const std::vector<PlannedRecording>& plan,
                           int channel, const std::filesystem::path& destination,
                           ExportProgress& progress) {
    std::vector<const PlannedRecording*> recordings;
    for (const PlannedRecording& recording : plan) {
        if (!recording.clips[static_cast<size_t>(channel - 1)].empty())
            recordings.push_back(&recording);
    }
    std::vector<std::optional<PictureSize>> sizes;
    const auto groups = BySize(recordings, channel - 1, sizes);
    ExportResult result;
    for (size_t i = 0; i < groups.size() && !result.failure; ++i) {
        const std::filesystem::path output =
            i == 0 || !sizes[i] ? destination
                                : SizedOutput(destination, sizes[i]->first, sizes[i]->second);
        ExportResult part = ChannelExport(request, progress).Run(groups[i], channel - 1, output);
        part.written.insert(part.written.begin(), result.written.begin(), result.written.end());
        result = std::move(part);
    }
    return result;
}

}  // namespace tramlet::exporter
