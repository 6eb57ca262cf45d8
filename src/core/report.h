// The calibration report's texts, built from the same pieces the window shows
// after a fit (the formula line, the coefficients' texts, the error measures,
// each counting row with its fitted value) and from the record the
// laboratory fills in. Painting is the window's.
//
// The report is instant at any table size: the residual table lists every
// row of a short table, and of a long one only the rows with the largest
// residuals; the texts of a row are made when its page is painted.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/datatable.h"
#include "core/fit.h"
#include "core/recalc.h"
#include "core/report_record.h"
#include "core/statistics_text.h"

namespace kurv {

// A table of up to this many rows is listed whole: about four pages, more
// than any calibration made point by point has, and still read on paper.
inline constexpr std::size_t kWholeTableRows = 200;
// A longer table is data logged by a machine; its rows with the largest
// residuals (one page) show where the curve fits worst, the data file holds the rest.
inline constexpr std::size_t kLargestResidualRows = 50;
// Every row of a longer table goes to a PDF file, not to the preview: the
// preview keeps each page as a picture (about 0.14 MB), and 100,000 rows
// are some 1,800 pages already.
inline constexpr std::size_t kEveryRowPreviewPairs = 100000;

// Where the table's data are kept: the data file last read or written, with
// the fingerprint of the table as it was then. The data still come from
// (or are still in) that file while the table's fingerprint is the same.
struct DataFileNote {
    std::string path;  // empty: none
    std::uint64_t fingerprint = 0;
};
struct ReportDataFiles {
    DataFileNote read, written;
};
// The Y and X texts of every row that holds any, in order: what a data file
// holds of the table. Column 2, empty rows and the row count do not count.
std::uint64_t DataFingerprint(const DataTable& table);
// The file the table's data came from and a file that holds them all, for a
// table whose fingerprint is `now` (each empty when none).
struct DataFilesNow {
    std::string source, copy;
};
DataFilesNow MatchDataFiles(const ReportDataFiles& files, std::uint64_t now);

// One shown evaluation point, its texts as the window shows them.
struct ReportPoint {
    int number = 0;  // 1..10
    std::string x, y;
};

// What the window shows of its last fit, and the record.
struct ReportInput {
    int language = 0;     // 0 Russian, 1 English
    int kind = 0;         // the list's index
    std::string title;    // the application title
    std::string stamp;    // date and time the report is made, already in the language's form
    std::string formula;  // the formula line as shown
    Coefficients coefficients;
    std::array<std::string, 4> coefficientTexts;  // as shown after "A0 = "
    double sigma = 0, maxError = 0;
    const CountingPairs* pairs = nullptr;
    const std::vector<double>* fitted = nullptr;  // one per pair
    char sep = '.';

    ReportRecord record;
    std::string sourceFile;  // the data file the table holds; empty: clipboard or typing
    std::string copyFile;    // a data file that holds the whole table; empty: none
    std::vector<ReportPoint> points;
    // The fit statistics as the statistics window shows them: sections of
    // label/value rows or grids, and notes (the coverage statement first).
    // Empty: no section.
    StatisticsSheet statistics;
    bool everyRow = false;  // the residual table lists every row, however many
};

struct ReportField {
    std::string label, value;
};

struct ReportCoefficient {
    std::string name;   // "A0"
    std::string shown;  // the text the panel shows after "A0 = "
    std::string full;   // the shortest text that reads back to the value
    std::string unit;   // empty without units
};

struct ReportRow {
    int tableRow = 0;
    std::string y, x, fitted, residual;  // residual: Y - Y obtained
    ResidualClass colour = ResidualClass::Near;
};

// The residual table: which pairs it lists, in which order, and their texts.
class ReportTable {
  public:
    ReportTable() = default;
    ReportTable(const CountingPairs* pairs, const std::vector<double>* fitted, double sigma, char sep,
                bool every);
    // Rows made by hand, for painting tests.
    explicit ReportTable(std::vector<ReportRow> rows) : own_(std::move(rows)) {}

    std::size_t Count() const;
    // The k-th listed row, its texts made now.
    ReportRow Row(std::size_t k) const;
    bool Whole() const { return whole_; }  // every pair, in table order

  private:
    const CountingPairs* pairs_ = nullptr;
    const std::vector<double>* fitted_ = nullptr;
    double sigma_ = 0;
    char sep_ = '.';
    bool whole_ = true;
    std::size_t count_ = 0;
    std::vector<std::uint32_t> picked_;  // pair indices, when not whole
    std::vector<ReportRow> own_;
};

// The pair indices of the `count` largest |Y - Y obtained|, largest first,
// equal ones in table order. Memory in `count`, not in the pairs.
std::vector<std::uint32_t> LargestResiduals(const CountingPairs& pairs, const std::vector<double>& fitted,
                                            std::size_t count);

struct Report {
    int language = 0;
    std::string title;                // the application title
    std::string laboratory;           // the page's first line; empty: none
    std::string heading;              // "Calibration report No. 12"
    std::string footer;               // on every page beside its number: the report's number and title
    std::vector<ReportField> fields;  // the record's filled fields, the data's source, the date made
    std::vector<ReportField> fit;     // kind, formula, what Y and X are in which units
    std::array<std::string, 4> coefficientColumns;  // "", "as shown", "full precision", "unit"
    std::vector<ReportCoefficient> coefficients;    // as many as the kind has
    std::vector<ReportField> measures;              // max error, deviation, pairs
    std::string statisticsTitle;
    StatisticsSheet statistics;         // no sections and no notes: no section
    std::string chartTitle, plotTitle;  // the chart and the residual plot
    // What the residual plot shows: every pair's residual against its X.
    const CountingPairs* pairs = nullptr;
    const std::vector<double>* fitted = nullptr;
    double sigma = 0;
    char sep = '.';
    std::string axisX, axisY, axisResidual;
    std::string pointsTitle;
    std::array<std::string, 3> pointColumns;  // "№", X, Y
    std::vector<ReportPoint> points;          // empty: no section
    std::string tableTitle;
    std::array<std::string, 5> columns;  // row, Y, X, Y obtained, residual
    ReportTable table;
    std::string tableNote;  // a table not listed whole: how many rows, which are shown, where the rest are
    std::string legend;     // what the residuals' colours mean
    std::array<std::string, 2> signatureLabels;  // operator, checked by
    std::array<std::string, 2> signers;          // their names; empty: a line to write one on
    std::string signatureHint, dateHint;         // under the lines
};

// Every pair with its fitted value goes in (the caller passes a complete run).
Report BuildReport(const ReportInput& in);

// "Page 2 of 7" in the report's language.
std::string PageText(int language, int page, int pages);

// The unit of coefficient a_power of Y(X): Y's unit over X's to the power.
// Empty when neither unit is given.
std::string CoefficientUnit(const std::string& unitY, const std::string& unitX, int power);

}  // namespace kurv
