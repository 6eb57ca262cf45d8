#include "core/recalc.h"

#include <algorithm>
#include <exception>
#include <future>
#include <span>

#include "core/hand_over.h"
#include "core/numbers.h"
#include "core/uitext.h"

namespace kurv {

namespace {

double CellValue(std::string_view text, char sep, int row, int col) {
    try {
        return TextToNumber(text, sep);
    } catch (const ArithmeticError&) {
        throw CellOverflow(row, col);
    }
}

// Names the value that took a pair's terms out of range: X when its own powers
// do, Y otherwise.
void AddLocated(PowerSums& sums, double x, double y, int row) {
    if (PowerSums::WithinSafeRange(x, y)) [[likely]] {
        sums.Add(x, y);
        return;
    }
    const PowerSums before = sums;
    try {
        sums.Add(x, y);
    } catch (const ArithmeticError&) {
        PowerSums xOnly = before;
        int col = 0;
        try {
            xOnly.Add(x, 0);
        } catch (const ArithmeticError&) {
            col = 1;
        }
        throw CellOverflow(row, col);
    }
}

// Column texts formatted beside the table's writing: each slot has room for
// the longest text, so the formatting thread never allocates.
struct TextSlots {
    explicit TextSlots(std::size_t count) : chars(count * kGeneralNumberChars), sizes(count) {}

    void Format(std::span<const double> values, char sep) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            char* const slot = chars.data() + i * kGeneralNumberChars;
            sizes[i] = static_cast<std::uint8_t>(WriteGeneralNumberText(values[i], sep, slot) - slot);
        }
    }
    std::string_view operator[](std::size_t i) const {
        return std::string_view(chars.data() + i * kGeneralNumberChars, sizes[i]);
    }

    std::vector<char> chars;
    std::vector<std::uint8_t> sizes;
};

// Values the other thread formats per turn; below it a second thread costs
// more than it saves. This thread formats twice as many per turn: it also
// writes them all, while the other shares its core with the fit check.
constexpr std::size_t kTurn = 1 << 15;
constexpr std::size_t kOwnTurn = 2 * kTurn;

// From this many pairs the fitted values are found by two threads.
constexpr std::size_t kEvaluateBesideFrom = 1 << 16;

// From this many rows a second thread reads the later rows' values while
// this one reads the earlier ones and then adds up all of them in row order.
// Adding up costs about a third of reading, so this thread reads less.
constexpr int kTwoReadersFrom = 1 << 16;
constexpr double kThisThreadsPart = 0.35;
constexpr std::size_t kHandOverBatch = 4096;

// ReadCountingPairs by two threads, giving the same pairs, sums and first
// fault. Both write in place, into room for every row: this thread the pairs
// of the rows before `split`, the other those from `split` on, which it
// places after the first part's pairs (it counts them first).
void ReadCountingPairsBeside(const DataTable& table, char sep, CountingPairs& out) {
    const int rowCount = table.RowCount();
    const int split = 1 + static_cast<int>(kThisThreadsPart * (rowCount - 1));
    const auto resize = [&](std::size_t n) {
        out.rows.resize(n);
        out.y.resize(n);
        out.x.resize(n);
    };
    resize(static_cast<std::size_t>(rowCount));
    HandOver later;
    std::exception_ptr laterFault;
    std::future<void> reading = std::async(std::launch::async, [&] {
        std::size_t at = 0;
        for (int r = 1; r < split; ++r) at += table.Counts(r) ? 1 : 0;
        const std::size_t first = at;
        try {
            for (int r = split; r < rowCount; ++r) {
                if (!table.Counts(r)) continue;
                const CellText y = table.Cell(0, r), x = table.Cell(1, r);
                ReadPairValues(r, y, x, sep, out.y[at], out.x[at]);
                out.rows[at] = r;
                if (++at % kHandOverBatch == 0) later.Ready(at - first, false);
            }
        } catch (...) {
            laterFault = std::current_exception();
        }
        later.Ready(at - first, true);
    });
    // What a reading in order keeps: the pairs before the first fault.
    std::size_t kept = 0;
    try {
        for (int r = 1; r < split; ++r) {
            if (!table.Counts(r)) continue;
            const CellText y = table.Cell(0, r), x = table.Cell(1, r);
            ReadPairValues(r, y, x, sep, out.y[kept], out.x[kept]);
            out.rows[kept] = r;
            AddLocated(out.sums, out.x[kept], out.y[kept], r);
            ++kept;
        }
        for (std::size_t done = 0;;) {
            const auto [ready, all] = later.Await(done);
            for (; done < ready; ++done, ++kept)
                AddLocated(out.sums, out.x[kept], out.y[kept], out.rows[kept]);
            if (all) break;
        }
        reading.get();
        if (laterFault) std::rethrow_exception(laterFault);
    } catch (...) {
        if (reading.valid()) reading.wait();
        resize(kept);
        throw;
    }
    resize(kept);
}

}  // namespace

std::string LocatedOverflowText(const CellOverflow& e, int language) {
    std::string place = kOverflowPlace.In(language);
    place.replace(place.find("%1"), 2, std::to_string(e.row));
    place.replace(place.find("%2"), 2, UiText(TextId::HeaderTrueY + e.col, language));
    return std::string(e.what()) + " " + place;
}

void ReadCountingPairs(const DataTable& table, char sep, CountingPairs& out) {
    out.rows.clear();
    out.y.clear();
    out.x.clear();
    out.sums = PowerSums{};
    const int rowCount = table.RowCount();
    if (rowCount >= kTwoReadersFrom) return ReadCountingPairsBeside(table, sep, out);
    out.rows.reserve(rowCount);
    out.y.reserve(rowCount);
    out.x.reserve(rowCount);
    for (int r = 1; r < rowCount; ++r) {
        if (!table.Counts(r)) continue;
        const CellText yText = table.Cell(0, r), xText = table.Cell(1, r);
        ReadRowPair(out, r, yText, xText, sep);
    }
}

void ReadRowPair(CountingPairs& out, int row, std::string_view yText, std::string_view xText, char sep) {
    if (yText.empty() || xText.empty()) return;
    double y, x;
    ReadPairValues(row, yText, xText, sep, y, x);
    AddPairValues(out, row, y, x);
}

void ReadPairValues(int row, std::string_view yText, std::string_view xText, char sep, double& y, double& x) {
    y = CellValue(yText, sep, row, 0);
    x = CellValue(xText, sep, row, 1);
}

void AddPairValues(CountingPairs& out, int row, double y, double x) {
    AddLocated(out.sums, x, y, row);
    out.rows.push_back(row);
    out.y.push_back(y);
    out.x.push_back(x);
}

bool EnoughPairs(FitKind kind, int n) {
    for (FitKind k : kFitKinds)
        if (k == kind) return n >= MinimumPairs(kind);
    return true;
}

void FitPairs(const CountingPairs& pairs, const Coefficients& c, std::vector<double>& fitted,
              ErrorMeasures& errors) {
    // A long run's later half is evaluated by a second thread meanwhile; the
    // residuals are added in order all the same, so the measures and the
    // first overflow are those of one pass.
    const std::size_t n = pairs.rows.size();
    fitted.resize(n);
    const std::size_t half = n >= kEvaluateBesideFrom ? n / 2 : n;
    std::size_t laterFault = n;  // the first later pair whose value left the double range
    std::future<void> later;
    if (half < n) {
        later = std::async(std::launch::async, [&] {
            for (std::size_t i = half; i < n; ++i) {
                try {
                    fitted[i] = Evaluate(c, pairs.x[i]);
                } catch (const ArithmeticError&) {
                    laterFault = i;
                    return;
                }
            }
        });
    }
    // Keeps the values found before pair `kept`, once the other thread is done with them.
    const auto stop = [&](std::size_t kept) {
        if (later.valid()) later.wait();
        fitted.resize(kept);
    };
    for (std::size_t i = 0; i < n; ++i) {
        if (i < half) {
            try {
                fitted[i] = Evaluate(c, pairs.x[i]);
            } catch (const ArithmeticError&) {
                stop(i);
                throw CellOverflow(pairs.rows[i], 1);
            }
        } else {
            if (i == half) later.get();
            if (i == laterFault) {
                stop(i);
                throw CellOverflow(pairs.rows[i], 1);
            }
        }
        try {
            errors.Add(pairs.y[i], fitted[i]);
        } catch (const ArithmeticError&) {
            stop(i + 1);
            throw CellOverflow(pairs.rows[i], 0);
        }
    }
}

void WriteFittedColumn(DataTable& table, const std::vector<int>& rows, const std::vector<double>& fitted,
                       char sep) {
    // In each turn this thread formats and writes one run of values while the
    // other formats the next run into the slots; this thread then writes those.
    // The future's destructor waits for the other thread should a write throw.
    const std::size_t n = fitted.size();
    TextSlots slots(n > kOwnTurn ? kTurn : 0);
    char buf[kGeneralNumberChars];
    for (std::size_t first = 0; first < n; first += kOwnTurn + kTurn) {
        const std::size_t mid = std::min(n, first + kOwnTurn), last = std::min(n, mid + kTurn);
        const std::span<const double> later = std::span(fitted).subspan(mid, last - mid);
        std::future<void> formatted;
        if (!later.empty()) formatted = std::async(std::launch::async, [&] { slots.Format(later, sep); });
        for (std::size_t i = first; i < mid; ++i)
            table.SetCell(2, rows[i], std::string_view(buf, WriteGeneralNumberText(fitted[i], sep, buf)));
        if (!formatted.valid()) continue;
        formatted.get();
        for (std::size_t i = mid; i < last; ++i) table.SetCell(2, rows[i], slots[i - mid]);
    }
}

std::string FormulaText(const Coefficients& c, FitKind kind, const std::array<std::string, 4>& t) {
    static constexpr std::size_t kStart = 4;  // "Y = "
    std::string f = "Y = ";
    if (c.a3 != 0 && kind == FitKind::Cubic) f += t[3] + " * X^3 ";
    if (c.a2 != 0 && (kind == FitKind::Quadratic || kind == FitKind::Cubic)) {
        if (f.size() > kStart && c.a2 > 0) f += " +";
        f += t[2] + " * X^2 ";
    }
    if (c.a1 != 0) {
        if (f.size() > kStart && c.a1 > 0) f += " +";
        f += t[1] + " * X ";
    }
    if (f.size() > kStart && c.a0 > 0) f += " +";
    if (f.size() == kStart || c.a0 != 0) f += t[0];
    return f;
}

ResidualClass ClassOfResidual(double residual, double sigma) {
    if (sigma * 0.25 > residual) return ResidualClass::Near;
    if (sigma * 0.5 > residual) return ResidualClass::Middle;
    return ResidualClass::Far;
}

}  // namespace kurv
