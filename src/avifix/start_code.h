#pragma once

#include <cstddef>
#include <cstdint>

namespace tramlet::avifix {

// The first position i with i + 2 < length where data holds the start code
// 00 00 01, or length when there is none. Vectorised (SSE2) where available,
// memchr-based otherwise: it runs at memory speed over compressed video.
size_t FindStartCode(const uint8_t* data, size_t length);

}  // namespace tramlet::avifix
