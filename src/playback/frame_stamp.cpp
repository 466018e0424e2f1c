#include "playback/frame_stamp.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>

namespace tramlet {
namespace {

constexpr std::array<bool, 4> kStartGuard = {true, false, true, false};
constexpr std::array<bool, 3> kEndGuard = {true, false, true};
constexpr int kChannelBits = 3;
constexpr int kFrameBits = 21;
constexpr int kCheckBits = 8;
constexpr int kDataBits = kChannelBits + kFrameBits + kCheckBits;
static_assert(kStartGuard.size() + 2 * kDataBits + kEndGuard.size() == kFrameStampModules);

std::uint8_t Crc8(std::uint32_t payload) {
    std::uint8_t crc = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        crc ^= static_cast<std::uint8_t>(payload >> shift);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint8_t>((crc & 0x80) ? (crc << 1) ^ 0x07 : crc << 1);
    }
    return crc;
}

std::uint32_t Payload(const FrameStamp& stamp) {
    return static_cast<std::uint32_t>(stamp.channel) << kFrameBits |
           static_cast<std::uint32_t>(stamp.frame);
}

}  // namespace

std::vector<bool> FrameStampModules(const FrameStamp& stamp) {
    if (stamp.channel < 0 || stamp.channel > FrameStamp::kMaxChannel || stamp.frame < 0 ||
        stamp.frame > FrameStamp::kMaxFrame)
        throw std::out_of_range("frame stamp value out of range");
    const std::uint32_t payload = Payload(stamp);
    const std::uint32_t word = payload << kCheckBits | Crc8(payload);

    std::vector<bool> modules(kStartGuard.begin(), kStartGuard.end());
    for (int bit = kDataBits - 1; bit >= 0; --bit) {
        const bool one = (word >> bit) & 1;
        modules.push_back(one);
        modules.push_back(!one);
    }
    modules.insert(modules.end(), kEndGuard.begin(), kEndGuard.end());
    return modules;
}

std::optional<FrameStamp> DecodeFrameStampModules(const std::vector<bool>& modules) {
    if (modules.size() != kFrameStampModules)
        return std::nullopt;
    if (!std::equal(kStartGuard.begin(), kStartGuard.end(), modules.begin()) ||
        !std::equal(kEndGuard.begin(), kEndGuard.end(), modules.end() - kEndGuard.size()))
        return std::nullopt;

    std::uint32_t word = 0;
    for (int bit = 0; bit < kDataBits; ++bit) {
        const size_t at = kStartGuard.size() + 2 * static_cast<size_t>(bit);
        if (modules[at] == modules[at + 1])
            return std::nullopt;
        word = word << 1 | (modules[at] ? 1u : 0u);
    }
    const std::uint32_t payload = word >> kCheckBits;
    if (Crc8(payload) != (word & 0xFF))
        return std::nullopt;
    return FrameStamp{static_cast<int>(payload >> kFrameBits),
                      static_cast<int>(payload & FrameStamp::kMaxFrame)};
}

}  // namespace tramlet
