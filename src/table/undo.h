// Undo and redo for the data table's widget: records the window's commands
// and the typing into cells as steps of the core's TableHistory, and puts a
// step back into the table and the grid.
//
// A command holds a Command for its run: the table is kept as it was at the
// start and compared when the command has rewritten it (Commit, called by the
// window once the core operation is done, or at the end of the run). Typing
// makes one step per cell, taken when the current cell changes or a command,
// undo or redo begins.
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

    class Command {
      public:
        explicit Command(TableUndo* undo) : undo_(undo) {}
        Command(const Command&) = delete;
        Command& operator=(const Command&) = delete;
        ~Command() {
            if (undo_) undo_->Commit();
        }

      private:
        TableUndo* undo_;
    };
    // Call before a command changes the table; nested calls join the outer one.
    [[nodiscard]] Command Begin();

    // A command that only reorders the rows (dropping empty ones) gives its
    // order to Done; the step then keeps the order, not the rows. Recorded
    // when it ends, with the cursor of that moment.
    class Reordering {
      public:
        explicit Reordering(TableUndo* undo);
        Reordering(const Reordering&) = delete;
        Reordering& operator=(const Reordering&) = delete;
        ~Reordering();
        // The order DataTable::ReorderRows applied, once it has.
        void Done(std::vector<int> order);

      private:
        TableUndo* undo_;
        kurv::TableCursor before_;
        int rowsBefore_ = 0;
        std::vector<int> order_;
        bool done_ = false;
    };
    [[nodiscard]] Reordering BeginReorder() { return Reordering(this); }
    // The running command's change, recorded now; nothing when none runs.
    void Commit();
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

    // Undo or redo through the history, with the typing closed first.
    bool Step(bool (kurv::TableHistory::*move)(kurv::DataTable&, kurv::TableCursor&));
    kurv::TableCursor Cursor() const;
    void Restore(const kurv::TableCursor& cursor);
    // Starts watching the current cell for typing; CloseTyping records it.
    void ArmTyping();
    // `now` is the table as the typing left it (the window's own but for a column move).
    void CloseTyping(const kurv::DataTable& now);
    void UpdateActions();

    kurv::DataTable* table_;
    TStringGrid* grid_;
    kurv::TableHistory history_;
    bool running_ = false;
    kurv::DataTable pending_{1};
    kurv::TableCursor pendingCursor_;
    Typing typing_;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QAction* redoAlt_ = nullptr;
};
