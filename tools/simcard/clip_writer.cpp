#include "clip_writer.h"

#include <algorithm>

#include "catalogue/clip_name.h"
#include "catalogue/storage_layout.h"
#include "frame_painter.h"

namespace tramlet::simcard {
namespace {

constexpr std::uint32_t kTrailingChunkSize = 32;

ClipName NameOf(const CardPlan& card, const RecordingPlan& recording, int channel) {
    const TimeFields t = FieldsOf(recording.start);
    const int wholeFrames = recording.frames - (recording.state.tornLastChunk ? 1 : 0);
    const int length = static_cast<int>(1000LL * wholeFrames / card.encoder.rateMilli);
    const int duration =
        recording.state.nameDuration.value_or(recording.state.unclosed ? 0 : length);
    return {t.year, t.month, t.day, t.hour, t.minute, t.second, channel, duration};
}

FrameCaption CaptionOf(const RecordingPlan& recording, int channel, int frame, int rateMilli) {
    const long long elapsedMs = 1'000'000LL * frame / rateMilli;
    const RecorderTime now = recording.start + std::chrono::seconds(elapsedMs / 1000);
    return {channel, frame, elapsedMs / 1000.0, DateText(now), ClockText(now)};
}

// Holds back the newest frame, because only the last one may be torn.
class FrameSink {
  public:
    FrameSink(AviClipWriter& avi, bool oddFrames) : avi_(avi), oddFrames_(oddFrames) {}

    void Put(std::vector<EncodedFrame> frames) {
        for (EncodedFrame& f : frames) {
            // A trailing zero byte is allowed after any unit of the byte stream.
            if (oddFrames_ && f.bytes.size() % 2 == 0)
                f.bytes.push_back(0);
            if (held_)
                avi_.WriteFrame(held_->bytes, held_->key);
            held_ = std::move(f);
        }
    }

    std::optional<TailChunk> Close(bool tear) {
        if (!held_)
            return std::nullopt;
        if (!tear) {
            avi_.WriteFrame(held_->bytes, held_->key);
            return std::nullopt;
        }
        const auto announced = static_cast<std::uint32_t>(held_->bytes.size());
        const std::uint32_t kept = std::max<std::uint32_t>(1, announced / 2);
        return TailChunk{"00dc", avi_.WriteTornFrame(held_->bytes, kept), announced, kept};
    }

  private:
    AviClipWriter& avi_;
    bool oddFrames_;
    std::optional<EncodedFrame> held_;
};

}  // namespace

ClipResult WriteClip(const CardPlan& card, const RecordingPlan& recording, int channel) {
    const EncoderSettings& settings = card.encoder;
    ClipResult result;
    result.fileName = NameOf(card, recording, channel).FileName();
    result.channel = channel;
    result.unclosed = recording.state.unclosed;

    AviClipWriter avi(ClipPath(card.root, result.fileName),
                      static_cast<std::uint32_t>(settings.width),
                      static_cast<std::uint32_t>(settings.height),
                      static_cast<std::uint32_t>(settings.rateMilli));
    H264Encoder encoder(settings);
    const FramePainter painter(settings.width, settings.height, channel, card.noise);
    I420Picture picture(settings.width, settings.height);
    FrameSink sink(avi, card.oddFrames);
    for (int frame = 0; frame < recording.frames; ++frame) {
        painter.Paint(CaptionOf(recording, channel, frame, settings.rateMilli), picture);
        sink.Put(encoder.Encode(picture));
    }
    sink.Put(encoder.Flush());
    result.tail = sink.Close(recording.state.tornLastChunk);

    const std::string& foreign = recording.state.trailingChunk;
    if (!foreign.empty()) {
        const std::uint32_t offset = avi.WriteForeignChunk(foreign, kTrailingChunkSize);
        result.tail = TailChunk{foreign, offset, kTrailingChunkSize, kTrailingChunkSize};
    }
    result.frames = avi.Frames();
    if (recording.state.unclosed)
        avi.LeaveUnclosed();
    else
        avi.Finish();
    return result;
}

}  // namespace tramlet::simcard
