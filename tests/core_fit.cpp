#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "core/errors.h"
#include "core/fit.h"
#include "core/numbers.h"

using namespace kurv;

namespace {

constexpr char kSeps[] = {'.', ','};

std::string WithSep(std::string s, char sep) {
    for (char& c : s)
        if (c == '.') c = sep;
    return s;
}

struct Row {
    const char* y;
    const char* x;
};

struct Shown {
    std::array<std::string, 4> coefficients;
    std::vector<std::string> fitted;
    std::string maxError, sigma;
};

// What a recalculation shows for the typed rows: texts in, texts out.
Shown Recalculate(FitKind kind, const std::vector<Row>& rows, char sep) {
    PowerSums sums;
    std::vector<std::pair<double, double>> pairs;
    for (const auto& r : rows) {
        const double y = TextToNumber(WithSep(r.y, sep), sep);
        const double x = TextToNumber(WithSep(r.x, sep), sep);
        sums.Add(x, y);
        pairs.emplace_back(x, y);
    }
    Coefficients c;
    EXPECT_EQ(Solve(static_cast<int>(kind), sums, c), SolveResult::Ok);
    Shown s;
    s.coefficients = {CoefficientText(c.a0, sep), CoefficientText(c.a1, sep), CoefficientText(c.a2, sep),
                      CoefficientText(c.a3, sep)};
    ErrorMeasures e;
    for (const auto& [x, y] : pairs) {
        const double f = Evaluate(c, x);
        s.fitted.push_back(GeneralNumberText(f, sep));
        e.Add(y, f);
    }
    s.maxError = ErrorMeasureText(e.maxError, sep);
    s.sigma = ErrorMeasureText(e.Sigma(), sep);
    return s;
}

struct Worked {
    const char* name;
    FitKind kind;
    std::vector<Row> rows;
    std::array<const char*, 4> coefficients;
    std::vector<const char*> fitted;
    const char* maxError;
    const char* sigma;
};

const Worked kWorked[] = {
    {"linear",
     FitKind::Linear,
     {{"2.1", "1"}, {"3.9", "2"}, {"6.2", "3"}, {"7.8", "4"}},
     {"1.5000000e-1", "1.9400000", "0", "0"},
     {"2.09", "4.03", "5.97", "7.91"},
     "0.23",
     "0.165"},
    {"quadratic",
     FitKind::Quadratic,
     {{"1", "0"}, {"2", "1"}, {"5", "2"}, {"10", "3"}, {"17.5", "4"}},
     {"1.0428571", "-1.8571429e-1", "1.0714286", "0"},
     {"1.04285714285714", "1.92857142857143", "4.95714285714286", "10.1285714285714", "17.4428571428571"},
     "0.129",
     "0.085"},
    // In plain double arithmetic this shows a spurious 1.2111524e-16 for a2.
    {"quadratic through a line",
     FitKind::Quadratic,
     {{"-6", "-4"}, {"-4", "-3"}, {"-2", "-2"}, {"0", "-1"}, {"2", "0"}, {"4", "1"}, {"6", "2"}, {"8", "3"}},
     {"2.0000000", "2.0000000", "0", "0"},
     {"-6", "-4", "-2", "0", "2", "4", "6", "8"},
     "0",
     "0"},
    {"line through two points",
     FitKind::Linear,
     {{"1", "0.25"}, {"-3", "2.25"}},
     {"1.5000000", "-2.0000000", "0", "0"},
     {"1", "-3"},
     "0",
     "0"},
    // The divisor is tiny but not zero: no tolerance test, and a1 comes out as -0.
    {"repeated X without a fault",
     FitKind::Linear,
     {{"0", "0.3"}, {"1", "0.3"}, {"2", "0.3"}},
     {"1.0000000", "0", "0", "0"},
     {"1", "1", "1"},
     "1",
     "1"},
    {"cubic through four points",
     FitKind::Cubic,
     {{"1", "0"}, {"0", "1"}, {"5", "2"}, {"22", "3"}},
     {"1.0000000", "-2.0000000", "0", "1.0000000"},
     {"1", "0", "5", "22"},
     "0",
     "0"},
    // Ill-conditioned: the shown digits depend on where each value is rounded
    // (a1 divides by M from the unrounded U, a0 uses the M held in a3).
    {"ill-conditioned cubic",
     FitKind::Cubic,
     {{"53.1", "112.9"}, {"23.6", "106.7"}, {"29.7", "114.4"}, {"17.3", "116.9"}},
     {"-7.4895908e+5", "1.9913262e+4", "-1.7632560e+2", "5.2000496e-1"},
     {"53.1001910083976", "23.5999851722763", "29.699754891803", "17.3000689284145"},
     "2.451e-04",
     "1.840e-04"},
};

TEST(Fit, WorkedExamples) {
    for (char sep : kSeps) {
        for (const auto& w : kWorked) {
            SCOPED_TRACE(std::string(w.name) + " with '" + sep + "'");
            const Shown s = Recalculate(w.kind, w.rows, sep);
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(s.coefficients[i], WithSep(w.coefficients[i], sep)) << "a" << i;
            ASSERT_EQ(s.fitted.size(), w.fitted.size());
            for (std::size_t i = 0; i < w.fitted.size(); ++i)
                EXPECT_EQ(s.fitted[i], WithSep(w.fitted[i], sep));
            EXPECT_EQ(s.maxError, WithSep(w.maxError, sep));
            EXPECT_EQ(s.sigma, WithSep(w.sigma, sep));
        }
    }
}

// A solution fault keeps what the steps before it assigned and leaves the rest.
struct FaultCase {
    const char* name;
    int kind;
    std::vector<std::pair<double, double>> xy;
    SolveResult result;
    Coefficients after;
};

const Coefficients kBefore{7, 8, 9, 10};

const FaultCase kFaults[] = {
    {"linear, every X equal", 0, {{3, 1}, {3, 2}, {3, 4}}, SolveResult::Fault, {7, 8, 0, 0}},
    {"linear, slope beyond the double range",
     0,
     {{0, -1e308}, {1e-10, 1e308}},
     SolveResult::Fault,
     {7, 8, 0, 0}},
    {"quadratic, every X zero", 1, {{0, 1}, {0, 2}, {0, 3}}, SolveResult::Fault, {7, 8, 9, 10}},
    {"quadratic, every X equal", 1, {{3, 1}, {3, 2}, {3, 3}}, SolveResult::Fault, {7, 8, 9, 10}},
    // P = 3256, U = 3048, M = 2988 * 3256 - 3048^2; the a0 divisor is 0.
    {"cubic, three distinct X", 2, {{1, 1}, {2, 2}, {3, 3}, {3, 4}}, SolveResult::Fault, {7, 8, 9, 438624}},
    {"cubic, every X zero", 2, {{0, 1}, {0, 2}, {0, 3}, {0, 4}}, SolveResult::Fault, {7, 8, 9, 0}},
    {"unknown kind", 3, {{1, 1}, {2, 2}, {3, 3}, {4, 5}}, SolveResult::Ok, {7, 8, 9, 10}},
    {"negative kind", -1, {{1, 1}, {2, 2}}, SolveResult::Ok, {7, 8, 9, 10}},
};

TEST(Fit, FaultsKeepTheEarlierAssignments) {
    for (const auto& f : kFaults) {
        SCOPED_TRACE(f.name);
        PowerSums s;
        for (const auto& [x, y] : f.xy) s.Add(x, y);
        Coefficients c = kBefore;
        EXPECT_EQ(Solve(f.kind, s, c), f.result);
        EXPECT_EQ(c.a0, f.after.a0);
        EXPECT_EQ(c.a1, f.after.a1);
        EXPECT_EQ(c.a2, f.after.a2);
        EXPECT_EQ(c.a3, f.after.a3);
    }
}

TEST(Fit, MinimumPairs) {
    EXPECT_EQ(MinimumPairs(FitKind::Linear), 2);
    EXPECT_EQ(MinimumPairs(FitKind::Quadratic), 3);
    EXPECT_EQ(MinimumPairs(FitKind::Cubic), 4);
}

TEST(Evaluate, StartsAsTheIdentity) {
    const Coefficients c;
    for (double x : {0.0, -2.5, 1e300, 5e-324}) {
        EXPECT_EQ(Evaluate(c, x), x);
        EXPECT_EQ(EvaluateNested(c, x), x);
    }
}

TEST(Evaluate, OnlyTheStoredResultMustFitADouble) {
    // x^3 = 1e309 on the way, cancelled by a2 x^2.
    const Coefficients c{0, 1, -1e103, 1};
    EXPECT_EQ(Evaluate(c, 1e103), 1e103);
    EXPECT_EQ(EvaluateNested(c, 1e103), 1e103);

    for (const auto& [k, x] : {std::pair{Coefficients{0, 0, 0, 1e300}, 1e10},
                               {Coefficients{0, 1e308, 0, 0}, 10.0},
                               {Coefficients{-1e308, -1e308, 0, 0}, 1.0}}) {
        EXPECT_THROW(Evaluate(k, x), ArithmeticError);
        EXPECT_THROW(EvaluateNested(k, x), ArithmeticError);
    }
}

TEST(PowerSums, TermsBeyondTheDoubleRangeAreArithmeticErrors) {
    PowerSums s;
    EXPECT_NO_THROW(s.Add(2e51, 1));  // x^6 = 6.4e307
    EXPECT_THROW(s.Add(1e52, 1), ArithmeticError);
    EXPECT_EQ(s.n, 1);
    EXPECT_EQ(s.S1, 2e51);

    PowerSums t;
    t.Add(1, 1e308);
    EXPECT_THROW(t.Add(1, 1e308), ArithmeticError);  // T0 = 2e308
    EXPECT_EQ(t.n, 1);
    EXPECT_EQ(t.S1, 2);  // the sums before T0 were updated
    EXPECT_EQ(t.T0, 1e308);
}

TEST(ErrorMeasures, MaximumAndDeviation) {
    ErrorMeasures none;
    EXPECT_EQ(none.Sigma(), 0);

    ErrorMeasures one;
    one.Add(5, 0);
    EXPECT_EQ(one.maxError, 5);
    EXPECT_EQ(one.Sigma(), 0);

    ErrorMeasures two;
    two.Add(3, 0);
    two.Add(-4, 0);  // a negative residual counts with its size
    EXPECT_EQ(two.maxError, 4);
    EXPECT_EQ(two.Sigma(), 5);  // divisor m - 1

    ErrorMeasures big;
    EXPECT_THROW(big.Add(1e308, -1e308), ArithmeticError);
    EXPECT_THROW(big.Add(1e155, 0), ArithmeticError);  // its square
}

}  // namespace
