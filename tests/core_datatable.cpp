// The compact cell store: texts on both sides of every form's limit survive
// every way rows and cells move, the arena's reuse never mixes texts up, and
// a recorded change gives back exactly the rows it changed.
#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "core/datatable.h"

using kurv::CellText;
using kurv::DataTable;
using kurv::TextRows;
using Row = DataTable::Row;

namespace kurv {
void PrintTo(const CellText& t, std::ostream* os) {
    *os << '"' << t.View() << '"';
}
}  // namespace kurv

namespace {

const std::string k11(11, 'a');  // the longest text a record holds as it is
const std::string k12(12, 'b');
const std::string kNumber23 = "-1.234567890123456e-300";  // one character more than a record packs
const std::string kNumber22 = kNumber23.substr(1);
const std::string kLong(5000, 'c');

// Rows 1..n with texts of growing length around the limits.
DataTable Filled(int n) {
    DataTable t(n + 1);
    for (int r = 1; r <= n; ++r)
        t.SetRow(r, {std::string(r % 20, 'y'), std::to_string(r) + std::string(r % 17, 'x'),
                     r % 3 ? std::to_string(r * 1.5e-7) : std::string(100 + r, 'f')});
    return t;
}

// Undoes a recorded change as the history does.
void TakeBack(DataTable& t, kurv::TableChange& c) {
    const int stored = c.before.RowCount();
    c.before = t.SpliceRows(c.first, c.afterRows, std::move(c.before));
    c.afterRows = stored;
}

}  // namespace

TEST(DataTableStore, TextsAroundTheRecordsLimitsReadBack) {
    DataTable t(3);
    const std::vector<std::string> texts = {"",        "1",      k11,   k12, kNumber22, kNumber23, "+-.,eE0",
                                            "1 000,5", "Ωμ 1.5", kLong, "",  k12,       kNumber22, k11};
    for (const std::string& s : texts) {
        t.SetCell(1, 1, s);  // each overwrites the last, in every form in turn
        EXPECT_EQ(t.Cell(1, 1), s);
        EXPECT_EQ(t.Cell(1, 1).size(), s.size());
        EXPECT_EQ(t.CellEmpty(1, 1), s.empty());
        EXPECT_EQ(t.Cell(0, 1), "");
    }
    {
        const CellText same = t.Cell(1, 1);
        t.SetCell(0, 2, same);  // copied from the store itself
        t.SetCell(1, 1, same);
    }
    t.SetCell(2, 2, kLong);
    {
        const CellText text = t.Cell(2, 2);
        t.SetCell(1, 2, text);
        t.SetCell(2, 2, text.View().substr(1));  // over its own bytes
    }
    EXPECT_EQ(t.RowAt(2), (Row{k11, kLong, kLong.substr(1)}));
    EXPECT_EQ(t.Cell(1, 1), k11);
    EXPECT_TRUE(t.RowEmpty(0));
    EXPECT_FALSE(t.RowEmpty(2));
}

// Numbers as instruments export them take no memory beyond their records.
TEST(DataTableStore, NumberTextsNeedNoArena) {
    DataTable t(10001);
    const std::size_t empty = t.Bytes();
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> v(-1e6, 1e6);
    std::vector<std::string> texts;
    for (int r = 1; r <= 10000; ++r) {
        char buf[40];
        std::snprintf(buf, sizeof buf, r % 2 ? "%.17g" : "%.15E", v(rng));
        texts.push_back(buf);
        t.SetRow(r, {buf, std::string(buf).substr(0, r % 23), r % 5 ? "" : "12,5e+3"});
    }
    EXPECT_EQ(t.Bytes(), empty);
    for (int r = 1; r <= 10000; ++r) {
        ASSERT_EQ(t.Cell(0, r), texts[r - 1]) << r;
        ASSERT_EQ(t.Cell(1, r), texts[r - 1].substr(0, r % 23)) << r;
    }
}

// Every length a record packs, with each character of a number at each
// place, and with one character no number has (which the record then holds
// as it is, or the arena does).
TEST(DataTableStore, PackedTextsOfEveryLengthReadBack) {
    const std::string numberChars = "0123456789.,-+eE";
    const std::string others = std::string("/:Dd ") + '\0' + "\x80\xB0\xFF*";
    const std::size_t empty = DataTable(2).Bytes();
    for (std::size_t n = 1; n <= kurv::TextRows::kPackedChars + 1; ++n) {
        for (std::size_t at = 0; at < n; ++at) {
            for (std::size_t k = 0; k < numberChars.size() + others.size(); ++k) {
                std::string text(n, '0');
                for (std::size_t i = 0; i < n; ++i) text[i] = numberChars[(i * 7 + n) % numberChars.size()];
                text[at] = k < numberChars.size() ? numberChars[k] : others[k - numberChars.size()];
                DataTable t(2);
                t.SetCell(1, 1, text);
                ASSERT_EQ(t.Cell(1, 1), text) << n << " " << at << " " << k;
                const bool packed = k < numberChars.size() && n <= kurv::TextRows::kPackedChars;
                ASSERT_EQ(t.Bytes() == empty, packed || n <= kurv::TextRows::kInlineBytes) << text;
            }
        }
    }
}

TEST(DataTableStore, RowMovesKeepEveryText) {
    DataTable t = Filled(60);
    const auto before = t.Rows();

    std::vector<int> order = {0};
    for (int r = 60; r >= 1; r -= 2) order.push_back(r);  // odd rows dropped
    {
        // Without memory for a second array the rows move in place.
        DataTable inPlace = t;
        {
            kurv::big_memory::ScopedFailure noMemory;
            inPlace.ReorderRows(order);
            EXPECT_EQ(noMemory.Attempts(), 1);
        }
        t.ReorderRows(order);
        EXPECT_EQ(inPlace.Rows(), t.Rows());
    }
    ASSERT_EQ(t.RowCount(), 31);
    for (int k = 1; k < 31; ++k) EXPECT_EQ(t.RowAt(k), before[order[k]]) << k;

    t.MoveColumn(0, 2);
    EXPECT_EQ(t.RowAt(1), (Row{before[60][1], before[60][2], before[60][0]}));
    t.MoveColumn(2, 0);

    t.EraseRows(2, 10);
    EXPECT_EQ(t.RowCount(), 21);
    EXPECT_EQ(t.RowAt(2), before[order[12]]);

    TextRows taken = t.SpliceRows(3, 2, t.SliceRows(5, 4));  // two rows become four
    ASSERT_EQ(taken.RowCount(), 2);
    EXPECT_EQ(taken.RowAt(1), before[order[14]]);
    EXPECT_EQ(t.RowCount(), 23);
    EXPECT_EQ(t.RowAt(3), t.RowAt(7));
    EXPECT_TRUE(t.SameRow(6, t, 10));
    EXPECT_FALSE(t.SameRow(3, t, 4));
}

// A few rows are copied out; most of the table keeps its memory, and the
// long texts of the rows dropped (enough here to rewrite the arena) go.
TEST(DataTableStore, TakenRowsKeepTheirTexts) {
    struct Case {
        int first, count;
    };
    for (const Case c : {Case{1, 3}, Case{1, 60}, Case{30, 31}, Case{2, 50}}) {
        DataTable t = Filled(60);
        for (int r = 1; r <= 60; r += 2) t.SetCell(2, r, kLong + kLong + std::to_string(r));
        const auto before = t.Rows();
        TextRows taken = std::move(t).TakeRows(c.first, c.count);
        ASSERT_EQ(taken.RowCount(), c.count) << c.first;
        for (int k = 0; k < c.count; ++k)
            EXPECT_EQ(taken.RowAt(k), before[c.first + k]) << c.first << " " << k;
        taken.SetCell(0, 0, k12);  // the store stays usable
        DataTable u(2);
        u.SpliceRows(1, 1, std::move(taken));
        EXPECT_EQ(u.Cell(0, 1), k12);
        EXPECT_EQ(u.RowAt(c.count), before[c.first + c.count - 1]);
    }
}

TEST(DataTableStore, ShrinkGrowAndRewritesStayCorrect) {
    DataTable t = Filled(3000);
    const DataTable copy = t;
    t.SetRowCount(10);  // most long texts dropped: the arena is rewritten
    t.SetRowCount(3001);
    EXPECT_TRUE(t.RowEmpty(3000));
    for (int r = 1; r < 10; ++r) EXPECT_TRUE(t.SameRow(r, copy, r)) << r;
    for (int round = 0; round < 50; ++round)  // shorter and longer in turn
        for (int r = 1; r < 10; ++r)
            t.SetCell(2, r, std::string(16 + (round + r) % 40, char('a' + round % 26)));
    EXPECT_EQ(t.Cell(2, 9), std::string(16 + (49 + 9) % 40, char('a' + 49 % 26)));
    EXPECT_EQ(t.Cell(1, 9), copy.RowAt(9)[1]);
    EXPECT_LT(t.Bytes(), copy.Bytes());
}

// Megabytes of long texts fill many arena blocks: rows spliced in from another
// store keep their texts, and texts copied from the store into itself survive
// the new blocks their copies start.
TEST(DataTableStore, LongTextsAcrossArenaBlocks) {
    DataTable t = Filled(3000);
    const DataTable other = Filled(2000);
    const auto before = t.Rows();
    t.SpliceRows(1000, 1, other.SliceRows(1, 1999));
    ASSERT_EQ(t.RowCount(), 3001 + 1998);
    for (int r = 1; r < t.RowCount(); ++r) {
        const Row expected = r < 1000 ? before[r] : r < 2999 ? other.RowAt(r - 999) : before[r - 1998];
        ASSERT_EQ(t.RowAt(r), expected) << r;
    }
    for (int r = 3; r < t.RowCount(); r += 3) {
        const CellText fitted = t.Cell(2, r);
        t.SetCell(0, r, fitted);
    }
    for (int r = 3; r < t.RowCount(); r += 3) ASSERT_EQ(t.RowAt(r)[0], t.RowAt(r)[2]) << r;
    EXPECT_EQ(DataTable(t).Rows(), t.Rows());
}

// A refit rewrites column 2 with number texts each run: however often, the
// store takes no more memory.
TEST(DataTableStore, RefitsTakeNoMemory) {
    DataTable t(1001);
    for (int r = 1; r <= 1000; ++r) t.SetCell(2, r, std::to_string(r * 1e-3));
    const std::size_t bytes = t.Bytes();
    for (int round = 0; round < 10; ++round)
        for (int r = 1; r <= 1000; ++r) t.SetCell(2, r, kNumber22.substr(0, 10 + (r + round) % 12));
    EXPECT_EQ(t.Bytes(), bytes);
    EXPECT_EQ(t.Cell(2, 7), kNumber22.substr(0, 10 + (7 + 9) % 12));
}

// A compaction that finds no memory is not tried again on every change (that
// made each cell change of a large table copy its whole arena), only once
// memory was given back; the table says so once, and loses nothing.
TEST(DataTableStore, CompactionWithoutMemoryWaitsForMemory) {
    DataTable t(2001);
    for (int r = 1; r <= 2000; ++r) t.SetCell(0, r, std::string(100, 'q') + std::to_string(r));
    EXPECT_FALSE(t.TakeMemoryShortage());
    {
        kurv::big_memory::ScopedFailure noMemory;
        for (int r = 1; r <= 2000; ++r) t.SetCell(0, r, std::to_string(r));  // the long texts go unused
        EXPECT_EQ(noMemory.Attempts(), 1);
        EXPECT_TRUE(t.TakeMemoryShortage());
        EXPECT_FALSE(t.TakeMemoryShortage());
        for (int r = 1; r <= 2000; ++r) t.SetCell(1, r, "x");
        EXPECT_EQ(noMemory.Attempts(), 1);
    }
    const std::size_t held = t.Bytes();
    { DataTable(50000).SetCell(0, 1, "freed"); }  // memory given back somewhere
    t.SetCell(1, 1, "y");
    EXPECT_LT(t.Bytes(), held);
    for (int r = 1; r <= 2000; ++r) ASSERT_EQ(t.Cell(0, r), std::to_string(r));
}

// A recorded change taken back restores the table exactly, header included,
// whatever mix of changes it gathered, and takes rows replaced wholesale
// over without copying them.
TEST(DataTableChange, TakenBackRestoresEveryRow) {
    std::mt19937 rng(5);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 300; ++round) {
        DataTable t = Filled(5 + pick(40));
        const auto start = t.Rows();
        t.BeginChange();
        for (int op = 0, ops = 1 + pick(5); op < ops; ++op) {
            const int n = t.RowCount();
            switch (pick(8)) {
                case 0:
                    t.SetCell(pick(3), pick(n), pick(2) ? kLong : std::to_string(op));
                    break;
                case 1:
                    t.SetRowCount(1 + pick(2 * n));
                    break;
                case 2:
                    t.EraseRows(1 + pick(n), pick(n));
                    break;
                case 3: {
                    const int first = pick(n);
                    const DataTable other = Filled(pick(6));
                    t.ReplaceRows(first, pick(n - first + 1), other.SliceRows(1, pick(other.RowCount())));
                    break;
                }
                case 4: {
                    const DataTable other = Filled(pick(30));
                    t.SetRows(other.SliceRows(0, 1 + pick(other.RowCount())));
                    break;
                }
                case 5:
                    t.MoveColumn(pick(3), pick(3));
                    break;
                case 6:
                    t.ClearColumn(pick(3), 1, n - 1);
                    break;
                default: {
                    std::vector<int> order(static_cast<std::size_t>(n));
                    for (int k = 0; k < n; ++k) order[static_cast<std::size_t>(k)] = k;
                    std::shuffle(order.begin() + 1, order.end(), rng);
                    order.resize(static_cast<std::size_t>(1 + pick(n)));
                    order.push_back(-1);
                    t.ReorderRows(order);
                }
            }
        }
        const auto after = t.Rows();
        kurv::TableChange change = t.EndChange();
        ASSERT_TRUE(change.complete);
        ASSERT_FALSE(t.Recording());
        TakeBack(t, change);
        ASSERT_EQ(t.Rows(), start) << round;
        TakeBack(t, change);
        ASSERT_EQ(t.Rows(), after) << round;
    }
}

TEST(DataTableChange, KeepsOnlyWhatChanged) {
    DataTable t = Filled(100);
    t.SetCell(2, 100, kLong);
    const CellText longText = t.Cell(2, 100);
    const char* const where = longText.View().data();

    t.BeginChange();
    t.SetCell(1, 40, "new");
    t.SetCell(1, 41, t.RowAt(41)[1]);  // written as it was
    t.BeginChange();                   // a nested command joins the change
    t.SetCell(1, 45, "new");
    EXPECT_TRUE(t.EndChange().Empty());
    EXPECT_TRUE(t.Recording());
    kurv::TableChange c = t.EndChange();
    EXPECT_EQ(c.first, 40);
    EXPECT_EQ(c.before.RowCount(), 6);
    EXPECT_EQ(c.afterRows, 6);
    EXPECT_EQ(c.tableBytes, t.Bytes());

    t.BeginChange();
    t.SetCell(0, 0, "caption");
    t.SetCell(0, 0, "");
    EXPECT_TRUE(t.EndChange().Empty());

    // Every row replaced: the old rows change hands, their texts where they were.
    const auto before = t.Rows();
    TextRows fresh;
    for (int r = 0; r <= 10; ++r) fresh.AppendRow(r ? std::to_string(r) + "e3" : "");
    t.BeginChange();
    t.SetRows(std::move(fresh));
    c = t.EndChange();
    EXPECT_EQ(c.first, 0);  // whole, for undo and redo to swap the stores
    EXPECT_EQ(c.before.RowCount(), 101);
    const CellText moved = c.before.Cell(2, 100);
    EXPECT_EQ(moved.View().data(), where);
    TakeBack(t, c);
    EXPECT_EQ(t.Rows(), before);
}
