// The recalculation's decisions, free of widgets: which rows of the table are
// fitted and what they hold, whether there are enough of them, the formula
// line, the class of a residual, and when a run cannot change any result.
// The window composes these in its own order and shows each result as it comes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/datatable.h"
#include "core/errors.h"
#include "core/fit.h"
#include "core/uitext.h"

namespace kurv {

// An arithmetic fault at one value of the table: the message is the plain
// overflow text; the window adds where the value is.
struct CellOverflow : ArithmeticError {
    CellOverflow(int row, int col) : row(row), col(col) {}
    int row;  // table row, 1 .. RowCount - 1
    int col;  // 0 Y, 1 X
};

// Where the value is: %1 the row, %2 the column's heading.
inline constexpr TextPair kOverflowPlace{"Строка %1, столбец «%2».", "Row %1, column \"%2\"."};

// The message the window shows for it: the overflow text, a space, and the place
// with the heading in `language`.
std::string LocatedOverflowText(const CellOverflow& e, int language);

// The rows that count (Y and X texts both non-empty), in table order, with
// their values, so later passes never convert a text again.
struct CountingPairs {
    std::vector<int> rows;
    std::vector<double> y, x;
    PowerSums sums;

    int Size() const { return static_cast<int>(rows.size()); }
};

// Reads the counting rows, Y before X in each, and accumulates the power sums
// as it goes; `out` keeps its storage between runs. Throws ConvertError at the
// first rejected text and CellOverflow at the first value whose conversion or
// powers leave the double range, whichever comes first in that order.
void ReadCountingPairs(const DataTable& table, char sep, CountingPairs& out);
// The same, one counting row at a time, for a reader that takes its pairs from
// elsewhere: the row's texts read into values (throwing as it throws), and the
// values added to the sums (a CellOverflow as it throws) and to the pairs.
// Adding the pairs in row order gives what ReadCountingPairs gives.
void ReadPairValues(int row, std::string_view yText, std::string_view xText, char sep, double& y, double& x);
void AddPairValues(CountingPairs& out, int row, double y, double x);
// Both for one row: nothing when its Y or X text is empty (the row does not count).
void ReadRowPair(CountingPairs& out, int row, std::string_view yText, std::string_view xText, char sep);

// Whether `n` pairs can be solved for the kind; a value outside the three
// kinds solves nothing and is never short of pairs.
bool EnoughPairs(FitKind kind, int n);

// The fitted value and the residual of each pair in order: `fitted` gets
// Evaluate(x) for each pair and `errors` its residual. On an overflow `fitted`
// holds the values found so far (the faulting pair's too when only its
// residual overflowed) and CellOverflow names the row: column X for the fitted
// value, column Y for the residual. A long run is evaluated by two threads.
void FitPairs(const CountingPairs& pairs, const Coefficients& c, std::vector<double>& fitted,
              ErrorMeasures& errors);

// Writes GeneralNumberText(fitted[i]) into column 2 of table row rows[i], for
// every i below fitted.size(). A long column is formatted by two threads; the
// table is written by the caller's thread alone.
void WriteFittedColumn(DataTable& table, const std::vector<int>& rows, const std::vector<double>& fitted,
                       char sep);

// "Y = " and the terms of the kind from the coefficients' texts, highest
// power first; a positive term after another is joined by " +".
std::string FormulaText(const Coefficients& c, FitKind kind, const std::array<std::string, 4>& texts);

// How far a measured point lies from the curve, against the deviation sigma:
// below a quarter, below a half, or further (every point when sigma is 0).
enum class ResidualClass { Near, Middle, Far };
ResidualClass ClassOfResidual(double residual, double sigma);

// The table and separator some pairs were read from: while both are the
// same, reading again would give the same pairs.
class ReadMemo {
  public:
    bool Matches(std::uint64_t revision, char sep) const {
        return valid_ && revision == revision_ && sep == sep_;
    }
    void Forget() { valid_ = false; }
    void Remember(std::uint64_t revision, char sep) {
        valid_ = true;
        revision_ = revision;
        sep_ = sep;
    }

  private:
    bool valid_ = false;
    std::uint64_t revision_ = 0;
    char sep_ = 0;
};

// What a run read and with which kind, so a run that would read the same and
// redo the same arithmetic is not redone. A run after one that showed a
// message box (a solution fault, an error) is always complete: from the
// coefficients a fault left, the same table can give other results.
class RunMemo {
  public:
    bool Matches(std::uint64_t revision, FitKind kind, char sep) const {
        return read_.Matches(revision, sep) && kind == kind_;
    }
    void Forget() { read_.Forget(); }
    void Remember(std::uint64_t revision, FitKind kind, char sep) {
        read_.Remember(revision, sep);
        kind_ = kind;
    }

  private:
    ReadMemo read_;
    FitKind kind_ = FitKind::Linear;
};

// What the window keeps of its recalculation between runs.
struct RecalcState {
    CountingPairs pairs;  // storage reused by every run
    std::vector<double> fitted;
    double sigma = 0, maxError = 0;  // of the last run that got past the solution
    RunMemo memo;
    ReadMemo read;  // the table and separator `pairs` were read from: a new kind reuses them
    // A run that gave the table the focus while the window was inactive (a
    // message box had just closed): the focus arrives once the window is
    // active again, and with nothing changed since it is that run's own.
    RunMemo focusReturn;
    bool running = false;
};

}  // namespace kurv
