#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "core/fit.h"
#include "core/fit_check.h"

using namespace kurv;

namespace {

struct Pairs {
    std::vector<double> x, y;
};

// The check as the program runs it: the closed formulas over the power sums,
// then the stable second opinion on their coefficients.
FitCheck Check(int kind, const Pairs& p, Coefficients* fitted = nullptr) {
    PowerSums sums;
    for (std::size_t i = 0; i < p.x.size(); ++i) sums.Add(p.x[i], p.y[i]);
    Coefficients c;
    EXPECT_EQ(Solve(static_cast<FitKind>(kind), sums, c), SolveResult::Ok);
    if (fitted) *fitted = c;
    return CheckFit(kind, c, p.x, p.y);
}

// Reference data of an ozone monitor's calibration (36 pairs, linear) and a
// load cell's (40 pairs, quadratic), as published for testing regression code.
Pairs Norris() {
    const double yx[][2] = {
        {0.1, 0.2},     {338.8, 337.4}, {118.1, 118.2}, {888.0, 884.6}, {9.2, 10.1},    {228.1, 226.5},
        {668.5, 666.3}, {998.5, 996.3}, {449.1, 448.6}, {778.9, 777.0}, {559.2, 558.2}, {0.3, 0.4},
        {0.1, 0.6},     {778.1, 775.5}, {668.8, 666.9}, {339.3, 338.0}, {448.9, 447.5}, {10.8, 11.6},
        {557.7, 556.0}, {228.3, 228.1}, {998.0, 995.8}, {888.8, 887.6}, {119.6, 120.2}, {0.3, 0.3},
        {0.6, 0.3},     {557.6, 556.8}, {339.3, 339.1}, {888.0, 887.2}, {998.5, 999.0}, {778.9, 779.0},
        {10.2, 11.1},   {117.6, 118.3}, {228.9, 229.2}, {668.4, 669.1}, {449.2, 448.9}, {0.2, 0.5},
    };
    Pairs p;
    for (const auto& r : yx) p.y.push_back(r[0]), p.x.push_back(r[1]);
    return p;
}

Pairs Pontius() {
    const double y[] = {.11019,  .21956,  .32949,  .43899,  .54803,  .65694,  .76562,  .87487,
                        .98292,  1.09146, 1.20001, 1.30822, 1.41599, 1.52399, 1.63194, 1.73947,
                        1.84646, 1.95392, 2.06128, 2.16844, .11052,  .22018,  .32939,  .43886,
                        .54798,  .65739,  .76596,  .87474,  .98300,  1.09150, 1.20004, 1.30818,
                        1.41613, 1.52408, 1.63159, 1.73965, 1.84696, 1.95445, 2.06177, 2.16829};
    Pairs p;
    for (int i = 0; i < 40; ++i) {
        p.x.push_back(150000.0 * (i % 20 + 1));
        p.y.push_back(y[i]);
    }
    return p;
}

// Exactly on Y = 1e200·X, where the closed linear formula returns
// Y = -1.6666667e+199 * X  +2.3333333.
Pairs Tiny() {
    return {{1e-200, 2e-200, 3e-200}, {1, 2, 3}};
}

// Exactly on Y = (X - 10005)³ for X = 10000 … 10010: integers all, so the
// least-squares cubic passes through every pair.
Pairs CubicFarFromZero() {
    Pairs p;
    for (int i = 0; i <= 10; ++i) {
        p.x.push_back(10000 + i);
        p.y.push_back(std::pow(i - 5, 3));
    }
    return p;
}

struct Case {
    const char* name;
    Pairs (*pairs)();
    int kind;
    bool warns;
};

const Case kCases[] = {
    {"Norris linear", Norris, 0, false},
    {"Pontius quadratic", Pontius, 1, false},
    {"X near 1e-200, linear", Tiny, 0, true},
    {"X near 1e4 with a spread of 10, cubic", CubicFarFromZero, 2, true},
};

}  // namespace

TEST(FitCheck, CalibrationCases) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const FitCheck r = Check(c.kind, c.pairs());
        EXPECT_EQ(r.unreliable, c.warns) << r.discrepancy << " against " << r.tolerance;
        // Clear of the limit either way, not by luck of rounding.
        if (c.warns)
            EXPECT_GT(r.discrepancy, 100 * r.tolerance);
        else
            EXPECT_LT(r.discrepancy, 0.1 * r.tolerance);
    }
}

// The warned cases really are wrong, judged against their exact solutions.
TEST(FitCheck, WarnedCasesLoseDigitsInTheClosedFormulas) {
    for (const Case& c : kCases) {
        if (!c.warns) continue;
        SCOPED_TRACE(c.name);
        const Pairs p = c.pairs();
        Coefficients fitted;
        Check(c.kind, p, &fitted);
        double worst = 0;
        for (std::size_t i = 0; i < p.x.size(); ++i)
            worst = std::max(worst, std::fabs(Evaluate(fitted, p.x[i]) - p.y[i]));
        EXPECT_GT(worst, 1.0);  // the exact fit has no residual at all
    }
}

TEST(FitCheck, WellConditionedRandomTablesPass) {
    std::mt19937 random(20240917);
    std::uniform_real_distribution<double> unit(0, 1);
    int checked = 0;
    for (int kind = 0; kind <= 2; ++kind) {
        for (double width : {0.01, 1.0, 20.0, 500.0}) {
            for (int rep = 0; rep < 30; ++rep) {
                // X over a range that reaches zero or nearly, Y a polynomial in
                // the scaled X with noise: the closed formulas and the shown
                // digits both hold for such data.
                const double lo = -width * unit(random);
                const int n = 2 * (kind + 2) + static_cast<int>(unit(random) * 60);
                double a[4];
                for (double& v : a) v = (unit(random) - 0.5) * 20;
                const double scale = std::pow(10.0, std::floor(unit(random) * 8) - 4);
                Pairs p;
                for (int i = 0; i < n; ++i) {
                    const double x = lo + width * unit(random);
                    const double t = x / width;
                    double y = a[0] + 0.1 * (unit(random) - 0.5);
                    for (int k = 1; k <= kind + 1; ++k) y += a[k] * std::pow(t, k);
                    p.x.push_back(x);
                    p.y.push_back(y * scale);
                }
                const FitCheck r = Check(kind, p);
                EXPECT_FALSE(r.unreliable) << "kind " << kind << " width " << width << " lo " << lo << " n "
                                           << n << ": " << r.discrepancy << " against " << r.tolerance;
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 360);
}

TEST(FitCheck, TooFewDistinctXAreUnreliable) {
    // Any coefficients fit these equally: the closed formulas may still return
    // numbers from a tiny nonzero divisor.
    const Pairs sameX{{0.1, 0.1, 0.1}, {1, 2, 3}};
    Coefficients c;
    EXPECT_TRUE(CheckFit(0, c, sameX.x, sameX.y).unreliable);
    const Pairs threeX{{1, 2, 3, 1, 2, 3}, {1, 4, 9, 1, 4, 9}};
    EXPECT_TRUE(CheckFit(2, c, threeX.x, threeX.y).unreliable);
    EXPECT_FALSE(CheckFit(1, Coefficients{0, 0, 1, 0}, threeX.x, threeX.y).unreliable);
}
