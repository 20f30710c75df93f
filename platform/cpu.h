#pragma once
// The processor-specific arithmetic of the drawing layer, in one place: rounding to whole pixels
// without a library call, and a memory hint for loops that read far ahead. Every function has a
// portable path; the quick paths are chosen by what the compiler targets, never by a runtime
// test, and both GCC and Clang accept them.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#define KALMIRA_CPU_SSE2 1
#endif

// Asks the compiler to inline a small function into every loop that calls it.
#if defined(__GNUC__) || defined(__clang__)
#define KALMIRA_INLINE [[gnu::always_inline]] inline
#else
#define KALMIRA_INLINE inline
#endif

namespace cpu {

// `v` rounded to a whole number in the current rounding mode (ties to even by default), for
// |v| < 2^31.
inline int RoundDouble(double v)
{
#if defined(KALMIRA_CPU_SSE2)
    return _mm_cvtsd_si32(_mm_set_sd(v));
#else
    return int(std::nearbyint(v));
#endif
}

// Rounds `v` to a whole number in the current rounding mode when |v| < `limit` (at most 2^30)
// and returns true; false for larger magnitudes and NaN.
inline bool RoundExtended(long double v, long double limit, int& out)
{
    if (!(v > -limit && v < limit)) return false;
#if defined(__x86_64__) || defined(__i386__)
    if constexpr (std::numeric_limits<long double>::digits == 64) {
        // Adding 1.5 * 2^63 to a long double of magnitude below 2^62 rounds it to a whole number
        // in the current rounding mode; the whole number then stands in the low bits of the
        // sum's 64-bit significand, so no conversion instruction is needed either.
        constexpr long double kShift = 0x1.8p63L;
        constexpr std::uint64_t kShiftSignificand = 0xC000000000000000ull;
        const long double shifted = v + kShift;
        std::uint64_t significand;
        std::memcpy(&significand, &shifted, sizeof significand);
        out = int(std::int64_t(significand - kShiftSignificand));
        return true;
    }
#endif
    out = int(std::nearbyint(v));
    return true;
}

// Four 32-bit pixels of one value, ready to be stored together.
struct TPixels4 {
#if defined(KALMIRA_CPU_SSE2)
    __m128i V;
#else
    std::uint32_t V[4];
#endif
};

inline TPixels4 Splat4(std::uint32_t pixel)
{
#if defined(KALMIRA_CPU_SSE2)
    return {_mm_set1_epi32(int(pixel))};
#else
    return {{pixel, pixel, pixel, pixel}};
#endif
}

// Stores four pixels at `dst` (any alignment) by one 16-byte store where the processor has one.
inline void Store4(std::uint32_t* dst, const TPixels4& p)
{
#if defined(KALMIRA_CPU_SSE2)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), p.V);
#else
    std::memcpy(dst, p.V, sizeof p.V);
#endif
}

// Asks the memory for the line holding `p`, which a loop will read soon.
inline void Prefetch(const void* p)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

}  // namespace cpu
