// A second opinion on a fit: the same least-squares problem solved by a
// numerically stable method, to tell when the closed formulas have lost the
// digits that the coefficient texts show.
#pragma once

#include <span>

#include "core/fit.h"

namespace kurv {

struct FitCheck {
    bool unreliable = false;
    // Largest difference over the pairs between the curve of the shown
    // coefficients and the stable curve, and the largest difference the shown
    // digits can account for. Both 0 when the check found nothing to compare.
    double discrepancy = 0;
    double tolerance = 0;
};

// Checks coefficients `c` solved for `kind` (0..2) from the pairs (x[i], y[i]).
// A kind outside 0..2, differing lengths or fewer pairs than the kind needs
// give a passing check. Pairs whose X take fewer distinct values than the
// kind has coefficients are unreliable: any coefficients fit them equally.
// O(n·k²) work in three passes over the pairs; memory does not grow with n.
FitCheck CheckFit(int kind, const Coefficients& c, std::span<const double> x, std::span<const double> y);

}  // namespace kurv
