#include "avifix/start_code.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace tramlet::avifix {
namespace {

#if defined(__x86_64__)
// Thirty-two positions per step where the processor has AVX2; the caller
// finishes the tail.
__attribute__((target("avx2"))) size_t FindStartCodeAvx2(const uint8_t* data, size_t length) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i one = _mm256_set1_epi8(1);
    size_t i = 0;
    for (; i + 34 <= length; i += 32) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i + 1));
        const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i + 2));
        const __m256i hit = _mm256_and_si256(
            _mm256_and_si256(_mm256_cmpeq_epi8(a, zero), _mm256_cmpeq_epi8(b, zero)),
            _mm256_cmpeq_epi8(c, one));
        const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(hit));
        if (mask != 0)
            return i + static_cast<size_t>(__builtin_ctz(mask));
    }
    return i;  // no start code before i
}

const bool kHasAvx2 = [] {
    __builtin_cpu_init();  // this may run before the library's own constructor
    return __builtin_cpu_supports("avx2") != 0;
}();
#endif

}  // namespace

size_t FindStartCode(const uint8_t* data, size_t length) {
    if (length < 3)
        return length;
    size_t i = 0;
#if defined(__x86_64__)
    if (kHasAvx2) {
        i = FindStartCodeAvx2(data, length);
        if (i + 2 < length && data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1)
            return i;
    }
#endif
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
