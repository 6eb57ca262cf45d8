// The three kinds side by side: each kind's texts as the window would show
// them had that kind been chosen, from one reading of the table.
#pragma once

#include <array>
#include <string>

#include "core/fit.h"
#include "core/recalc.h"
#include "core/statistics.h"

namespace kurv {

enum class KindOutcome {
    Fitted,    // the texts below are set
    TooFew,    // fewer pairs than the kind needs
    Fault,     // the solution faulted: no coefficients of this kind
    Overflow,  // a fitted value or a residual left the double range
};

struct KindComparison {
    KindOutcome outcome = KindOutcome::TooFew;
    Coefficients coefficients;         // when fitted
    std::array<std::string, 4> texts;  // the coefficients' texts
    std::string sigma, maxError, formula;
    // The kind's fit statistics from the stable solution, with the texts of
    // s, R² and the adjusted R² as the statistics window shows them (empty
    // when there are none: the status says why).
    FitStatistics statistics;
    std::string s, r2, adjustedR2;
};

// Indexed by kind, in kFitKinds' order. Solves every kind from the pairs'
// power sums (they are the same sums for each) and finds the three kinds'
// residuals in one pass over the pairs; the statistics take one stable
// factorisation of all four powers. A solution is independent of the
// coefficients it starts from unless it faults, and a fault shows no texts,
// so nothing else is needed.
std::array<KindComparison, 3> CompareKinds(const CountingPairs& pairs, char sep);

}  // namespace kurv
