#include "h264_encoder.h"

#include <stdint.h>
#include <x264.h>

#include <stdexcept>

namespace tramlet::simcard {
namespace {

const char* ProfileName(H264Profile profile) {
    switch (profile) {
        case H264Profile::kBaseline:
            return "baseline";
        case H264Profile::kMain:
            return "main";
        case H264Profile::kHigh:
            return "high";
    }
    return "high";
}

x264_param_t Parameters(const EncoderSettings& s) {
    x264_param_t p;
    if (x264_param_default_preset(&p, "superfast", nullptr) < 0)
        throw std::runtime_error("libx264 does not know the superfast preset");
    p.i_log_level = X264_LOG_ERROR;
    p.i_threads = 1;
    p.i_width = s.width;
    p.i_height = s.height;
    p.i_csp = X264_CSP_I420;
    p.i_fps_num = static_cast<uint32_t>(s.rateMilli);
    p.i_fps_den = 1000;
    p.b_vfr_input = 0;
    p.i_keyint_max = s.keyint;
    p.i_keyint_min = s.keyint;
    p.i_scenecut_threshold = 0;
    p.b_open_gop = 0;
    p.i_bframe = s.bframes;
    p.i_bframe_adaptive = X264_B_ADAPT_NONE;
    p.i_slice_count = s.slices;
    p.b_aud = s.accessUnitDelimiters ? 1 : 0;
    p.b_repeat_headers = 1;
    p.b_annexb = 1;
    if (s.qp >= 0) {
        p.rc.i_rc_method = X264_RC_CQP;
        p.rc.i_qp_constant = s.qp;
    } else {
        p.rc.i_rc_method = X264_RC_CRF;
        p.rc.f_rf_constant = 23;
    }
    if (x264_param_apply_profile(&p, ProfileName(s.profile)) < 0)
        throw std::runtime_error(std::string("libx264 cannot encode these settings in the ") +
                                 ProfileName(s.profile) + " profile");
    return p;
}

// x264 puts four-byte start codes in front of parameter sets and a picture's
// first slice and three-byte ones elsewhere; recorders write one length.
void Collect(const x264_nal_t* nals, int count, bool key, int startCodeBytes,
             std::vector<EncodedFrame>& out) {
    if (count <= 0)
        return;
    EncodedFrame frame;
    frame.key = key;
    for (int i = 0; i < count; ++i) {
        const uint8_t* data = nals[i].p_payload;
        int size = nals[i].i_payload;
        const bool longCode =
            size >= 4 && data[0] == 0 && data[1] == 0 && data[2] == 0 && data[3] == 1;
        const int skip = longCode ? 1 : 0;
        if (startCodeBytes == 4 && !longCode)
            frame.bytes.push_back(0);
        if (startCodeBytes == 3) {
            data += skip;
            size -= skip;
        }
        frame.bytes.insert(frame.bytes.end(), data, data + size);
    }
    out.push_back(std::move(frame));
}

}  // namespace

H264Encoder::H264Encoder(const EncoderSettings& settings)
    : startCodeBytes_(settings.startCodeBytes) {
    x264_param_t p = Parameters(settings);
    encoder_ = x264_encoder_open(&p);
    if (!encoder_)
        throw std::runtime_error("libx264 refused the encoder settings");
}

H264Encoder::~H264Encoder() {
    x264_encoder_close(encoder_);
}

std::vector<EncodedFrame> H264Encoder::Encode(const I420Picture& picture) {
    x264_picture_t in;
    x264_picture_init(&in);
    in.i_pts = nextPts_++;
    in.img.i_csp = X264_CSP_I420;
    in.img.i_plane = 3;
    // x264 only reads the planes; its structure has no const members.
    in.img.plane[0] = const_cast<uint8_t*>(picture.y.data());
    in.img.plane[1] = const_cast<uint8_t*>(picture.u.data());
    in.img.plane[2] = const_cast<uint8_t*>(picture.v.data());
    in.img.i_stride[0] = picture.width;
    in.img.i_stride[1] = picture.width / 2;
    in.img.i_stride[2] = picture.width / 2;

    x264_nal_t* nals = nullptr;
    int count = 0;
    x264_picture_t out;
    if (x264_encoder_encode(encoder_, &nals, &count, &in, &out) < 0)
        throw std::runtime_error("libx264 failed to encode a picture");
    std::vector<EncodedFrame> frames;
    Collect(nals, count, out.b_keyframe != 0, startCodeBytes_, frames);
    return frames;
}

std::vector<EncodedFrame> H264Encoder::Flush() {
    std::vector<EncodedFrame> frames;
    while (x264_encoder_delayed_frames(encoder_) > 0) {
        x264_nal_t* nals = nullptr;
        int count = 0;
        x264_picture_t out;
        if (x264_encoder_encode(encoder_, &nals, &count, nullptr, &out) < 0)
            throw std::runtime_error("libx264 failed to encode a picture");
        Collect(nals, count, out.b_keyframe != 0, startCodeBytes_, frames);
    }
    return frames;
}

}  // namespace tramlet::simcard
