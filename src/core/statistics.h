// What a calibration is worth: the residual standard deviation, R², the
// coefficients' uncertainties and correlations, and the uncertainty of a value
// read off the curve, all from the stable solution (never from the power sums,
// whose rounding would take 1 − R² and the uncertainties with it).
#pragma once

#include <array>
#include <optional>

#include "core/fit.h"
#include "core/stable_fit.h"

namespace kurv {

enum class StatisticsStatus {
    Ok,
    TooFewPairs,         // fewer pairs than the kind has coefficients
    NoDegreesOfFreedom,  // as many pairs as coefficients: the curve meets every point
    TooFewDistinctX,     // the X take fewer distinct values than the kind has coefficients
    Dependent,           // distinct X, too close together to fix the coefficients
    SolutionFault,       // the coefficients could not be determined
};

// A computed value and a bound on its error, estimated from the stable
// solution's backward error (and the final rounding to double).
struct Figure {
    double value = 0;
    double error = 0;
};

struct CurveUncertainty {
    Figure u;           // u(Ŷ), the curve's standard uncertainty at X
    Figure expanded;    // U = t·u(Ŷ)
    Figure prediction;  // t·√(s² + u(Ŷ)²): a single new reading at X
};

struct FitStatistics {
    StatisticsStatus status = StatisticsStatus::TooFewPairs;
    FitKind kind = FitKind::Linear;
    int p = 2;    // coefficients
    long n = 0;   // pairs
    long nu = 0;  // degrees of freedom, n − p
    Figure s;     // √(SSR/ν)
    // R² and the adjusted R²; none when every Y is the same (SST = 0).
    std::optional<Figure> r2, adjustedR2;
    double t = 0;                                        // two-sided 95 % quantile of Student's t for ν
    std::array<double, 4> coefficients{};                // the stable solution's, of X
    std::array<Figure, 4> u{};                           // u(a_j) = √C_jj
    std::array<Figure, 4> expanded{};                    // t·u(a_j)
    std::array<std::array<double, 4>, 4> covariance{};   // C = s²(XᵀX)⁻¹
    std::array<std::array<double, 4>, 4> correlation{};  // C_ij/√(C_ii·C_jj)

    bool Ok() const { return status == StatisticsStatus::Ok; }
    // At X: none without statistics or when a figure leaves the double range.
    std::optional<CurveUncertainty> At(double x) const;

    StableFit fit;  // the solution described, kept for At
};

// The statistics of a stable solution. O(p³): nothing is read again.
FitStatistics ComputeStatistics(const StableFit& fit);
// No statistics, for the reason given (a fault of the closed formulas).
FitStatistics NoStatistics(StatisticsStatus why, FitKind kind);

// The two-sided 95 % quantile of Student's t with ν >= 1 degrees of freedom.
double StudentT95(long nu);

}  // namespace kurv
