// Undo and redo of the table's changes. A step keeps only the rows a change
// touched, and only on the side that is not in the table now: undoing swaps
// the rows of the table with the step's, so the step then holds what redo
// needs (rows swapped wholesale change hands without a copy). Every change of
// the table must be recorded for the steps to fit the table; a step may hold
// the header row.
#pragma once

#include <cstddef>
#include <deque>
#include <vector>

#include "core/datatable.h"

namespace kurv {

// The current cell and the selected block, in the grid's coordinates.
struct TableCursor {
    int col = 0;
    int row = 1;
    int left = 0;
    int top = 1;
    int right = 0;
    int bottom = 1;
    bool operator==(const TableCursor&) const = default;
};

// Compares the rows of `before` and `after`, the header row too; the changed
// rows are taken out of `before`, which is left in an unspecified state.
TableChange DiffTables(DataTable&& before, const DataTable& after);

// The memory of this machine, in bytes (0 when unknown).
std::size_t MachineMemoryBytes();

// What the history of a table of `tableBytes` may hold: two steps that each
// replace the whole table, at least 64 MiB (a small table keeps a long
// history), and at most an eighth of the machine's memory. The newest undo
// step stays beyond the budget (TableHistory::Record), so the last command
// can always be undone; a step that replaced a table as large as this one
// leaves room for no other whole-table step beside it.
std::size_t HistoryBudget(std::size_t tableBytes, std::size_t machineBytes);

class TableHistory {
  public:
    // A budget that follows the table: HistoryBudget of the table's memory
    // and the machine's, as of the latest step.
    static constexpr std::size_t kFollowTable = 0;

    explicit TableHistory(std::size_t budgetBytes = kFollowTable);

    // A change just made to the table; the redo steps go. The oldest steps go
    // while the history holds more than its budget, but never this change's
    // own step, however large. A change that could not be recorded whole (or
    // that finds no memory for its step) empties the history: the older steps
    // no longer fit the table. Recording never throws.
    void Record(TableChange change, const TableCursor& before, const TableCursor& after) noexcept;
    // A reorder just made by DataTable::ReorderRows(order) of a table of
    // `rowsBefore` rows whose rows left out of `order` were wholly empty. The
    // step keeps the order alone, however many rows it moved. An empty order
    // (a sort that found the rows in order and left the table alone) is no step.
    void RecordReorder(std::vector<int> order, int rowsBefore, const TableCursor& before,
                       const TableCursor& after) noexcept;

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    std::size_t UndoDepth() const { return undo_.size(); }
    std::size_t RedoDepth() const { return redo_.size(); }
    std::size_t Bytes() const { return bytes_; }
    std::size_t Budget() const { return budget_; }

    // Takes the table back one step (or forward one) and gives the cursor of
    // the state reached. False when there is nothing to do, or when the table
    // no longer fits the step (the history is then emptied). An undo whose
    // step alone exceeds the budget once it holds the other side cannot be
    // redone, but never costs the older undo steps; a redo can always be
    // undone (its step is the newest undo step), the older ones going first.
    bool Undo(DataTable& table, TableCursor& cursor);
    bool Redo(DataTable& table, TableCursor& cursor);
    void Clear();

  private:
    // A region of rows, or a reorder when `order` is not empty.
    struct Step {
        int first = 1;
        TextRows rows;      // the region on the side not shown
        int shownRows = 0;  // the region's length in the table now
        std::vector<int> order;
        int rowsBefore = 0;     // the table's rows before the reorder
        bool reordered = true;  // the table shows the reorder made
        TableCursor before;
        TableCursor after;
        std::size_t bytes = 0;
    };

    static std::size_t StepBytes(const Step& s);
    // Takes the newest step of `from` onto the table and over to `to`; the
    // cursor becomes the step's `reached` one.
    bool Move(std::deque<Step>& from, std::deque<Step>& to, DataTable& table, TableCursor& cursor,
              TableCursor Step::*reached);
    // Undoes or redoes `s` on the table: false when the table does not fit it.
    bool Apply(Step& s, DataTable& table);
    static bool Swap(Step& s, DataTable& table);
    static bool Turn(Step& s, DataTable& table);
    void Push(Step s) noexcept;
    void Trim();
    void FollowTable(std::size_t tableBytes);

    std::size_t fixedBudget_;
    std::size_t budget_ = 0;
    std::size_t bytes_ = 0;
    std::deque<Step> undo_;  // newest at the back
    std::deque<Step> redo_;  // next redo at the back
};

}  // namespace kurv
