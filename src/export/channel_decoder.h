#pragma once

#include <string>

#include "export/clip_reader.h"

namespace tramlet::exporter {

// Decoded pictures of one clip over a span of seconds from its start: the
// decoder starts at the key frame before the span, and what lies before it
// is dropped.
class ChannelDecoder {
  public:
    int Open(const std::string& clip, int fromSecond, int toSecond);
    // 0 with the next picture, AVERROR_EOF after the span, or an error code.
    int Next(AVFrame* frame);
    AVRational FrameRate() const { return reader_.FrameRate(); }
    const AVCodecParameters* Parameters() const { return reader_.Stream()->codecpar; }

  private:
    ClipReader reader_;
    CodecPtr codec_;
    PacketPtr packet_{av_packet_alloc()};
    std::int64_t from_ = 0;
    int toSecond_ = 0;
    bool drained_ = false;
};

}  // namespace tramlet::exporter
