#pragma once

#include <cstddef>
#include <cstdint>

// The H.264 frame detector. It reads just enough of each NAL unit's
// header fields to tell where one coded picture ends and the next begins,
// whether a picture is a key frame, and the coded picture size. Its rules are
// the recorder's, not the full H.264 ones (no cropping, no field pictures,
// profile_idc >= 100 means high): do not "improve" them.
namespace tramlet::avifix {

// Of each NAL unit at most this many bytes (header byte included) are
// unescaped and parsed; the rest is only measured.
inline constexpr size_t kMaxExaminedBytes = 2048;

struct NalUnit {
    int32_t type = 0;                         // nal_unit_type: bits 0..4 of the header byte
    int32_t payloadLength = 0;                // unescaped payload bytes
    uint8_t payload[kMaxExaminedBytes] = {};  // the bytes after the header byte, unescaped
};

// Zero at the start of every file; kept by the index rebuild.
// Values read from the stream are kept modulo 2^32 (unsigned wrap-around,
// stored as two's complement) so hostile streams stay defined behaviour.
struct DetectorState {
    int32_t width = 0;
    int32_t height = 0;
    int32_t previousType = 0;
    int32_t idrPicId = 0;
    int32_t frameNum = 0;
    int32_t pocLsb = 0;
    bool key = false;
    int32_t log2MaxFrameNum = 0;  // 0 before any SPS
    int32_t pocType = 0;
    int32_t log2MaxPocLsb = 0;
    bool highProfile = false;  // never cleared within a file
};

// The bit reader over an unescaped payload. Its end rules keep every read
// defined on truncated or hostile units.
// - U(n): n bits, most significant first; U(0) = 0 (and so is U(n) for n < 0).
//   A read that reaches the end stops there; the bits read keep their places
//   and the missing low bits count as zeros. Only the low 32 bits of the
//   n-bit number are returned.
// - Ue(): counts leading zeros up to the first 1 bit (which is consumed);
//   counting also stops at the end of the payload or at 32 zeros (then no
//   further bit is consumed). Value = U(count) + 2^count - 1, modulo 2^32.
// - Skip(n): moves n bits on without checking the end; later reads return 0.
class BitReader {
  public:
    BitReader(const uint8_t* data, size_t length) : data_(data), endBit_(uint64_t{length} * 8) {}

    uint32_t U(int64_t n);
    uint32_t Ue();
    void Skip(uint64_t n) { bit_ += n; }
    // Maps an Exp-Golomb code number to the signed value: odd c gives
    // (c + 1) / 2, even c gives -(c / 2).
    static int64_t ToSigned(uint32_t code) {
        return (code & 1) ? (int64_t{code} + 1) / 2 : -(int64_t{code} / 2);
    }
    uint64_t BitPosition() const { return bit_; }

  private:
    int ReadBit() {
        const int b = (data_[bit_ >> 3] >> (7 - (bit_ & 7))) & 1;
        ++bit_;
        return b;
    }

    const uint8_t* data_;
    uint64_t endBit_;
    uint64_t bit_ = 0;
};

// Unescaping: type from byte 0, bytes 1..L-1 copied into the
// payload with each 00 00 03 that begins at a position i < L - 3 written as
// 00 00. L is clamped to kMaxExaminedBytes.
void Unescape(const uint8_t* bytes, size_t length, NalUnit& unit);

// Examines one NAL unit: bytes begin with the NAL header byte (the start code
// is not part of them), length L >= 1 and at most kMaxExaminedBytes (longer
// input is clamped). Updates the unit record and the state; answers whether
// the unit starts a new picture.
bool Examine(const uint8_t* bytes, size_t length, NalUnit& unit, DetectorState& state);

// The two parsers, exposed for tests. Both read the unit's unescaped payload.
void ParseSequenceParameterSet(const NalUnit& unit, DetectorState& state);
bool ParseSliceHeader(const NalUnit& unit, DetectorState& state);  // answers "new picture"

}  // namespace tramlet::avifix
