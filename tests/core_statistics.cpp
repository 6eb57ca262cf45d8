#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "core/statistics.h"
#include "fit_tables.h"
#include "lsq_reference.h"

using namespace kurv;

namespace {

FitStatistics StatisticsOf(FitKind kind, const Pairs& p) {
    return ComputeStatistics(SolveStable(kind, p.x, p.y));
}

// Within `digits` significant digits of `expected`.
::testing::AssertionResult Agrees(double got, double expected, int digits) {
    if (std::fabs(got - expected) <= 0.5 * std::pow(10.0, 1 - digits) * std::fabs(expected))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << got << " against " << expected;
}

}  // namespace

// The certified values, to 12 significant digits at least; the certified
// coefficients prove the data typed right. (The certified values are of the
// decimal data; ours are of their doubles, which moves the 14th digit.)
TEST(Statistics, NistCertifiedValues) {
    struct {
        const char* name;
        Pairs pairs;
        FitKind kind;
        const Certified& certified;
    } const cases[] = {{"Norris", Norris(), FitKind::Linear, kNorrisCertified},
                       {"Pontius", Pontius(), FitKind::Quadratic, kPontiusCertified}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FitStatistics st = StatisticsOf(c.kind, c.pairs);
        ASSERT_TRUE(st.Ok());
        EXPECT_EQ(st.nu, static_cast<long>(c.pairs.x.size()) - st.p);
        EXPECT_TRUE(Agrees(st.s.value, c.certified.s, 12));
        ASSERT_TRUE(st.r2);
        EXPECT_TRUE(Agrees(st.r2->value, c.certified.r2, 12));
        for (int j = 0; j < st.p; ++j) {
            EXPECT_TRUE(Agrees(st.coefficients[j], c.certified.a[j], 12)) << j;
            EXPECT_TRUE(Agrees(st.u[j].value, c.certified.u[j], 12)) << j;
            EXPECT_TRUE(Agrees(st.expanded[j].value, st.t * c.certified.u[j], 12)) << j;
        }
    }
}

// Random tables of every kind against the exact rational least squares on
// the same doubles. Each figure carries an error bound from the stable
// solution's backward error; the bound must hold for every figure, and it is
// the stated condition: where it is below half a unit of the 12th digit the
// figure agrees to 12 digits. Tables with noise of 1e-3 of Y's size meet it
// for every figure, X up to 10^4 spreads from zero included. Nearly exact
// data (noise 1e-13, residuals near the typed values' last digits) leave s
// and the uncertainties with about 3 to 6 sure digits, and their bounds say so.
TEST(Statistics, AgreeWithTheExactReferenceWhereTheConditioningAllows) {
    std::mt19937_64 rng(20240601);
    for (int kind = 0; kind <= 2; ++kind) {
        const int p = kind + 2;
        for (double noise : {1e-3, 1e-13}) {
            for (double offset : {0.0, 3.0, 1e2, 1e4}) {
                for (int rep = 0; rep < 8; ++rep) {
                    const Pairs t = RandomTable(rng, p, offset, noise);
                    const FitStatistics st = StatisticsOf(static_cast<FitKind>(kind), t);
                    const ref::LeastSquares exact = ref::Solve(p, t.x, t.y);
                    ASSERT_TRUE(st.Ok() && exact.solvable);
                    SCOPED_TRACE("kind " + std::to_string(kind) + " noise " + std::to_string(noise) +
                                 " offset " + std::to_string(offset));
                    // `spread` figures (s and the uncertainties) lose digits on nearly exact data.
                    auto expect = [&](const Figure& f, long double want, const char* what, bool spread) {
                        // The reference's own rounding to the extended type, and a little.
                        const long double slack = 1e-17L * std::fabs(want);
                        EXPECT_LE(std::fabs(f.value - want), f.error + slack) << what;
                        const bool twelve = f.error <= 0.5e-11 * std::fabs(want);
                        EXPECT_EQ(twelve, noise == 1e-3 || !spread)
                            << what << " error " << f.error << " of " << want;
                    };
                    expect(st.s, exact.S(), "s", true);
                    // The compare window solves every kind from one factorisation of all four powers.
                    const auto shared =
                        ComputeStatistics(SolveStable(FactorPairs(FitKind::Cubic, t.x, t.y), st.kind));
                    expect(shared.s, exact.S(), "s of the shared factorisation", true);
                    expect(*shared.r2, exact.R2(), "R² of the shared factorisation", false);
                    expect(*st.r2, exact.R2(), "R²", false);
                    expect(*st.adjustedR2, exact.AdjustedR2(), "adjusted R²", false);
                    for (int j = 0; j < p; ++j) {
                        expect(st.u[j], exact.U(j), "u(a)", true);
                        for (int k = 0; k < p; ++k)
                            EXPECT_NEAR(st.correlation[j][k], exact.Correlation(j, k), 1e-12);
                    }
                    // At the data's ends, between them and beyond.
                    const auto [lo, hi] = std::minmax_element(t.x.begin(), t.x.end());
                    for (double x : {*lo, *hi, 0.5 * (*lo + *hi), *hi + (*hi - *lo)}) {
                        const auto at = st.At(x);
                        ASSERT_TRUE(at);
                        expect(at->u, exact.CurveU(x), "u(Ŷ)", true);
                    }
                }
            }
        }
    }
}

TEST(Statistics, NoneWithoutDegreesOfFreedomOrDistinctX) {
    struct {
        const char* name;
        Pairs pairs;
        FitKind kind;
        StatisticsStatus status;
    } const cases[] = {
        {"one pair, linear", {{1}, {2}}, FitKind::Linear, StatisticsStatus::TooFewPairs},
        {"three pairs, cubic", {{1, 2, 3}, {1, 4, 9}}, FitKind::Cubic, StatisticsStatus::TooFewPairs},
        {"two pairs, linear", {{1, 2}, {1, 4}}, FitKind::Linear, StatisticsStatus::NoDegreesOfFreedom},
        {"four pairs, cubic",
         {{1, 2, 3, 5}, {1, 4, 9, 2}},
         FitKind::Cubic,
         StatisticsStatus::NoDegreesOfFreedom},
        {"one X", {{2, 2, 2}, {1, 2, 3}}, FitKind::Linear, StatisticsStatus::TooFewDistinctX},
        {"two X, quadratic",
         {{1, 1, 2, 2, 2}, {1, 2, 3, 4, 5}},
         FitKind::Quadratic,
         StatisticsStatus::TooFewDistinctX},
        {"two X 1e-16 apart beside a third",
         {{0, 1e-16, 0, 1e-16, 1}, {1, 2, 3, 4, 5}},
         FitKind::Quadratic,
         StatisticsStatus::Dependent},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FitStatistics st = StatisticsOf(c.kind, c.pairs);
        EXPECT_EQ(st.status, c.status);
        EXPECT_FALSE(st.At(1));
    }
    EXPECT_EQ(NoStatistics(StatisticsStatus::SolutionFault, FitKind::Cubic).status,
              StatisticsStatus::SolutionFault);
}

TEST(Statistics, EqualYGiveNoR2AndExactFitsNoFalseDigits) {
    // Every Y the same: R² is 0/0.
    const FitStatistics flat = StatisticsOf(FitKind::Linear, {{1, 2, 3, 4}, {5, 5, 5, 5}});
    ASSERT_TRUE(flat.Ok());
    EXPECT_FALSE(flat.r2 || flat.adjustedR2);
    EXPECT_EQ(flat.s.value, 0);

    // On the line exactly: whatever s comes out, its bound covers it, so no
    // digit of rounding noise is shown as a result.
    const FitStatistics exact = StatisticsOf(FitKind::Quadratic, {{1, 2, 3, 4, 5}, {1, 4, 9, 16, 25}});
    ASSERT_TRUE(exact.Ok());
    EXPECT_LE(exact.s.value, exact.s.error);
    EXPECT_LT(exact.s.error, 1e-14);
    EXPECT_NEAR(exact.r2->value, 1, 1e-15);
}

// The two-sided 95 % quantile, not the one-sided one.
TEST(Statistics, StudentQuantile) {
    EXPECT_NEAR(StudentT95(1), 12.7062047361747, 1e-12);
    EXPECT_NEAR(StudentT95(10), 2.22813885198627, 1e-13);
    EXPECT_NEAR(StudentT95(1000000), 1.95996635681411, 1e-13);
}
