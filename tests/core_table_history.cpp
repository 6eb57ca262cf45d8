#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/clipboard_text.h"
#include "core/recalc.h"
#include "core/table_history.h"
#include "core/table_ops.h"
#include "core_tables.h"

using kurv::DataTable;
using kurv::TableCursor;
using kurv::TableHistory;

namespace {

// Runs `change` on `t` and records it the way the window does: by comparing
// a copy, or (`recorded`) by the table's own record of the change.
void Change(TableHistory& h, DataTable& t, const std::function<void(DataTable&)>& change,
            const TableCursor& before = {}, const TableCursor& after = {}, bool recorded = false) {
    if (recorded) {
        t.BeginChange();
        change(t);
        h.Record(t.EndChange(), before, after);
        return;
    }
    DataTable old = t;
    change(t);
    h.Record(kurv::DiffTables(std::move(old), t), before, after);
}

const Rows kData = {{"1", "2", "f1"}, {"3", "4", "f2"}, {"5", "6", ""}, {"7", "8", "f4"}};

struct Case {
    const char* name;
    std::function<void(DataTable&)> change;
};

const Case kCases[] = {
    {"one cell", [](DataTable& t) { t.SetCell(1, 2, "40"); }},
    {"append a row", [](DataTable& t) { t.SetRowCount(t.RowCount() + 1); }},
    {"clear", [](DataTable& t) { kurv::ClearTable(t); }},
    {"delete middle rows", [](DataTable& t) { kurv::DeleteRows(t, 2, 3); }},
    {"delete to the end", [](DataTable& t) { kurv::DeleteRows(t, 3, t.RowCount() - 1); }},
    {"sort descending keys", [](DataTable& t) { kurv::SortRows(t, 2, '.'); }},
    {"grow with data",
     [](DataTable& t) {
         t.SetRowCount(20);
         t.SetCell(0, 19, "z");
     }},
    {"shrink", [](DataTable& t) { t.SetRowCount(2); }},
    {"paste", [](DataTable& t) { kurv::PasteTable(t, "9\t8\r\n7\t6"); }},
    {"column paste", [](DataTable& t) { kurv::PasteColumn(t, 1, "1\n2\n3\n4\n5\n6\n7\n8"); }},
    {"caption moved with its column",
     [](DataTable& t) {
         t.MoveColumn(2, 0);
         t.SetCell(0, 0, "Y");
         t.SetCell(1, 0, "X");
     }},
};

}  // namespace

// The header row too: a caption dragged with its column comes back with undo.
TEST(TableHistory, EachChangeUndoesAndRedoesExactly) {
    for (const bool recorded : {false, true})
        for (const Case& c : kCases) {
            SCOPED_TRACE(c.name + std::string(recorded ? ", recorded" : ", compared"));
            TableHistory h;
            DataTable t = Make(kData, 3);
            const DataTable before = t;
            const TableCursor cb{1, 2, 0, 2, 1, 3}, ca{0, 1, 0, 1, 0, 1};
            Change(h, t, c.change, cb, ca, recorded);
            const DataTable after = t;
            TableCursor cur;
            ASSERT_TRUE(h.Undo(t, cur));
            EXPECT_EQ(t.Rows(), before.Rows());
            EXPECT_EQ(cur, cb);
            EXPECT_FALSE(h.CanUndo());
            ASSERT_TRUE(h.Redo(t, cur));
            EXPECT_EQ(t.Rows(), after.Rows());
            EXPECT_EQ(cur, ca);
            EXPECT_FALSE(h.CanRedo());
        }
}

TEST(TableHistory, StepsUndoNewestFirstAndANewChangeDropsRedo) {
    TableHistory h;
    DataTable t = Make(kData, 2);
    std::vector<DataTable> states{t};
    for (const Case& c : kCases) {
        Change(h, t, c.change);
        states.push_back(t);
    }
    TableCursor cur;
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        ASSERT_TRUE(h.Undo(t, cur));
        EXPECT_EQ(t.Rows(), states[i - 1].Rows()) << i;
    }
    EXPECT_FALSE(h.Undo(t, cur));
    ASSERT_TRUE(h.Redo(t, cur));
    ASSERT_TRUE(h.Redo(t, cur));
    EXPECT_EQ(t.Rows(), states[2].Rows());
    Change(h, t, [](DataTable& d) { d.SetCell(0, 1, "new"); });
    EXPECT_FALSE(h.CanRedo());
    EXPECT_EQ(h.UndoDepth(), 3u);
}

TEST(TableHistory, NoChangeNoStep) {
    TableHistory h;
    DataTable t = Make(kData, 2);
    Change(h, t, [](DataTable&) {});
    Change(
        h, t, [](DataTable& d) { d.SetCell(1, 1, "2"); }, {}, {}, true);
    EXPECT_FALSE(h.CanUndo());
    // A sort that finds the rows in order leaves the table alone and is no step.
    kurv::SortRows(t, 0, '.');
    const std::uint64_t revision = t.Revision();
    h.RecordReorder(kurv::SortRows(t, 0, '.'), t.RowCount(), {}, {});
    EXPECT_EQ(t.Revision(), revision);
    EXPECT_EQ(h.UndoDepth(), 0u);
}

// One typed cell in a large table keeps a row, not the table.
TEST(TableHistory, SmallChangeKeepsOnlyItsRows) {
    TableHistory h;
    DataTable t(100000);
    Change(h, t, [](DataTable& d) { d.SetCell(0, 500, "1"); });
    Change(h, t, [](DataTable& d) { kurv::DeleteRows(d, 10, 12); });
    EXPECT_LT(h.Bytes(), 2000u);
}

TEST(TableHistory, BudgetDropsOldestStepsFirst) {
    const std::string big(1000, 'x');  // on the heap
    auto bigTable = [&] {
        DataTable d(200);
        for (int r = 1; r < d.RowCount(); ++r) d.SetCell(0, r, big);
        return d;
    };
    DataTable t = bigTable();
    TableHistory probe;
    Change(probe, t, [](DataTable& d) { d.SetCell(0, 1, ""); });
    const std::size_t step = probe.Bytes();
    EXPECT_GT(step, big.size());

    TableHistory h(step * 100 + step / 2);
    t = bigTable();
    for (int i = 1; i <= 150; ++i) Change(h, t, [&](DataTable& d) { d.SetCell(0, i, ""); });
    EXPECT_EQ(h.UndoDepth(), 100u);
    EXPECT_LE(h.Bytes(), h.Budget());
    TableCursor cur;
    while (h.Undo(t, cur)) {
    }
    // Rows 1..50 keep what the dropped steps wrote; the rest is back as it was.
    EXPECT_EQ(t.Cell(0, 50), "");
    EXPECT_EQ(t.Cell(0, 51), big);
    EXPECT_EQ(t.Cell(0, 150), big);
}

// A step larger than the whole budget stays alone, the older steps going
// first: a clear (or a short paste, or a read) over a table larger than the
// budget can still be undone, and redone and undone again.
TEST(TableHistory, OversizedStepStaysAlone) {
    DataTable t(7);
    for (int r = 1; r < t.RowCount(); ++r) t.SetCell(0, r, std::string(2000, 'y'));
    const DataTable full = t;
    TableHistory h(4096);
    Change(h, t, [](DataTable& d) { d.SetCell(0, 1, "a"); });
    ASSERT_TRUE(h.CanUndo());
    Change(h, t, [](DataTable& d) { kurv::ClearTable(d); });
    const DataTable cleared = t;
    EXPECT_EQ(h.UndoDepth(), 1u);
    EXPECT_GT(h.Bytes(), h.Budget());
    TableCursor cur;
    ASSERT_TRUE(h.Undo(t, cur));
    DataTable typed = full;
    typed.SetCell(0, 1, "a");
    EXPECT_EQ(t.Rows(), typed.Rows());
    ASSERT_TRUE(h.Redo(t, cur));
    EXPECT_EQ(t.Rows(), cleared.Rows());
    ASSERT_TRUE(h.Undo(t, cur));
    EXPECT_EQ(t.Rows(), typed.Rows());
    EXPECT_FALSE(h.CanUndo());

    // A small change after it still pushes it out.
    ASSERT_TRUE(h.Redo(t, cur));
    Change(h, t, [](DataTable& d) { d.SetCell(0, 1, "b"); });
    EXPECT_EQ(h.UndoDepth(), 1u);
    EXPECT_LE(h.Bytes(), h.Budget());
}

// A table changed behind the history's back is not patched with steps that no longer fit it.
TEST(TableHistory, TableThatNoLongerFitsEmptiesHistory) {
    TableHistory h;
    DataTable t = Make(kData, 10);
    Change(h, t, [](DataTable& d) { d.SetCell(0, 12, "z"); });
    t.SetRowCount(5);
    TableCursor cur;
    EXPECT_FALSE(h.Undo(t, cur));
    EXPECT_FALSE(h.CanUndo());
    EXPECT_EQ(t.RowCount(), 5);
}

// A sort is recorded by its order alone: undo brings back every row, the
// wholly empty ones it dropped included, and redo sorts again; a table that
// no longer has the sorted rows' count takes no step.
TEST(TableHistory, ReorderStepsKeepTheOrderAlone) {
    const std::string longText(300, 'L');
    DataTable t =
        TableOf({{"5", "e", longText}, {}, {"2", "b", ""}, {"x", "", ""}, {}, {"-1", longText, "a"}}, 9);
    const DataTable before = t;
    TableHistory h;
    const TableCursor cb{0, 3, 0, 3, 0, 3}, ca{0, 1, 0, 1, 0, 1};
    h.RecordReorder(kurv::SortRows(t, 0, '.'), before.RowCount(), cb, ca);
    const DataTable after = t;
    ASSERT_EQ(DataRows(after),
              (Rows{{"-1", longText, "a"}, {"2", "b", ""}, {"5", "e", longText}, {"x", "", ""}, {}}));
    EXPECT_LT(h.Bytes(), before.Bytes());  // no copy of the rows

    TableCursor cur;
    ASSERT_TRUE(h.Undo(t, cur));
    EXPECT_EQ(t.Rows(), before.Rows());
    EXPECT_EQ(cur, cb);
    ASSERT_TRUE(h.Redo(t, cur));
    EXPECT_EQ(t.Rows(), after.Rows());
    EXPECT_EQ(cur, ca);

    t.SetRowCount(t.RowCount() + 1);  // behind the history's back
    EXPECT_FALSE(h.Undo(t, cur));
    EXPECT_FALSE(h.CanRedo());
}

// Undoing a step that then holds more than the whole budget (a small table
// pasted over by a large one) cannot keep the redo step; the older undo steps
// stay, where they used to make room for a step that went anyway.
TEST(TableHistory, UndoOfAnOversizedStepKeepsTheOlderSteps) {
    DataTable t = Make(kData, 1);
    TableHistory h(64 << 10);
    Change(h, t, [](DataTable& d) { d.SetCell(0, 1, "a"); });
    Change(h, t, [](DataTable& d) { d.SetCell(0, 2, "b"); });
    std::string big;
    for (int i = 0; i < 20000; ++i) big += std::to_string(i) + "\t1\n";
    Change(h, t, [&](DataTable& d) { kurv::PasteTable(d, big); });
    ASSERT_EQ(h.UndoDepth(), 3u);  // the rows it replaced are few
    TableCursor cur;
    ASSERT_TRUE(h.Undo(t, cur));
    EXPECT_FALSE(h.CanRedo());
    EXPECT_EQ(h.UndoDepth(), 2u);
    ASSERT_TRUE(h.Undo(t, cur));
    EXPECT_EQ(t.Cell(0, 2), "3");
    ASSERT_TRUE(h.Undo(t, cur));
    EXPECT_EQ(t.Rows(), Make(kData, 1).Rows());
}

// A default history follows its table: room for two whole-table steps, within
// what the machine has.
TEST(TableHistory, BudgetFollowsTheTableAndTheMachine) {
    constexpr std::size_t MiB = std::size_t{1} << 20;
    EXPECT_EQ(kurv::HistoryBudget(1 * MiB, 16384 * MiB), 64 * MiB);
    EXPECT_EQ(kurv::HistoryBudget(400 * MiB, 16384 * MiB), 800 * MiB);
    EXPECT_EQ(kurv::HistoryBudget(400 * MiB, 4096 * MiB), 512 * MiB);
    EXPECT_EQ(kurv::HistoryBudget(400 * MiB, 0), 800 * MiB);

    TableHistory h;
    DataTable t(1000001);  // 34 MiB of records
    Change(
        h, t, [](DataTable& d) { d.SetCell(0, 1, "1"); }, {}, {}, true);
    EXPECT_EQ(h.Budget(), kurv::HistoryBudget(t.Bytes(), kurv::MachineMemoryBytes()));
    if (kurv::MachineMemoryBytes() >= 1024 * MiB) {
        EXPECT_EQ(h.Budget(), 2 * t.Bytes());
    }
}

// A change that could not be recorded whole leaves no step to take back, and
// the older steps would no longer fit.
TEST(TableHistory, IncompleteChangeEmptiesTheHistory) {
    TableHistory h;
    DataTable t = Make(kData, 1);
    Change(h, t, [](DataTable& d) { d.SetCell(0, 1, "a"); });
    kurv::TableChange broken;
    broken.complete = false;
    h.Record(std::move(broken), {}, {});
    EXPECT_FALSE(h.CanUndo());
}

// The fitted column a command's recalculation wrote comes back with undo when
// the change recorded covers the recalculation: here the table had too few
// pairs before, so the recalculation after undo will not write column 2.
TEST(TableHistory, RecordedRecalculationGivesColumnTwoBack) {
    DataTable t = TableOf({{"1", "1", "old"}, {"2", "4", ""}, {"", "", "stale"}, {"9", "9", "x"}}, 8);
    t.SetCell(1, 4, "");  // row 4 no longer counts
    const DataTable before = t;
    TableHistory h;
    t.BeginChange();
    t.SetCell(1, 3, "5");  // typed: now three pairs
    t.SetCell(0, 3, "3");
    kurv::CountingPairs pairs;
    kurv::ReadCountingPairs(t, '.', pairs);
    kurv::WriteFittedColumn(t, pairs.rows, {1.5, 2.5, 3.5}, '.');
    h.Record(t.EndChange(), {}, {});
    EXPECT_EQ(t.Cell(2, 1), "1.5");
    TableCursor cur;
    ASSERT_TRUE(h.Undo(t, cur));
    EXPECT_EQ(t.Rows(), before.Rows());
}
