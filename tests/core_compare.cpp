#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "core/compare.h"
#include "core/numbers.h"
#include "core/statistics_text.h"
#include "core_tables.h"

using namespace kurv;

namespace {

// What the window shows after choosing `kind` on the table, composed as the
// recalculation composes it, starting from the coefficients `start` (a
// solution that succeeds must not depend on them).
KindComparison MainPipeline(const DataTable& table, char sep, int kind, Coefficients start) {
    KindComparison shown;
    CountingPairs pairs;
    ReadCountingPairs(table, sep, pairs);
    if (!EnoughPairs(static_cast<FitKind>(kind), pairs.sums.n)) return shown;
    Coefficients& c = shown.coefficients = start;
    if (Solve(static_cast<FitKind>(kind), pairs.sums, c) == SolveResult::Fault) {
        shown.outcome = KindOutcome::Fault;
        return shown;
    }
    const double a[4] = {c.a0, c.a1, c.a2, c.a3};
    for (int i = 0; i < 4; ++i) shown.texts[i] = CoefficientText(a[i], sep);
    shown.formula = FormulaText(c, static_cast<FitKind>(kind), shown.texts);
    ErrorMeasures e;
    std::vector<double> fitted;
    try {
        FitPairs(pairs, c, fitted, e);
    } catch (const CellOverflow&) {
        shown = KindComparison();
        shown.outcome = KindOutcome::Overflow;
        return shown;
    }
    shown.outcome = KindOutcome::Fitted;
    shown.sigma = ErrorMeasureText(e.Sigma(), sep);
    shown.maxError = ErrorMeasureText(e.maxError, sep);
    return shown;
}

void ExpectSameAsMain(const DataTable& table, char sep, const std::string& what) {
    CountingPairs pairs;
    ReadCountingPairs(table, sep, pairs);
    const auto compared = CompareKinds(pairs, sep);
    for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE(what + " kind " + std::to_string(kind) + " sep " + sep);
        const KindComparison main = MainPipeline(table, sep, kind, Coefficients{7, -3, 5, 11});
        const KindComparison& got = compared[kind];
        ASSERT_EQ(got.outcome, main.outcome);
        if (main.outcome != KindOutcome::Fitted) continue;
        EXPECT_EQ(got.texts, main.texts);
        EXPECT_EQ(got.formula, main.formula);
        EXPECT_EQ(got.sigma, main.sigma);
        EXPECT_EQ(got.maxError, main.maxError);
    }
}

std::string Typed(double v, char sep) {
    return GeneralNumberText(v, sep);
}

}  // namespace

TEST(CompareKinds, RandomTablesGiveWhatTheWindowShowsForEachKind) {
    std::mt19937_64 rng(20240515);
    std::uniform_int_distribution<int> rowsOf(0, 14);
    std::uniform_real_distribution<double> unit(-1, 1);
    std::uniform_int_distribution<int> scaleOf(-6, 6);
    for (char sep : {'.', ','}) {
        for (int t = 0; t < 400; ++t) {
            const int rows = rowsOf(rng);
            const double scale = std::pow(10.0, scaleOf(rng));
            const double offset = scale * 10 * unit(rng);
            const double a[4] = {unit(rng), unit(rng), unit(rng), unit(rng) * (t % 2)};
            Rows data;
            for (int r = 0; r < rows; ++r) {
                const double x = offset + scale * unit(rng);
                const double y = ((a[3] * x + a[2]) * x + a[1]) * x + a[0] + 0.01 * unit(rng);
                data.push_back({Typed(y, sep), Typed(x, sep), ""});
                if (rng() % 7 == 0) data.push_back({"", Typed(x, sep), "kept"});  // does not count
            }
            ExpectSameAsMain(Make(data, 3), sep, "table " + std::to_string(t));
        }
    }
}

TEST(CompareKinds, FaultsOverflowsAndShortTables) {
    struct Case {
        const char* name;
        Rows rows;
        KindOutcome linear, quadratic, cubic;
    };
    const Case cases[] = {
        {"empty", {}, KindOutcome::TooFew, KindOutcome::TooFew, KindOutcome::TooFew},
        {"three pairs",
         {{"1", "1", ""}, {"4", "2", ""}, {"9.5", "3", ""}},
         KindOutcome::Fitted,
         KindOutcome::Fitted,
         KindOutcome::TooFew},
        {"one X",
         {{"1", "2", ""}, {"2", "2", ""}, {"3", "2", ""}, {"4", "2", ""}},
         KindOutcome::Fault,
         KindOutcome::Fault,
         KindOutcome::Fault},
        {"all X zero",
         {{"1", "0", ""}, {"2", "0", ""}, {"3", "0", ""}, {"4", "0", ""}},
         KindOutcome::Fault,
         KindOutcome::Fault,
         KindOutcome::Fault},
        {"residuals beyond range",
         {{"1e200", "1", ""},
          {"-1e200", "2", ""},
          {"1e200", "3", ""},
          {"-2e200", "4", ""},
          {"1e200", "5", ""}},
         KindOutcome::Overflow,
         KindOutcome::Overflow,
         KindOutcome::Overflow},
    };
    for (const Case& c : cases) {
        for (char sep : {'.', ','}) {
            const DataTable table = Make(c.rows);
            CountingPairs pairs;
            ReadCountingPairs(table, sep, pairs);
            const auto got = CompareKinds(pairs, sep);
            SCOPED_TRACE(c.name);
            EXPECT_EQ(got[0].outcome, c.linear);
            EXPECT_EQ(got[1].outcome, c.quadratic);
            EXPECT_EQ(got[2].outcome, c.cubic);
            ExpectSameAsMain(table, sep, c.name);
        }
    }
}

// Each kind's s, R² and adjusted R² are the statistics window's texts for
// that kind; a kind without statistics says why.
TEST(CompareKinds, StatisticsOfEachKind) {
    const DataTable three = Make({{"1", "1", ""}, {"4", "2", ""}, {"9.5", "3", ""}});
    CountingPairs pairs;
    ReadCountingPairs(three, ',', pairs);
    const auto got = CompareKinds(pairs, ',');
    EXPECT_EQ(got[0].statistics.status, StatisticsStatus::Ok);
    EXPECT_EQ(got[1].statistics.status, StatisticsStatus::NoDegreesOfFreedom);
    EXPECT_EQ(got[2].statistics.status, StatisticsStatus::TooFewPairs);
    EXPECT_EQ(got[1].s, "");
    for (int kind = 0; kind < 3; ++kind) {
        const FitStatistics st = ComputeStatistics(SolveStable(static_cast<FitKind>(kind), pairs.x, pairs.y));
        StatisticsInput in;
        in.sep = ',';
        in.statistics = &st;
        const StatisticsSheet sheet = BuildStatisticsSheet(in);
        if (!st.Ok()) continue;
        EXPECT_EQ(got[kind].s, sheet.sections[0].rows[2][1]);
        EXPECT_EQ(got[kind].r2, sheet.sections[0].rows[3][1]);
        EXPECT_EQ(got[kind].adjustedR2, sheet.sections[0].rows[4][1]);
    }
    EXPECT_EQ(got[0].s, "1,0206207");  // √(SSR/ν) = √(1.0416667/1)

    const DataTable oneX =
        Make({{"1", "2", ""}, {"2", "2", ""}, {"3", "2", ""}, {"4", "2", ""}, {"5", "2", ""}});
    ReadCountingPairs(oneX, '.', pairs);
    for (const KindComparison& c : CompareKinds(pairs, '.'))
        EXPECT_EQ(c.statistics.status, StatisticsStatus::SolutionFault);
}
