#include "export/channel_decoder.h"

namespace tramlet::exporter {

int ChannelDecoder::Open(const std::string& clip, int fromSecond, int toSecond) {
    int result = reader_.Open(clip);
    if (result < 0)
        return result;
    const AVCodec* h264 = avcodec_find_decoder(AV_CODEC_ID_H264);
    codec_.reset(avcodec_alloc_context3(h264));
    if (!codec_ || !packet_)
        return AVERROR(ENOMEM);
    if ((result = avcodec_parameters_to_context(codec_.get(), Parameters())) < 0)
        return result;
    codec_->thread_count = 0;
    codec_->pkt_timebase = reader_.TimeBase();
    if ((result = avcodec_open2(codec_.get(), h264, nullptr)) < 0)
        return result;
    from_ = reader_.SecondToTicks(fromSecond);
    toSecond_ = toSecond;
    return reader_.SeekToSecond(fromSecond);
}

int ChannelDecoder::Next(AVFrame* frame) {
    for (;;) {
        int result = avcodec_receive_frame(codec_.get(), frame);
        if (result >= 0) {
            if (frame->best_effort_timestamp >= from_)
                return 0;
            av_frame_unref(frame);
            continue;
        }
        if (result != AVERROR(EAGAIN))
            return result;
        if (drained_)
            return AVERROR_EOF;
        result = reader_.Read(packet_.get(), toSecond_);
        if (result == AVERROR_EOF) {
            drained_ = true;
            avcodec_send_packet(codec_.get(), nullptr);
            continue;
        }
        if (result < 0)
            return result;
        result = avcodec_send_packet(codec_.get(), packet_.get());
        av_packet_unref(packet_.get());
        // A broken packet loses a picture, not the export.
        if (result < 0 && result != AVERROR_INVALIDDATA)
            return result;
    }
}

}  // namespace tramlet::exporter
