#pragma once

#include <array>
#include <cstdint>
#include <cstring>

// The 224-byte header the repair writes, the idx1 entry layout and the
// little-endian helpers every AVI structure needs.
namespace tramlet::avifix {

inline constexpr uint32_t kHeaderSize = 224;
inline constexpr uint32_t kMoviStart = 224;  // where the first chunk header lies
inline constexpr uint32_t kRiffSizeOffset = 4;
inline constexpr uint32_t kTotalFramesOffset = 48;  // AVIMAINHEADER.dwTotalFrames
inline constexpr uint32_t kRateOffset = 132;        // AVISTREAMHEADER.dwRate
inline constexpr uint32_t kMoviTypeOffset = 220;
inline constexpr uint32_t kPlaceholder = 0xFFFFFFFFu;
inline constexpr uint32_t kKeyFrameFlag = 0x10;  // AVIIF_KEYFRAME
inline constexpr uint32_t kIndexEntrySize = 16;
inline constexpr uint32_t kIndexGrowth = 1000;  // entries added at a time
// The recorder's chunk buffer; chunks larger than it are read in pieces.
inline constexpr uint32_t kChunkBufferSize = 337920;
// The header bytes written by the last, single-sector write that finishes a
// clip: the RIFF size (4..7) through dwRate (132..135). See IndexRebuild.
inline constexpr uint32_t kCommitBegin = 4;
inline constexpr uint32_t kCommitEnd = 136;

using Header = std::array<uint8_t, kHeaderSize>;

inline uint32_t LoadLe32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
inline void StoreLe32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}
inline void StoreLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline bool HasFourCc(const uint8_t* p, const char (&cc)[5]) {
    return std::memcmp(p, cc, 4) == 0;
}

// One idx1 entry (AVIINDEXENTRY): "00dc", flags, absolute chunk offset, length.
struct IndexEntry {
    uint32_t flags;
    uint32_t offset;
    uint32_t length;
};

// Frame rate of a recorder header: dwRate / 1000.0 in single precision, 30.0
// when dwRate is 0 (the recorder leaves it 0 in some clips).
float RebuildFrameRate(uint32_t dwRate);
// Frame rate of a finished header: dwRate / 1000.0 in single precision, with
// no fallback (dwRate 0 gives 0).
float FinishedFrameRate(uint32_t dwRate);
// dwMicroSecPerFrame and dwRate from the frame rate, both truncated toward
// zero in double precision (29.97f gives 33366 and 29969); values outside
// 32 bits saturate.
uint32_t MicroSecondsPerFrame(float frameRate);
uint32_t RateTimesThousand(float frameRate);

struct HeaderValues {
    uint32_t frameCount = 0;
    float frameRate = 30.0f;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t indexPosition = 0;  // 0: the movi list size keeps the placeholder
    uint32_t fileEnd = 0;        // 0: the RIFF size keeps the placeholder
};

// The 224 header bytes of a finished single-stream clip.
Header BuildHeader(const HeaderValues& values);

// Duration in whole seconds for the clip name: frame count (signed 32-bit)
// divided by the single-precision frame rate in single precision, truncated
// toward zero; a frame rate of 0 gives 0. Saturates at the int range.
int ClipDuration(int32_t frameCount, float frameRate);

}  // namespace tramlet::avifix
