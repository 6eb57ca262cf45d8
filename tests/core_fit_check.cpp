#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "core/fit.h"
#include "core/fit_check.h"
#include "core/numbers.h"
#include "fit_tables.h"
#include "lsq_reference.h"

using namespace kurv;

namespace {

// The check as the program runs it: the closed formulas over the power sums,
// then the stable second opinion on their coefficients.
FitCheck Check(int kind, const Pairs& p, Coefficients* fitted = nullptr) {
    PowerSums sums;
    for (std::size_t i = 0; i < p.x.size(); ++i) sums.Add(p.x[i], p.y[i]);
    Coefficients c;
    EXPECT_EQ(Solve(static_cast<FitKind>(kind), sums, c), SolveResult::Ok);
    if (fitted) *fitted = c;
    return CheckFit(static_cast<FitKind>(kind), c, p.x, p.y);
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

// Y ≈ 3.14159·X + 2 (with a quadratic and a cubic term for the higher kinds)
// and a little noise, X = x0 … x0 + 10, typed with 15 digits: X far from zero
// compared with their spread, where the closed formulas' errors cancel at the
// data while the coefficients themselves are wrong.
Pairs FarFromZero(int kind, double x0) {
    const double noise[11] = {0.004,  -0.011, 0.007, 0.002, -0.006, 0.013,
                              -0.003, -0.009, 0.008, 0.001, -0.005};
    Pairs p;
    for (int k = 0; k <= 10; ++k) {
        const double x = x0 + k;
        const double y =
            3.14159 * x + 2 + (kind >= 1 ? 1e-3 * x * x : 0) + (kind >= 2 ? 1e-5 * x * x * x : 0);
        p.x.push_back(x);
        p.y.push_back(TextToNumber(GeneralNumberText(y + noise[k], '.'), '.'));
    }
    return p;
}

// A coefficient text's exact value and half a unit of its last digit
// ("d.ddddddd" or "d.ddddddde±x"; "0" stands for exactly zero).
std::pair<ref::Rational, ref::Rational> TextValue(const std::string& text) {
    if (text == "0") return {0, 0};
    const auto e = text.find('e');
    const int exponent = (e == std::string::npos ? 0 : std::stoi(text.substr(e + 1))) - 7;
    std::string digits;
    for (char ch : text.substr(0, e))
        if (ch != '.') digits += ch;
    const ref::Rational unit =
        exponent >= 0 ? ref::Power(10, exponent) : ref::Power(ref::Rational(1, 10), -exponent);
    return {ref::Integer(digits) * unit, unit / 2};
}

struct Case {
    const char* name;
    Pairs (*pairs)();
    int kind;
    const char* wrong;  // the coefficients whose shown digits are wrong
};

const Case kCases[] = {
    {"Norris linear", Norris, 0, ""},
    {"Pontius quadratic", Pontius, 1, ""},
    {"X near 1e-200, linear", Tiny, 0, "01"},
    {"X near 1e4 with a spread of 10, cubic", CubicFarFromZero, 2, "0123"},
    {"X near 1e6, linear", [] { return FarFromZero(0, 1e6); }, 0, "01"},
    {"X near 1e3, quadratic", [] { return FarFromZero(1, 1e3); }, 1, "012"},
    {"X near 1e2, cubic", [] { return FarFromZero(2, 1e2); }, 2, "0123"},
};

}  // namespace

// Each shown coefficient is judged; the named ones are exactly those whose
// text is not the exact least-squares value rounded to its shown digits.
TEST(FitCheck, JudgesEachShownCoefficient) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const Pairs p = c.pairs();
        Coefficients fitted;
        const FitCheck r = Check(c.kind, p, &fitted);
        const ref::LeastSquares exact = ref::Solve(c.kind + 2, p.x, p.y);
        const double shown[4] = {fitted.a0, fitted.a1, fitted.a2, fitted.a3};
        std::string wrong;
        for (int j = 0; j < c.kind + 2; ++j) {
            if (r.digits[j] == DigitVerdict::Wrong) wrong += std::to_string(j);
            const std::string least = CoefficientText(static_cast<double>(exact.A(j)), '.');
            EXPECT_EQ(CoefficientText(shown[j], '.') != least, r.digits[j] == DigitVerdict::Wrong) << j;
            EXPECT_LE(std::fabs(r.stable.a[j] - exact.A(j)), r.stable.aError[j]) << j;
        }
        EXPECT_EQ(wrong, c.wrong);
        EXPECT_EQ(r.unreliable, *c.wrong != 0);
        EXPECT_FALSE(r.undetermined);
        // The curve at the data misses all but the most extreme of these (the
        // check before judging each coefficient saw only the curve).
        EXPECT_EQ(r.curveDeparts, c.pairs == Tiny || c.pairs == CubicFarFromZero);
    }
}

// The tooltip names each wrong coefficient with its least-squares value, in
// the panels' form and the separator given.
TEST(FitCheck, TooltipNamesTheWrongCoefficients) {
    const FitCheck linear = Check(0, FarFromZero(0, 1e6));
    EXPECT_EQ(FitWarningText(linear, 1, '.'),
              "The shown digits are not the least-squares coefficients; a stable solution gives "
              "A0 = 1.2018252e+2, A1 = 3.1414718.");
    EXPECT_EQ(FitWarningText(linear, 0, ','),
              "Показанные цифры не совпадают с коэффициентами наименьших квадратов; устойчивое решение даёт "
              "A0 = 1,2018252e+2, A1 = 3,1414718.");
    EXPECT_EQ(FitWarningText(Check(0, Norris()), 1, '.'), "");

    // A stable value indistinguishable from 0 is given by a bound; right
    // digits too few to carry the curve are the second reason.
    EXPECT_EQ(FitWarningText(Check(0, Tiny()), 0, ','),
              "Показанные цифры не совпадают с коэффициентами наименьших квадратов; устойчивое решение даёт "
              "|A0| < 9,3e-17, A1 = 1,0000000e+200.\n"
              "С показанными цифрами кривая отходит от кривой наименьших квадратов в точках данных до 1,167: "
              "данные плохо обусловлены для этого вида.");
}

// Random tables as typed, X from near zero to 1e6 spreads away from it, each
// kind: the check's verdict on every shown coefficient equals the exact
// reference's, except within the allowance: a shown value off the exact one
// by between half a unit of its last digit and that plus the allowance
// (plus the stable value's error bound again) may go either way. The stable
// value's error bound holds throughout.
TEST(FitCheck, VerdictsAgreeWithTheExactReference) {
    std::mt19937_64 rng(20240917);
    int right = 0, wrong = 0, undecided = 0;
    for (int kind = 0; kind <= 2; ++kind) {
        for (double offset : {0.0, 1.0, 10.0, 1e2, 1e3, 1e4, 1e5, 1e6}) {
            for (int rep = 0; rep < 20; ++rep) {
                const Pairs p = RandomTable(rng, kind + 2, offset, 1e-3);
                Coefficients fitted;
                const FitCheck r = Check(kind, p, &fitted);
                const ref::LeastSquares exact = ref::Solve(kind + 2, p.x, p.y);
                ASSERT_TRUE(exact.solvable && r.stable.Ok());
                const double shown[4] = {fitted.a0, fitted.a1, fitted.a2, fitted.a3};
                bool anyWrong = false, anyUnsure = false;
                for (int j = 0; j < kind + 2; ++j) {
                    const std::string text = CoefficientText(shown[j], '.');
                    const auto [value, half] = TextValue(text);
                    const ref::Rational miss = abs(value - exact.a[j]);
                    const ref::Rational allowance =
                        ref::Exact(r.allowance[j]) + ref::Exact(r.stable.aError[j]);
                    EXPECT_LE(std::fabs(r.stable.a[j] - exact.A(j)), r.stable.aError[j])
                        << "kind " << kind << " j " << j;
                    const bool sure = miss <= half || miss > half + allowance;
                    if (!sure) {
                        ++undecided;
                        anyUnsure = true;
                        continue;
                    }
                    const bool isWrong = miss > half;
                    EXPECT_EQ(r.digits[j], isWrong ? DigitVerdict::Wrong : DigitVerdict::Confirmed)
                        << "kind " << kind << " offset " << offset << " A" << j << " = " << text << ", exact "
                        << ref::ToLong(exact.a[j]);
                    (isWrong ? wrong : right) += 1;
                    anyWrong |= isWrong;
                }
                if (!anyUnsure) {
                    EXPECT_EQ(r.unreliable, anyWrong || r.curveDeparts);
                }
            }
        }
    }
    // Both verdicts are well represented; hardly any falls within the allowance.
    EXPECT_GT(right, 300);
    EXPECT_GT(wrong, 300);
    EXPECT_LT(undecided, 3);
}

TEST(FitCheck, TooFewDistinctXAreUnreliable) {
    // Any coefficients fit these equally: the closed formulas may still return
    // numbers from a tiny nonzero divisor.
    const Pairs sameX{{0.1, 0.1, 0.1}, {1, 2, 3}};
    Coefficients c;
    const FitCheck same = CheckFit(FitKind::Linear, c, sameX.x, sameX.y);
    EXPECT_TRUE(same.unreliable && same.undetermined);
    EXPECT_EQ(FitWarningText(same, 1, '.'),
              "The X take too few distinct values for this kind: any coefficients fit them equally.");
    const Pairs threeX{{1, 2, 3, 1, 2, 3}, {1, 4, 9, 1, 4, 9}};
    EXPECT_TRUE(CheckFit(FitKind::Cubic, c, threeX.x, threeX.y).unreliable);
    EXPECT_FALSE(CheckFit(FitKind::Quadratic, Coefficients{0, 0, 1, 0}, threeX.x, threeX.y).unreliable);
    // Too few pairs: nothing is shown, nothing to check.
    EXPECT_FALSE(
        CheckFit(FitKind::Cubic, c, std::span(threeX.x).first(3), std::span(threeX.y).first(3)).unreliable);
}
