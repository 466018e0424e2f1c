#pragma once

#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

namespace tramlet::exporter {

// Owners for FFmpeg's objects, each freed by its own function.
struct AvDeleter {
    void operator()(AVCodecContext* p) const { avcodec_free_context(&p); }
    void operator()(AVFrame* p) const { av_frame_free(&p); }
    void operator()(AVPacket* p) const { av_packet_free(&p); }
    void operator()(AVFilterGraph* p) const { avfilter_graph_free(&p); }
    void operator()(AVFormatContext* p) const { avformat_close_input(&p); }
};

using CodecPtr = std::unique_ptr<AVCodecContext, AvDeleter>;
using FramePtr = std::unique_ptr<AVFrame, AvDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, AvDeleter>;
using GraphPtr = std::unique_ptr<AVFilterGraph, AvDeleter>;
using InputPtr = std::unique_ptr<AVFormatContext, AvDeleter>;

// FFmpeg's own words for an error code.
inline std::string AvErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// The errno an error code stands for, or 0: FFmpeg's own codes lie far
// below the negated errnos.
inline int ErrnoOf(int code) {
    return code < 0 && code > -4096 ? -code : 0;
}

}  // namespace tramlet::exporter
