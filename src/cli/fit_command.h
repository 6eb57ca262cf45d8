// `kurvilon fit`: a table read from a file, fitted as the window's recalculation
// fits it, and every text the window would show for it printed as text, TSV or
// JSON. Qt-free, so that the command needs no display and no widget library.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/datafile_format.h"
#include "core/datatable.h"
#include "core/fit.h"
#include "core/recalc.h"

namespace kurv::cli {

// The command's exit statuses.
enum ExitStatus : int {
    kExitFitted = 0,
    kExitNotFitted = 1,  // too few pairs, a solution fault, an overflow, a text that is not a number
    kExitUsage = 2,
    kExitUnreadable = 3,  // the input cannot be read, or the output written
};

enum class OutputFormat { Text, Tsv, Json };

// The kinds by the window's list index, as --kind and the printed forms name them.
inline constexpr const char* kKindNames[] = {"linear", "quadratic", "cubic"};
inline const char* KindName(FitKind kind) {
    return kKindNames[static_cast<int>(kind)];
}

struct FitOptions {
    FitKind kind = FitKind::Cubic;  // a first start's choice
    char sep = '.';
    int language = 1;  // 0 Russian, 1 English
    OutputFormat format = OutputFormat::Text;
    std::vector<std::string> at;  // X texts, each one ParseNumber accepts
    bool fullPrecision = false;
    bool paste = false;      // the text is taken as the table paste takes the clipboard's
    std::string file = "-";  // "-": standard input
};

// The curve read at one X, as an evaluation point shows it.
struct Evaluation {
    std::string x;  // as given
    double xValue = 0, y = 0;
    std::string text;  // CurveValueText
};

// The fitted pairs' Y and X texts as the input holds them: the cells of a
// table, or the tokens of a data file's text; either must outlive them.
class PairTexts {
  public:
    void Refer(const DataTable& table) { table_ = &table; }
    void Refer(std::string_view fileText) { text_ = fileText; }
    // Per pair, where its Y token starts in the file's text.
    std::vector<std::uint32_t>& Starts() { return starts_; }

    // Calls f(y, x) with the texts of pair i, which is table row `row`.
    template <class F>
    void With(std::size_t i, int row, F f) const {
        if (table_) {
            const CellText y = table_->Cell(0, row), x = table_->Cell(1, row);
            f(y.View(), x.View());
        } else {
            std::string_view y, x;
            DataFileLineReader::TokensFrom(text_, starts_[i], y, x);
            f(y, x);
        }
    }

  private:
    const DataTable* table_ = nullptr;
    std::string_view text_;
    std::vector<std::uint32_t> starts_;
};

// What one complete recalculation shows, in the window's texts.
struct FitResult {
    FitKind kind = FitKind::Linear;
    Coefficients coefficients;
    std::array<std::string, 4> texts;  // as the panels show them after "A0 = "
    std::string formula;
    double sigma = 0, maxError = 0;
    std::string sigmaText, maxErrorText;
    CountingPairs pairs;
    PairTexts pairTexts;
    std::vector<double> fitted;  // one per pair
    std::vector<Evaluation> at;
};

struct Failure {
    int status = kExitFitted;
    std::string message;  // the window's, in the chosen language; without the program's name
};

// The table from the input's bytes by the table paste's rules; the file-level
// checks (a NUL byte, the encoding) are the data file's. Nothing in the
// failure when it was read.
Failure PastedTable(std::string_view bytes, int language, DataTable& table);

// The window's recalculation over `table` for the options' kind and separator,
// then the evaluation at each X. On failure `result` is not to be shown.
Failure FitTable(const DataTable& table, const FitOptions& options, FitResult& result);
// The same for a data file's lines, as if read into a table (File / Read), without
// building one; `result` refers to the text of `file`. A failure of the file itself
// has kExitUnreadable.
Failure FitDataFile(std::string_view bytes, DataFileLines& file, const FitOptions& options,
                    FitResult& result);

// Where the printed form goes, piece by piece; false when it cannot take it.
using Sink = std::function<bool(std::string_view piece)>;

// The printed form.
bool WriteResult(const FitResult& result, const FitOptions& options, const Sink& sink);
std::string FormatResult(const FitResult& result, const FitOptions& options);

// The whole command: reads the file (or `inputFd` for "-"), fits, and hands
// the printed form to `output`; or the failure, before anything was handed on
// (except when `output` itself fails).
Failure RunFit(const FitOptions& options, int inputFd, const Sink& output);

// The residual classes by the chart's colours: "blue", "purple", "red".
const char* ClassKeyword(ResidualClass c);

}  // namespace kurv::cli
