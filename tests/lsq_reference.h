// Least squares in exact rational arithmetic on the table's doubles: the
// normal equations solved without a single rounding. Slow but plainly right;
// the check and the statistics are judged against it.
#pragma once

#include <array>
#include <boost/multiprecision/cpp_int.hpp>
#include <cmath>
#include <cstdint>
#include <span>
#include <utility>

namespace kurv::ref {

using Rational = boost::multiprecision::cpp_rational;
using Integer = boost::multiprecision::cpp_int;

// The exact value of a finite double.
inline Rational Exact(double v) {
    if (v == 0) return 0;
    int e;
    const double m = std::frexp(v, &e);  // v = m·2^e, 0.5 <= |m| < 1
    const auto mantissa = static_cast<std::int64_t>(std::ldexp(m, 53));
    e -= 53;
    Integer num = mantissa;
    if (e >= 0) return Rational(num << e);
    return Rational(num, Integer(1) << -e);
}

// Rounded to the extended type (64 significant bits, truncated: close enough
// for comparisons at 12 digits, and safe for any size of numerator and denominator).
inline long double ToLong(const Rational& r) {
    if (r == 0) return 0;
    Integer num = boost::multiprecision::numerator(r), den = boost::multiprecision::denominator(r);
    const bool neg = num < 0;
    if (neg) num = -num;
    const long shift = 70 - (static_cast<long>(boost::multiprecision::msb(num)) -
                             static_cast<long>(boost::multiprecision::msb(den)));
    const Integer q = shift >= 0 ? Integer((num << shift) / den) : Integer(num / (den << -shift));
    const long double v = std::ldexp(static_cast<long double>(q), static_cast<int>(-shift));
    return neg ? -v : v;
}

inline Rational Power(const Rational& x, int k) {
    Rational r = 1;
    for (int i = 0; i < k; ++i) r *= x;
    return r;
}

struct LeastSquares {
    int p = 0;
    std::size_t n = 0;
    bool solvable = false;  // XᵀX is regular
    std::array<Rational, 4> a;
    std::array<std::array<Rational, 4>, 4> inverse;  // (XᵀX)⁻¹
    Rational ssr, sst;

    int Nu() const { return static_cast<int>(n) - p; }
    Rational S2() const { return ssr / Nu(); }
    long double S() const { return std::sqrt(ToLong(S2())); }
    long double R2() const { return ToLong(1 - ssr / sst); }
    long double AdjustedR2() const { return ToLong(1 - ssr / sst * Rational(n - 1) / Nu()); }
    long double U(int j) const { return std::sqrt(ToLong(S2() * inverse[j][j])); }
    long double Correlation(int i, int j) const {
        return ToLong(inverse[i][j]) / std::sqrt(ToLong(inverse[i][i]) * ToLong(inverse[j][j]));
    }
    // u(Ŷ) = √(s²·gᵀ(XᵀX)⁻¹g), g = (1, X, X², X³).
    long double CurveU(double x) const {
        const Rational X = Exact(x);
        std::array<Rational, 4> g;
        for (int i = 0; i < p; ++i) g[i] = Power(X, i);
        Rational q = 0;
        for (int i = 0; i < p; ++i)
            for (int j = 0; j < p; ++j) q += g[i] * inverse[i][j] * g[j];
        return std::sqrt(ToLong(S2() * q));
    }
    long double A(int j) const { return ToLong(a[j]); }
};

// The least-squares polynomial with p coefficients through the pairs.
inline LeastSquares Solve(int p, std::span<const double> xs, std::span<const double> ys) {
    LeastSquares r;
    r.p = p;
    r.n = xs.size();
    std::array<std::array<Rational, 9>, 4> m;  // [XᵀX | I | Xᵀy]
    Rational sumY = 0;
    for (std::size_t i = 0; i < xs.size(); ++i) {
        const Rational X = Exact(xs[i]), Y = Exact(ys[i]);
        std::array<Rational, 7> powers;
        powers[0] = 1;
        for (int k = 1; k < 2 * p - 1; ++k) powers[k] = powers[k - 1] * X;
        for (int row = 0; row < p; ++row) {
            for (int col = 0; col < p; ++col) m[row][col] += powers[row + col];
            m[row][8] += powers[row] * Y;
        }
        sumY += Y;
    }
    for (int row = 0; row < p; ++row) m[row][4 + row] = 1;
    for (int col = 0; col < p; ++col) {
        int pivot = col;
        while (pivot < p && m[pivot][col] == 0) ++pivot;
        if (pivot == p) return r;
        std::swap(m[col], m[pivot]);
        const Rational d = m[col][col];
        for (auto& v : m[col]) v /= d;
        for (int row = 0; row < p; ++row) {
            if (row == col || m[row][col] == 0) continue;
            const Rational f = m[row][col];
            for (int k = 0; k < 9; ++k) m[row][k] -= f * m[col][k];
        }
    }
    r.solvable = true;
    for (int j = 0; j < p; ++j) {
        r.a[j] = m[j][8];
        for (int k = 0; k < p; ++k) r.inverse[j][k] = m[j][4 + k];
    }
    const Rational mean = sumY / static_cast<long>(xs.size());
    for (std::size_t i = 0; i < xs.size(); ++i) {
        const Rational X = Exact(xs[i]), Y = Exact(ys[i]);
        Rational f = 0;
        for (int j = p - 1; j >= 0; --j) f = f * X + r.a[j];
        r.ssr += (Y - f) * (Y - f);
        r.sst += (Y - mean) * (Y - mean);
    }
    return r;
}

}  // namespace kurv::ref
