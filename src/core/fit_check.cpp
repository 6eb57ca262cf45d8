#include "core/fit_check.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

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

    // Columns 1, t, t², t³ and Y, each stored contiguously.
    std::vector<L> m(n * static_cast<std::size_t>(p + 1));
    auto col = [&](int j) { return m.data() + n * static_cast<std::size_t>(j); };
    std::array<L, 4> length{};
    const L scale = 1 / spread;
    for (std::size_t i = 0; i < n; ++i) {
        const L t = (x[i] - mean) * scale;
        L power = 1;
        for (int j = 0; j < p; ++j) {
            col(j)[i] = power;
            length[j] += power * power;
            power *= t;
        }
        col(p)[i] = y[i];
    }

    // Householder QR: column j is reflected onto its diagonal, the reflection
    // applied to the later columns and Y; R's upper part stays in place.
    std::array<L, 4> diagonal{};
    for (int j = 0; j < p; ++j) {
        L* v = col(j);
        L norm = 0;
        for (std::size_t i = j; i < n; ++i) norm += v[i] * v[i];
        norm = std::sqrt(norm);
        if (!(norm > kDependent * std::sqrt(length[j]))) {
            check.unreliable = true;
            return check;
        }
        const L alpha = v[j] > 0 ? -norm : norm;
        const L vtv = 2 * norm * (norm + std::fabs(v[j]));  // |v|² for v = column − alpha·e_j
        v[j] -= alpha;
        for (int k = j + 1; k <= p; ++k) {
            L* w = col(k);
            L dot = 0;
            for (std::size_t i = j; i < n; ++i) dot += v[i] * w[i];
            const L f = 2 * dot / vtv;
            for (std::size_t i = j; i < n; ++i) w[i] -= f * v[i];
        }
        diagonal[j] = alpha;
    }
    std::array<L, 4> b{};  // the stable coefficients in t
    for (int j = p - 1; j >= 0; --j) {
        L s = col(p)[j];
        for (int k = j + 1; k < p; ++k) s -= col(k)[j] * b[k];
        b[j] = s / diagonal[j];
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
