// The least-squares problem solved by a numerically stable method: a
// Householder QR of the powers of the centred and scaled X beside the centred
// Y. One factorisation feeds the check of the shown coefficients and the fit
// statistics, so the statistics cost next to nothing beside the check.
#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "core/fit.h"

namespace kurv {

enum class StableStatus {
    Ok,
    TooFewPairs,      // fewer pairs than the kind has coefficients
    TooFewDistinctX,  // the X take fewer distinct values than the kind has coefficients
    Dependent,        // distinct X, but too close together for their spread to fix every coefficient
};

// The triangle R of the QR of the columns 1, t, …, t^(P−1) and Y − ȳ, where
// t = (X − mean)·scale lies in [−1, 1] and P is the factored kind's number of
// coefficients. Any kind up to the factored one is solved from it.
struct StableFactor {
    FitKind kind = FitKind::Linear;
    std::size_t n = 0;
    int distinct = 0;  // distinct X, counted up to 4
    long double mean = 0, scale = 0, yMean = 0;
    long double maxAbsX = 0;                        // the largest |X|
    std::array<std::array<long double, 5>, 5> r{};  // r[row][column]; column P is Y's
    std::array<long double, 4> length{};            // |column k| = √Σ t^2k
    long double gamma = 0;                          // the factorisation's relative backward error, estimated

    int Powers() const { return static_cast<int>(kind) + 2; }
};

// Three passes over the pairs' X and Y (two for the X alone), O(n·P²) work;
// memory does not grow with n. Differing lengths give an empty factor.
StableFactor FactorPairs(FitKind kind, std::span<const double> x, std::span<const double> y);

// One kind's least-squares solution. The arrays hold p = kind + 2 entries.
struct StableFit {
    StableStatus status = StableStatus::TooFewPairs;
    FitKind kind = FitKind::Linear;
    int p = 2;
    std::size_t n = 0;
    long double mean = 0, scale = 0, yMean = 0;
    long double maxAbsX = 0;  // the largest |X|
    std::array<long double, 4> length{};
    long double gamma = 0;
    long double ssr = 0;  // the residual sum of squares
    long double sst = 0;  // Σ(Y − ȳ)²
    // Bound on the error of √ssr from the factorisation: γ·(|Y − ȳ| + Σ|column k|·|b_k|).
    long double residualError = 0;
    std::array<long double, 4> b{};                    // coefficients in t, ȳ included in b0
    std::array<std::array<long double, 4>, 4> rInv{};  // R⁻¹ of the kind's columns
    std::array<std::array<long double, 4>, 4> toX{};   // a = toX·b: t^k written in powers of X
    std::array<long double, 4> a{};                    // the coefficients of X
    std::array<long double, 4> aError{};               // bound on |a_j − least-squares a_j|, estimated

    bool Ok() const { return status == StableStatus::Ok; }
    // The fitted value at X, from the coefficients in t (no cancellation of
    // large terms whatever the X's offset).
    long double ValueAt(long double x) const;
};

// `kind` at most the factored kind (a higher one gives TooFewPairs).
StableFit SolveStable(const StableFactor& f, FitKind kind);
inline StableFit SolveStable(FitKind kind, std::span<const double> x, std::span<const double> y) {
    return SolveStable(FactorPairs(kind, x, y), kind);
}

}  // namespace kurv
