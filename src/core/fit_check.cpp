#include "core/fit_check.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "core/numbers.h"
#include "core/statistics_text.h"

namespace kurv {

namespace {

using L = long double;

// A coefficient text has 8 significant digits (d.ddddddd, fixed or with an
// exponent), so the value it reads back to is off by at most half a unit of
// the 8th digit: 5e-8 of the coefficient.
constexpr L kShownDigits = 5e-8L;

// The curve check compares the curve of the coefficients as shown with the
// stable curve at the pairs' X, relative to the size of the data (the largest
// |Y| or stable fitted value). Where the terms a_k·X^k do not cancel, 8 digits
// carry the curve to 5e-8 of that size; each decade by which the terms outgrow
// the values (X far from zero compared with its spread, and higher kinds)
// costs a digit. Two lost digits are accepted: the shown curve then still
// agrees with the least-squares curve to about 6 significant digits, finer
// than the error measures show. Beyond that the shown digits no longer
// describe the fit even where each of them is right (a cubic at X near 1e4
// with a spread of 10).
constexpr L kAcceptedLoss = 100;

// A coefficient whose difference moves the curve at the data by less than
// this many units in the last place of double precision of the data's size
// is one no double-precision calculation can pin down.
constexpr L kInvisibleUlps = 8;

struct Shown {
    L value;
    L halfUnit;  // half a unit of the text's last digit; 0 for the text "0"
};

Shown ShownText(double a) {
    const std::string text = CoefficientText(a, '.');
    const auto v = ParseNumber(text, '.');
    Shown s{v ? *v : L{a}, 0};
    if (text == "0") return s;
    const auto e = text.find('e');
    const int exponent = e == std::string::npos ? 0 : std::stoi(text.substr(e + 1));
    s.halfUnit = 5 * std::pow(10.0L, static_cast<L>(exponent - 8));
    return s;
}

}  // namespace

int FitCheck::FirstWrong() const {
    for (int j = 0; j < 4; ++j)
        if (digits[j] == DigitVerdict::Wrong) return j;
    return -1;
}

FitCheck CheckFit(FitKind kind, const Coefficients& c, std::span<const double> x, std::span<const double> y) {
    FitCheck check;
    if (x.size() != y.size()) return check;
    check.stable = SolveStable(kind, x, y);
    const StableFit& s = check.stable;
    switch (s.status) {
        case StableStatus::TooFewPairs:
            return check;
        case StableStatus::TooFewDistinctX:
        case StableStatus::Dependent:
            check.unreliable = check.undetermined = true;
            return check;
        case StableStatus::Ok:
            break;
    }
    const int p = s.p;
    const double coefficients[4] = {c.a0, c.a1, c.a2, c.a3};
    std::array<Shown, 4> shown{};
    for (int j = 0; j < p; ++j) shown[j] = ShownText(coefficients[j]);

    // The curve of the shown coefficients against the stable one at the data.
    L discrepancy = 0, size = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const L stable = s.ValueAt(x[i]);
        const L X = x[i];
        L curve = 0;
        for (int j = p - 1; j >= 0; --j) curve = curve * X + shown[j].value;
        discrepancy = std::max(discrepancy, std::fabs(curve - stable));
        if (!std::isfinite(curve)) discrepancy = HUGE_VALL;
        size = std::max({size, std::fabs(stable), L{std::fabs(y[i])}});
    }
    const L tolerance = kAcceptedLoss * kShownDigits * size;
    check.discrepancy = static_cast<double>(std::min(discrepancy, L{HUGE_VAL}));
    check.tolerance = static_cast<double>(std::min(tolerance, L{HUGE_VAL}));
    check.curveDeparts = !(discrepancy <= tolerance);

    // Each shown text against the stable coefficient.
    bool doubtful = false;
    L power = 1;  // the largest |X| to the coefficient's power
    for (int j = 0; j < p; ++j, power *= s.maxAbsX) {
        const L invisible = kInvisibleUlps * DBL_EPSILON * size / power;
        const L allowance = s.aError[j] + invisible;
        check.stableValue[j] = static_cast<double>(s.a[j]);
        check.stableError[j] = static_cast<double>(s.aError[j]);
        check.allowance[j] = static_cast<double>(std::min(allowance, L{HUGE_VAL}));
        const L off = std::fabs(shown[j].value - s.a[j]);
        if (!(off <= shown[j].halfUnit + allowance))
            check.digits[j] = DigitVerdict::Wrong;
        else if (s.aError[j] > std::max(shown[j].halfUnit, invisible))
            check.digits[j] = DigitVerdict::Unconfirmed;
        else
            check.digits[j] = DigitVerdict::Confirmed;
        doubtful |= check.digits[j] != DigitVerdict::Confirmed;
    }
    check.unreliable = doubtful || check.curveDeparts;
    return check;
}

std::string FitWarningText(const FitCheck& check, int language, char sep) {
    const bool eng = language == 1;
    if (!check.unreliable) return {};
    if (check.undetermined)
        return eng ? "The X take too few distinct values for this kind: any coefficients fit them equally."
                   : "Различных значений X слишком мало для этого вида: им одинаково подходят любые "
                     "коэффициенты.";
    std::string text;
    auto line = [&text](const std::string& s) { text += (text.empty() ? "" : "\n") + s; };
    std::string wrong, unconfirmed;
    for (int j = 0; j < 4; ++j) {
        const std::string name = "A" + std::to_string(j);
        if (check.digits[j] == DigitVerdict::Wrong) {
            // The stable value to the digits its error leaves sure: "|A0| < 2.2e-18" for one
            // indistinguishable from 0.
            const std::string value =
                FigureText({check.stableValue[j], check.stableError[j]}, FigureStyle::Coefficient, sep);
            wrong +=
                (wrong.empty() ? "" : ", ") + (value[0] == '<' ? "|" + name + "| " : name + " = ") + value;
        }
        if (check.digits[j] == DigitVerdict::Unconfirmed)
            unconfirmed += (unconfirmed.empty() ? "" : ", ") + name;
    }
    if (!wrong.empty())
        line(eng ? "The shown digits are not the least-squares coefficients; a stable solution gives " +
                       wrong + "."
                 : "Показанные цифры не совпадают с коэффициентами наименьших квадратов; устойчивое решение "
                   "даёт " +
                       wrong + ".");
    if (!unconfirmed.empty())
        line(eng ? "The data are too ill-conditioned for this kind to confirm the shown digits of " +
                       unconfirmed + "."
                 : "Данные слишком плохо обусловлены для этого вида, чтобы подтвердить показанные цифры " +
                       unconfirmed + ".");
    if (check.curveDeparts) {
        const std::string by = ErrorMeasureText(check.discrepancy, sep);
        line(eng ? "With the shown digits the curve departs from the least-squares curve by up to " + by +
                       " at the data: the data are ill-conditioned for this kind."
                 : "С показанными цифрами кривая отходит от кривой наименьших квадратов в точках данных до " +
                       by + ": данные плохо обусловлены для этого вида.");
    }
    return text;
}

}  // namespace kurv
