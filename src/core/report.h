// The calibration report's texts, built from the same pieces the window shows
// after a fit: the formula line, the coefficients' texts, the error measures
// and each counting row with its fitted value. Painting is the window's.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/fit.h"
#include "core/recalc.h"

namespace kurv {

// What the window shows of its last fit.
struct ReportInput {
    int language = 0;     // 0 Russian, 1 English
    int kind = 0;         // the list's index
    std::string title;    // the application title
    std::string stamp;    // date and time, already in the language's form
    std::string formula;  // the formula line as shown
    Coefficients coefficients;
    std::array<std::string, 4> coefficientTexts;  // as shown after "A0 = "
    double sigma = 0, maxError = 0;
    const CountingPairs* pairs = nullptr;
    const std::vector<double>* fitted = nullptr;  // one per pair
    char sep = '.';
};

struct ReportField {
    std::string label, value;
};

struct ReportCoefficient {
    std::string shown;  // "A0 = " and the shown text, as the panel has it
    std::string full;   // the shortest text that reads back to the value
};

struct ReportRow {
    int tableRow = 0;
    std::string y, x, fitted, residual;  // residual: Y - Y obtained
    ResidualClass colour = ResidualClass::Near;
};

struct Report {
    std::string title, heading;
    std::vector<ReportField> fields;                // date, kind, formula
    std::array<std::string, 2> coefficientColumns;  // "as shown", "full precision"
    std::vector<ReportCoefficient> coefficients;    // as many as the kind has
    std::vector<ReportField> measures;              // max error, deviation, pairs
    std::array<std::string, 5> columns;             // row, Y, X, Y obtained, residual
    std::vector<ReportRow> rows;
    std::string legend;  // what the residuals' colours mean
    int language = 0;
};

// Every row of the pairs goes in; a pair without a fitted value (a run cut
// short) is left out, so the caller should pass a complete run.
Report BuildReport(const ReportInput& in);

// "Page 2 of 7" in the report's language.
std::string PageText(int language, int page, int pages);

}  // namespace kurv
