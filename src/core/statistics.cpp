#include "core/statistics.h"

#include <boost/math/distributions/students_t.hpp>
#include <cfloat>
#include <cmath>

namespace kurv {

namespace {

using L = long double;

constexpr L kRoundoff = LDBL_EPSILON / 2;

// The final rounding to double is part of every figure's error.
Figure ToFigure(L value, L error) {
    return {static_cast<double>(value), static_cast<double>(error + std::fabs(value) * (DBL_EPSILON / 2))};
}

bool FitsDouble(L v) {
    return std::fabs(v) <= DBL_MAX;
}

// s·|w| for w = R⁻ᵀg, and its error: the factorisation moves gᵀ(RᵀR)⁻¹g by
// at most 2|w|·γ·Σ_l |column l|·|(R⁻¹w)_l| to first order (so |w| by half
// that over |w|), s brings its own, and forming w from g rounds each of its
// terms once more.
Figure Spread(const StableFit& f, const Figure& s, const std::array<L, 4>& w, const std::array<L, 4>& terms) {
    L norm = 0, termNorm = 0;
    for (int i = 0; i < f.p; ++i) {
        norm += w[i] * w[i];
        termNorm += terms[i] * terms[i];
    }
    norm = std::sqrt(norm);
    L moved = 0;
    for (int l = 0; l < f.p; ++l) {
        L back = 0;  // (R⁻¹w)_l
        for (int i = l; i < f.p; ++i) back += f.rInv[l][i] * w[i];
        moved += f.length[l] * std::fabs(back);
    }
    const L error = s.error * norm + s.value * (f.gamma * moved + 4 * f.p * kRoundoff * std::sqrt(termNorm));
    return ToFigure(s.value * norm, error);
}

}  // namespace

double StudentT95(long nu) {
    const boost::math::students_t_distribution<double> dist(static_cast<double>(nu));
    return boost::math::quantile(boost::math::complement(dist, 0.025));
}

FitStatistics NoStatistics(StatisticsStatus why, FitKind kind) {
    FitStatistics st;
    st.status = why;
    st.kind = kind;
    st.p = static_cast<int>(kind) + 2;
    return st;
}

FitStatistics ComputeStatistics(const StableFit& f) {
    FitStatistics st = NoStatistics(StatisticsStatus::Ok, f.kind);
    st.n = static_cast<long>(f.n);
    st.nu = st.n - st.p;
    switch (f.status) {
        case StableStatus::TooFewPairs:
            st.status = StatisticsStatus::TooFewPairs;
            return st;
        case StableStatus::TooFewDistinctX:
            st.status = StatisticsStatus::TooFewDistinctX;
            return st;
        case StableStatus::Dependent:
            st.status = StatisticsStatus::Dependent;
            return st;
        case StableStatus::Ok:
            break;
    }
    if (st.nu <= 0) {
        st.status = StatisticsStatus::NoDegreesOfFreedom;
        return st;
    }
    st.fit = f;
    const int p = f.p;
    const L nu = st.nu;
    const L residual = std::sqrt(f.ssr);
    st.s = ToFigure(residual / std::sqrt(nu), f.residualError / std::sqrt(nu));
    if (f.sst > 0) {
        // 1 − R² = SSR/SST straight from the residual's parts, so it keeps its
        // digits however close R² comes to 1.
        const L q = f.ssr / f.sst;
        const L qError = (4 * f.residualError * residual + f.residualError * f.residualError) / f.sst;
        const L factor = static_cast<L>(st.n - 1) / nu;
        st.r2 = ToFigure(1 - q, qError);
        st.adjustedR2 = ToFigure(1 - q * factor, qError * factor);
    }
    st.t = StudentT95(st.nu);

    // The covariance in t is s²·R⁻¹R⁻ᵀ; in X it is s²·VVᵀ with V = toX·R⁻¹.
    std::array<std::array<L, 4>, 4> v{};
    for (int j = 0; j < p; ++j) {
        std::array<L, 4> terms{};  // |toX|·|R⁻¹|: the size of what was summed
        for (int i = 0; i < p; ++i)
            for (int k = j; k <= i; ++k) {
                v[j][i] += f.toX[j][k] * f.rInv[k][i];
                terms[i] += std::fabs(f.toX[j][k] * f.rInv[k][i]);
            }
        st.u[j] = Spread(f, st.s, v[j], terms);
        st.expanded[j] = ToFigure(st.t * L{st.u[j].value}, st.t * L{st.u[j].error});
        st.coefficients[j] = static_cast<double>(f.a[j]);
    }
    for (int i = 0; i < p; ++i) {
        for (int j = 0; j < p; ++j) {
            L dot = 0, ii = 0, jj = 0;
            for (int k = 0; k < p; ++k) {
                dot += v[i][k] * v[j][k];
                ii += v[i][k] * v[i][k];
                jj += v[j][k] * v[j][k];
            }
            st.covariance[i][j] = static_cast<double>(L{st.s.value} * st.s.value * dot);
            st.correlation[i][j] = static_cast<double>(dot / std::sqrt(ii * jj));
        }
    }
    return st;
}

std::optional<CurveUncertainty> FitStatistics::At(double x) const {
    if (!Ok()) return std::nullopt;
    const L t = (x - fit.mean) * fit.scale;
    std::array<L, 4> g{};
    g[0] = 1;
    for (int k = 1; k < p; ++k) g[k] = g[k - 1] * t;
    std::array<L, 4> w{}, terms{};  // w = R⁻ᵀg
    for (int i = 0; i < p; ++i)
        for (int k = 0; k <= i; ++k) {
            w[i] += fit.rInv[k][i] * g[k];
            terms[i] += std::fabs(fit.rInv[k][i] * g[k]);
        }
    CurveUncertainty c;
    c.u = Spread(fit, s, w, terms);
    const L u = c.u.value, uError = c.u.error;
    const L expanded = this->t * u;
    const L prediction = this->t * std::sqrt(L{s.value} * s.value + u * u);
    if (!FitsDouble(u) || !FitsDouble(expanded) || !FitsDouble(prediction) || !FitsDouble(uError))
        return std::nullopt;
    c.expanded = ToFigure(expanded, this->t * uError);
    c.prediction = ToFigure(prediction, this->t * (L{s.error} + uError));
    return c;
}

}  // namespace kurv
