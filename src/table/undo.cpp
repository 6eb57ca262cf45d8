#include "table/undo.h"

#include <QAction>
#include <QLineEdit>
#include <QScopeGuard>
#include <algorithm>
#include <new>
#include <utility>

#include "table/stringgrid.h"

using kurv::DataTable;
using kurv::TableCursor;

namespace {

// Where column c goes when the column at `from` is dragged to `to`.
int MovedColumn(int c, int from, int to) {
    if (c == from) return to;
    if (from < to && c > from && c <= to) return c - 1;
    if (from > to && c < from && c >= to) return c + 1;
    return c;
}

}  // namespace

TableUndo::TableUndo(DataTable* table, TStringGrid* grid) : table_(table), grid_(grid) {
    QObject::connect(grid_->InplaceEditor(), &QLineEdit::textEdited, grid_, [this] {
        if (!typing_.armed) ArmTyping();
        if (typing_.edited) return;
        typing_.edited = true;
        UpdateActions();
    });
    ArmTyping();
}

TableCursor TableUndo::Cursor() const {
    const TGridRect b = grid_->Selection();
    return {grid_->Col(), grid_->Row(), b.left, b.top, b.right, b.bottom};
}

void TableUndo::Restore(const TableCursor& c) {
    grid_->RestoreCurrent(c.col, c.row, {c.left, c.top, c.right, c.bottom});
}

bool TableUndo::Start(Running kind) {
    if (running_ != Running::None) return false;
    CloseTyping(*table_);
    // A reorder keeps its order alone; any other change is recorded by the
    // table as it is made, the rows it replaces taken over rather than copied.
    if (kind == Running::Rows) table_->BeginChange();
    rowsBefore_ = table_->RowCount();
    order_.clear();
    reordered_ = false;
    beforeCursor_ = Cursor();
    running_ = kind;
    return true;
}

bool TableUndo::Begin() {
    return Start(Running::Rows);
}

bool TableUndo::BeginReorder() {
    return Start(Running::Reorder);
}

void TableUndo::Reordered(std::vector<int> order) {
    order_ = std::move(order);
    reordered_ = true;
}

void TableUndo::RecordRunning() noexcept {
    const Running was = std::exchange(running_, Running::None);
    // The table's record ends here whatever follows.
    kurv::TableChange change = was == Running::Rows ? table_->EndChange() : kurv::TableChange();
    try {
        if (was == Running::Rows)
            history_.Record(std::move(change), beforeCursor_, Cursor());
        else if (was == Running::Reorder && reordered_)
            history_.RecordReorder(std::move(order_), rowsBefore_, beforeCursor_, Cursor());
    } catch (...) {
        history_.Clear();  // the table changed with no step: the older ones would not fit
    }
}

void TableUndo::Commit() {
    if (running_ == Running::None) return;
    RecordRunning();
    ArmTyping();
    UpdateActions();
}

void TableUndo::Abandon() noexcept {
    if (running_ == Running::None) return;
    RecordRunning();
    ArmTyping();
    try {
        UpdateActions();
    } catch (...) {
        // The items catch up with the next step.
    }
}

void TableUndo::CellLeft() {
    CloseTyping(*table_);
    ArmTyping();
    UpdateActions();
}

void TableUndo::ColumnMoved(int from, int to) {
    try {
        DataTable before = *table_;
        before.MoveColumn(to, from);
        CloseTyping(before);
        TableCursor was = Cursor();
        was.col = MovedColumn(was.col, to, from);
        const int a = MovedColumn(was.left, to, from);
        const int b = MovedColumn(was.right, to, from);
        was.left = std::min(a, b);
        was.right = std::max(a, b);
        history_.Record(kurv::DiffTables(std::move(before), *table_), was, Cursor());
    } catch (const std::bad_alloc&) {
        history_.Clear();  // the cells have moved with no step
    }
    ArmTyping();
    UpdateActions();
}

void TableUndo::ArmTyping() noexcept {
    typing_ = Typing{};
    typing_.col = grid_->Col();
    typing_.row = grid_->Row();
    typing_.rowCount = table_->RowCount();
    if (typing_.row < 1 || typing_.row >= typing_.rowCount) return;
    try {
        typing_.cells = table_->RowAt(typing_.row);
    } catch (...) {
        // Without the cell's old text no step can take the typing back.
        typing_ = Typing{};
        history_.Clear();
        return;
    }
    typing_.cursor = Cursor();
    typing_.armed = true;
}

void TableUndo::CloseTyping(const DataTable& now) noexcept {
    if (!typing_.armed) return;
    Typing t = std::move(typing_);
    typing_ = Typing{};
    // Typing into the last row appends a row; nothing else changes the row count.
    const bool grew = now.RowCount() != t.rowCount;
    if (grew && (t.row != t.rowCount - 1 || now.RowCount() < t.rowCount)) {
        history_.Clear();  // a change no step describes: the steps would not fit
        return;
    }
    const bool typed = t.edited && t.row < now.RowCount() && now.Cell(t.col, t.row) != t.cells[t.col];
    if (!typed && !grew) return;
    try {
        kurv::TableChange change;
        change.first = t.row;
        change.before.AppendRow(t.cells);
        change.afterRows = grew ? now.RowCount() - t.row : 1;
        history_.Record(std::move(change), t.cursor, t.cursor);
    } catch (...) {
        history_.Clear();
    }
}

bool TableUndo::Undo() {
    return Step(&kurv::TableHistory::Undo);
}

bool TableUndo::Redo() {
    return Step(&kurv::TableHistory::Redo);
}

bool TableUndo::Step(bool (kurv::TableHistory::*move)(DataTable&, TableCursor&)) {
    CloseTyping(*table_);
    TableCursor cursor;
    bool done;
    {
        grid_->BeginBulkChange();
        const auto endBulk = qScopeGuard([this] { grid_->EndBulkChange(); });  // should the step throw too
        done = (history_.*move)(*table_, cursor);
    }
    if (done) Restore(cursor);
    ArmTyping();
    UpdateActions();
    return done;
}

bool TableUndo::CanUndo() const {
    return history_.CanUndo() || typing_.edited;
}

// Typing in progress will become a step of its own, which ends the redo.
bool TableUndo::CanRedo() const {
    return history_.CanRedo() && !typing_.edited;
}

void TableUndo::SetActions(QAction* undo, QAction* redo, QAction* redoAlt) {
    undoAction_ = undo;
    redoAction_ = redo;
    redoAlt_ = redoAlt;
    UpdateActions();
}

void TableUndo::UpdateActions() {
    if (undoAction_) undoAction_->setEnabled(CanUndo());
    for (QAction* a : {redoAction_, redoAlt_})
        if (a) a->setEnabled(CanRedo());
}
