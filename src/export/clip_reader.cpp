#include "export/clip_reader.h"

#include <algorithm>

extern "C" {
#include <libavutil/mathematics.h>
}

namespace tramlet::exporter {

int ClipReader::Open(const std::string& path) {
    AVFormatContext* context = nullptr;
    int result = avformat_open_input(&context, path.c_str(), nullptr, nullptr);
    if (result < 0)
        return result;
    input_.reset(context);
    // Reads the SPS and PPS out of the stream, which MP4 wants as extradata.
    if ((result = avformat_find_stream_info(context, nullptr)) < 0)
        return result;
    stream_ = av_find_best_stream(context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (stream_ < 0)
        return stream_;
    if (Stream()->codecpar->codec_id != AV_CODEC_ID_H264)
        return AVERROR_INVALIDDATA;
    return 0;
}

AVRational ClipReader::FrameRate() const {
    const AVRational rate = Stream()->avg_frame_rate;
    return rate.num > 0 && rate.den > 0 ? rate : Stream()->r_frame_rate;
}

std::int64_t ClipReader::FrameTicks() const {
    return std::max<std::int64_t>(1, av_rescale_q(1, av_inv_q(FrameRate()), TimeBase()));
}

std::int64_t ClipReader::SecondToTicks(int second) const {
    return av_rescale_q(second, AVRational{1, 1}, TimeBase());
}

int ClipReader::SeekToSecond(int second) {
    if (second <= 0)
        return 0;
    return av_seek_frame(input_.get(), stream_, SecondToTicks(second), AVSEEK_FLAG_BACKWARD);
}

int ClipReader::Read(AVPacket* packet, int endSecond) {
    const std::int64_t end = SecondToTicks(endSecond);
    for (;;) {
        const int result = av_read_frame(input_.get(), packet);
        if (result < 0)
            return result;
        if (packet->stream_index != stream_) {
            av_packet_unref(packet);
            continue;
        }
        // The recorder writes no B-frames, so a missing pts is the dts.
        if (packet->pts == AV_NOPTS_VALUE)
            packet->pts = packet->dts;
        if (packet->dts == AV_NOPTS_VALUE)
            packet->dts = packet->pts;
        if (packet->duration <= 0)
            packet->duration = FrameTicks();
        if (packet->pts == AV_NOPTS_VALUE || packet->pts >= end) {
            av_packet_unref(packet);
            return AVERROR_EOF;
        }
        return 0;
    }
}

}  // namespace tramlet::exporter
