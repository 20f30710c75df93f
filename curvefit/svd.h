#pragma once
// The singular value decomposition and its least-squares solver on plain contiguous storage.
// The TMatrix-facing functions of curvefit.h and the polynomial fit both run on these.
#include <cstddef>
#include <vector>

namespace svdcore {

// A rows x cols matrix of doubles stored column by column: element (row r, column c), both
// counted from 0, lies at data[c * rows + r].
struct TDenseMatrix {
    TDenseMatrix(int rowCount, int columnCount)
        : rows(rowCount), cols(columnCount), data(std::size_t(rowCount) * std::size_t(columnCount), 0.0) {}
    double* Column(int c) { return data.data() + std::size_t(c) * std::size_t(rows); }
    const double* Column(int c) const { return data.data() + std::size_t(c) * std::size_t(rows); }
    int rows;
    int cols;
    std::vector<double> data;
};

// Golub-Reinsch decomposition a = U diag(w) V^T of a matrix with a.rows >= a.cols (a shorter
// matrix is passed padded with zero rows). a is overwritten with U, w receives the singular
// values (not sorted, not negative), v (cols x cols) the right singular vectors. Returns false
// when some singular value had not converged after 30 implicitly shifted QR sweeps; the
// decomposition still runs to its end then.
bool Decompose(TDenseMatrix& a, std::vector<double>& w, TDenseMatrix& v);

// Sets every singular value below 1e-14 of the largest one to zero; returns whether it set one.
bool Truncate(std::vector<double>& w);

// x := V diag(1/w) U^T b, a zero w contributing nothing. Only the first bRows rows of U take
// part (b has bRows elements; further rows of U meet zeros of b). x has u.cols elements.
void BackSubstitute(const TDenseMatrix& u, const std::vector<double>& w, const TDenseMatrix& v, const double* b,
                    int bRows, double* x);

}  // namespace svdcore
