// Placeholder until the fit lands.
#include "core/fit.h"

#include <cmath>

#include "core/errors.h"

namespace kurv {

int MinimumPairs(FitKind kind) { return static_cast<int>(kind) + 2; }

void PowerSums::Add(double x, double y) {
    S1 += x; S2 += x * x; S3 += x * x * x; S4 += x * x * x * x; S5 += x * x * x * x * x;
    S6 += x * x * x * x * x * x; T0 += y; T1 += x * y; T2 += x * x * y; T3 += x * x * x * y;
    ++n;
}

SolveResult Solve(int kind, const PowerSums& s, Coefficients& c) {
    if (kind != 0) return SolveResult::Ok;
    c.a2 = 0; c.a3 = 0;
    double den = s.S1 * s.S1 - s.n * s.S2;
    if (den == 0) return SolveResult::Fault;
    c.a1 = (s.S1 * s.T0 - s.n * s.T1) / den;
    c.a0 = (s.T0 - c.a1 * s.S1) / s.n;
    return SolveResult::Ok;
}

double Evaluate(const Coefficients& c, double x) {
    return ((c.a3 * x) * x) * x + (c.a2 * x) * x + c.a1 * x + c.a0;
}
double EvaluateNested(const Coefficients& c, double x) { return ((c.a3 * x + c.a2) * x + c.a1) * x + c.a0; }

void ErrorMeasures::Add(double y, double f) {
    double d = std::fabs(y - f);
    if (!(maxError >= d)) maxError = d;
    sumSquares += d * d;
    m += 1;
}
double ErrorMeasures::Sigma() const { return m > 1 ? std::sqrt(sumSquares / (m - 1)) : 0; }

}  // namespace kurv
