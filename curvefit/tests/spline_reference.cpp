// The smoothing spline in quadruple precision. It minimises the integral of s''^2 under
// sum(count_k (y_k - s(x_k))^2) = S over the knots x_k with their mean y_k and their number of
// points count_k. With the Lagrange parameter p and w the scaled halved second derivatives at the
// inner knots, w is the least-squares solution of [D Q; L^T / sqrt(p)] w ~ [D^-1 y; 0]
// (Q the second divided differences, D^2 = diag(1 / count_k), T = L L^T the spacings' tridiagonal
// matrix), the values are a = y - D^2 Q w and the residual is F(p) = |D Q w|^2. The least-squares
// problem is solved by Givens rotations without square roots (Gentleman's), which meet only the
// square root of the normal equations' condition: about 1e13 at a hundred thousand random points,
// against the 1e-34 of the arithmetic. p is found by regula falsi on ln F over ln p.
#include "spline_reference.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace splinereference {

namespace {

using Quad = __float128;

// The engine's share of the range of x within which neighbouring x become one knot.
constexpr double kTieShare = 1e-8;

struct TKnots {
    std::vector<double> x;
    std::vector<Quad> y, count;
    Quad within = 0;   // the scatter of y about their knots' means
    Quad line = 0;     // the straight line's residual over every point
};

// The knots as the engine forms them: the points sorted by x (equal x in their order of entry),
// runs within the tie share merged at first + (sum of offsets from the first) / count, in double.
TKnots MakeKnots(Points entered)
{
    Points points = std::move(entered);
    std::stable_sort(points.begin(), points.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    const std::size_t n = points.size();
    TKnots k;
    Quad sx = 0, sy = 0;
    for (auto [x, y] : points) sx += x, sy += y;
    const Quad mx = sx / n, my = sy / n;
    Quad sxx = 0, sxy = 0;
    for (auto [x, y] : points) sxx += (x - mx) * (x - mx), sxy += (x - mx) * (y - my);
    const Quad slope = sxy / sxx;
    for (auto [x, y] : points) {
        const Quad r = (y - my) - slope * (x - mx);
        k.line += r * r;
    }
    const double tolerance = kTieShare * (points.back().first - points.front().first);
    for (std::size_t i = 0; i < n;) {
        std::size_t last = i;
        while (last + 1 < n && points[last + 1].first - points[last].first <= tolerance) ++last;
        const double first = points[i].first;
        double offsets = 0.0;
        Quad sum = 0;
        for (std::size_t j = i; j <= last; ++j) offsets += points[j].first - first, sum += points[j].second;
        const double count = double(last - i + 1);
        const Quad mean = sum / count;
        for (std::size_t j = i; j <= last; ++j) k.within += (points[j].second - mean) * (points[j].second - mean);
        k.x.push_back(first + offsets / count);
        k.y.push_back(mean);
        k.count.push_back(count);
        i = last + 1;
    }
    return k;
}

// The values a at the knots and the residual F at the Lagrange parameter p.
Quad SolveAt(const TKnots& k, Quad p, std::vector<Quad>& a)
{
    const int knots = int(k.x.size());
    const int m = knots - 2;   // unknowns: the inner knots 1..knots-2 in columns 0..m-1
    auto h = [&](int i) { return Quad(k.x[i + 1]) - Quad(k.x[i]); };
    // Row j of the factor: sqrt(r0) (1, r1, r2) in columns j, j+1, j+2, right side sqrt(r0) rhs.
    std::vector<Quad> r0(m, 0), r1(m, 0), r2(m, 0), rhs(m, 0);
    int filled = 0;
    auto rotateIn = [&](int j, Quad weight, Quad e0, Quad e1, Quad e2, Quad b) {
        for (; j < m; ++j) {
            if (e0 != 0) {
                if (j == filled) {
                    r0[j] = weight * e0 * e0;
                    r1[j] = e1 / e0;
                    r2[j] = e2 / e0;
                    rhs[j] = b / e0;
                    ++filled;
                    return;
                }
                const Quad sum = r0[j] + weight * e0 * e0;
                const Quad cs = r0[j] / sum, sn = weight * e0 / sum;
                const Quad s1 = r1[j], s2 = r2[j], sb = rhs[j];
                r0[j] = sum;
                r1[j] = cs * s1 + sn * e1;
                r2[j] = cs * s2 + sn * e2;
                rhs[j] = cs * sb + sn * b;
                e1 -= e0 * s1;
                e2 -= e0 * s2;
                b -= e0 * sb;
                weight *= cs;
            }
            e0 = e1;
            e1 = e2;
            e2 = 0;
        }
    };
    // Data row of knot i: Q's entries at the knots i-1, i, i+1 (those that are unknowns), weight
    // 1 / count, right side y count.
    auto dataRow = [&](int i) {
        const Quad left = i > 0 ? 1 / h(i - 1) : Quad(0), right = i + 1 < knots ? 1 / h(i) : Quad(0);
        const Quad entries[3] = {left, -left - right, right};
        Quad e[3] = {0, 0, 0};
        int first = -1, used = 0;
        for (int t = 0; t < 3; ++t) {
            const int column = i - 1 + t - 1;
            if (column < 0 || column >= m) continue;
            if (first < 0) first = column;
            e[used++] = entries[t];
        }
        if (first >= 0) rotateIn(first, 1 / k.count[i], e[0], e[1], e[2], k.y[i] * k.count[i]);
    };
    dataRow(0);
    dataRow(1);
    Quad dPrev = 1, offPrev = 0;
    for (int j = 0; j < m; ++j) {
        // T = L' diag(d) L'^T: row j of L^T / sqrt(p) is sqrt(d_j / p) (1, l_j).
        const int knot = j + 1;
        const Quad diagonal = 2 * (h(knot - 1) + h(knot)) / 3 - offPrev * offPrev / dPrev;
        const Quad off = h(knot) / 3;
        rotateIn(j, diagonal / p, 1, j + 1 < m ? off / diagonal : Quad(0), 0, 0);
        dPrev = diagonal;
        offPrev = off;
        dataRow(knot + 1);
    }
    if (filled != m) throw std::logic_error("reference spline: a rank-deficient system");
    std::vector<Quad> w(knots, 0);   // at the knots, 0 at the ends
    for (int j = m - 1; j >= 0; --j)
        w[j + 1] = rhs[j] - r1[j] * w[j + 2] - (j + 3 < knots ? r2[j] * w[j + 3] : Quad(0));
    a.assign(knots, 0);
    Quad F = 0;
    for (int i = 0; i < knots; ++i) {
        Quad q = 0;
        if (i > 0) q += (w[i - 1] - w[i]) / h(i - 1);
        if (i + 1 < knots) q += (w[i + 1] - w[i]) / h(i);
        F += q * q / k.count[i];
        a[i] = k.y[i] - q / k.count[i];
    }
    return F;
}

// ln(F / S) in double: exact enough to find its zero, since F - S is formed in quadruple precision.
double LogRatio(Quad F, Quad S) { return std::log1p(double((F - S) / S)); }

}  // namespace

TReferenceSpline::TReferenceSpline(const Points& points, double factor)
{
    if (!(factor >= 0.0 && factor < 1.0)) throw std::invalid_argument("reference spline: factor outside [0, 1)");
    const TKnots k = MakeKnots(points);
    m_x = k.x;
    const int knots = int(m_x.size());
    const Quad S = k.line * factor - k.within;
    if (knots < 3 || S <= 0) {
        m_a = k.y;   // the interpolating spline through the knots' means
    } else {
        // Regula falsi (Illinois) on ln F over ln p, bracketed by decades from the scale at which
        // the penalty and the data weigh alike for evenly spread knots.
        const double spacing = (m_x.back() - m_x.front()) / (knots - 1);
        double t = std::log(2.0 * spacing * spacing * spacing / 9.0);
        auto g = [&](double at, std::vector<Quad>& a) { return LogRatio(SolveAt(k, Quad(std::exp(at)), a), S); };
        std::vector<Quad> a, best;
        double bestG = HUGE_VAL;
        auto evaluate = [&](double at) {
            const double value = g(at, a);
            if (std::fabs(value) < bestG) bestG = std::fabs(value), best = a;
            return value;
        };
        double gt = evaluate(t);
        const double step = gt < 0.0 ? std::log(10.0) : -std::log(10.0);
        double u = t, gu = gt;
        for (int i = 0; i < 200 && (gu < 0.0) == (gt < 0.0) && gu != 0.0; ++i) {
            t = u;
            gt = gu;
            gu = evaluate(u += step);
        }
        int side = 0;
        for (int i = 0; i < 200 && gu != 0.0 && bestG > 1e-30 && std::fabs(u - t) > 1e-15 * std::fabs(t); ++i) {
            const double middle = (t * gu - u * gt) / (gu - gt);
            const double gm = evaluate(middle);
            if ((gm < 0.0) == (gt < 0.0)) {
                t = middle;
                gt = gm;
                if (side == -1) gu *= 0.5;
                side = -1;
            } else {
                u = middle;
                gu = gm;
                if (side == 1) gt *= 0.5;
                side = 1;
            }
        }
        m_a = best;
    }
    // The halved curvatures of the natural cubic spline through (x_k, a_k) (Thomas algorithm).
    m_c.assign(knots, 0);
    if (knots < 3) return;
    std::vector<Quad> upper(knots, 0);
    Quad upperPrev = 0, rhsPrev = 0;
    for (int i = 1; i + 1 < knots; ++i) {
        const Quad hl = Quad(m_x[i]) - Quad(m_x[i - 1]), hr = Quad(m_x[i + 1]) - Quad(m_x[i]);
        const Quad pivot = 2 * (hl + hr) / 3 - hl / 3 * upperPrev;
        const Quad b = (m_a[i + 1] - m_a[i]) / hr - (m_a[i] - m_a[i - 1]) / hl;
        upperPrev = hr / 3 / pivot;
        rhsPrev = (b - hl / 3 * rhsPrev) / pivot;
        upper[i] = upperPrev;
        m_c[i] = rhsPrev;
    }
    for (int i = knots - 3; i > 0; --i) m_c[i] -= upper[i] * m_c[i + 1];
}

double TReferenceSpline::Value(double x) const
{
    const int knots = int(m_x.size());
    const int i = std::clamp(int(std::upper_bound(m_x.begin(), m_x.end(), x) - m_x.begin()) - 1, 0, knots - 2);
    const Quad h = Quad(m_x[i + 1]) - Quad(m_x[i]), t = Quad(x) - Quad(m_x[i]);
    const Quad d = (m_c[i + 1] - m_c[i]) / (3 * h);
    const Quad b = (m_a[i + 1] - m_a[i]) / h - (h * d + m_c[i]) * h;
    return double(((d * t + m_c[i]) * t + b) * t + m_a[i]);
}

}  // namespace splinereference
