#include "table/stringgrid.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <array>

#include "table/inplaceedit.h"
#include "table/keys.h"
#include "table/tablemodel.h"

using kurv::DataTable;

namespace {

constexpr int kDefaultRowHeight = 16;
constexpr std::array<int, DataTable::kColumns> kDesignedWidths = {73, 81, 64};
// A line edit lays out its whole text on every change and paint (a second
// or more for megabytes), so a longer cell is shown in the editor cut and
// read-only; typing over it while it is wholly selected replaces it.
constexpr std::size_t kEditableBytes = 100'000;

QString EditorTextOf(std::string_view cell) {
    return cell.size() > kEditableBytes ? TableModel::ShownText(cell)
                                        : QString::fromUtf8(cell.data(), static_cast<qsizetype>(cell.size()));
}

}  // namespace

TStringGrid::TStringGrid(DataTable* table, QWidget* parent)
    : QTableView(parent), table_(table), model_(new TableModel(table, this)) {
    setModel(model_);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setDragEnabled(false);
    setShowGrid(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(kDefaultRowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setSectionsMovable(false);

    QHeaderView* cols = horizontalHeader();
    cols->setSectionsMovable(true);
    // The header row is not selectable: pressing it must not select a column.
    cols->setSectionsClickable(false);
    disconnect(cols, &QHeaderView::sectionPressed, this, nullptr);
    disconnect(cols, &QHeaderView::sectionEntered, this, nullptr);
    cols->setHighlightSections(false);
    cols->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    cols->setStretchLastSection(false);
    cols->setSectionResizeMode(QHeaderView::Interactive);
    cols->setFixedHeight(kDefaultRowHeight);
    for (int c = 0; c < DataTable::kColumns; ++c) cols->resizeSection(c, kDesignedWidths[c]);
    connect(cols, &QHeaderView::sectionMoved, this, &TStringGrid::OnSectionMoved);
    connect(cols, &QHeaderView::sectionResized, this, [this] { PlaceEditor(); });

    editor_ = new TInplaceEdit(this, viewport());
    setFocusProxy(editor_);
    LetWindowShortcutsWin(editor_);
    connect(editor_, &QLineEdit::textEdited, this, &TStringGrid::OnEditorTextEdited);

    connect(model_, &QAbstractItemModel::dataChanged, this, &TStringGrid::OnDataChanged);
    connect(model_, &QAbstractItemModel::rowsInserted, this, [this] { ClampToTable(); });
    connect(model_, &QAbstractItemModel::rowsRemoved, this, [this] { ClampToTable(); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { ClampToTable(); });

    scrollTimer_ = new QTimer(this);
    scrollTimer_->setInterval(50);
    connect(scrollTimer_, &QTimer::timeout, this, &TStringGrid::AutoScroll);

    ApplyCurrent(false);
    LoadEditor();
    PlaceEditor();
}

TStringGrid::~TStringGrid() = default;

QLineEdit* TStringGrid::InplaceEditor() const {
    return editor_;
}

int TStringGrid::RowCount() const {
    return table_->RowCount();
}

void TStringGrid::SetRowCount(int count) {
    model_->SetRowCount(count);
}

std::string TStringGrid::Cell(int col, int row) const {
    return model_->HasCell(col, row) ? std::string(table_->Cell(col, row)) : std::string();
}

void TStringGrid::SetCell(int col, int row, std::string text) {
    model_->SetCell(col, row, std::move(text));
}

bool TStringGrid::IsDataCell(int col, int row) const {
    return col >= 0 && col < DataTable::kColumns && row >= 1 && row < table_->RowCount();
}

void TStringGrid::SetCurrentCell(int col, int row) {
    if (!IsDataCell(col, row)) return;
    MoveTo(col, row, false);
}

TGridRect TStringGrid::Selection() const {
    TGridRect r;
    r.left = std::min({anchorCol_, blockEndCol_, col_});
    r.right = std::max({anchorCol_, blockEndCol_, col_});
    r.top = std::min({anchorRow_, blockEndRow_, row_});
    r.bottom = std::max({anchorRow_, blockEndRow_, row_});
    return r;
}

void TStringGrid::RestoreCurrent(int col, int row, const TGridRect& block) {
    const int last = std::max(1, table_->RowCount() - 1);
    auto fitCol = [](int c) { return std::clamp(c, 0, DataTable::kColumns - 1); };
    auto fitRow = [last](int r) { return std::clamp(r, 1, last); };
    col_ = blockEndCol_ = fitCol(col);
    row_ = blockEndRow_ = fitRow(row);
    // The anchor is the corner of the block opposite the current cell.
    anchorCol_ = fitCol(col_ == block.left ? block.right : block.left);
    anchorRow_ = fitRow(row_ == block.top ? block.bottom : block.top);
    editCol_ = col_;
    editRow_ = row_;
    LoadEditor();
    ApplyCurrent(true);
    PlaceEditor();
}

void TStringGrid::BeginBulkChange() {
    model_->BeginBulkChange();
}

void TStringGrid::EndBulkChange() {
    model_->EndBulkChange();
}

void TStringGrid::CellsChanged(int col, int firstRow, int lastRow) {
    model_->CellsChanged(col, firstRow, lastRow);
}

void TStringGrid::HeaderChanged() {
    model_->HeaderChanged();
}

void TStringGrid::TableReset() {
    model_->BeginBulkChange();
    model_->EndBulkChange();
}

int TStringGrid::DefaultColWidth() const {
    return horizontalHeader()->defaultSectionSize();
}

void TStringGrid::SetDefaultColWidth(int width) {
    QHeaderView* cols = horizontalHeader();
    cols->setDefaultSectionSize(width);
    for (int c = 0; c < DataTable::kColumns; ++c) cols->resizeSection(c, width);
}

int TStringGrid::ColWidth(int col) const {
    return horizontalHeader()->sectionSize(col);
}

void TStringGrid::SetColWidth(int col, int width) {
    horizontalHeader()->resizeSection(col, width);
}

int TStringGrid::DefaultRowHeight() const {
    return verticalHeader()->defaultSectionSize();
}

void TStringGrid::SetPopupMenu(QMenu* menu) {
    popup_ = menu;
}

// ---- the current cell and the block ----

void TStringGrid::MoveTo(int col, int row, bool extend) {
    const int last = table_->RowCount() - 1;
    if (last < 1) return;
    col = std::clamp(col, 0, DataTable::kColumns - 1);
    row = std::clamp(row, 1, last);
    if (col == col_ && row == row_) return;
    SetCurrentAndBlock(col, row, extend, true);
    emit clicked();
}

// The current cell moves to (col, row); the block follows it, from its anchor when extended.
void TStringGrid::SetCurrentAndBlock(int col, int row, bool extend, bool scroll) {
    col_ = col;
    row_ = row;
    if (!extend) {
        anchorCol_ = col;
        anchorRow_ = row;
    }
    blockEndCol_ = col;
    blockEndRow_ = row;
    ApplyCurrent(scroll);
    FollowCurrent();
}

void TStringGrid::ApplyCurrent(bool scroll) {
    if (!IsDataCell(col_, row_)) return;
    const QModelIndex current = model_->index(row_ - 1, col_);
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    ApplyBlock();
    if (scroll) scrollTo(current);
}

void TStringGrid::ApplyBlock() {
    const TGridRect r = Selection();
    if (!IsDataCell(r.left, r.top) || !IsDataCell(r.right, r.bottom)) return;
    selectionModel()->select(
        QItemSelection(model_->index(r.top - 1, r.left), model_->index(r.bottom - 1, r.right)),
        QItemSelectionModel::ClearAndSelect);
}

void TStringGrid::FollowCurrent() {
    if (editCol_ == col_ && editRow_ == row_) return;
    const int oldCol = editCol_;
    const int oldRow = editRow_;
    if (IsDataCell(oldCol, oldRow)) {
        // The text is in the cell already (every edit was written through);
        // this is the editor's last word on it.
        emit setEditText(oldCol, oldRow, editor_->text());
        // A handler that moved the cell meanwhile has taken the editor along.
        if (editCol_ != oldCol || editRow_ != oldRow) return;
    }
    editCol_ = col_;
    editRow_ = row_;
    LoadEditor();
    PlaceEditor();
}

void TStringGrid::LoadEditor() {
    const bool cell = IsDataCell(editCol_, editRow_);
    const kurv::CellText text = cell ? table_->Cell(editCol_, editRow_) : kurv::CellText();
    editorCut_ = text.size() > kEditableBytes;
    editor_->setReadOnly(editorCut_);
    editor_->setText(cell ? EditorTextOf(text) : QString());
    editor_->selectAll();
}

bool TStringGrid::EditorShowsCell() const {
    const kurv::CellText text = table_->Cell(editCol_, editRow_);
    return editor_->text() == EditorTextOf(text);
}

bool TStringGrid::ReplaceCutCell() {
    if (!editorCut_ || editor_->selectedText() != editor_->text()) return false;
    editorCut_ = false;
    editor_->setReadOnly(false);
    return true;
}

bool TStringGrid::PasteLongText() {
    if (editor_->isReadOnly() || !IsDataCell(editCol_, editRow_)) return false;
    const QString clip = QGuiApplication::clipboard()->text();
    const QString old = editor_->text();
    const qsizetype start =
        editor_->hasSelectedText() ? editor_->selectionStart() : editor_->cursorPosition();
    const qsizetype removed = editor_->hasSelectedText() ? editor_->selectedText().size() : 0;
    // UTF-16 units: a bound on the UTF-8 bytes within a factor of three.
    if ((old.size() - removed + clip.size()) * 3 <= qsizetype(kEditableBytes)) return false;
    QString text = old;
    text.replace(start, removed, clip);
    if (text.toUtf8().size() <= qsizetype(kEditableBytes)) return false;
    // As if typed: undo's typing step and the cell's write go through the
    // editor's edit notification; the cell, now too long, comes back cut.
    emit editor_->textEdited(text);
    return true;
}

bool TStringGrid::CopyCutCell() {
    if (!editorCut_ || !editor_->hasSelectedText() || !IsDataCell(editCol_, editRow_)) return false;
    const QString shown = editor_->text();
    const qsizetype start = editor_->selectionStart();
    // Short of the "…" the selection is what the cell holds there.
    if (start + editor_->selectedText().size() < shown.size()) return false;
    const auto from = static_cast<std::size_t>(shown.left(start).toUtf8().size());
    const kurv::CellText cell = table_->Cell(editCol_, editRow_);
    const std::string_view text = cell;
    const std::string_view tail = text.substr(std::min(from, text.size()));
    QGuiApplication::clipboard()->setText(
        QString::fromUtf8(tail.data(), static_cast<qsizetype>(tail.size())));
    return true;
}

void TStringGrid::PlaceEditor() {
    if (!editor_) return;  // geometry updates while the base is set up
    if (!IsDataCell(editCol_, editRow_)) {
        editor_->setGeometry(QRect());
        return;
    }
    editor_->setGeometry(visualRect(model_->index(editRow_ - 1, editCol_)));
    if (!editor_->isVisible()) editor_->show();
}

void TStringGrid::ClampToTable() {
    if (model_->InBulkChange()) return;
    // Rows may have gone or the cells changed under us: the current cell,
    // the block and the editor stay where they still fit, without any
    // notification (a change of the row count is not a move of the user's).
    const int last = std::max(1, table_->RowCount() - 1);
    row_ = std::min(row_, last);
    anchorRow_ = std::min(anchorRow_, last);
    blockEndRow_ = std::min(blockEndRow_, last);
    // The editor normally sits on the current cell; it differs only while it
    // is taking leave of a cell, and then that cell must still be there.
    if (!IsDataCell(editCol_, editRow_)) {
        editCol_ = col_;
        editRow_ = row_;
        LoadEditor();
    } else if (!EditorShowsCell()) {
        LoadEditor();
    }
    ApplyCurrent(false);
    PlaceEditor();
}

void TStringGrid::OnDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight) {
    const int r = editRow_ - 1;
    if (r < topLeft.row() || r > bottomRight.row() || editCol_ < topLeft.column() ||
        editCol_ > bottomRight.column())
        return;
    if (!IsDataCell(editCol_, editRow_)) return;
    // A cell set from outside while the editor shows it, or a paste into the
    // editor that made it too long to edit: show the new text.
    if (!EditorShowsCell()) LoadEditor();
}

void TStringGrid::OnEditorTextEdited(const QString& text) {
    const int col = editCol_;
    const int row = editRow_;
    if (!IsDataCell(col, row)) return;
    // A paste that makes the cell too long to edit comes back through
    // OnDataChanged, which shows it cut.
    model_->SetCell(col, row, text.toStdString());
    emit setEditText(col, row, text);
}

// ---- column move ----

void TStringGrid::OnSectionMoved(int /*logical*/, int oldVisual, int newVisual) {
    if (restoringColumns_ || oldVisual == newVisual) return;
    QHeaderView* cols = horizontalHeader();
    // What the user sees now: the widths in their new order.
    std::array<int, DataTable::kColumns> widths{};
    for (int v = 0; v < DataTable::kColumns; ++v) widths[v] = cols->sectionSize(cols->logicalIndex(v));

    // The header goes back to its natural order; the data move instead.
    restoringColumns_ = true;
    cols->moveSection(newVisual, oldVisual);
    restoringColumns_ = false;

    // The current cell, the block and the editor move with their column.
    auto follow = [oldVisual, newVisual](int& c) {
        if (c == oldVisual)
            c = newVisual;
        else if (oldVisual < newVisual && c > oldVisual && c <= newVisual)
            --c;
        else if (oldVisual > newVisual && c < oldVisual && c >= newVisual)
            ++c;
    };
    follow(col_);
    follow(anchorCol_);
    follow(blockEndCol_);
    follow(editCol_);
    model_->MoveColumn(oldVisual, newVisual);
    for (int c = 0; c < DataTable::kColumns; ++c) cols->resizeSection(c, widths[c]);
    ApplyCurrent(false);
    PlaceEditor();
    emit columnMoved(oldVisual, newVisual);
}

// ---- mouse ----

void TStringGrid::mousePressEvent(QMouseEvent* event) {
    event->accept();
    // Only the left button moves the cell; a right click opens the menu
    // where the cell is.
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) return;
    const int col = index.column();
    const int row = index.row() + 1;
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    dragging_ = true;
    dragPos_ = event->position().toPoint();
    if (col == col_ && row == row_) {
        if (!extend) {
            anchorCol_ = blockEndCol_ = col;
            anchorRow_ = blockEndRow_ = row;
            ApplyBlock();
        }
    } else {
        SetCurrentAndBlock(col, row, extend, false);
    }
    emit clicked();
}

void TStringGrid::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        if (event->buttons() == Qt::NoButton) QTableView::mouseMoveEvent(event);
        return;
    }
    if (!dragging_) return;
    dragPos_ = event->position().toPoint();
    DragTo(dragPos_);
    const bool outside = dragPos_.y() < 0 || dragPos_.y() >= viewport()->height();
    if (outside && !scrollTimer_->isActive())
        scrollTimer_->start();
    else if (!outside)
        scrollTimer_->stop();
}

void TStringGrid::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) {
        dragging_ = false;
        scrollTimer_->stop();
    }
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) emit doubleClicked();
}

void TStringGrid::DragTo(const QPoint& pos) {
    const int last = table_->RowCount() - 1;
    if (last < 1) return;
    const QRect area = viewport()->rect();
    const QPoint p(std::clamp(pos.x(), 0, std::max(0, area.width() - 1)),
                   std::clamp(pos.y(), 0, std::max(0, area.height() - 1)));
    int col = columnAt(p.x());
    if (col < 0) col = DataTable::kColumns - 1;
    int row = rowAt(p.y());
    row = row < 0 ? last : row + 1;
    // Past the edges the block follows the scrolling instead.
    if (pos.y() < 0) row = std::max(1, rowAt(0) + 1);
    if (col == blockEndCol_ && row == blockEndRow_) return;
    blockEndCol_ = col;
    blockEndRow_ = row;
    ApplyBlock();
}

void TStringGrid::AutoScroll() {
    if (!dragging_) {
        scrollTimer_->stop();
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    if (dragPos_.y() < 0)
        bar->setValue(bar->value() - 1);
    else if (dragPos_.y() >= viewport()->height())
        bar->setValue(bar->value() + 1);
    DragTo(dragPos_);
}

void TStringGrid::contextMenuEvent(QContextMenuEvent* event) {
    if (!popup_) {
        event->ignore();
        return;
    }
    event->accept();
    popup_->exec(event->globalPos());
}

// ---- geometry ----

void TStringGrid::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    PlaceEditor();
}

void TStringGrid::updateGeometries() {
    QTableView::updateGeometries();
    PlaceEditor();
}

void TStringGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    PlaceEditor();
}
