#include "core/compare.h"

#include "core/errors.h"
#include "core/numbers.h"
#include "core/statistics_text.h"

namespace kurv {

std::array<KindComparison, 3> CompareKinds(const CountingPairs& pairs, char sep) {
    std::array<KindComparison, 3> out;
    std::array<ErrorMeasures, 3> errors;
    std::array<bool, 3> active{};
    int count = 0;
    for (int k = 0; k < 3; ++k) {
        KindComparison& c = out[k];
        if (!EnoughPairs(kFitKinds[k], pairs.sums.n)) continue;
        if (Solve(kFitKinds[k], pairs.sums, c.coefficients) == SolveResult::Fault) {
            c.outcome = KindOutcome::Fault;
            continue;
        }
        c.outcome = KindOutcome::Fitted;
        active[k] = true;
        ++count;
    }

    for (std::size_t i = 0; count > 0 && i < pairs.x.size(); ++i) {
        for (int k = 0; k < 3; ++k) {
            if (!active[k]) continue;
            try {
                errors[k].Add(pairs.y[i], Evaluate(out[k].coefficients, pairs.x[i]));
            } catch (const ArithmeticError&) {
                out[k].outcome = KindOutcome::Overflow;
                active[k] = false;
                --count;
            }
        }
    }

    // The kinds' models are nested, so one triangle of all four powers holds
    // each kind's solution and residual.
    const StableFactor factor = FactorPairs(FitKind::Cubic, pairs.x, pairs.y);
    for (int k = 0; k < 3; ++k) {
        KindComparison& c = out[k];
        const auto kind = static_cast<FitKind>(k);
        if (c.outcome == KindOutcome::Fault)
            c.statistics = NoStatistics(StatisticsStatus::SolutionFault, kind);
        else
            c.statistics = ComputeStatistics(SolveStable(factor, kind));
        if (c.outcome != KindOutcome::Fitted) continue;
        const StatisticsSummary summary = SummaryTexts(c.statistics, sep);
        c.s = summary.s;
        c.r2 = summary.r2;
        c.adjustedR2 = summary.adjustedR2;
        const double a[4] = {c.coefficients.a0, c.coefficients.a1, c.coefficients.a2, c.coefficients.a3};
        for (int i = 0; i < 4; ++i) c.texts[i] = CoefficientText(a[i], sep);
        c.formula = FormulaText(c.coefficients, kFitKinds[k], c.texts);
        c.sigma = ErrorMeasureText(errors[k].Sigma(), sep);
        c.maxError = ErrorMeasureText(errors[k].maxError, sep);
    }
    return out;
}

}  // namespace kurv
