#include "core/stable_fit.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace kurv {

namespace {

using L = long double;

// Half a unit in the last place of the extended type.
constexpr L kRoundoff = LDBL_EPSILON / 2;

// Rows reduced at a time beneath the triangle found so far.
constexpr int kBlock = 256;

// In the centred and scaled columns (lengths about √n), a column whose part
// independent of the earlier ones is below this share of its length is taken
// as dependent: the X, though distinct, cannot fix every coefficient.
// Extended-precision rounding stays near 1e-18 of the length.
constexpr L kDependent = 1e-14L;

}  // namespace

StableFactor FactorPairs(FitKind kind, std::span<const double> x, std::span<const double> y) {
    StableFactor f;
    f.kind = kind;
    if (x.size() != y.size() || x.empty() || static_cast<int>(kind) < 0 || static_cast<int>(kind) > 2)
        return f;
    const std::size_t n = x.size();
    f.n = n;

    // One pass for the means, the extent and the distinct X (up to four).
    L sumX = 0, sumY = 0;
    double lo = x[0], hi = x[0];
    double seen[4];
    int distinct = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double v = x[i];
        sumX += v;
        sumY += y[i];
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        if (distinct < 4 && std::find(seen, seen + distinct, v) == seen + distinct) seen[distinct++] = v;
    }
    f.distinct = distinct;
    f.mean = sumX / static_cast<L>(n);
    f.yMean = sumY / static_cast<L>(n);
    f.maxAbsX = std::max(std::fabs(L{lo}), std::fabs(L{hi}));
    if (distinct < 2) return f;  // nothing to factor: every kind is undetermined

    // X centred and scaled into [-1, 1]: the powers of t are then far from
    // dependent unless the X themselves are, whatever their size and offset.
    // Another mean or spread would only change the variable, not the fit.
    const L spread = std::max(L{hi} - f.mean, f.mean - L{lo});
    f.scale = 1 / spread;

    // Householder QR of the columns 1, t, t², t³ and Y − ȳ, a block of rows at
    // a time: the triangle found so far stands above the next block's rows,
    // and reducing the two gives the triangle of all the rows seen. R's rows
    // keep Y's column too, so only the triangle carries over and memory stays
    // fixed whatever the number of pairs.
    constexpr int kTop = 5;  // rows of the triangle: at most four unknowns and Y
    const int p = f.Powers();
    const int cols = p + 1;
    std::array<std::array<L, kTop + kBlock>, kTop> m{};  // m[column][row]
    std::array<L, 4> squares{};
    for (std::size_t first = 0; first < n; first += kBlock) {
        const int count = static_cast<int>(std::min<std::size_t>(kBlock, n - first));
        for (int r = 0; r < count; ++r) {
            const std::size_t i = first + static_cast<std::size_t>(r);
            const L t = (x[i] - f.mean) * f.scale;
            L power = 1;
            for (int j = 0; j < p; ++j) {
                m[j][cols + r] = power;
                squares[j] += power * power;
                power *= t;
            }
            m[p][cols + r] = y[i] - f.yMean;
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
                const L s = 2 * dot / vtv;
                for (int i = j; i < rows; ++i) w[i] -= s * v[i];
            }
            v[j] = alpha;
            std::fill(v + j + 1, v + cols, L{0});
        }
    }
    for (int row = 0; row < cols; ++row)
        for (int col = row; col < cols; ++col) f.r[row][col] = m[col][row];
    for (int j = 0; j < p; ++j) f.length[j] = std::sqrt(squares[j]);
    // Each block's reduction perturbs a column by a few roundings of its
    // length per row it spans; across blocks such errors add like a random
    // walk. A generous constant keeps this a bound in practice.
    f.gamma = 8 * cols * std::sqrt(static_cast<L>(n + kBlock)) * kRoundoff;
    return f;
}

StableFit SolveStable(const StableFactor& f, FitKind kind) {
    StableFit s;
    s.kind = kind;
    s.p = static_cast<int>(kind) + 2;
    s.n = f.n;
    s.mean = f.mean;
    s.scale = f.scale;
    s.yMean = f.yMean;
    s.maxAbsX = f.maxAbsX;
    s.gamma = f.gamma;
    const int p = s.p;
    const int P = f.Powers();
    if (f.n < static_cast<std::size_t>(p) || p > P || p < 2 || p > 4) return s;
    if (f.distinct < p) {
        s.status = StableStatus::TooFewDistinctX;
        return s;
    }
    for (int j = 0; j < p; ++j) {
        s.length[j] = f.length[j];
        if (!(std::fabs(f.r[j][j]) > kDependent * f.length[j])) {
            s.status = StableStatus::Dependent;
            return s;
        }
    }
    s.status = StableStatus::Ok;

    // Y's column of R: its first p entries fix the coefficients, the rest
    // (to P, Y's own diagonal last) are the residual's parts. The constant
    // column takes Y's mean, so what follows it is Y's spread about the mean.
    std::array<L, 5> z{};
    for (int j = 0; j <= P; ++j) z[j] = f.r[j][P];
    L all = 0;
    for (int j = 0; j <= P; ++j) all += z[j] * z[j];
    for (int j = p; j <= P; ++j) s.ssr += z[j] * z[j];
    for (int j = 1; j <= P; ++j) s.sst += z[j] * z[j];

    for (int j = p - 1; j >= 0; --j) {
        s.rInv[j][j] = 1 / f.r[j][j];
        for (int k = j + 1; k < p; ++k) {
            L sum = 0;
            for (int i = j + 1; i <= k; ++i) sum += f.r[j][i] * s.rInv[i][k];
            s.rInv[j][k] = -sum * s.rInv[j][j];
        }
    }
    std::array<L, 4> centred{};  // the coefficients for Y − ȳ
    for (int j = p - 1; j >= 0; --j) {
        L sum = z[j];
        for (int k = j + 1; k < p; ++k) sum -= f.r[j][k] * centred[k];
        centred[j] = sum / f.r[j][j];
    }
    s.b = centred;
    s.b[0] += f.yMean;

    // t^k = scale^k·(X − mean)^k = Σ_j C(k, j)·scale^k·(−mean)^(k−j)·X^j.
    static constexpr int kChoose[4][4] = {{1, 0, 0, 0}, {1, 1, 0, 0}, {1, 2, 1, 0}, {1, 3, 3, 1}};
    for (int k = 0; k < p; ++k) {
        const L scaleK = std::pow(f.scale, static_cast<L>(k));
        for (int j = 0; j <= k; ++j)
            s.toX[j][k] = kChoose[k][j] * scaleK * std::pow(-f.mean, static_cast<L>(k - j));
    }
    for (int j = 0; j < p; ++j)
        for (int k = j; k < p; ++k) s.a[j] += s.toX[j][k] * s.b[k];

    // How far the factorisation's backward error moves each coefficient of
    // X, to first order: the computed R is exact for columns perturbed by
    // γ·|column|, so b moves by R⁻¹Qᵀ(δy − δA·b) + (RᵀR)⁻¹δAᵀr, and a by
    // toX times that. Mapping to X rounds each term once more.
    L moved = std::sqrt(all);  // |Y − ȳ|
    for (int l = 0; l < p; ++l) moved += f.length[l] * std::fabs(centred[l]);
    s.residualError = f.gamma * moved;
    const L residual = std::sqrt(s.ssr);
    for (int j = 0; j < p; ++j) {
        std::array<L, 4> v{};  // row j of toX·R⁻¹
        for (int i = 0; i < p; ++i)
            for (int k = j; k <= i; ++k) v[i] += s.toX[j][k] * s.rInv[k][i];
        L vNorm = 0, viaResidual = 0, terms = 0;
        for (int i = 0; i < p; ++i) vNorm += v[i] * v[i];
        for (int l = 0; l < p; ++l) {
            L w = 0;  // entry l of v·R⁻ᵀ
            for (int i = l; i < p; ++i) w += v[i] * s.rInv[l][i];
            viaResidual += std::fabs(w) * f.length[l];
        }
        for (int k = j; k < p; ++k) terms += std::fabs(s.toX[j][k] * s.b[k]);
        s.aError[j] =
            f.gamma * (std::sqrt(vNorm) * moved + residual * viaResidual) + 4 * p * kRoundoff * terms;
    }
    return s;
}

long double StableFit::ValueAt(long double x) const {
    const L t = (x - mean) * scale;
    L v = 0;
    for (int j = p - 1; j >= 0; --j) v = v * t + b[j];
    return v;
}

}  // namespace kurv
