#include "avifix/start_code.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tramlet::avifix {

size_t FindStartCode(const uint8_t* data, size_t length) {
    if (length < 3)
        return length;
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi8(1);
    // Three overlapping loads compare positions i, i + 1 and i + 2 at once.
    for (; i + 18 <= length; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 1));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 2));
        const __m128i hit =
            _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(a, zero), _mm_cmpeq_epi8(b, zero)),
                          _mm_cmpeq_epi8(c, one));
        const int mask = _mm_movemask_epi8(hit);
        if (mask != 0)
            return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
    for (; i + 2 < length; ++i) {
        if (data[i + 2] == 1 && data[i + 1] == 0 && data[i] == 0)
            return i;
    }
    return length;
#else
    // Look for the 01 byte, then check the two bytes in front of it.
    size_t j = 2;
    while (j < length) {
        const void* hit = std::memchr(data + j, 0x01, length - j);
        if (!hit)
            return length;
        j = static_cast<size_t>(static_cast<const uint8_t*>(hit) - data);
        if (data[j - 1] == 0 && data[j - 2] == 0)
            return j - 2;
        ++j;
    }
    return length;
#endif
}

}  // namespace tramlet::avifix
