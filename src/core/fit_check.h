// A second opinion on a fit: the same least-squares problem solved by a
// numerically stable method, to tell when the shown coefficients are not the
// least-squares coefficients to their last shown digit, or when those digits,
// right as they are, no longer carry the curve.
#pragma once

#include <array>
#include <span>
#include <string>

#include "core/fit.h"
#include "core/stable_fit.h"

namespace kurv {

// What the stable solution says of one coefficient's shown text.
enum class DigitVerdict {
    NotShown,     // beyond the kind, or nothing to judge against
    Confirmed,    // the text is the least-squares value rounded, within the allowance
    Wrong,        // the text is off by more than half a unit of its last digit and the allowance
    Unconfirmed,  // the stable solution's own accuracy cannot settle the last digit
};

struct FitCheck {
    bool unreliable = false;
    // The pairs' X cannot fix every coefficient of the kind: any coefficients
    // fit them equally (too few distinct X) or nearly so.
    bool undetermined = false;
    // The shown digits, right or not, give a curve away from the stable one at the data.
    bool curveDeparts = false;
    std::array<DigitVerdict, 4> digits{};
    // The stable coefficients of X, and how far a shown value may lie from
    // one beyond half a unit of its last digit before it counts as wrong:
    // the stable value's own error bound, plus 8 units in the last place of
    // double precision of the data's largest |Y| carried to the coefficient's
    // power of the largest |X| (a difference no double-precision curve can show).
    std::array<double, 4> stableValue{};
    std::array<double, 4> stableError{};  // the stable value's error bound
    std::array<double, 4> allowance{};
    // Largest difference over the pairs between the curve of the shown
    // coefficients and the stable curve, and the largest difference the shown
    // digits can account for. Both 0 when the check found nothing to compare.
    double discrepancy = 0;
    double tolerance = 0;
    StableFit stable;  // what the statistics are computed from

    // The first coefficient whose shown digits are wrong, or -1.
    int FirstWrong() const;
};

// Checks coefficients `c` solved for `kind` from the pairs (x[i], y[i]).
// Differing lengths or fewer pairs than the kind needs give a passing check.
// O(n·p²) work in four passes over the pairs; memory does not grow with n.
FitCheck CheckFit(FitKind kind, const Coefficients& c, std::span<const double> x, std::span<const double> y);

// The warning sign's tooltip (language 0 Russian, 1 English): why the sign
// shows, naming each coefficient whose digits are wrong with its stable value
// in the panels' form. Empty for a passing check.
std::string FitWarningText(const FitCheck& check, int language, char sep);

}  // namespace kurv
