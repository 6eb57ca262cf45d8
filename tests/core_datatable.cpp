// The compact cell store: texts on both sides of the inline limit survive
// every way rows and cells move, and the arena's reuse never mixes texts up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/datatable.h"

using kurv::DataTable;
using kurv::TextRows;
using Row = DataTable::Row;

namespace {

const std::string k15(15, 'a');
const std::string k16(16, 'b');
const std::string kLong(5000, 'c');

// Rows 1..n with texts of growing length around the inline limit.
DataTable Filled(int n) {
    DataTable t(n + 1);
    for (int r = 1; r <= n; ++r)
        t.SetRow(r, {std::string(r % 20, 'y'), std::to_string(r) + std::string(r % 17, 'x'),
                     r % 3 ? "" : std::string(100 + r, 'f')});
    return t;
}

}  // namespace

TEST(DataTableStore, TextsAroundTheInlineLimitReadBack) {
    DataTable t(3);
    const std::vector<std::string> texts = {"", "1", k15, k16, kLong, "", k16, k15};
    for (const std::string& s : texts) {
        t.SetCell(1, 1, s);  // each overwrites the last, inline and long in turn
        EXPECT_EQ(t.Cell(1, 1), s);
        EXPECT_EQ(t.Cell(0, 1), "");
    }
    t.SetCell(0, 2, t.Cell(1, 1));  // copied from the store itself
    t.SetCell(2, 2, kLong);
    t.SetCell(1, 2, t.Cell(2, 2));
    t.SetCell(2, 2, t.Cell(2, 2).substr(1));
    EXPECT_EQ(t.RowAt(2), (Row{k15, kLong, kLong.substr(1)}));
    EXPECT_TRUE(t.RowEmpty(0));
    EXPECT_FALSE(t.RowEmpty(2));
}

TEST(DataTableStore, RowMovesKeepEveryText) {
    DataTable t = Filled(60);
    const auto before = t.Rows();

    std::vector<int> order = {0};
    for (int r = 60; r >= 1; r -= 2) order.push_back(r);  // odd rows dropped
    t.ReorderRows(order);
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
        taken.SetCell(0, 0, k16);  // the store stays usable
        DataTable u(2);
        u.SpliceRows(1, 1, std::move(taken));
        EXPECT_EQ(u.Cell(0, 1), k16);
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
    for (int round = 0; round < 50; ++round)  // shorter and longer in turn, as a refit writes column 2
        for (int r = 1; r < 10; ++r)
            t.SetCell(2, r, std::string(16 + (round + r) % 40, char('a' + round % 26)));
    EXPECT_EQ(t.Cell(2, 9), std::string(16 + (49 + 9) % 40, char('a' + 49 % 26)));
    EXPECT_EQ(t.Cell(1, 9), copy.Cell(1, 9));
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
    for (int r = 3; r < t.RowCount(); r += 3) t.SetCell(0, r, t.Cell(2, r));
    for (int r = 3; r < t.RowCount(); r += 3) ASSERT_EQ(t.Cell(0, r), t.Cell(2, r)) << r;
    EXPECT_EQ(DataTable(t).Rows(), t.Rows());
}

// A refit rewrites column 2 with texts of about the same length: within the
// room the first texts had, the store takes no more memory however often.
TEST(DataTableStore, RewritesWithinTheRoomTakeNoMemory) {
    DataTable t(1001);
    for (int r = 1; r <= 1000; ++r) t.SetCell(2, r, std::string(24, 'a'));
    const std::size_t bytes = t.Bytes();
    for (int round = 0; round < 10; ++round)
        for (int r = 1; r <= 1000; ++r) t.SetCell(2, r, std::string(16 + (r + round) % 9, char('b' + round)));
    EXPECT_EQ(t.Bytes(), bytes);
    EXPECT_EQ(t.Cell(2, 7), std::string(16 + (7 + 9) % 9, 'k'));
}
