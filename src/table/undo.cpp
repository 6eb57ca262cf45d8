#include "table/undo.h"

#include <QAction>
#include <QLineEdit>
#include <QScopeGuard>
#include <algorithm>
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
    // Leaving a cell raises clicked() after the cell's last setEditText.
    QObject::connect(grid_, &TStringGrid::clicked, grid_, [this] {
        CloseTyping(*table_);
        ArmTyping();
        UpdateActions();
    });
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

TableUndo::Command TableUndo::Begin() {
    if (running_) return Command(nullptr);
    CloseTyping(*table_);
    pending_ = *table_;
    pendingCursor_ = Cursor();
    running_ = true;
    return Command(this);
}

TableUndo::Reordering::Reordering(TableUndo* undo) : undo_(undo->running_ ? nullptr : undo) {
    if (!undo_) return;  // inside a command, whose step covers the reorder
    undo_->CloseTyping(*undo_->table_);
    before_ = undo_->Cursor();
    rowsBefore_ = undo_->table_->RowCount();
}

void TableUndo::Reordering::Done(std::vector<int> order) {
    order_ = std::move(order);
    done_ = true;
}

TableUndo::Reordering::~Reordering() {
    if (!undo_) return;
    if (done_) {
        try {
            undo_->history_.RecordReorder(std::move(order_), rowsBefore_, before_, undo_->Cursor());
        } catch (...) {
            undo_->history_.Clear();  // the table changed with no step: the older ones would not fit
        }
    }
    undo_->ArmTyping();
    undo_->UpdateActions();
}

void TableUndo::Commit() {
    if (!running_) return;
    running_ = false;
    history_.Record(kurv::DiffTables(std::exchange(pending_, DataTable(1)), *table_), pendingCursor_,
                    Cursor());
    ArmTyping();
    UpdateActions();
}

void TableUndo::ColumnMoved(int from, int to) {
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
    ArmTyping();
    UpdateActions();
}

void TableUndo::ArmTyping() {
    typing_ = Typing{};
    typing_.col = grid_->Col();
    typing_.row = grid_->Row();
    typing_.rowCount = table_->RowCount();
    if (typing_.row < 1 || typing_.row >= typing_.rowCount) return;
    // Read through the const view: a writable row would count as a change of
    // the table and make the next recalculation redo everything.
    typing_.cells = std::as_const(*table_).RowAt(typing_.row);
    typing_.cursor = Cursor();
    typing_.armed = true;
}

void TableUndo::CloseTyping(const DataTable& now) {
    if (!typing_.armed) return;
    Typing t = std::exchange(typing_, Typing{});
    // Typing into the last row appends a row; nothing else changes the row count.
    const bool grew = now.RowCount() != t.rowCount;
    if (grew && (t.row != t.rowCount - 1 || now.RowCount() < t.rowCount)) {
        history_.Clear();  // a change no step describes: the steps would not fit
        return;
    }
    const bool typed = t.edited && t.row < now.RowCount() && now.Cell(t.col, t.row) != t.cells[t.col];
    if (!typed && !grew) return;
    kurv::TableChange change;
    change.first = t.row;
    change.before.AppendRow(t.cells);
    change.afterRows = grew ? now.RowCount() - t.row : 1;
    history_.Record(std::move(change), t.cursor, t.cursor);
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
