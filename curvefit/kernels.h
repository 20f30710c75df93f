#pragma once
// The engine's long loops over the points (internal to curvefit; tests may include it). Each loop
// exists in a variant for any processor and, on x86-64 machines, in one for 256-bit vectors with
// fused multiply-add, picked at run time. Both give exactly the same numbers: every operation is
// the same element by element, and the exact products are exact either way. Everything specific
// to a processor lives in kernels.cpp.
#include <cstddef>
#include <memory>

namespace kernels {

// Four doubles handled together (a vector type of the compiler, not of the processor: without
// wide registers it is two pairs or four scalars).
using TQuad = double __attribute__((vector_size(32)));
// Two doubles handled together. Two independent quotients as one quotient of pairs take one
// division instruction where the processor divides pairs (x86-64 does, at the price of one), and
// each is rounded exactly as alone: the spline's loops are bound by the divider.
using TPair = double __attribute__((vector_size(16)));

// Rows per block of the polynomial fit's QR fold: a block of ten columns stays in the first-level
// cache.
constexpr int kBlockRows = 256;

// The most Chebyshev polynomials of the fit statistics' basis (the polynomial of the highest
// order has 11 coefficients).
constexpr int kMaxChebyshev = 11;

// Zeroed quads, aligned as the type needs (a std::vector of the vector type may not be).
std::unique_ptr<TQuad[]> Quads(std::size_t count);

// The extent of the points: the smallest and largest x and y.
struct TPointExtent {
    double lowX = 0.0, highX = 0.0, lowY = 0.0, highY = 0.0;
};

// The variable of the polynomial fit, t = (x - centre) / scale, as the loops form it:
// t = ((x - centre) unit) (factorHi + factorLo), where unit is a power of two near 1 / scale and
// the factor (between 1/2 and 1) the rest of 1 / scale in double-double, so that no step leaves
// the range in which products are exact. The data enter as y dataScale (a power of two).
struct TCentring {
    double centre = 0.0, unit = 1.0, factorHi = 1.0, factorLo = 0.0, dataScale = 1.0;
};

// What a pass over the residuals gives besides g: the sum of the squared residuals and the sum
// and sum of squares of the differences of the scaled data to the scaled mean passed in.
struct TResidualSums {
    double squares = 0.0, dataDifferences = 0.0, dataSquares = 0.0;
};

struct TKernels {
    // The extent of the points; false when some x or y is not a finite number.
    bool (*scanPoints)(const double* xs, const double* ys, int n, TPointExtent& extent);
    // Rows [first, first + count) of the design (t^1 .. t^m, 1) and the scaled data into the
    // block, column c at block + c * kBlockRows / 4; t in double precision. Rows up to a multiple
    // of four are zero.
    void (*formBlock)(const double* xs, const double* ys, int first, int count, int m, const TCentring& centring,
                      TQuad* block);
    // Folds `quads` quads of rows of the block into the upper triangle R (w x w, row by row) by
    // Householder reflections. factor is scratch space of w places.
    void (*foldBlock)(double* R, int w, TQuad* block, int quads, double* factor);
    // The residuals r = b - A (hi + lo) of the design A (columns t^1 .. t^m, the constant last;
    // b = y dataScale) and g = A^T r, with t, its powers, r and g in double-double arithmetic;
    // g = gHi + gLo. Also the sums of `sums` about the scaled mean meanY. scratch: 4 (m + 1) quads.
    void (*residualSums)(const double* xs, const double* ys, int n, int m, const TCentring& centring, double meanY,
                         const double* hi, const double* lo, double* gHi, double* gLo, TResidualSums& sums,
                         TQuad* scratch);
    // The centred sums of the closed-form line and parabola about (cx, cy): with dx = x - cx and
    // dy = y - cy, sums[0..7] = dx, dy, dx^2, dy^2, dx dy, dx^2 dy, dx^3, dx^4 (the last three
    // only when `parabola`).
    void (*centredSums)(const double* xs, const double* ys, int n, double cx, double cy, bool parabola,
                        double* sums);
    // The residuals r = y - cy - sum c_j t^j (t = x - cx, c_j = hi[j] + lo[j], j = 1 or 2) in
    // double-double arithmetic, and the moments sum t^j r (j = 0..m), returned as gHi + gLo.
    void (*centredResidualMoments)(const double* xs, const double* ys, int n, int m, double cx, double cy,
                                   const double* hi, const double* lo, double* gHi, double* gLo);
    // The statistics' sums in the Chebyshev polynomials T_k of t = (x - centre) / scale, weights
    // ws (nullptr: 1): moments[k] = sum w T_k (k < count <= 2 kMaxChebyshev) and
    // wy[j] = sum w y T_j (j < r <= kMaxChebyshev).
    void (*chebyshevMoments)(const double* xs, const double* ys, const double* ws, int n, double centre, double scale,
                             int count, int r, double* moments, double* wy);
    // The residual sums of the Chebyshev solution c (r terms) and of the power coefficients a
    // (aCount terms, none when 0): rss[0], rss[1]; tss = sum w (y - mean)^2; and
    // g[k] = sum w (y - sum c T) T_k.
    void (*chebyshevResiduals)(const double* xs, const double* ys, const double* ws, int n, double centre,
                               double scale, int r, const double* c, const double* a, int aCount, double mean,
                               double* rss, double* tss, double* g);
};

// The variant for this machine (or the portable one while tests ask for it).
const TKernels& Kernels();

// Clears the upper halves of the wide vector registers where the processor has them. Code that
// leaves them dirty (libraries of the caller) puts the scalar SSE arithmetic that follows into a
// slower state, taking the spline about 2.7 times as long; the engine's entry points call this
// before their long loops. Does nothing on other processors.
void ClearWideState();

// Runs the engine's loops on the variant for any processor even where the wider one could run
// (for tests: both variants give the same numbers).
void UsePortableKernels(bool portableOnly);

}  // namespace kernels
