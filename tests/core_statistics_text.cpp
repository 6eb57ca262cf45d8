#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/numbers.h"
#include "core/statistics_text.h"
#include "fit_tables.h"

using namespace kurv;

TEST(StatisticsText, CertificateForm) {
    const double inf = std::numeric_limits<double>::infinity();
    struct {
        double value, u;
        char sep;
        const char* text;
    } const cases[] = {
        {3.1417141, 0.0012, '.', "3.1417 ± 0.0012"},
        {2.04, 0.0995, '.', "2.04 ± 0.10"},  // U carries into a new digit: still two
        {2.04, 0.0995, ',', "2,04 ± 0,10"},
        {9.9996, 0.012, '.', "10.000 ± 0.012"},  // the value carries
        {-0.262323073774029, 0.47314, '.', "-0.26 ± 0.47"},
        {-0.004, 0.47, '.', "0.00 ± 0.47"},  // no sign on a zero
        {0.125, 0.125, '.', "0.13 ± 0.13"},  // exact binary ties, away from zero
        {-0.125, 0.125, '.', "-0.13 ± 0.13"},
        {123456.7, 1234, '.', "123500 ± 1200"},
        {0.00067356, 0.00021871, '.', "0.00067 ± 0.00022"},
        {6.7e-4, 2.2e-7, '.', "(6.7000 ± 0.0022)e-4"},  // last digit below 10^-6
        {-3.16081871345029e-15, 9.86e-17, ',', "(-3,161 ± 0,099)e-15"},
        {5.6789e-18, 1.234e-20, '.', "(5.679 ± 0.012)e-18"},
        {1.23456e27, 3.4e25, '.', "(1.235 ± 0.034)e+27"},
        {1e11, 9.96e10, '.', "(1.0 ± 1.0)e+11"},
        {1.5, 0, '.', "1.5 ± 0"},
        {1.5, -1, '.', "—"},
        {inf, 1, '.', "—"},
        {1, inf, '.', "—"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CertificateText(c.value, c.u, c.sep), c.text) << c.value << " ± " << c.u;
}

TEST(StatisticsText, FiguresShowOnlyTheirSureDigits) {
    EXPECT_EQ(SignificantText(0.0995, 2, '.'), "0.10");
    EXPECT_EQ(SignificantText(9.96, 2, ','), "10");
    EXPECT_EQ(SignificantText(123456, 2, '.'), "120000");
    EXPECT_EQ(SignificantText(1e20, 2, '.'), "1.0e+20");
    EXPECT_EQ(SignificantText(-1.2345e-7, 3, ','), "-1,23e-7");
    EXPECT_EQ(SignificantText(0.00001234, 2, '.'), "0.000012");

    struct {
        Figure f;
        FigureStyle style;
        const char* text;
    } const cases[] = {
        {{0.884796396144381, 1.6e-14}, FigureStyle::Coefficient, "8.8479640e-1"},  // the panels' form
        {{0.999993745883712, 1.1e-16}, FigureStyle::General, "0.999993745883712"},
        {{0.999993745883712, 1e-12}, FigureStyle::General, "0.99999374588"},
        {{2.1e-17, 3e-16}, FigureStyle::Coefficient, "< 3.3e-16"},  // indistinguishable from 0
        {{0.0012345, 1e-9}, FigureStyle::TwoDigits, "0.0012"},
        {{0, 0}, FigureStyle::Coefficient, "0"},
        {{std::numeric_limits<double>::infinity(), 0}, FigureStyle::TwoDigits, "—"},
    };
    for (const auto& c : cases) EXPECT_EQ(FigureText(c.f, c.style, '.'), c.text) << c.f.value;
}

namespace {

FitStatistics NorrisStatistics() {
    const Pairs p = Norris();
    return ComputeStatistics(SolveStable(FitKind::Linear, p.x, p.y));
}

StatisticsInput NorrisInput(const FitStatistics& st, int language, char sep) {
    StatisticsInput in;
    in.language = language;
    in.sep = sep;
    in.statistics = &st;
    in.coefficientTexts = {CoefficientText(-0.262323073774029, sep), CoefficientText(1.00211681802045, sep),
                           "0", "0"};
    in.points = {{0, "0", "-0.2623231"}, {500, "500", "500.7960859"}};
    return in;
}

}  // namespace

// The whole sheet as it copies, and the same layout in the other language
// and separator.
TEST(StatisticsText, SheetAndItsTsv) {
    const FitStatistics st = NorrisStatistics();
    EXPECT_EQ(
        SheetTsv(BuildStatisticsSheet(NorrisInput(st, 1, '.'))),
        "Quality of the fit\r\n"
        "Pairs n\t36\r\n"
        "Degrees of freedom ν = n − p\t34\r\n"
        "Residual standard deviation s\t8.8479640e-1\r\n"
        "Coefficient of determination R²\t0.999993745883712\r\n"
        "Adjusted R²\t0.999993561939115\r\n"
        "Coverage factor t (95 %)\t2.0322\r\n"
        "\r\n"
        "Coefficients\r\n"
        "\tValue as shown\tStandard uncertainty u\tRelative u, %\tValue ± U (95 %)\r\n"
        "A0\t-2.6232307e-1\t2.3281823e-1\t89\t-0.26 ± 0.47\r\n"
        "A1\t1.0021168\t4.2979685e-4\t0.043\t1.00212 ± 0.00087\r\n"
        "\r\n"
        "Correlation of the coefficients\r\n"
        "\tA0\tA1\r\n"
        "A0\t1.0000000\t-0.7738281\r\n"
        "A1\t-0.7738281\t1.0000000\r\n"
        "\r\n"
        "Evaluation points\r\n"
        "X\tY\tU of the curve (95 %)\tU of a single reading (95 %)\r\n"
        "0\t-0.2623231\t0.47\t1.9\r\n"
        "500\t500.7960859\t0.31\t1.8\r\n"
        "\r\n"
        "U is the expanded uncertainty for a coverage probability of 95 %: U = t·u, where t = 2.0322 is the "
        "quantile of Student's t distribution for the number of degrees of freedom ν = 34.\r\n"
        "s divides by ν = n − p; the RMS deviation of the main window divides by n − 1.\r\n");

    StatisticsInput in = NorrisInput(st, 0, ',');
    in.warning = true;
    const StatisticsSheet ru = BuildStatisticsSheet(in);
    ASSERT_EQ(ru.sections.size(), 4u);
    EXPECT_EQ(ru.sections[1].rows[1],
              (std::vector<std::string>{"A1", "1,0021168", "4,2979685e-4", "0,043", "1,00212 ± 0,00087"}));
    EXPECT_EQ(ru.sections[0].rows[3],
              (std::vector<std::string>{"Коэффициент детерминации R²", "0,999993745883712"}));
    EXPECT_EQ(
        ru.notes.front(),
        "U — расширенная неопределённость при вероятности охвата 95 %: U = t·u, где t = 2,0322 — квантиль "
        "распределения Стьюдента при числе степеней свободы ν = 34.");
    EXPECT_EQ(ru.notes.back(),
              "Показанные коэффициенты отличаются от устойчивого решения, которое описывают эти величины.");
}

TEST(StatisticsText, ReasonsInsteadOfNumbers) {
    const FitStatistics none = NoStatistics(StatisticsStatus::NoDegreesOfFreedom, FitKind::Linear);
    StatisticsInput in;
    in.language = 1;
    in.statistics = &none;
    EXPECT_EQ(
        SheetTsv(BuildStatisticsSheet(in)),
        "No statistics: there are as many pairs as coefficients (ν = 0), so the curve passes through every "
        "point and leaves nothing to estimate an uncertainty from.\r\n");
    EXPECT_EQ(SummaryTexts(none, '.').s, "");
    EXPECT_EQ(ShortReasonText(StatisticsStatus::TooFewDistinctX, 0), "мало разных X");

    // Every Y the same: R² is said undefined in words; the rest stands.
    const FitStatistics flat = ComputeStatistics(
        SolveStable(FitKind::Linear, std::vector<double>{1, 2, 3}, std::vector<double>{5, 5, 5}));
    in.statistics = &flat;
    const StatisticsSheet sheet = BuildStatisticsSheet(in);
    ASSERT_FALSE(sheet.sections.empty());
    EXPECT_EQ(sheet.sections[0].rows[3][1], "undefined: every Y is the same");
    EXPECT_EQ(sheet.sections[0].rows[2][1], "0");
    EXPECT_EQ(SummaryTexts(flat, '.').r2, "—");
}
