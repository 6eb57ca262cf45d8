#include "core/statistics_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/numbers.h"

namespace kurv {

namespace {

const char* const kDash = "—";

std::string In(int language, const char* russian, const char* english) {
    return language == 1 ? english : russian;
}

// |v| as decimal digits, the first (non-zero) at 10^exp; no digits for zero.
struct Decimal {
    bool neg = false;
    std::string digits;
    int exp = 0;
};

// Every digit of a finite double: at most 767 significant ones.
Decimal ExactDecimal(double v) {
    Decimal d;
    d.neg = std::signbit(v);
    if (v == 0) return d;
    char buf[800];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 767);
    const char* e = std::find(buf, r.ptr, 'e');
    for (const char* p = buf; p != e; ++p)
        if (*p != '.') d.digits += *p;
    const bool negative = e[1] == '-';
    std::from_chars(e + 2, r.ptr, d.exp);
    if (negative) d.exp = -d.exp;
    while (d.digits.back() == '0') d.digits.pop_back();
    return d;
}

// The digits down to 10^q; the rest rounds half away from zero (the digits
// are exact, so a 5 followed by nothing is a true tie) or, with `up`, away
// from zero whenever anything is cut.
Decimal RoundAt(Decimal d, int q, bool up = false) {
    if (d.digits.empty()) return d;
    const int keep = d.exp - q + 1;
    if (keep >= static_cast<int>(d.digits.size())) return d;
    bool carry;
    if (keep < 0) {
        carry = up;
        d.digits.clear();
        d.exp = q;
    } else {
        carry = up || d.digits[static_cast<std::size_t>(keep)] >= '5';
        d.digits.resize(static_cast<std::size_t>(keep));
    }
    if (carry) {
        int i = static_cast<int>(d.digits.size()) - 1;
        while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9')
            d.digits[static_cast<std::size_t>(i--)] = '0';
        if (i >= 0) {
            ++d.digits[static_cast<std::size_t>(i)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            d.exp = q + static_cast<int>(d.digits.size()) - 1;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    return d;
}

// Fixed notation down to 10^q (no separator for q >= 0); no "-" on zero.
std::string Fixed(const Decimal& d, int q, char sep) {
    auto at = [&d](int pos) {
        const int i = d.exp - pos;
        return i >= 0 && i < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(i)] : '0';
    };
    std::string s = d.neg && !d.digits.empty() ? "-" : "";
    for (int pos = d.digits.empty() ? 0 : std::max(d.exp, 0); pos >= 0; --pos) s += at(pos);
    if (q < 0) {
        s += sep;
        for (int pos = -1; pos >= q; --pos) s += at(pos);
    }
    return s;
}

std::string ExponentSuffix(int x) {
    return std::string("e") + (x < 0 ? "-" : "+") + std::to_string(std::abs(x));
}

Decimal Scaled(Decimal d, int x) {
    d.exp -= x;
    return d;
}

// Digits down to 10^q: fixed for 10^-5 <= |v| < 10^15, else "d.ddde-7".
std::string Layout(const Decimal& d, int q, char sep) {
    if (d.digits.empty() || (d.exp >= -5 && d.exp < 15)) return Fixed(d, q, sep);
    return Fixed(Scaled(d, d.exp), q - d.exp, sep) + ExponentSuffix(d.exp);
}

std::string FixedDecimals(double v, int decimals, char sep) {
    return Fixed(RoundAt(ExactDecimal(v), -decimals), -decimals, sep);
}

// How many significant digits of the figure its error leaves sure: the
// last one's unit is at least twice the error.
int SureDigits(const Figure& f) {
    if (f.error <= 0) return 17;
    if (f.value == 0) return 0;
    const int e = ExactDecimal(f.value).exp;
    return static_cast<int>(std::floor(e + 1 - std::log10(2 * f.error)));
}

// "< B": B the figure's magnitude plus its error, rounded up to two digits.
std::string BoundText(const Figure& f, char sep) {
    const Decimal d = ExactDecimal(std::fabs(f.value) + f.error);
    int q = d.exp - 1;
    const Decimal r = RoundAt(d, q, true);
    if (r.exp > d.exp) ++q;
    return "< " + Layout(r, q, sep);
}

std::string Join(const std::vector<std::string>& cells) {
    std::string s;
    for (std::size_t i = 0; i < cells.size(); ++i) (s += i ? "\t" : "") += cells[i];
    return s;
}

const char* const kLabels[][2] = {
    {"Качество аппроксимации", "Quality of the fit"},
    {"Число пар n", "Pairs n"},
    {"Число степеней свободы ν = n − p", "Degrees of freedom ν = n − p"},
    {"Остаточное стандартное отклонение s", "Residual standard deviation s"},
    {"Коэффициент детерминации R²", "Coefficient of determination R²"},
    {"Скорректированный R²", "Adjusted R²"},
    {"Коэффициент охвата t (95 %)", "Coverage factor t (95 %)"},
    {"Коэффициенты", "Coefficients"},
    {"Показанное значение", "Value as shown"},
    {"Стандартная неопределённость u", "Standard uncertainty u"},
    {"Относительная u, %", "Relative u, %"},
    {"Значение ± U (95 %)", "Value ± U (95 %)"},
    {"Корреляция коэффициентов", "Correlation of the coefficients"},
    {"Точки вычисления", "Evaluation points"},
    {"U кривой (95 %)", "U of the curve (95 %)"},
    {"U отдельного отсчёта (95 %)", "U of a single reading (95 %)"},
    {"не определён: все Y одинаковы", "undefined: every Y is the same"},
};
enum Label {
    kQuality,
    kPairs,
    kFreedom,
    kResidualS,
    kR2,
    kAdjustedR2,
    kCoverageFactor,
    kCoefficients,
    kValueShown,
    kStandardU,
    kRelativeU,
    kCertificate,
    kCorrelation,
    kPoints,
    kCurveU,
    kReadingU,
    kR2Undefined,
};

}  // namespace

std::string SignificantText(double v, int digits, char sep) {
    if (!std::isfinite(v)) return kDash;
    if (v == 0) return "0";
    digits = std::clamp(digits, 1, 17);
    const Decimal d = ExactDecimal(v);
    int q = d.exp - digits + 1;
    const Decimal r = RoundAt(d, q);
    if (r.exp > d.exp) ++q;  // 9.96 to two digits is 10
    return Layout(r, q, sep);
}

std::string CertificateText(double value, double expanded, char sep) {
    if (!std::isfinite(value) || !std::isfinite(expanded) || expanded < 0) return kDash;
    if (expanded == 0) return FullPrecisionText(value, sep) + " ± 0";
    const Decimal exact = ExactDecimal(expanded);
    int q = exact.exp - 1;
    const Decimal u = RoundAt(exact, q);
    if (u.exp > exact.exp) ++q;  // 0.0995 is 0.10
    const Decimal v = RoundAt(ExactDecimal(value), q);
    const int top = v.digits.empty() ? u.exp : std::max(u.exp, v.exp);
    if (q >= -6 && q <= 3 && top < 9) return Fixed(v, q, sep) + " ± " + Fixed(u, q, sep);
    return "(" + Fixed(Scaled(v, top), q - top, sep) + " ± " + Fixed(Scaled(u, top), q - top, sep) + ")" +
           ExponentSuffix(top);
}

std::string FigureText(const Figure& f, FigureStyle style, char sep) {
    if (!std::isfinite(f.value) || !std::isfinite(f.error)) return kDash;
    if (f.value == 0 && f.error == 0) return "0";
    const int all = style == FigureStyle::Coefficient ? 8 : style == FigureStyle::General ? 15 : 2;
    const int sure = SureDigits(f);
    if (sure < 1) return BoundText(f, sep);
    if (sure < all) return SignificantText(f.value, sure, sep);
    switch (style) {
        case FigureStyle::Coefficient:
            return CoefficientText(f.value, sep);
        case FigureStyle::General:
            return GeneralNumberText(f.value, sep);
        case FigureStyle::TwoDigits:
            break;
    }
    return SignificantText(f.value, 2, sep);
}

std::string StatisticsReasonText(StatisticsStatus why, int language) {
    switch (why) {
        case StatisticsStatus::Ok:
            return {};
        case StatisticsStatus::TooFewPairs:
            return In(language, "Статистики нет: для этого вида функции слишком мало пар.",
                      "No statistics: too few pairs for this kind of function.");
        case StatisticsStatus::NoDegreesOfFreedom:
            return In(language,
                      "Статистики нет: пар столько же, сколько коэффициентов (ν = 0), кривая проходит через "
                      "каждую точку, и оценить неопределённость не по чему.",
                      "No statistics: there are as many pairs as coefficients (ν = 0), so the curve passes "
                      "through every point and leaves nothing to estimate an uncertainty from.");
        case StatisticsStatus::TooFewDistinctX:
            return In(language,
                      "Статистики нет: различных значений X меньше, чем коэффициентов у этого вида функции.",
                      "No statistics: the X take fewer distinct values than this kind of function has "
                      "coefficients.");
        case StatisticsStatus::Dependent:
            return In(
                language,
                "Статистики нет: значения X слишком близки друг к другу, чтобы определить коэффициенты.",
                "No statistics: the X lie too close together to determine the coefficients.");
        case StatisticsStatus::SolutionFault:
            return In(language, "Статистики нет: коэффициенты определить невозможно.",
                      "No statistics: the coefficients cannot be determined.");
    }
    return {};
}

std::string ShortReasonText(StatisticsStatus why, int language) {
    switch (why) {
        case StatisticsStatus::Ok:
            return {};
        case StatisticsStatus::TooFewPairs:
            return In(language, "мало пар", "too few pairs");
        case StatisticsStatus::NoDegreesOfFreedom:
            return "ν = 0";
        case StatisticsStatus::TooFewDistinctX:
            return In(language, "мало разных X", "too few distinct X");
        case StatisticsStatus::Dependent:
            return In(language, "X слишком близки", "X too close");
        case StatisticsStatus::SolutionFault:
            return In(language, "не определены", "undetermined");
    }
    return {};
}

std::string CoverageText(const FitStatistics& st, int language, char sep) {
    const std::string t = FixedDecimals(st.t, 4, sep), nu = std::to_string(st.nu);
    return language == 1
               ? "U is the expanded uncertainty for a coverage probability of 95 %: U = t·u, where t = " + t +
                     " is the quantile of Student's t distribution for the number of degrees of "
                     "freedom ν = " +
                     nu + "."
               : "U — расширенная неопределённость при вероятности охвата 95 %: U = t·u, где t = " + t +
                     " — квантиль распределения Стьюдента при числе степеней свободы ν = " + nu + ".";
}

StatisticsSheet BuildStatisticsSheet(const StatisticsInput& in) {
    const int lang = in.language == 1 ? 1 : 0;
    auto label = [lang](Label l) { return std::string(kLabels[l][lang]); };
    const char sep = in.sep;
    StatisticsSheet sheet;
    const FitStatistics* st = in.statistics;
    if (!st || !st->Ok()) {
        sheet.notes.push_back(StatisticsReasonText(st ? st->status : StatisticsStatus::TooFewPairs, lang));
        return sheet;
    }
    const int p = st->p;
    auto r2 = [&](const std::optional<Figure>& f) {
        return f ? FigureText(*f, FigureStyle::General, sep) : label(kR2Undefined);
    };
    sheet.sections.push_back({label(kQuality),
                              {},
                              {{label(kPairs), std::to_string(st->n)},
                               {label(kFreedom), std::to_string(st->nu)},
                               {label(kResidualS), FigureText(st->s, FigureStyle::Coefficient, sep)},
                               {label(kR2), r2(st->r2)},
                               {label(kAdjustedR2), r2(st->adjustedR2)},
                               {label(kCoverageFactor), FixedDecimals(st->t, 4, sep)}}});

    SheetSection coefficients{
        label(kCoefficients),
        {"", label(kValueShown), label(kStandardU), label(kRelativeU), label(kCertificate)},
        {}};
    SheetSection correlation{label(kCorrelation), {""}, {}};
    for (int j = 0; j < p; ++j) {
        const std::string name = "A" + std::to_string(j);
        const double a = st->coefficients[j];
        const Figure& u = st->u[j];
        const std::string relative =
            a == 0 ? kDash
                   : FigureText({100 * u.value / std::fabs(a), 100 * u.error / std::fabs(a)},
                                FigureStyle::TwoDigits, sep);
        // A certificate needs U to two sure digits.
        const std::string certificate =
            SureDigits(st->expanded[j]) >= 2 ? CertificateText(a, st->expanded[j].value, sep) : kDash;
        coefficients.rows.push_back({name, in.coefficientTexts[static_cast<std::size_t>(j)],
                                     FigureText(u, FigureStyle::Coefficient, sep), relative, certificate});
        correlation.header.push_back(name);
        std::vector<std::string> row{name};
        for (int k = 0; k < p; ++k) row.push_back(FormatFixed7(st->correlation[j][k], sep));
        correlation.rows.push_back(std::move(row));
    }
    sheet.sections.push_back(std::move(coefficients));
    sheet.sections.push_back(std::move(correlation));

    if (!in.points.empty()) {
        SheetSection points{label(kPoints), {"X", "Y", label(kCurveU), label(kReadingU)}, {}};
        for (const SheetPoint& point : in.points) {
            const auto at = st->At(point.x);
            points.rows.push_back({point.xText, point.yText,
                                   at ? FigureText(at->expanded, FigureStyle::TwoDigits, sep) : kDash,
                                   at ? FigureText(at->prediction, FigureStyle::TwoDigits, sep) : kDash});
        }
        sheet.sections.push_back(std::move(points));
    }

    sheet.notes.push_back(CoverageText(*st, lang, sep));
    sheet.notes.push_back(
        In(lang,
           "s делится на ν = n − p; среднеквадратическое отклонение главного окна делится на "
           "n − 1.",
           "s divides by ν = n − p; the RMS deviation of the main window divides by n − 1."));
    if (in.warning)
        sheet.notes.push_back(
            In(lang,
               "Показанные коэффициенты отличаются от устойчивого решения, которое описывают эти "
               "величины.",
               "The shown coefficients differ from the stable solution that these figures "
               "describe."));
    return sheet;
}

std::string SheetTsv(const StatisticsSheet& sheet) {
    std::string text;
    for (std::size_t i = 0; i < sheet.sections.size(); ++i) {
        const SheetSection& s = sheet.sections[i];
        if (i) text += "\r\n";
        text += s.title + "\r\n";
        if (!s.header.empty()) text += Join(s.header) + "\r\n";
        for (const auto& row : s.rows) text += Join(row) + "\r\n";
    }
    if (!sheet.sections.empty() && !sheet.notes.empty()) text += "\r\n";
    for (const std::string& note : sheet.notes) text += note + "\r\n";
    return text;
}

StatisticsSummary SummaryTexts(const FitStatistics& st, char sep) {
    if (!st.Ok()) return {};
    auto r2 = [sep](const std::optional<Figure>& f) {
        return f ? FigureText(*f, FigureStyle::General, sep) : std::string(kDash);
    };
    return {FigureText(st.s, FigureStyle::Coefficient, sep), r2(st.r2), r2(st.adjustedR2)};
}

}  // namespace kurv
