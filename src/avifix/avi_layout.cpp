#include "avifix/avi_layout.h"

#include <cmath>
#include <limits>

namespace tramlet::avifix {
namespace {

uint32_t TruncToU32(double v) {
    if (!(v > 0))
        return 0;  // also NaN
    if (v >= 4294967295.0)
        return 0xFFFFFFFFu;
    return static_cast<uint32_t>(v);
}

void Put(Header& h, uint32_t offset, const char (&cc)[5]) {
    std::memcpy(h.data() + offset, cc, 4);
}
void Put(Header& h, uint32_t offset, uint32_t v) {
    StoreLe32(h.data() + offset, v);
}

}  // namespace

float RebuildFrameRate(uint32_t dwRate) {
    if (dwRate == 0)
        return 30.0f;
    return FinishedFrameRate(dwRate);
}

float FinishedFrameRate(uint32_t dwRate) {
    return static_cast<float>(dwRate / 1000.0);
}

uint32_t MicroSecondsPerFrame(float frameRate) {
    if (frameRate == 0.0f)
        return 0xFFFFFFFFu;
    return TruncToU32(1000000.0 / static_cast<double>(frameRate));
}

uint32_t RateTimesThousand(float frameRate) {
    return TruncToU32(static_cast<double>(frameRate) * 1000.0);
}

Header BuildHeader(const HeaderValues& v) {
    Header h{};
    const uint32_t w = v.width, ht = v.height;
    Put(h, 0, "RIFF");
    Put(h, 4, v.fileEnd ? v.fileEnd - 8 : kPlaceholder);
    Put(h, 8, "AVI ");
    Put(h, 12, "LIST");
    Put(h, 16, 192u);
    Put(h, 20, "hdrl");
    Put(h, 24, "avih");
    Put(h, 28, 56u);
    Put(h, 32, MicroSecondsPerFrame(v.frameRate));
    Put(h, 36, 0u);
    Put(h, 40, 0u);
    Put(h, 44, 0x910u);  // has index, interleaved, trust chunk type
    Put(h, 48, v.frameCount);
    Put(h, 52, 0u);
    Put(h, 56, 1u);
    Put(h, 60, 0x100000u);
    Put(h, 64, w);
    Put(h, 68, ht);
    // 72..87 dwReserved: 0
    Put(h, 88, "LIST");
    Put(h, 92, 116u);
    Put(h, 96, "strl");
    Put(h, 100, "strh");
    Put(h, 104, 56u);
    Put(h, 108, "vids");
    Put(h, 112, "H264");
    Put(h, 116, 0u);
    // 120 wPriority, 122 wLanguage: 0
    Put(h, 124, 0u);
    Put(h, 128, 1000u);
    Put(h, 132, RateTimesThousand(v.frameRate));
    Put(h, 136, 0u);
    Put(h, 140, v.frameCount);
    Put(h, 144, 0x100000u);
    Put(h, 148, 0xFFFFFFFFu);
    Put(h, 152, w * ht);
    StoreLe16(h.data() + 156, 0);
    StoreLe16(h.data() + 158, 0);
    StoreLe16(h.data() + 160, static_cast<uint16_t>(w));
    StoreLe16(h.data() + 162, static_cast<uint16_t>(ht));
    Put(h, 164, "strf");
    Put(h, 168, 40u);
    Put(h, 172, 40u);
    Put(h, 176, w);
    Put(h, 180, ht);
    StoreLe16(h.data() + 184, 1);
    StoreLe16(h.data() + 186, 24);
    Put(h, 188, "H264");
    Put(h, 192, w * ht);
    // 196..211: 0
    Put(h, 212, "LIST");
    Put(h, 216, v.indexPosition ? v.indexPosition - kMoviStart + 4 : kPlaceholder);
    Put(h, 220, "movi");
    return h;
}

int ClipDuration(int32_t frameCount, float frameRate) {
    if (frameRate == 0.0f)
        return 0;
    const float seconds = static_cast<float>(frameCount) / frameRate;
    if (std::isnan(seconds))
        return 0;
    if (seconds >= 2147483647.0f)
        return std::numeric_limits<int>::max();
    if (seconds <= -2147483648.0f)
        return std::numeric_limits<int>::min();
    return static_cast<int>(seconds);
}

}  // namespace tramlet::avifix
