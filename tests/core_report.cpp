#include <gtest/gtest.h>

#include "core/numbers.h"
#include "core/report.h"

using namespace kurv;

namespace {

// Y = 2.5 - 0.125 X through (0, 2.5), (2, 2.25) and (4, 2.0), with the middle
// pair's Y raised by 0.75: a linear fit as the window composes it.
struct Worked {
    CountingPairs pairs;
    std::vector<double> fitted;
    ReportInput in;

    explicit Worked(int language) {
        pairs.rows = {1, 3, 4};
        pairs.y = {2.5, 3.0, 2.0};
        pairs.x = {0, 2, 4};
        for (int i = 0; i < 3; ++i) pairs.sums.Add(pairs.x[size_t(i)], pairs.y[size_t(i)]);
        in.language = language;
        in.kind = 0;
        in.sep = ',';
        EXPECT_EQ(Solve(FitKind::Linear, pairs.sums, in.coefficients), SolveResult::Ok);
        const double a[4] = {in.coefficients.a0, in.coefficients.a1, in.coefficients.a2, in.coefficients.a3};
        for (int i = 0; i < 4; ++i) in.coefficientTexts[size_t(i)] = CoefficientText(a[i], in.sep);
        in.formula = FormulaText(in.coefficients, FitKind::Linear, in.coefficientTexts);
        ErrorMeasures e;
        FitPairs(pairs, in.coefficients, fitted, e);
        in.sigma = e.Sigma();
        in.maxError = e.maxError;
        in.pairs = &pairs;
        in.fitted = &fitted;
        in.title = "T";
        in.stamp = "S";
    }
};

}  // namespace

TEST(Report, WorkedExampleInBothLanguages) {
    struct Case {
        int language;
        const char* kindLabel;
        const char* kind;
        const char* rmsLabel;
        const char* residualHeader;
    } cases[] = {
        {0, "Вид функции", "Линейная", "Среднекв. отклонение (по ГОСТ 17624-87)", "Y − Y полученное"},
        {1, "Type of function", "Linear", "Rms. deviation (по ГОСТ 17624-87)", "Y − Y obtained"},
    };
    for (const Case& c : cases) {
        Worked w(c.language);
        const Report r = BuildReport(w.in);
        EXPECT_EQ(r.fields[1].label, c.kindLabel);
        EXPECT_EQ(r.fields[1].value, c.kind);
        EXPECT_EQ(r.fields[2].value, "Y = -1,2500000e-1 * X  +2,7500000");
        ASSERT_EQ(r.coefficients.size(), 2u);
        EXPECT_EQ(r.coefficients[0].shown, "A0 = 2,7500000");
        EXPECT_EQ(r.coefficients[0].full, "2,75");
        EXPECT_EQ(r.coefficients[1].shown, "A1 = -1,2500000e-1");
        EXPECT_EQ(r.coefficients[1].full, "-0,125");
        EXPECT_EQ(r.measures[0].value, ErrorMeasureText(w.in.maxError, ','));
        EXPECT_EQ(r.measures[1].label, c.rmsLabel);
        EXPECT_EQ(r.measures[1].value, ErrorMeasureText(w.in.sigma, ','));
        EXPECT_EQ(r.measures[2].value, "3");
        EXPECT_EQ(r.columns[4], c.residualHeader);
        ASSERT_EQ(r.rows.size(), 3u);
        EXPECT_EQ(r.rows[1].tableRow, 3);
        EXPECT_EQ(r.rows[1].y, "3");
        EXPECT_EQ(r.rows[1].fitted, "2,5");
        EXPECT_EQ(r.rows[1].residual, "0,5");
        EXPECT_EQ(r.rows[0].residual, "-0,25");
        // sigma = sqrt((0.0625 + 0.25 + 0.0625) / 2) = 0.433: a residual of 0.25 is past a half of it.
        EXPECT_EQ(r.rows[0].colour, ResidualClass::Far);
    }
    EXPECT_EQ(PageText(0, 2, 7), "Страница 2 из 7");
    EXPECT_EQ(PageText(1, 2, 7), "Page 2 of 7");
}

// A run cut short gives the rows it has fitted, never a row without its value.
TEST(Report, RowsWithoutFittedValueAreLeftOut) {
    Worked w(1);
    w.fitted.resize(2);
    EXPECT_EQ(BuildReport(w.in).rows.size(), 2u);
}
