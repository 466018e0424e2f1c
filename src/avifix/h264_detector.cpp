#include "avifix/h264_detector.h"

#include <algorithm>
#include <cstring>

namespace tramlet::avifix {

uint32_t BitReader::U(int64_t n) {
    if (n <= 0)
        return 0;
    const uint64_t want = static_cast<uint64_t>(n);
    const uint64_t available = endBit_ > bit_ ? endBit_ - bit_ : 0;
    const uint64_t take = std::min(want, available);
    uint64_t value = 0;
    for (uint64_t i = 0; i < take; ++i)
        value = ((value << 1) | static_cast<uint64_t>(ReadBit())) & 0xFFFFFFFFu;
    const uint64_t missing = want - take;  // low bits past the end count as zeros
    if (missing >= 32)
        return 0;
    return static_cast<uint32_t>((value << missing) & 0xFFFFFFFFu);
}

uint32_t BitReader::Ue() {
    int count = 0;
    while (count < 32 && bit_ < endBit_) {
        if (ReadBit())
            break;
        ++count;
    }
    const uint64_t value = uint64_t{U(count)} + (uint64_t{1} << count) - 1;
    return static_cast<uint32_t>(value & 0xFFFFFFFFu);
}

void Unescape(const uint8_t* bytes, size_t length, NalUnit& unit) {
    length = std::min(length, kMaxExaminedBytes);
    unit.type = length > 0 ? (bytes[0] & 0x1F) : 0;
    size_t out = 0;
    if (length > 1) {
        // A 00 00 03 counts when it begins at i with 1 <= i < L - 3, so its
        // 03 lies at j = i + 2 with 3 <= j < L - 1.
        size_t cursor = 1;
        const size_t jEnd = length - 1;
        size_t from = 3;
        for (;;) {
            const uint8_t* hit = nullptr;
            while (from < jEnd) {
                hit = static_cast<const uint8_t*>(std::memchr(bytes + from, 0x03, jEnd - from));
                if (!hit)
                    break;
                const size_t j = static_cast<size_t>(hit - bytes);
                if (j - 2 >= cursor && bytes[j - 1] == 0 && bytes[j - 2] == 0)
                    break;
                from = j + 1;
                hit = nullptr;
            }
            if (!hit)
                break;
            const size_t j = static_cast<size_t>(hit - bytes);
            std::memcpy(unit.payload + out, bytes + cursor, j - cursor);  // keeps the 00 00
            out += j - cursor;
            cursor = j + 1;  // drops the 03
            from = cursor + 2;
        }
        std::memcpy(unit.payload + out, bytes + cursor, length - cursor);
        out += length - cursor;
    }
    unit.payloadLength = static_cast<int32_t>(out);
}

namespace {

void SkipScalingList(BitReader& in, int size) {
    int64_t last = 8;
    for (int i = 0; i < size; ++i) {
        const int64_t delta = BitReader::ToSigned(in.Ue());
        last = ((last + delta) % 256 + 256) % 256;
        if (last == 0)
            break;
    }
}

}  // namespace

void ParseSequenceParameterSet(const NalUnit& unit, DetectorState& s) {
    BitReader in(unit.payload, static_cast<size_t>(unit.payloadLength));
    const uint32_t profileIdc = in.U(8);
    in.Skip(16);  // constraint flags, reserved bits, level_idc
    in.Ue();      // seq_parameter_set_id
    if (profileIdc >= 100) {
        s.highProfile = true;
        in.Ue();        // chroma_format_idc
        in.Ue();        // bit_depth_luma_minus8
        in.Ue();        // bit_depth_chroma_minus8
        in.Skip(1);     // qpprime_y_zero_transform_bypass_flag
        if (in.U(1)) {  // seq_scaling_matrix_present_flag
            for (int i = 0; i < 8; ++i) {
                if (in.U(1))
                    SkipScalingList(in, i < 6 ? 16 : 64);
            }
        }
    }
    s.log2MaxFrameNum = static_cast<int32_t>(in.Ue() + 4u);
    s.pocType = static_cast<int32_t>(in.Ue());
    if (s.pocType == 0)
        s.log2MaxPocLsb = static_cast<int32_t>(in.Ue() + 4u);
    if (s.pocType == 1) {
        in.Skip(1);                  // delta_pic_order_always_zero_flag
        in.Ue();                     // offset_for_non_ref_pic
        in.Ue();                     // offset_for_top_to_bottom_field
        const uint32_t n = in.Ue();  // num_ref_frames_in_pic_order_cnt_cycle
        for (uint32_t i = 0; i < std::min<uint32_t>(n, 256); ++i)
            in.Ue();
    }
    in.Ue();     // max_num_ref_frames
    in.Skip(1);  // gaps_in_frame_num_value_allowed_flag
    s.width = static_cast<int32_t>((in.Ue() + 1u) * 16u);
    const uint32_t h = (in.Ue() + 1u) * 32u;
    s.height = static_cast<int32_t>(in.U(1) == 1 ? h / 2 : h);  // frame_mbs_only_flag; no cropping
}

bool ParseSliceHeader(const NalUnit& unit, DetectorState& s) {
    BitReader in(unit.payload, static_cast<size_t>(unit.payloadLength));
    bool newPicture = false;
    in.Ue();  // first_mb_in_slice
    const uint32_t sliceType = in.Ue();
    if (sliceType <= 9) {
        const bool intra = sliceType == 2 || sliceType == 4 || sliceType == 7 || sliceType == 9;
        s.key = intra && (unit.type == 5 || (s.highProfile && unit.type == 1));
    }
    in.Ue();  // pic_parameter_set_id
    const auto f = static_cast<int32_t>(in.U(s.log2MaxFrameNum));
    if (f != s.frameNum)
        newPicture = true;
    s.frameNum = f;
    if (unit.type == 5) {
        const auto g = static_cast<int32_t>(in.Ue());
        if (s.previousType == 5 && g != s.idrPicId)
            newPicture = true;
        s.idrPicId = g;
    }
    if (s.pocType == 0) {
        const auto l = static_cast<int32_t>(in.U(s.log2MaxPocLsb));
        if (l != s.pocLsb)
            newPicture = true;
        s.pocLsb = l;
    }
    return newPicture;
}

bool Examine(const uint8_t* bytes, size_t length, NalUnit& unit, DetectorState& state) {
    Unescape(bytes, length, unit);
    const int32_t type = unit.type;
    bool newPicture = type == 7 || type == 8;
    if (type == 7)
        ParseSequenceParameterSet(unit, state);
    if (type >= 1 && type <= 5)
        newPicture = ParseSliceHeader(unit, state) || newPicture;
    state.previousType = type;
    return newPicture;
}

}  // namespace tramlet::avifix
