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

// dst[i] = src[i] | bits, or with `andDst` dst[i] = (dst[i] & src[i]) | bits, for i < n: four
// pixels at a time where the processor has 16-byte stores.
inline void CopyPixels(std::uint32_t* dst, const std::uint32_t* src, std::ptrdiff_t n, std::uint32_t bits, bool andDst)
{
    std::ptrdiff_t i = 0;
#if defined(KALMIRA_CPU_SSE2)
    const __m128i b = _mm_set1_epi32(int(bits));
    for (; i + 4 <= n; i += 4) {
        __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        if (andDst) s = _mm_and_si128(s, _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(s, b));
    }
#endif
    for (; i < n; ++i) dst[i] = (andDst ? dst[i] & src[i] : src[i]) | bits;
}

// Two affine maps applied to a pair of neighbouring values at once: (k0 v[0] + d0, k1 v[1] + d1),
// each product and sum rounded to double as written, then rounded to whole numbers. True, with
// both results, when each sum lies strictly inside +-limit and clear of a half by more than
// slack * (|k v| + |d| + 1); false otherwise (nothing written then).
struct TAffinePair {
    double K[2];
    double D[2];
};

KALMIRA_INLINE bool AffineRoundPair(const double* v, const TAffinePair& map, double slack, double limit, int& r0, int& r1)
{
#if defined(KALMIRA_CPU_SSE2)
    const __m128d values = _mm_loadu_pd(v);
    const __m128d k = _mm_loadu_pd(map.K), d = _mm_loadu_pd(map.D);
    const __m128d signless = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFF));
    const __m128d kv = _mm_mul_pd(k, values);
    const __m128d sum = _mm_add_pd(kv, d);
    const __m128d inside = _mm_and_pd(_mm_cmpgt_pd(sum, _mm_set1_pd(-limit)), _mm_cmplt_pd(sum, _mm_set1_pd(limit)));
    const __m128i whole = _mm_cvtpd_epi32(sum);
    const __m128d off = _mm_and_pd(_mm_sub_pd(sum, _mm_cvtepi32_pd(whole)), signless);
    const __m128d size = _mm_add_pd(_mm_add_pd(_mm_and_pd(kv, signless), _mm_and_pd(d, signless)), _mm_set1_pd(1.0));
    const __m128d clear = _mm_cmpgt_pd(_mm_sub_pd(_mm_set1_pd(0.5), off), _mm_mul_pd(_mm_set1_pd(slack), size));
    if (_mm_movemask_pd(_mm_and_pd(inside, clear)) != 3) return false;
    r0 = _mm_cvtsi128_si32(whole);
    r1 = _mm_cvtsi128_si32(_mm_srli_si128(whole, 4));
    return true;
#else
    int r[2];
    for (int i = 0; i < 2; ++i) {
        const double kv = map.K[i] * v[i];
        const double sum = kv + map.D[i];
        if (!(sum > -limit && sum < limit)) return false;
        r[i] = RoundDouble(sum);
        if (!(0.5 - std::fabs(sum - double(r[i])) > slack * (std::fabs(kv) + std::fabs(map.D[i]) + 1.0))) return false;
    }
    r0 = r[0];
    r1 = r[1];
    return true;
#endif
}

// A rectangle of pixels in an image of `Stride` pixels a row, and the offsets that carry a map's
// pixels into the image.
struct TPlaceArea {
    int OffsetX, OffsetY;
    int XLo, XHi, YLo, YHi;   // inclusive
    int Stride;
    // Pixels outside this rectangle (inclusive) but inside the next one place nothing.
    int OuterXLo, OuterXHi, OuterYLo, OuterYHi;
    int FarXLo, FarXHi, FarYLo, FarYHi;
};

constexpr std::int32_t kPlaceUnknown = -1;   // the caller places the pair itself
constexpr std::int32_t kPlaceNone = -2;      // the pair places nothing

// AffineRoundPair for the pair at v, carried into the image by the area's offsets: the place
// y * Stride + x of a pixel inside the area, kPlaceNone for one outside the outer rectangle but
// inside the far one, kPlaceUnknown otherwise.
KALMIRA_INLINE std::int32_t AffinePlace(const double* v, const TAffinePair& map, double slack, double limit,
                                        const TPlaceArea& area)
{
    int x = 0, y = 0;
    if (!AffineRoundPair(v, map, slack, limit, x, y)) return kPlaceUnknown;
    x += area.OffsetX;
    y += area.OffsetY;
    if (x >= area.XLo && x <= area.XHi && y >= area.YLo && y <= area.YHi) return y * area.Stride + x;
    if (!(x >= area.OuterXLo && x <= area.OuterXHi && y >= area.OuterYLo && y <= area.OuterYHi) &&
        x >= area.FarXLo && x <= area.FarXHi && y >= area.FarYLo && y <= area.FarYHi)
        return kPlaceNone;
    return kPlaceUnknown;
}

// AffinePlace for the `count` pairs at xy (x, y, x, y, ...): collect(place) for each place in
// the area, unknown(i) for each pair i it cannot answer, nothing for pairs that place nothing.
//
// Where the processor has 16-byte vectors, two marks go through the arithmetic together, the x of
// both in one vector and the y in another. The test against a half pixel then uses one bound for
// every mark: a sum that lands inside the area is at most `reach` pixels from 0, so |k v| is at
// most reach + |d| + 1 and slack * (reach + 2 |d| + 2) bounds what AffineRoundPair allows for it.
// A couple not wholly inside the area, or near a half, goes through AffinePlace mark by mark.
template <class Collect, class Unknown>
KALMIRA_INLINE void AffineCollect(const double* xy, int count, const TAffinePair& map, double slack, double limit,
                                  const TPlaceArea& area, Collect&& collect, Unknown&& unknown)
{
    const auto one = [&](int i) {
        const std::int32_t place = AffinePlace(xy + 2 * i, map, slack, limit, area);
        if (place >= 0) collect(place);
        else if (place == kPlaceUnknown) unknown(i);
    };
    int i = 0;
#if defined(KALMIRA_CPU_SSE2)
    // The inner rectangle in the maps' own pixels (before the offsets), widened by one for strict
    // comparisons.
    const int xLo = area.XLo - area.OffsetX, xHi = area.XHi - area.OffsetX;
    const int yLo = area.YLo - area.OffsetY, yHi = area.YHi - area.OffsetY;
    const auto bound = [&](int lo, int hi, double d) {
        const double reach = std::fmax(std::fabs(double(lo)), std::fabs(double(hi))) + 1.0;
        return 0.5 - slack * (reach + 2.0 * std::fabs(d) + 2.0) * (1.0 + 0x1p-20);
    };
    const __m128i below = _mm_setr_epi32(xLo - 1, xLo - 1, yLo - 1, yLo - 1);
    const __m128i above = _mm_setr_epi32(xHi + 1, xHi + 1, yHi + 1, yHi + 1);
    const __m128i offsets = _mm_setr_epi32(area.OffsetX, area.OffsetX, area.OffsetY, area.OffsetY);
    const __m128i stride = _mm_set1_epi32(area.Stride);
    const __m128d kx = _mm_set1_pd(map.K[0]), ky = _mm_set1_pd(map.K[1]);
    const __m128d dx = _mm_set1_pd(map.D[0]), dy = _mm_set1_pd(map.D[1]);
    const __m128d clearX = _mm_set1_pd(bound(xLo, xHi, map.D[0])), clearY = _mm_set1_pd(bound(yLo, yHi, map.D[1]));
    const __m128d signless = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFF));
    // One axis of two marks: the whole pixels, and whether both sums are clear of a half.
    const auto axis = [&](__m128d v, __m128d k, __m128d d, __m128d clear, __m128i& whole) {
        const __m128d sum = _mm_add_pd(_mm_mul_pd(k, v), d);
        whole = _mm_cvtpd_epi32(sum);
        const __m128d off = _mm_and_pd(_mm_sub_pd(sum, _mm_cvtepi32_pd(whole)), signless);
        return _mm_cmplt_pd(off, clear);
    };
    for (; i + 2 <= count; i += 2) {
        const __m128d a = _mm_loadu_pd(xy + 2 * i), b = _mm_loadu_pd(xy + 2 * i + 2);
        __m128i wx, wy;
        const __m128d clear =
            _mm_and_pd(axis(_mm_unpacklo_pd(a, b), kx, dx, clearX, wx), axis(_mm_unpackhi_pd(a, b), ky, dy, clearY, wy));
        const __m128i w = _mm_unpacklo_epi64(wx, wy);  // x0, x1, y0, y1
        const __m128i in = _mm_and_si128(_mm_cmpgt_epi32(w, below), _mm_cmplt_epi32(w, above));
        if (_mm_movemask_pd(clear) != 3 || _mm_movemask_ps(_mm_castsi128_ps(in)) != 15) [[unlikely]] {
            one(i);
            one(i + 1);
            continue;
        }
        // y * Stride + x of both, in the low halves of two 64-bit lanes (the low 32 bits of a
        // product are the same signed or unsigned).
        const __m128i p = _mm_add_epi32(w, offsets);
        const __m128i rows = _mm_mul_epu32(_mm_shuffle_epi32(p, _MM_SHUFFLE(3, 3, 2, 2)), stride);
        const __m128i at = _mm_add_epi32(rows, _mm_shuffle_epi32(p, _MM_SHUFFLE(1, 1, 0, 0)));
        std::int32_t both[2];
        _mm_storel_epi64(reinterpret_cast<__m128i*>(both), _mm_shuffle_epi32(at, _MM_SHUFFLE(3, 3, 2, 0)));
        collect(both[0]);
        collect(both[1]);
    }
#endif
    for (; i < count; ++i) one(i);
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
