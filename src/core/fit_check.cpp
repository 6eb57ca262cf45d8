#include "core/fit_check.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/numbers.h"

namespace kurv {

namespace {

using L = long double;

// A coefficient text has 8 significant digits (d.ddddddd, fixed or with an
// exponent), so the value it reads back to is off by at most half a unit of
// the 8th digit: 5e-8 of the coefficient.
constexpr L kShownDigits = 5e-8L;

// The check compares the curve of the coefficients as shown (read back from
// their texts: that is what a user copies into an instrument) with the stable
// curve at the pairs' X, relative to the size of the data (the largest |Y| or
// stable fitted value). Where the terms a_k·X^k do not cancel, 8 digits carry
// the curve to 5e-8 of that size; each decade by which the terms outgrow the
// values (X far from zero compared with its spread, and higher kinds) costs a
// digit. Two lost digits are accepted: the shown curve then still agrees with
// the least-squares curve to about 6 significant digits, finer than the error
// measures show. Beyond that the shown digits no longer describe the fit,
// whether the closed formulas lost them (X near 1e-200) or the display cannot
// carry them (a cubic at X near 1e4 with a spread of 10).
constexpr L kAcceptedLoss = 100;

// In the centred and scaled columns (lengths about √n), a column whose part
// independent of the earlier ones is below this share of its length is taken
// as dependent: the pairs have too few distinct X to fix every coefficient.
// Extended-precision rounding stays near 1e-18 of the length.
constexpr L kDependent = 1e-14L;

L ShownValue(double a) {
    const auto v = ParseNumber(CoefficientText(a, '.'), '.');
    return v ? *v : L{a};
}

}  // namespace

FitCheck CheckFit(int kind, const Coefficients& c, std::span<const double> x, std::span<const double> y) {
    FitCheck check;
    if (kind < 0 || kind > 2 || x.size() != y.size()) return check;
    const int p = kind + 2;  // unknowns
    const std::size_t n = x.size();
    if (n < static_cast<std::size_t>(p)) return check;

    // X centred and scaled into [-1, 1]: the powers of t are then far from
    // dependent unless the X themselves are, whatever their size and offset.
    L mean = 0;
    for (double v : x) mean += v;
    mean /= static_cast<L>(n);
    L spread = 0;
    for (double v : x) spread = std::max(spread, std::fabs(v - mean));
    if (!(spread > 0)) {
        check.unreliable = true;
        return check;
    }

    // Householder QR of the columns 1, t, t², t³ and Y, a block of rows at a
    // time: the triangle found so far stands above the next block's rows, and
    // reducing the two gives the triangle of all the rows seen. R's rows keep
    // Y's column too, so only the triangle carries over and memory stays
    // fixed whatever the number of pairs.
    constexpr int kBlock = 256;
    constexpr int kTop = 5;  // rows of the triangle: at most four unknowns and Y
    const int cols = p + 1;
    std::array<std::array<L, kTop + kBlock>, kTop> m{};  // m[column][row]
    std::array<L, 4> length{};
    const L scale = 1 / spread;
    for (std::size_t first = 0; first < n; first += kBlock) {
        const int count = static_cast<int>(std::min<std::size_t>(kBlock, n - first));
        for (int r = 0; r < count; ++r) {
            const std::size_t i = first + static_cast<std::size_t>(r);
            const L t = (x[i] - mean) * scale;
            L power = 1;
            for (int j = 0; j < p; ++j) {
                m[j][cols + r] = power;
                length[j] += power * power;
                power *= t;
            }
            m[p][cols + r] = y[i];
        }
        const int rows = cols + count;
        for (int j = 0; j < cols; ++j) {
            L* v = m[j].data();
            L norm = 0;
            for (int i = j; i < rows; ++i) norm += v[i] * v[i];
            norm = std::sqrt(norm);
            if (norm == 0) continue;  // nothing below the diagonal to reduce
            const L alpha = v[j] > 0 ? -norm : norm;
            const L vtv = 2 * norm * (norm + std::fabs(v[j]));  // |v|² for v = column − alpha·e_j
            v[j] -= alpha;
            for (int k = j + 1; k < cols; ++k) {
                L* w = m[k].data();
                L dot = 0;
                for (int i = j; i < rows; ++i) dot += v[i] * w[i];
                const L f = 2 * dot / vtv;
                for (int i = j; i < rows; ++i) w[i] -= f * v[i];
            }
            v[j] = alpha;
            std::fill(v + j + 1, v + cols, L{0});
        }
    }
    // R's diagonal holds the part of each column independent of the earlier ones.
    for (int j = 0; j < p; ++j) {
        if (!(std::fabs(m[j][j]) > kDependent * std::sqrt(length[j]))) {
            check.unreliable = true;
            return check;
        }
    }
    std::array<L, 4> b{};  // the stable coefficients in t
    for (int j = p - 1; j >= 0; --j) {
        L s = m[p][j];
        for (int k = j + 1; k < p; ++k) s -= m[k][j] * b[k];
        b[j] = s / m[j][j];
    }

    const double coefficients[4] = {c.a0, c.a1, c.a2, c.a3};
    std::array<L, 4> shown{};
    for (int j = 0; j < p; ++j) shown[j] = ShownValue(coefficients[j]);

    L discrepancy = 0, size = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const L t = (x[i] - mean) * scale;
        const L X = x[i];
        L stable = 0, curve = 0;
        for (int j = p - 1; j >= 0; --j) {
            stable = stable * t + b[j];
            curve = curve * X + shown[j];
        }
        discrepancy = std::max(discrepancy, std::fabs(curve - stable));
        if (!std::isfinite(curve)) discrepancy = HUGE_VALL;
        size = std::max({size, std::fabs(stable), L{std::fabs(y[i])}});
    }
    const L tolerance = kAcceptedLoss * kShownDigits * size;
    check.discrepancy = static_cast<double>(std::min(discrepancy, L{HUGE_VAL}));
    check.tolerance = static_cast<double>(std::min(tolerance, L{HUGE_VAL}));
    check.unreliable = !(discrepancy <= tolerance);
    return check;
}

}  // namespace kurv
