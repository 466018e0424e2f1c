#pragma once

#include <cstdint>
#include <string>

namespace tramlet {

// Codes of the partial and failed opens that the user is told about; the
// named ones have a sentence of their own.
inline constexpr std::uint32_t kDuplicateNameCode = 0x0004022D;
inline constexpr std::uint32_t kPartialRenderCode = 0x00040242;
inline constexpr std::uint32_t kVideoNotRenderedCode = 0x00040257;
inline constexpr std::uint32_t kAudioNotRenderedCode = 0x00040258;
inline constexpr std::uint32_t kRpzaCode = 0x0004025A;

std::string OpenErrorText(std::uint32_t code);

}  // namespace tramlet
