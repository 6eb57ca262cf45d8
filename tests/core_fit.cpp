#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <exception>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/clipboard_text.h"
#include "core/datafile_format.h"
#include "core/errors.h"
#include "core/fit.h"
#include "core/numbers.h"
#include "core/pairs_beside.h"
#include "core/recalc.h"
#include "core_tables.h"

using namespace kurv;

namespace {

constexpr char kSeps[] = {'.', ','};

std::string WithSep(std::string s, char sep) {
    for (char& c : s)
        if (c == '.') c = sep;
    return s;
}

// What a recalculation shows for the typed rows (Y, X): texts in, texts out,
// through the pieces the window composes.
struct Shown {
    std::array<std::string, 4> coefficients;
    std::string formula;
    std::vector<std::string> fitted;
    std::string maxError, sigma;
};

Shown Recalculate(FitKind kind, const Rows& rows, char sep) {
    Rows local = rows;
    for (auto& r : local)
        for (auto& cell : r) cell = WithSep(cell, sep);
    const DataTable table = Make(local, 2);
    CountingPairs pairs;
    ReadCountingPairs(table, sep, pairs);
    Coefficients c;
    EXPECT_EQ(Solve(kind, pairs.sums, c), SolveResult::Ok);
    Shown s;
    s.coefficients = {CoefficientText(c.a0, sep), CoefficientText(c.a1, sep), CoefficientText(c.a2, sep),
                      CoefficientText(c.a3, sep)};
    s.formula = FormulaText(c, kind, s.coefficients);
    ErrorMeasures e;
    std::vector<double> fitted;
    FitPairs(pairs, c, fitted, e);
    for (double f : fitted) s.fitted.push_back(GeneralNumberText(f, sep));
    s.maxError = ErrorMeasureText(e.maxError, sep);
    s.sigma = ErrorMeasureText(e.Sigma(), sep);
    return s;
}

struct Worked {
    const char* name;
    FitKind kind;
    Rows rows;
    std::array<const char*, 4> coefficients;
    const char* formula;
    std::vector<const char*> fitted;
    const char* maxError;
    const char* sigma;
};

const Worked kWorked[] = {
    {"linear",
     FitKind::Linear,
     {{"2.1", "1"}, {"3.9", "2"}, {"6.2", "3"}, {"7.8", "4"}},
     {"1.5000000e-1", "1.9400000", "0", "0"},
     "Y = 1.9400000 * X  +1.5000000e-1",
     {"2.09", "4.03", "5.97", "7.91"},
     "0.23",
     "0.165"},
    {"quadratic",
     FitKind::Quadratic,
     {{"1", "0"}, {"2", "1"}, {"5", "2"}, {"10", "3"}, {"17.5", "4"}},
     {"1.0428571", "-1.8571429e-1", "1.0714286", "0"},
     "Y = 1.0714286 * X^2 -1.8571429e-1 * X  +1.0428571",
     {"1.04285714285714", "1.92857142857143", "4.95714285714286", "10.1285714285714", "17.4428571428571"},
     "0.129",
     "0.085"},
    // In plain double arithmetic this shows a spurious 1.2111524e-16 for a2.
    {"quadratic through a line",
     FitKind::Quadratic,
     {{"-6", "-4"}, {"-4", "-3"}, {"-2", "-2"}, {"0", "-1"}, {"2", "0"}, {"4", "1"}, {"6", "2"}, {"8", "3"}},
     {"2.0000000", "2.0000000", "0", "0"},
     "Y = 2.0000000 * X  +2.0000000",
     {"-6", "-4", "-2", "0", "2", "4", "6", "8"},
     "0",
     "0"},
    {"line through two points",
     FitKind::Linear,
     {{"1", "0.25"}, {"-3", "2.25"}},
     {"1.5000000", "-2.0000000", "0", "0"},
     "Y = -2.0000000 * X  +1.5000000",
     {"1", "-3"},
     "0",
     "0"},
    // The divisor is tiny but not zero: no tolerance test, and a1 comes out as -0.
    {"repeated X without a fault",
     FitKind::Linear,
     {{"0", "0.3"}, {"1", "0.3"}, {"2", "0.3"}},
     {"1.0000000", "0", "0", "0"},
     "Y = 1.0000000",
     {"1", "1", "1"},
     "1",
     "1"},
    {"cubic through four points",
     FitKind::Cubic,
     {{"1", "0"}, {"0", "1"}, {"5", "2"}, {"22", "3"}},
     {"1.0000000", "-2.0000000", "0", "1.0000000"},
     "Y = 1.0000000 * X^3 -2.0000000 * X  +1.0000000",
     {"1", "0", "5", "22"},
     "0",
     "0"},
    // Ill-conditioned: the shown digits depend on where each value is rounded
    // (a1 divides by M from the unrounded U, a0 uses the M held in a3).
    {"ill-conditioned cubic",
     FitKind::Cubic,
     {{"53.1", "112.9"}, {"23.6", "106.7"}, {"29.7", "114.4"}, {"17.3", "116.9"}},
     {"-7.4895908e+5", "1.9913262e+4", "-1.7632560e+2", "5.2000496e-1"},
     "Y = 5.2000496e-1 * X^3 -1.7632560e+2 * X^2  +1.9913262e+4 * X -7.4895908e+5",
     {"53.1001910083976", "23.5999851722763", "29.699754891803", "17.3000689284145"},
     "2.451e-04",
     "1.840e-04"},
};

TEST(Fit, WorkedExamples) {
    for (char sep : kSeps) {
        for (const auto& w : kWorked) {
            SCOPED_TRACE(std::string(w.name) + " with '" + sep + "'");
            const Shown s = Recalculate(w.kind, w.rows, sep);
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(s.coefficients[i], WithSep(w.coefficients[i], sep)) << "a" << i;
            EXPECT_EQ(s.formula, WithSep(w.formula, sep));
            ASSERT_EQ(s.fitted.size(), w.fitted.size());
            for (std::size_t i = 0; i < w.fitted.size(); ++i)
                EXPECT_EQ(s.fitted[i], WithSep(w.fitted[i], sep));
            EXPECT_EQ(s.maxError, WithSep(w.maxError, sep));
            EXPECT_EQ(s.sigma, WithSep(w.sigma, sep));
        }
    }
}

// A solution fault keeps what the steps before it assigned and leaves the rest.
struct FaultCase {
    const char* name;
    int kind;
    std::vector<std::pair<double, double>> xy;
    SolveResult result;
    Coefficients after;
};

const Coefficients kBefore{7, 8, 9, 10};

const FaultCase kFaults[] = {
    {"linear, every X equal", 0, {{3, 1}, {3, 2}, {3, 4}}, SolveResult::Fault, {7, 8, 0, 0}},
    {"linear, slope beyond the double range",
     0,
     {{0, -1e308}, {1e-10, 1e308}},
     SolveResult::Fault,
     {7, 8, 0, 0}},
    {"quadratic, every X zero", 1, {{0, 1}, {0, 2}, {0, 3}}, SolveResult::Fault, {7, 8, 9, 10}},
    {"quadratic, every X equal", 1, {{3, 1}, {3, 2}, {3, 3}}, SolveResult::Fault, {7, 8, 9, 10}},
    // P = 3256, U = 3048, M = 2988 * 3256 - 3048^2; the a0 divisor is 0.
    {"cubic, three distinct X", 2, {{1, 1}, {2, 2}, {3, 3}, {3, 4}}, SolveResult::Fault, {7, 8, 9, 438624}},
    {"cubic, every X zero", 2, {{0, 1}, {0, 2}, {0, 3}, {0, 4}}, SolveResult::Fault, {7, 8, 9, 0}},
    {"unknown kind", 3, {{1, 1}, {2, 2}, {3, 3}, {4, 5}}, SolveResult::Ok, {7, 8, 9, 10}},
    {"negative kind", -1, {{1, 1}, {2, 2}}, SolveResult::Ok, {7, 8, 9, 10}},
};

TEST(Fit, FaultsKeepTheEarlierAssignments) {
    for (const auto& f : kFaults) {
        SCOPED_TRACE(f.name);
        PowerSums s;
        for (const auto& [x, y] : f.xy) s.Add(x, y);
        Coefficients c = kBefore;
        EXPECT_EQ(Solve(static_cast<FitKind>(f.kind), s, c), f.result);
        EXPECT_EQ(c.a0, f.after.a0);
        EXPECT_EQ(c.a1, f.after.a1);
        EXPECT_EQ(c.a2, f.after.a2);
        EXPECT_EQ(c.a3, f.after.a3);
    }
}

// The formula line: the kind's terms from the highest power, zero terms left
// out, a positive term after another joined by " +".
struct FormulaCase {
    const char* name;
    int kind;
    Coefficients c;
    const char* formula;
};

const FormulaCase kFormulas[] = {
    {"all zero", 0, {0, 0, 0, 0}, "Y = 0"},
    {"no constant term", 0, {0, 0.5, 0, 0}, "Y = 5.0000000e-1 * X "},
    {"before any fit", 0, {}, "Y = 1.0000000 * X "},
    {"a negative constant alone", 0, {-1.5, 0, 0, 0}, "Y = -1.5000000"},
    {"higher terms of another kind left out", 0, {-1, 1, 3, 4}, "Y = 1.0000000 * X -1.0000000"},
    {"a cubic term in a quadratic left out", 1, {1, 0, 2, 5}, "Y = 2.0000000 * X^2  +1.0000000"},
    {"cubic term alone", 2, {0, 0, 0, -3}, "Y = -3.0000000 * X^3 "},
    {"every cubic term",
     2,
     {10.428571, 0.10428571, -0.18571429, 1.0714286},
     "Y = 1.0714286 * X^3 -1.8571429e-1 * X^2  +1.0428571e-1 * X  +1.0428571e+1"},
    {"unknown kind: the line only", 3, {2, 3, 4, 5}, "Y = 3.0000000 * X  +2.0000000"},
};

TEST(Formula, TermsByKind) {
    for (const auto& f : kFormulas) {
        SCOPED_TRACE(f.name);
        const std::array<std::string, 4> texts = {CoefficientText(f.c.a0, '.'), CoefficientText(f.c.a1, '.'),
                                                  CoefficientText(f.c.a2, '.'), CoefficientText(f.c.a3, '.')};
        EXPECT_EQ(FormulaText(f.c, static_cast<FitKind>(f.kind), texts), f.formula);
    }
}

TEST(Fit, EnoughPairsForTheKind) {
    const struct {
        int kind, n;
        bool enough;
    } cases[] = {{0, 1, false}, {0, 2, true},  {1, 2, false}, {1, 3, true}, {2, 3, false},
                 {2, 4, true},  {2, 0, false}, {3, 0, true},  {-1, 0, true}};
    for (const auto& c : cases)
        EXPECT_EQ(EnoughPairs(static_cast<FitKind>(c.kind), c.n), c.enough) << c.kind << " " << c.n;
}

// Rows count when both Y and X are typed; each is read once, Y before X, and
// the first fault in that order ends the reading where it is.
TEST(CountingPairs, ReadsTheCountingRowsInOrder) {
    const DataTable t = Make({{"2", "1", "old"}, {"5", ""}, {"", "7"}, {"", ""}, {"-1.5e3", " 4 "}}, 3);
    CountingPairs p;
    p.rows = {99};  // storage from an earlier run is reused, its content not
    ReadCountingPairs(t, '.', p);
    EXPECT_EQ(p.rows, (std::vector<int>{1, 5}));
    EXPECT_EQ(p.y, (std::vector<double>{2, -1500}));
    EXPECT_EQ(p.x, (std::vector<double>{1, 4}));
    EXPECT_EQ(p.sums.n, 2);
    EXPECT_EQ(p.sums.S1, 5);
    EXPECT_EQ(p.sums.T0, -1498);
}

// Long columns are formatted by two threads in turns; every row still gets
// its own value's text, whatever the length against the turns.
TEST(FittedColumn, EachCountingRowGetsItsValuesText) {
    std::mt19937_64 rng(5);
    // Turns of 65536 values here and 32768 on the other thread.
    for (const std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{65536}, std::size_t{65537},
                                std::size_t{98304 + 65536 + 5}}) {
        std::vector<int> rows;
        std::vector<double> fitted;
        for (std::size_t i = 0; i < n; ++i) {
            rows.push_back(static_cast<int>(2 * i + 1));
            fitted.push_back(std::ldexp(static_cast<double>(rng() >> 11), static_cast<int>(rng() % 80) - 60) *
                             (i % 3 ? 1 : -1));
        }
        DataTable t(static_cast<int>(2 * n + 3));  // even rows are not fitted
        t.SetCell(2, 2, "kept");
        WriteFittedColumn(t, rows, fitted, ',');
        for (std::size_t i = 0; i < n; ++i) {
            ASSERT_EQ(t.Cell(2, rows[i]), GeneralNumberText(fitted[i], ',')) << "n " << n << ", pair " << i;
        }
        EXPECT_EQ(t.Cell(2, 2), "kept") << "n " << n;
    }
}

struct ReadFault {
    const char* name;
    Rows rows;
    const char* message;  // a conversion error, or else an overflow at (row, col)
    int row, col;
};

const ReadFault kReadFaults[] = {
    {"X rejected before a later Y",
     {{"1", "1"}, {"2", "2x"}, {"3y", "3"}},
     "'2x' is not a valid floating point value",
     0,
     0},
    {"Y before X in a row", {{"a", "b"}}, "'a' is not a valid floating point value", 0, 0},
    {"Y beyond the double range", {{"1", "1"}, {"1e400", "2"}}, nullptr, 2, 0},
    {"X beyond the double range", {{"1", "1e400"}}, nullptr, 1, 1},
    {"the powers of X", {{"1", "1"}, {"1", "2"}, {"1", "1e52"}}, nullptr, 3, 1},
    {"X times a large Y", {{"1", "1"}, {"1e300", "1e10"}}, nullptr, 2, 0},
    {"the sum of Y", {{"1e308", "1"}, {"1e308", "1"}}, nullptr, 2, 0},
    {"an overflow before a later rejected text", {{"1", "1e60"}, {"x", "1"}}, nullptr, 1, 1},
};

TEST(CountingPairs, FaultsNameTheirPlace) {
    for (const auto& f : kReadFaults) {
        SCOPED_TRACE(f.name);
        CountingPairs p;
        try {
            ReadCountingPairs(Make(f.rows), '.', p);
            ADD_FAILURE() << "no fault";
        } catch (const CellOverflow& e) {
            EXPECT_EQ(f.message, nullptr);
            EXPECT_EQ(e.row, f.row);
            EXPECT_EQ(e.col, f.col);
            EXPECT_STREQ(e.what(), "Floating point overflow.");
        } catch (const ConvertError& e) {
            ASSERT_NE(f.message, nullptr);
            EXPECT_STREQ(e.what(), f.message);
        }
    }
}

// A long table's later rows are read by a second thread: the pairs, the sums
// bit for bit, the first fault in row order and the pairs kept before it are
// those of one reading in order, wherever the faults lie.
TEST(CountingPairs, LongTablesReadAsInOrder) {
    const auto inOrder = [](const DataTable& t, CountingPairs& out) {
        out = CountingPairs{};
        try {
            for (int r = 1; r < t.RowCount(); ++r) {
                if (!t.Counts(r)) continue;
                const CellText y = t.Cell(0, r), x = t.Cell(1, r);
                double yv, xv;
                ReadPairValues(r, y, x, '.', yv, xv);
                AddPairValues(out, r, yv, xv);
            }
        } catch (...) {
            return std::current_exception();
        }
        return std::exception_ptr{};
    };
    const auto fault = [](std::exception_ptr e) {
        if (!e) return std::string("none");
        try {
            std::rethrow_exception(e);
        } catch (const CellOverflow& o) {
            return "overflow " + std::to_string(o.row) + " " + std::to_string(o.col);
        } catch (const std::exception& o) {
            return std::string(o.what());
        }
    };
    constexpr int kRows = 100000;
    std::mt19937_64 rng(8);
    DataTable base(kRows + 2);
    for (int r = 1; r <= kRows; ++r) {
        const int shape = static_cast<int>(rng() % 20);
        if (shape == 0) continue;  // an empty row
        base.SetCell(0, r, GeneralNumberText(std::ldexp(static_cast<double>(rng() >> 11), -40), '.'));
        if (shape != 1) base.SetCell(1, r, GeneralNumberText(static_cast<double>(rng() % 100000) / 7, '.'));
    }
    for (int early : {0, 7, 34000, 35001}) {
        for (int late : {0, 35002, 60000, kRows}) {
            for (const ReadFault& f : kReadFaults) {
                if ((early == 0) != (late == 0) && &f != &kReadFaults[0]) continue;
                DataTable t = base;
                for (int at : {early, late}) {
                    for (std::size_t i = 0; at > 0 && i < f.rows.size(); ++i) {
                        t.SetCell(0, at - 1 + static_cast<int>(i), f.rows[i][0]);
                        t.SetCell(1, at - 1 + static_cast<int>(i), f.rows[i][1]);
                    }
                }
                SCOPED_TRACE(std::string(f.name) + " at " + std::to_string(early) + ", " +
                             std::to_string(late));
                CountingPairs want, got;
                const std::string wantFault = fault(inOrder(t, want));
                std::exception_ptr gotFault;
                try {
                    ReadCountingPairs(t, '.', got);
                } catch (...) {
                    gotFault = std::current_exception();
                }
                ASSERT_EQ(fault(gotFault), wantFault);
                ASSERT_EQ(got.rows, want.rows);
                ASSERT_EQ(got.y, want.y);
                ASSERT_EQ(got.x, want.x);
                ASSERT_EQ(std::memcmp(&got.sums, &want.sums, sizeof got.sums), 0);
                if (early == 0 && late == 0) break;
            }
        }
    }
}

// A paste or a read of a long text reads its pairs beside building the rows:
// when it says they were read, they are exactly those the table then gives
// (sums bit for bit); a refused text or an overflow anywhere, or a stop, gives
// none, and the table is as the command alone would leave it.
TEST(CountingPairs, PairsReadBesideAreTheTablesOwn) {
    constexpr int kRows = 40000;  // texts of over 1 MiB
    std::mt19937_64 rng(9);
    std::vector<std::array<std::string, 2>> rows;
    for (int r = 0; r < kRows; ++r) {
        rows.push_back({GeneralNumberText(std::ldexp(static_cast<double>(rng() >> 11), -40), '.'),
                        GeneralNumberText(static_cast<double>(rng() % 100000) / 7, '.')});
        if (rng() % 50 == 0) rows.back()[1].clear();  // a row with Y alone
    }
    // The clipboard's flat tokens (a Y alone moves the rest along a cell), and
    // a data file's lines.
    const auto texts = [](const std::vector<std::array<std::string, 2>>& rs) {
        std::string clip, file;
        for (const auto& r : rs) {
            clip += r[0] + (r[1].empty() ? "\r\n" : "\t" + r[1] + "\r\n");
            file += r[0] + (r[1].empty() ? "\n" : "  " + r[1] + "\n");
            if (r[1].empty()) file += "\n";  // and an empty line
        }
        return std::pair{clip, file};
    };
    // Whether the pairs were read; they must be the table's when it reads
    // without a fault, and none otherwise.
    const auto check = [](const char* what, auto command) {
        SCOPED_TRACE(what);
        DataTable t;
        PairsAhead ahead('.');
        EXPECT_TRUE(command(t, &ahead));
        DataTable alone;
        command(alone, nullptr);
        EXPECT_EQ(alone.Rows(), t.Rows());
        CountingPairs want;
        try {
            ReadCountingPairs(t, '.', want);
        } catch (const std::exception&) {
            EXPECT_FALSE(ahead.read);
            return false;
        }
        EXPECT_TRUE(ahead.read);
        EXPECT_EQ(ahead.pairs.rows, want.rows);
        EXPECT_EQ(ahead.pairs.y, want.y);
        EXPECT_EQ(ahead.pairs.x, want.x);
        EXPECT_EQ(std::memcmp(&ahead.pairs.sums, &want.sums, sizeof want.sums), 0);
        return ahead.read;
    };
    // A paste takes the texts as a flat run, so a row's fault may pair
    // otherwise; a file's lines are its rows.
    const auto both = [&](const std::vector<std::array<std::string, 2>>& rs, bool fileRead) {
        const auto [clip, file] = texts(rs);
        check("paste", [&](DataTable& t, PairsAhead* a) {
            return PasteTable(t, clip, nullptr, a) == PasteResult::Pasted;
        });
        EXPECT_EQ(check("read",
                        [&](DataTable& t, PairsAhead* a) {
                            return ReadDataFile(t, file, nullptr, a) == DataFileRead::Read;
                        }),
                  fileRead);
    };
    both(rows, true);
    for (const ReadFault& f : kReadFaults) {
        for (int at : {3, kRows / 2, kRows - 3}) {
            SCOPED_TRACE(std::string(f.name) + " at " + std::to_string(at));
            auto faulty = rows;
            for (std::size_t i = 0; i < f.rows.size(); ++i) faulty[at - 1 + i] = {f.rows[i][0], f.rows[i][1]};
            both(faulty, false);
        }
    }
    // Stopped halfway: nothing changes and nothing is read.
    const auto [clip, file] = texts(rows);
    int reports = 0;
    Progress stopping([&](std::uint64_t, std::uint64_t) { return ++reports < 2; });
    DataTable t;
    PairsAhead ahead('.');
    EXPECT_EQ(PasteTable(t, clip, &stopping, &ahead), PasteResult::Cancelled);
    Progress stoppingToo([&](std::uint64_t, std::uint64_t) { return ++reports < 4; });
    EXPECT_EQ(ReadDataFile(t, file, &stoppingToo, &ahead), DataFileRead::Cancelled);
    EXPECT_FALSE(ahead.read);
    EXPECT_EQ(t.Rows(), DataTable().Rows());
}

// An overflow while fitting keeps the values found before it: the fitted
// value's row when only its residual overflows.
TEST(CountingPairs, FittingFaultsNameTheirPlace) {
    const auto faultAt = [](const CountingPairs& p, const Coefficients& c, std::vector<double>& fitted) {
        ErrorMeasures e;
        try {
            FitPairs(p, c, fitted, e);
        } catch (const CellOverflow& o) {
            return std::pair{o.row, o.col};
        }
        return std::pair{-1, -1};
    };
    std::vector<double> fitted;
    CountingPairs square;  // Y = X^2 beyond the double range at row 4
    square.rows = {1, 3, 4};
    square.x = {1, 2, 1e200};
    square.y = {1, 4, 1};
    EXPECT_EQ(faultAt(square, {0, 0, 1, 0}, fitted), std::pair(4, 1));
    EXPECT_EQ(fitted, (std::vector<double>{1, 4}));

    CountingPairs far;  // the residual at row 5 is 2e308
    far.rows = {2, 5};
    far.x = {1, 1};
    far.y = {-1e308, 1e308};
    EXPECT_EQ(faultAt(far, {-1e308, 0, 0, 0}, fitted), std::pair(5, 0));
    EXPECT_EQ(fitted, (std::vector<double>{-1e308, -1e308}));

    // A long run's later half is evaluated by a second thread: the first fault
    // in row order still wins, with the values before it kept, and without a
    // fault the measures are those of one pass in order.
    constexpr int kLong = 200000;
    CountingPairs line;  // Y = X^2 at rows 2, 4, 6, ...
    for (int i = 0; i < kLong; ++i) {
        line.rows.push_back(2 * i + 2);
        line.x.push_back(0.5 * i);
        line.y.push_back(0.25 * i * i + (i % 3) * 1e-3);
    }
    const Coefficients square2{0, 0, 1, 0};
    ErrorMeasures e, inOrder;
    FitPairs(line, square2, fitted, e);
    ASSERT_EQ(fitted.size(), std::size_t{kLong});
    for (int i = 0; i < kLong; ++i) {
        ASSERT_EQ(fitted[i], Evaluate(square2, line.x[i]));
        inOrder.Add(line.y[i], fitted[i]);
    }
    EXPECT_EQ(std::memcmp(&e, &inOrder, sizeof e), 0);

    const struct {
        int valueFault, residualFault;  // indices, -1 for none
        std::pair<int, int> expected;
        std::size_t kept;
    } longFaults[] = {
        {1000, -1, {2002, 1}, 1000},            // a value, this thread's half
        {150000, -1, {300002, 1}, 150000},      // a value, the other thread's half
        {180000, 120000, {240002, 0}, 120001},  // a residual before a later value
        {150000, 5000, {10002, 0}, 5001},       // a residual before the other half's value
        {99999, 100000, {200000, 1}, 99999},    // a value just before the halves meet
    };
    for (const auto& f : longFaults) {
        CountingPairs p = line;
        if (f.valueFault >= 0) p.x[f.valueFault] = 1e200;
        if (f.residualFault >= 0) p.y[f.residualFault] = 1e308;
        EXPECT_EQ(faultAt(p, square2, fitted), f.expected) << f.valueFault << " " << f.residualFault;
        EXPECT_EQ(fitted.size(), f.kept);
        EXPECT_EQ(fitted.back(), Evaluate(square2, p.x[f.kept - 1]));
    }
}

TEST(Residual, ClassAgainstSigma) {
    const struct {
        double d, sigma;
        ResidualClass expected;
    } cases[] = {
        {0.24, 1, ResidualClass::Near}, {0.25, 1, ResidualClass::Middle}, {0.49, 1, ResidualClass::Middle},
        {0.5, 1, ResidualClass::Far},   {0, 0, ResidualClass::Far},       {0, 1e-300, ResidualClass::Near},
    };
    for (const auto& c : cases) EXPECT_EQ(ClassOfResidual(c.d, c.sigma), c.expected) << c.d << " " << c.sigma;
}

// Every access that may change the cells or RowCount changes the revision;
// reading does not.
TEST(DataTable, RevisionFollowsEveryChange) {
    DataTable t = Make({{"1", "2"}});
    const auto changes = [&t](auto&& f) {
        const auto before = t.Revision();
        f();
        return t.Revision() != before;
    };
    const DataTable& read = t;
    EXPECT_FALSE(
        changes([&] { (void)read.Cell(0, 1), (void)read.Rows(), (void)read.RowAt(1), (void)t.Counts(1); }));
    EXPECT_TRUE(changes([&] { t.SetCell(2, 1, "x"); }));
    EXPECT_TRUE(changes([&] { t.SetRowCount(5); }));
    EXPECT_TRUE(changes([&] { t.SetRow(1, {"3", "", ""}); }));
    EXPECT_TRUE(changes([&] { t.EraseRows(4, 1); }));
    EXPECT_TRUE(changes([&] { t.ReorderRows({0, 2, 1}); }));
    EXPECT_TRUE(changes([&] { t.MoveColumn(0, 2); }));
    EXPECT_TRUE(changes([&] { (void)t.SpliceRows(1, 1, kurv::TextRows(2)); }));
    EXPECT_TRUE(changes([&] { t.SetRows(kurv::TextRows(3)); }));
}

TEST(Evaluate, StartsAsTheIdentity) {
    const Coefficients c;
    for (double x : {0.0, -2.5, 1e300, 5e-324}) {
        EXPECT_EQ(Evaluate(c, x), x);
        EXPECT_EQ(EvaluateNested(c, x), x);
    }
}

TEST(Evaluate, OnlyTheStoredResultMustFitADouble) {
    // x^3 = 1e309 on the way, cancelled by a2 x^2.
    const Coefficients c{0, 1, -1e103, 1};
    EXPECT_EQ(Evaluate(c, 1e103), 1e103);
    EXPECT_EQ(EvaluateNested(c, 1e103), 1e103);

    for (const auto& [k, x] : {std::pair{Coefficients{0, 0, 0, 1e300}, 1e10},
                               {Coefficients{0, 1e308, 0, 0}, 10.0},
                               {Coefficients{-1e308, -1e308, 0, 0}, 1.0}}) {
        EXPECT_THROW(Evaluate(k, x), ArithmeticError);
        EXPECT_THROW(EvaluateNested(k, x), ArithmeticError);
    }
}

TEST(PowerSums, TermsBeyondTheDoubleRangeAreArithmeticErrors) {
    PowerSums s;
    EXPECT_NO_THROW(s.Add(2e51, 1));  // x^6 = 6.4e307
    EXPECT_THROW(s.Add(1e52, 1), ArithmeticError);
    EXPECT_EQ(s.n, 1);
    EXPECT_EQ(s.S1, 2e51);

    PowerSums t;
    t.Add(1, 1e308);
    EXPECT_THROW(t.Add(1, 1e308), ArithmeticError);  // T0 = 2e308
    EXPECT_EQ(t.n, 1);
    EXPECT_EQ(t.S1, 2);  // the sums before T0 were updated
    EXPECT_EQ(t.T0, 1e308);
}

TEST(ErrorMeasures, MaximumAndDeviation) {
    ErrorMeasures none;
    EXPECT_EQ(none.Sigma(), 0);

    ErrorMeasures one;
    one.Add(5, 0);
    EXPECT_EQ(one.maxError, 5);
    EXPECT_EQ(one.Sigma(), 0);

    ErrorMeasures two;
    two.Add(3, 0);
    two.Add(-4, 0);  // a negative residual counts with its size
    EXPECT_EQ(two.maxError, 4);
    EXPECT_EQ(two.Sigma(), 5);  // divisor m - 1

    ErrorMeasures big;
    EXPECT_THROW(big.Add(1e308, -1e308), ArithmeticError);
    EXPECT_THROW(big.Add(1e155, 0), ArithmeticError);  // its square
}

}  // namespace
