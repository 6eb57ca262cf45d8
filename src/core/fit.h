// Least-squares polynomial fit over power sums, with each kind's own closed
// elimination formula evaluated in a fixed order. Every expression is carried
// in long double (80-bit) and rounded to double where it is stored.
#pragma once

#include <cmath>
#include <cstdint>

namespace kurv {

// The kinds in the function list's order; the settings file keeps the index + 1.
enum class FitKind { Linear = 0, Quadratic = 1, Cubic = 2 };
inline constexpr FitKind kFitKinds[] = {FitKind::Linear, FitKind::Quadratic, FitKind::Cubic};

// The kind's coefficients a0 up: 2, 3 or 4. As many pairs are the fewest it
// can be solved from.
int CoefficientCount(FitKind kind);
inline int MinimumPairs(FitKind kind) {
    return CoefficientCount(kind);
}

struct Coefficients {
    double a0 = 0, a1 = 1, a2 = 0, a3 = 0;  // Y = X before the first fit
};

struct PowerSums {
    std::int32_t n = 0;
    double S1 = 0, S2 = 0, S3 = 0, S4 = 0, S5 = 0, S6 = 0;
    double T0 = 0, T1 = 0, T2 = 0, T3 = 0;

    // Accumulates one pair; throws ArithmeticError when a term or sum leaves
    // the double range (the sums are then partly updated, as a trap would leave them).
    void Add(double x, double y);

    // True when no term of the pair and no finite sum can leave the double
    // range, whatever the sums hold: Add needs no checks then.
    static bool WithinSafeRange(double x, double y) { return std::fabs(x) <= 1e40 && std::fabs(y) <= 1e100; }
};

enum class SolveResult { Ok, Fault };

// Writes `c` piecewise in the kind's order; on a fault the coefficient whose
// step faulted and all later ones keep their values. A value outside the
// three kinds leaves `c` unchanged and succeeds.
SolveResult Solve(FitKind kind, const PowerSums& s, Coefficients& c);

// ((a3*x)*x)*x + (a2*x)*x + a1*x + a0 in extended precision, rounded to double.
// Throws ArithmeticError when the result is not finite.
inline double Evaluate(const Coefficients& c, double x);

// ((a3*x + a2)*x + a1)*x + a0, the fill command's nested order.
// Throws ArithmeticError when the result is not finite.
inline double EvaluateNested(const Coefficients& c, double x);

struct ErrorMeasures {
    double maxError = 0;
    double sumSquares = 0;
    double m = 0;

    // Adds the residual of one pair, f being Evaluate(x). Throws ArithmeticError
    // when the residual or its square leaves the double range.
    inline void Add(double y, double f);
    // sqrt(sumSquares / (m - 1)) for m > 1, else 0.
    double Sigma() const;
};

// Below 2^1024 - 2^970 an extended value rounds to at most DBL_MAX: at and
// beyond it, it would become an infinity. The one bound of the double range
// for every conversion and every stored result.
inline constexpr long double kDoubleLimit = 0x1.fffffffffffffp1023L + 0x1p970L;

// The per-pair work is inline: the recalculation runs it for every row.
namespace detail {

// Rounds to double; throws ArithmeticError when the value leaves the double range.
[[noreturn]] void ThrowOverflow();
inline double StoreChecked(long double v) {
    if (!(std::fabs(v) < kDoubleLimit)) [[unlikely]]
        ThrowOverflow();
    return static_cast<double>(v);
}

}  // namespace detail

inline double Evaluate(const Coefficients& c, double x) {
    const long double X = x;
    return detail::StoreChecked(((c.a3 * X) * X) * X + (c.a2 * X) * X + c.a1 * X + c.a0);
}

inline double EvaluateNested(const Coefficients& c, double x) {
    const long double X = x;
    return detail::StoreChecked(((c.a3 * X + c.a2) * X + c.a1) * X + c.a0);
}

inline void ErrorMeasures::Add(double y, double f) {
    double d = detail::StoreChecked(static_cast<long double>(y) - f);
    if (d < 0) d = -d;
    if (!(maxError >= d)) maxError = d;
    sumSquares = detail::StoreChecked(static_cast<long double>(sumSquares) + static_cast<long double>(d) * d);
    m += 1;
}

}  // namespace kurv
