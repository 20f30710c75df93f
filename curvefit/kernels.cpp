// The engine's loops over the points in their two variants (see kernels.h). kernels.inc holds the
// loops once; it is included here twice: for any processor, and on x86-64 with every function
// compiled for AVX2 and FMA (a target attribute per function, which both GCC and Clang accept).
// Which one runs is decided once, at the first call, from what the processor reports.
//
// Neither variant may contract a multiply and an add into one rounding: the build compiles the
// engine with -ffp-contract=off, so the wide variant rounds exactly as the portable one.
#include "curvefit/kernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

// The four-double type is passed by value between functions of this file only, which are all
// compiled together, so the compilers' note that its calling convention depends on the vector unit
// is moot.
#if defined(__clang__)
#pragma clang diagnostic ignored "-Wpsabi"
#elif defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace kernels {

std::unique_ptr<TQuad[]> Quads(std::size_t count)
{
    std::unique_ptr<TQuad[]> quads(new TQuad[count]);
    for (std::size_t i = 0; i < count; ++i) quads[i] = TQuad{0, 0, 0, 0};
    return quads;
}

namespace {

namespace portable {
#define KERNEL_FUNCTION inline
#define KERNEL_FUSED 0
#include "curvefit/kernels.inc"
#undef KERNEL_FUSED
#undef KERNEL_FUNCTION
}  // namespace portable

#if defined(__x86_64__)
#define KERNELS_HAVE_FUSED 1
namespace fused {
#define KERNEL_FUNCTION __attribute__((target("avx2,fma"))) inline
#define KERNEL_FUSED 1
// The rounding error of the product a b: the one processor-specific operation of the loops.
KERNEL_FUNCTION TQuad FusedProductError(TQuad a, TQuad b, TQuad hi)
{
    return (TQuad)_mm256_fmsub_pd((__m256d)a, (__m256d)b, (__m256d)hi);
}
#include "curvefit/kernels.inc"
#undef KERNEL_FUSED
#undef KERNEL_FUNCTION
}  // namespace fused
#else
#define KERNELS_HAVE_FUSED 0
#endif

bool gPortableOnly = false;

}  // namespace

const TKernels& Kernels()
{
    static const TKernels portableKernels{portable::ScanPoints,       portable::FormBlock,
                                          portable::FoldBlock,        portable::ResidualSums,
                                          portable::CentredSums,      portable::CentredResidualMoments,
                                          portable::ChebyshevMoments, portable::ChebyshevResiduals};
#if KERNELS_HAVE_FUSED
    static const TKernels fusedKernels{fused::ScanPoints,       fused::FormBlock,   fused::FoldBlock,
                                       fused::ResidualSums,     fused::CentredSums, fused::CentredResidualMoments,
                                       fused::ChebyshevMoments, fused::ChebyshevResiduals};
    static const bool wide = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return wide && !gPortableOnly ? fusedKernels : portableKernels;
#else
    return portableKernels;  // the wide variant exists only on x86-64
#endif
}

#if KERNELS_HAVE_FUSED
namespace {
__attribute__((target("avx"))) void ZeroUpper() { _mm256_zeroupper(); }
}  // namespace
#endif

void ClearWideState()
{
#if KERNELS_HAVE_FUSED
    static const bool wide = __builtin_cpu_supports("avx");
    if (wide) ZeroUpper();
#endif
}

void UsePortableKernels(bool portableOnly) { gPortableOnly = portableOnly; }

}  // namespace kernels
