#include "core/fit.h"

#include <cmath>

#include "core/errors.h"

namespace kurv {

namespace {

using L = long double;

inline bool Finite(L v) {
    return std::fabs(v) < kDoubleLimit;
}

// One solution's arithmetic: a division by exactly zero marks the step as
// faulted (and yields 0 so nothing undefined is computed), an assignment
// happens only when its step did not fault and its value fits in a double.
class Steps {
  public:
    L Div(L p, L q) {
        if (q == 0) {
            fault_ = true;
            return 0;
        }
        return p / q;
    }
    // False when the step faulted; `dst` is then left alone.
    bool Assign(double& dst, L v) {
        if (fault_ || !Finite(v)) return false;
        dst = static_cast<double>(v);
        return true;
    }

  private:
    bool fault_ = false;
};

SolveResult SolveLinear(const PowerSums& s, Coefficients& c) {
    Steps k;
    const L n = s.n;
    c.a2 = 0;
    c.a3 = 0;
    if (!k.Assign(c.a1, k.Div(L{s.S1} * s.T0 - n * s.T1, L{s.S1} * s.S1 - n * s.S2)))
        return SolveResult::Fault;
    if (!k.Assign(c.a0, k.Div(L{s.T0} - L{c.a1} * s.S1, n))) return SolveResult::Fault;
    return SolveResult::Ok;
}

SolveResult SolveQuadratic(const PowerSums& s, Coefficients& c) {
    Steps k;
    const L n = s.n;
    const L S1 = s.S1, S2 = s.S2, S3 = s.S3, S4 = s.S4, T0 = s.T0, T1 = s.T1, T2 = s.T2;
    // The eliminated system's quantities, kept in extended precision.
    const L A = T2 - k.Div(T0 * S4, S2);
    const L B = S2 - k.Div(S1 * S3, S2);
    const L C = k.Div(T0 * S3, S2) - T1;
    const L D = S3 - k.Div(S1 * S4, S2);
    const L E = S2 - k.Div(n * S4, S2);
    const L F = S1 - k.Div(n * S3, S2);
    const L G = T1 - k.Div(T0 * S3, S2);

    if (!k.Assign(c.a0, k.Div(A + k.Div(C, B) * D, E - k.Div(F, B) * D))) return SolveResult::Fault;
    if (!k.Assign(c.a1, k.Div(G - F * c.a0, B))) return SolveResult::Fault;
    if (!k.Assign(c.a2, k.Div((T0 - n * c.a0) - c.a1 * S1, S2))) return SolveResult::Fault;
    c.a3 = 0;
    return SolveResult::Ok;
}

SolveResult SolveCubic(const PowerSums& s, Coefficients& c) {
    Steps k;
    const L n = s.n;
    const L S1 = s.S1, S2 = s.S2, S3 = s.S3, S4 = s.S4, S5 = s.S5, S6 = s.S6;
    const L T0 = s.T0, T1 = s.T1, T2 = s.T2, T3 = s.T3;
    // The eliminated system's quantities, kept in extended precision.
    const L P = S4 * S6 - S5 * S5;
    const L U = S3 * S6 - S4 * S5;
    const L V = S2 * S6 - S3 * S5;
    const L W = S1 * S6 - S3 * S4;
    const L R = S6 * T2 - S5 * T3;
    const L Q = W * P - U * V;
    const L Mx = (S2 * S6 - S4 * S4) * P - U * U;

    // a3 first holds U, then M: the same quantity as Mx, but from the rounded U.
    if (!k.Assign(c.a3, U)) return SolveResult::Fault;
    if (!k.Assign(c.a3, (S2 * S6 - S4 * S4) * P - L{c.a3} * c.a3)) return SolveResult::Fault;
    const L M = c.a3;

    const L num0 = ((S6 * T0 - S3 * T3) * P - V * R) * M - ((S6 * T1 - S4 * T3) * P - U * R) * Q;
    const L den0 = ((n * S6 - S3 * S3) * P - V * V) * M - Q * Q;
    if (!k.Assign(c.a0, k.Div(num0, den0))) return SolveResult::Fault;
    if (!k.Assign(c.a1, k.Div(((T1 * S6 - T3 * S4) * P - U * R) - Q * c.a0, Mx))) return SolveResult::Fault;
    if (!k.Assign(c.a2, k.Div(R + (S3 * S5 - S2 * S6) * c.a0 + (S4 * S5 - S3 * S6) * c.a1, P)))
        return SolveResult::Fault;
    if (!k.Assign(c.a3, k.Div(((T3 - S3 * c.a0) - S4 * c.a1) - S5 * c.a2, S6))) return SolveResult::Fault;
    return SolveResult::Ok;
}

// The terms and sums of one pair, each rounded to double where it is stored;
// `store` decides whether a stored value is checked.
template <class StoreFn>
void AddPair(PowerSums& s, double x, double y, StoreFn store) {
    const L X = x, Y = y;
    const double x2 = store(X * X);
    const double x3 = store(X * X * X);
    const double x4 = store(L{x2} * x2);
    const double x5 = store(L{x4} * x);
    const double x6 = store(L{x4} * x2);
    const double xy = store(X * Y);
    const double x2y = store(L{x2} * y);
    const double x3y = store(L{x3} * y);
    s.S1 = store(L{s.S1} + x);
    s.S2 = store(L{s.S2} + x2);
    s.S3 = store(L{s.S3} + x3);
    s.S4 = store(L{s.S4} + x4);
    s.S5 = store(L{s.S5} + x5);
    s.S6 = store(L{s.S6} + x6);
    s.T0 = store(L{s.T0} + y);
    s.T1 = store(L{s.T1} + xy);
    s.T2 = store(L{s.T2} + x2y);
    s.T3 = store(L{s.T3} + x3y);
    ++s.n;
}

}  // namespace

void detail::ThrowOverflow() {
    throw ArithmeticError();
}

int CoefficientCount(FitKind kind) {
    return static_cast<int>(kind) + 2;
}

void PowerSums::Add(double x, double y) {
    // With |x| <= 1e40 and |y| <= 1e100 every term stays below 1e240, far
    // below half a unit of DBL_MAX (2^970), so no term and no finite sum can
    // leave the double range: the checks are needed only beyond.
    if (WithinSafeRange(x, y)) [[likely]]
        AddPair(*this, x, y, [](L v) { return static_cast<double>(v); });
    else
        AddPair(*this, x, y, detail::StoreChecked);
}

SolveResult Solve(FitKind kind, const PowerSums& s, Coefficients& c) {
    switch (kind) {
        case FitKind::Linear:
            return SolveLinear(s, c);
        case FitKind::Quadratic:
            return SolveQuadratic(s, c);
        case FitKind::Cubic:
            return SolveCubic(s, c);
    }
    return SolveResult::Ok;
}

double ErrorMeasures::Sigma() const {
    if (!(m > 1)) return 0;
    return static_cast<double>(std::sqrt(L{sumSquares} / (L{m} - 1)));
}

}  // namespace kurv
