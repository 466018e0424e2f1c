#pragma once

#include <string>

#include "export/av_ptr.h"
#include "export/export_request.h"

namespace tramlet::exporter {

// Reads the H.264 packets of one clip from the key frame at or before a
// moment up to the end of a span, timestamps counted from the clip's start.
class ClipReader {
  public:
    // 0, or FFmpeg's error code.
    int Open(const std::string& path);
    // Positions on the key frame at or before `second` after the clip's start.
    int SeekToSecond(int second);
    // The next packet whose time lies before `endSecond`: 0, AVERROR_EOF past
    // it or at the end of the clip, or an error code.
    int Read(AVPacket* packet, int endSecond);

    const AVStream* Stream() const { return input_->streams[stream_]; }
    AVRational TimeBase() const { return Stream()->time_base; }
    AVRational FrameRate() const;
    // One frame in the stream's time base.
    std::int64_t FrameTicks() const;
    std::int64_t SecondToTicks(int second) const;

  private:
    InputPtr input_;
    int stream_ = -1;
};

// The failure of a clip that could not be opened or read.
inline ExportFailure Unreadable(const std::string& clip, int code) {
    return Failed(ExportError::kUnreadableClip, clip + ": " + AvErrorText(code), ErrnoOf(code));
}

}  // namespace tramlet::exporter
