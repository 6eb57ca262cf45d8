// The fit statistics as texts, in Russian (language 0) or English (1): one
// sheet of sections, each a grid of texts, that the statistics window, the
// report and a terminal lay out alike, and that copies as TSV.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/statistics.h"

namespace kurv {

// "value ± U" the way a certificate writes it: U rounded to two significant
// digits, the value to the same decimal place (ties away from zero on the
// exact binary values). Fixed while U's last digit lies between 10^-6 and
// 10^3 and the larger of the two stays below 10^9; otherwise both over the
// larger one's power of ten, "(1.2346 ± 0.0012)e-9". U = 0 gives the value in
// full precision and "± 0"; a U that is not a finite positive value gives "—".
std::string CertificateText(double value, double expanded, char sep);

// How a figure is shown when its error allows all the digits.
enum class FigureStyle {
    Coefficient,  // 8 digits, as the coefficient panels: s, u(a_j)
    General,      // 15 digits, as the fitted column: R²
    TwoDigits,    // 2 significant digits: expanded uncertainties, relative u
};

// A figure with no more significant digits than its error allows: all of the
// style's when the error is below half a unit of its last one, fewer
// otherwise ("0.9999937" rather than 15 digits), and "< B" when not even the
// first digit is sure (B its magnitude plus its error, rounded up to two
// digits: a figure indistinguishable from 0). Non-finite values give "—".
std::string FigureText(const Figure& f, FigureStyle style, char sep);

// `v` rounded to `digits` significant digits (1..17), kept even when zeros:
// fixed for 10^-5 <= |v| < 10^15, otherwise "d.ddde-7".
std::string SignificantText(double v, int digits, char sep);

// Why there are no statistics, in words.
std::string StatisticsReasonText(StatisticsStatus why, int language);

// How U was obtained: the coverage factor t and ν.
std::string CoverageText(const FitStatistics& st, int language, char sep);

// One block of the sheet: a grid of texts under an optional header row.
struct SheetSection {
    std::string title;
    std::vector<std::string> header;  // empty for label/value rows
    std::vector<std::vector<std::string>> rows;
};

struct StatisticsSheet {
    std::vector<SheetSection> sections;  // none without statistics
    std::vector<std::string> notes;      // the coverage, the warning; or the reason for none
};

// An evaluation point as the window shows it.
struct SheetPoint {
    double x = 0;
    std::string xText, yText;
};

struct StatisticsInput {
    int language = 0;
    char sep = '.';
    const FitStatistics* statistics = nullptr;
    std::array<std::string, 4> coefficientTexts;  // as the panels show them, without "A0 = "
    std::vector<SheetPoint> points;
    bool warning = false;  // the warning sign shows: the shown coefficients are not the stable ones
};

StatisticsSheet BuildStatisticsSheet(const StatisticsInput& in);

// The sheet as tab-separated lines: each section's title, header and rows,
// a blank line between sections, then the notes.
std::string SheetTsv(const StatisticsSheet& sheet);

// The compare window's cells for one kind: s, R² and the adjusted R² as the
// sheet shows them, free of language; all empty when there are no
// statistics (ShortReasonText says why) and R²'s "—" when every Y is the same.
struct StatisticsSummary {
    std::string s, r2, adjustedR2;
};
StatisticsSummary SummaryTexts(const FitStatistics& st, char sep);

// Why there are no statistics, in a few words for a table cell.
std::string ShortReasonText(StatisticsStatus why, int language);

}  // namespace kurv
