#pragma once

#include <cstdint>
#include <vector>

#include "i420_picture.h"

typedef struct x264_t x264_t;

namespace tramlet::simcard {

enum class H264Profile { kBaseline, kMain, kHigh };

struct EncoderSettings {
    int width = 640;
    int height = 360;
    int rateMilli = 30000;  // frames per 1000 seconds
    H264Profile profile = H264Profile::kHigh;
    int slices = 1;
    int bframes = 0;
    int keyint = 30;
    int qp = -1;  // constant quantiser; below 0 means constant quality instead
    bool accessUnitDelimiters = false;
    int startCodeBytes = 3;
};

// One access unit as an Annex B byte stream, with every start code of the
// requested length.
struct EncodedFrame {
    std::vector<std::uint8_t> bytes;
    bool key = false;
};

// libx264 set up the way car recorders use it: parameter sets repeated in
// front of every key frame, key frames at a fixed interval and no others,
// one thread so that the output depends on nothing but the settings.
class H264Encoder {
  public:
    explicit H264Encoder(const EncoderSettings& settings);
    ~H264Encoder();
    H264Encoder(const H264Encoder&) = delete;
    H264Encoder& operator=(const H264Encoder&) = delete;

    // The frames that came out for this picture, in decoding order; B-frames
    // hold some back until later pictures or Flush.
    std::vector<EncodedFrame> Encode(const I420Picture& picture);
    std::vector<EncodedFrame> Flush();

  private:
    x264_t* encoder_ = nullptr;
    int startCodeBytes_;
    long long nextPts_ = 0;
};

}  // namespace tramlet::simcard
