#include "avi_header.h"

#include <cstring>

namespace tramlet::simcard {
namespace {

class HeaderBytes {
  public:
    explicit HeaderBytes(std::array<std::uint8_t, kAviHeaderSize>& bytes) : bytes_(bytes) {}

    void U32(size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    void U16(size_t at, std::uint32_t v) {
        bytes_[at] = static_cast<std::uint8_t>(v);
        bytes_[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    void FourCc(size_t at, const char* code) { std::memcpy(&bytes_[at], code, 4); }

  private:
    std::array<std::uint8_t, kAviHeaderSize>& bytes_;
};

constexpr std::uint32_t kHasIndexInterleavedTrustType = 0x910;
constexpr std::uint32_t kSuggestedBuffer = 0x100000;

}  // namespace

std::array<std::uint8_t, kAviHeaderSize> BuildAviHeader(const AviHeaderFields& f) {
    std::array<std::uint8_t, kAviHeaderSize> bytes{};
    HeaderBytes h(bytes);
    const std::uint32_t pixels = f.width * f.height;

    h.FourCc(0, "RIFF");
    h.U32(4, f.riffSize);
    h.FourCc(8, "AVI ");
    h.FourCc(12, "LIST");
    h.U32(16, 192);
    h.FourCc(20, "hdrl");

    h.FourCc(24, "avih");
    h.U32(28, 56);
    h.U32(32, static_cast<std::uint32_t>(1'000'000'000ULL / f.rateMilli));
    h.U32(44, kHasIndexInterleavedTrustType);
    h.U32(48, f.totalFrames);
    h.U32(56, 1);
    h.U32(60, kSuggestedBuffer);
    h.U32(64, f.width);
    h.U32(68, f.height);

    h.FourCc(88, "LIST");
    h.U32(92, 116);
    h.FourCc(96, "strl");
    h.FourCc(100, "strh");
    h.U32(104, 56);
    h.FourCc(108, "vids");
    h.FourCc(112, "H264");
    h.U32(128, 1000);
    h.U32(132, f.rateMilli);
    h.U32(140, f.totalFrames);
    h.U32(144, kSuggestedBuffer);
    h.U32(148, 0xFFFFFFFF);
    h.U32(152, pixels);
    h.U16(160, f.width);
    h.U16(162, f.height);

    h.FourCc(164, "strf");
    h.U32(168, 40);
    h.U32(172, 40);
    h.U32(176, f.width);
    h.U32(180, f.height);
    h.U16(184, 1);
    h.U16(186, 24);
    h.FourCc(188, "H264");
    h.U32(192, pixels);

    h.FourCc(212, "LIST");
    h.U32(216, f.moviSize);
    h.FourCc(220, "movi");
    return bytes;
}

}  // namespace tramlet::simcard
