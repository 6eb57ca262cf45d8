// Undo and redo for the data table's widget: records the window's commands
// and the typing into cells as steps of the core's TableHistory, and puts a
// step back into the table and the grid.
//
// A command's step runs from Begin (from which the table records its change,
// DataTable::BeginChange) to Commit at the command's normal end, or Abandon
// should it end otherwise; TFormMain::TableEdit holds both ends. Typing makes one step per cell, taken when
// the window says the current cell was left (CellLeft) or a command, undo or redo begins. A step that cannot
// be kept for want of memory empties the history: steps that no longer fit the table must not be undone.
#pragma once

#include <string>
#include <vector>

#include "core/table_history.h"

class QAction;
class TStringGrid;

class TableUndo {
  public:
    TableUndo(kurv::DataTable* table, TStringGrid* grid);
    TableUndo(const TableUndo&) = delete;
    TableUndo& operator=(const TableUndo&) = delete;

    // Call before a command changes the table. False inside another command,
    // whose step then covers this one's change.
    bool Begin();
    // A command that only reorders the rows (dropping empty ones) gives its
    // order to Reordered; the step then keeps the order, not the rows.
    bool BeginReorder();
    // The order DataTable::ReorderRows applied, once it has.
    void Reordered(std::vector<int> order);
    // The running command's change, recorded now with the cursor of this moment.
    void Commit();
    // The same for a command that ended early or by an exception; never throws.
    void Abandon() noexcept;

    // The current cell was left: what was typed into it becomes a step.
    void CellLeft();
    // A column was dragged from `from` to `to`; the cells have moved already.
    void ColumnMoved(int from, int to);

    // True when the table and the grid were changed; the caller recalculates.
    bool Undo();
    bool Redo();
    bool CanUndo() const;
    bool CanRedo() const;

    // The menu items (and other actions) enabled by CanUndo / CanRedo.
    void SetActions(QAction* undo, QAction* redo, QAction* redoAlt);

    kurv::TableHistory& History() { return history_; }

  private:
    struct Typing {
        bool armed = false;
        bool edited = false;
        int col = 0;
        int row = 1;
        kurv::DataTable::Row cells;
        int rowCount = 0;
        kurv::TableCursor cursor;
    };
    enum class Running { None, Rows, Reorder };

    // Undo or redo through the history, with the typing closed first.
    bool Step(bool (kurv::TableHistory::*move)(kurv::DataTable&, kurv::TableCursor&));
    kurv::TableCursor Cursor() const;
    void Restore(const kurv::TableCursor& cursor);
    bool Start(Running kind);
    // Records the running command's step, or empties the history when it cannot.
    void RecordRunning() noexcept;
    // Starts watching the current cell for typing; CloseTyping records it.
    void ArmTyping() noexcept;
    // `now` is the table as the typing left it (the window's own but for a column move).
    void CloseTyping(const kurv::DataTable& now) noexcept;
    void UpdateActions();

    kurv::DataTable* table_;
    TStringGrid* grid_;
    kurv::TableHistory history_;
    Running running_ = Running::None;
    int rowsBefore_ = 0;
    std::vector<int> order_;
    bool reordered_ = false;
    kurv::TableCursor beforeCursor_;
    Typing typing_;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QAction* redoAlt_ = nullptr;
};
