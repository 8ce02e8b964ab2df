// Moving runs of ordinary bytes in bulk. The receiver, the encoder and the package queues spend
// nearly all their time on payload bytes, mostly in short runs (a weight reply is 11 bytes), so
// both the search for the next frame byte and the copy of a run must be cheap at any length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <bit>
#include <emmintrin.h>
#endif

// The first byte in [from, end) equal to a, b or c; end when there is none. Reads nothing
// outside [start, end), where start <= from is the beginning of the caller's buffer.
inline const std::uint8_t* findFrameByte(const std::uint8_t* start, const std::uint8_t* from,
                                         const std::uint8_t* end, std::uint8_t a, std::uint8_t b,
                                         std::uint8_t c) {
#if defined(__SSE2__)
    // Under 16 bytes in all (a command message), testing each byte costs less than the set-up.
    if (end - start >= 16) {
        const __m128i va = _mm_set1_epi8(char(a));
        const __m128i vb = _mm_set1_epi8(char(b));
        const __m128i vc = _mm_set1_epi8(char(c));
        const auto hitsAt = [&](const std::uint8_t* at) {
            const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            const __m128i hits = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(w, va), _mm_cmpeq_epi8(w, vb)), _mm_cmpeq_epi8(w, vc));
            return unsigned(_mm_movemask_epi8(hits));
        };
        for (; end - from >= 16; from += 16)
            if (const unsigned mask = hitsAt(from))
                return from + std::countr_zero(mask);
        if (from == end)
            return end;
        // The last few bytes: the final 16 of the buffer, minus those already searched. This
        // ends every read, so it matters as much as the loop above.
        const unsigned mask = hitsAt(end - 16) >> (16 - (end - from));
        return mask != 0 ? from + std::countr_zero(mask) : end;
    }
#endif
    while (from != end && *from != a && *from != b && *from != c)
        ++from;
    return from;
}

// memcpy for runs that are mostly short: below 16 bytes, two overlapping fixed-size moves instead
// of a library call, which would also cost the caller the registers it holds across the call.
inline void copyBytes(std::uint8_t* dest, const std::uint8_t* src, std::size_t n) {
    if (n >= 16) {
        std::memcpy(dest, src, n);
    } else if (n >= 8) {
        std::uint64_t first, last;
        std::memcpy(&first, src, 8);
        std::memcpy(&last, src + n - 8, 8);
        std::memcpy(dest, &first, 8);
        std::memcpy(dest + n - 8, &last, 8);
    } else if (n >= 4) {
        std::uint32_t first, last;
        std::memcpy(&first, src, 4);
        std::memcpy(&last, src + n - 4, 4);
        std::memcpy(dest, &first, 4);
        std::memcpy(dest + n - 4, &last, 4);
    } else if (n != 0) {
        const std::uint8_t first = src[0], middle = src[n / 2], last = src[n - 1];
        dest[0] = first;
        dest[n / 2] = middle;
        dest[n - 1] = last;
    }
}
