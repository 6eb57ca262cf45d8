#include "table/stringgrid.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <array>

#include "table/shortcutpriority.h"
#include "table/tablemodel.h"

using kurv::DataTable;

namespace {

constexpr int kDefaultRowHeight = 16;
constexpr std::array<int, DataTable::kColumns> kDesignedWidths = {73, 81, 64};

// Windows virtual-key codes used below.
enum Vk : int {
    kVkBack = 8,
    kVkTab = 9,
    kVkClear = 12,
    kVkReturn = 13,
    kVkShift = 16,
    kVkControl = 17,
    kVkMenu = 18,
    kVkPause = 19,
    kVkCapital = 20,
    kVkEscape = 27,
    kVkSpace = 32,
    kVkPrior = 33,
    kVkNext = 34,
    kVkEnd = 35,
    kVkHome = 36,
    kVkLeft = 37,
    kVkUp = 38,
    kVkRight = 39,
    kVkDown = 40,
    kVkSnapshot = 44,
    kVkInsert = 45,
    kVkDelete = 46,
    kVkLWin = 91,
    kVkApps = 93,
    kVkNumpad0 = 96,
    kVkMultiply = 106,
    kVkAdd = 107,
    kVkSubtract = 109,
    kVkDecimal = 110,
    kVkDivide = 111,
    kVkF1 = 112,
    kVkNumLock = 144,
    kVkScroll = 145,
    kVkOem1 = 186,
    kVkOemPlus = 187,
    kVkOemComma = 188,
    kVkOemMinus = 189,
    kVkOemPeriod = 190,
    kVkOem2 = 191,
    kVkOem3 = 192,
    kVkOem4 = 219,
    kVkOem5 = 220,
    kVkOem6 = 221,
    kVkOem7 = 222,
};

// The main block of a PC keyboard by X11/xkb keycode (evdev code + 8), as
// its keys are labelled on a US keyboard. A Cyrillic layout's letters sit on
// the same keys, so this gives the Latin letter of the physical key.
int VirtualKeyOfKeycode(quint32 code) {
    static constexpr char kRowQ[] = "QWERTYUIOP";
    static constexpr char kRowA[] = "ASDFGHJKL";
    static constexpr char kRowZ[] = "ZXCVBNM";
    if (code >= 10 && code <= 18) return '1' + static_cast<int>(code - 10);
    if (code == 19) return '0';
    if (code >= 24 && code <= 33) return kRowQ[code - 24];
    if (code >= 38 && code <= 46) return kRowA[code - 38];
    if (code >= 52 && code <= 58) return kRowZ[code - 52];
    switch (code) {
        case 20:
            return kVkOemMinus;
        case 21:
            return kVkOemPlus;
        case 34:
            return kVkOem4;
        case 35:
            return kVkOem6;
        case 47:
            return kVkOem1;
        case 48:
            return kVkOem7;
        case 49:
            return kVkOem3;
        case 51:
            return kVkOem5;
        case 59:
            return kVkOemComma;
        case 60:
            return kVkOemPeriod;
        case 61:
            return kVkOem2;
        default:
            return 0;
    }
}

// What a key event's native codes are on this platform.
enum class NativeCodes { Xkb, Windows, Other };

NativeCodes PlatformNativeCodes() {
    static const NativeCodes codes = [] {
        const QString p = QGuiApplication::platformName();
        if (p == QLatin1String("windows")) return NativeCodes::Windows;
        if (p == QLatin1String("cocoa") || p == QLatin1String("ios")) return NativeCodes::Other;
        return NativeCodes::Xkb;  // xcb, wayland, offscreen
    }();
    return codes;
}

}  // namespace

// The cell editor. It only routes its events to the grid; what they do is
// the grid's business.
class TInplaceEdit : public QLineEdit {
  public:
    TInplaceEdit(TStringGrid* grid, QWidget* parent) : QLineEdit(parent), grid_(grid) {
        setObjectName(QStringLiteral("InplaceEdit"));
        setFrame(false);
        // A right click must open the grid's menu, never the edit's own one:
        // the event goes on to the grid.
        setContextMenuPolicy(Qt::NoContextMenu);
    }

  protected:
    bool event(QEvent* e) override {
        switch (e->type()) {
            case QEvent::KeyPress: {
                auto* key = static_cast<QKeyEvent*>(e);
                if (grid_->EditorKey(key)) {
                    key->accept();
                    return true;
                }
                const bool plainTab = (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
                                      !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
                if (plainTab) return QLineEdit::event(e);  // focus moves on
                QLineEdit::event(e);
                // Keys the edit ignores stop here: the item view below would
                // otherwise move the current index or search by the text.
                key->accept();
                return true;
            }
            case QEvent::MouseButtonDblClick: {
                const bool left = static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton;
                const bool r = QLineEdit::event(e);
                if (left) grid_->EditorDoubleClick();
                return r;
            }
            case QEvent::FocusIn: {
                const bool r = QLineEdit::event(e);
                grid_->EditorFocusIn(static_cast<QFocusEvent*>(e)->reason());
                return r;
            }
            case QEvent::FocusOut: {
                const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
                // Deactivation of the window or a pop-up: the focus will come
                // back to this same control.
                parked_ = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
                          reason == Qt::MenuBarFocusReason;
                return QLineEdit::event(e);
            }
            default:
                return QLineEdit::event(e);
        }
    }

  public:
    bool parked_ = false;

  private:
    TStringGrid* grid_;
};

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
    return model_->HasCell(col, row) ? table_->Cell(col, row) : std::string();
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
    const QString text =
        IsDataCell(editCol_, editRow_) ? QString::fromStdString(table_->Cell(editCol_, editRow_)) : QString();
    editor_->setText(text);
    editor_->selectAll();
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
    } else if (editor_->text() != QString::fromStdString(table_->Cell(editCol_, editRow_))) {
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
    // A cell set from outside while the editor shows it: show the new text.
    if (editor_->text() != QString::fromStdString(table_->Cell(editCol_, editRow_))) LoadEditor();
}

void TStringGrid::OnEditorTextEdited(const QString& text) {
    const int col = editCol_;
    const int row = editRow_;
    if (!IsDataCell(col, row)) return;
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

// ---- the editor's events ----

void TStringGrid::EditorFocusIn(Qt::FocusReason reason) {
    const bool comingBack =
        editor_->parked_ && (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
                             reason == Qt::MenuBarFocusReason);
    editor_->parked_ = false;
    if (!comingBack) emit focusEntered();
}

void TStringGrid::EditorDoubleClick() {
    emit doubleClicked();
}

bool TStringGrid::EditorKey(QKeyEvent* event) {
    const QPointer<TStringGrid> self(this);
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const int vk = VirtualKeyOf(*event);

    emit keyDown(vk, mods);
    if (!self) return true;

    // The characters of the key, as a grid reports them. Alt without Ctrl
    // types nothing (Ctrl+Alt is AltGr on some keyboards).
    const bool altOnly = alt && !ctrl;
    QString chars;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        chars = QChar(ctrl ? 10 : 13);
    } else if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        // Tab leaves the table; it is not typed.
    } else if (!altOnly) {
        if (ctrl && !alt && vk >= 'A' && vk <= 'Z')
            chars = QChar(vk - 'A' + 1);
        else
            chars = event->text();
    }
    for (const QChar ch : chars) {
        emit keyPress(ch);
        if (!self) return true;
    }
    if (altOnly) return true;

    const int last = table_->RowCount() - 1;
    const int page = std::max(1, viewport()->height() / std::max(1, DefaultRowHeight()));
    const int len = static_cast<int>(editor_->text().size());
    const bool wholeOrNone = !editor_->hasSelectedText() || editor_->selectedText().size() == len;
    const bool atStart = editor_->cursorPosition() == 0 && wholeOrNone;
    const bool atEnd = editor_->cursorPosition() == len && wholeOrNone;
    QScrollBar* bar = verticalScrollBar();

    switch (key) {
        case Qt::Key_Up:
            if (ctrl)
                bar->setValue(bar->value() - 1);
            else
                MoveTo(col_, row_ - 1, shift);
            return true;
        case Qt::Key_Down:
            if (ctrl)
                bar->setValue(bar->value() + 1);
            else
                MoveTo(col_, row_ + 1, shift);
            return true;
        case Qt::Key_PageUp:
            if (ctrl) {
                MoveTo(col_, rowAt(0) + 1, shift);
            } else {
                bar->setValue(bar->value() - page);
                MoveTo(col_, row_ - page, shift);
            }
            return true;
        case Qt::Key_PageDown:
            if (ctrl) {
                // The last row wholly in view.
                const int y = viewport()->height() - DefaultRowHeight();
                const int r = rowAt(std::max(0, y));
                MoveTo(col_, r < 0 ? last : r + 1, shift);
            } else {
                bar->setValue(bar->value() + page);
                MoveTo(col_, row_ + page, shift);
            }
            return true;
        case Qt::Key_Left:
            if (!ctrl && !atStart) return false;
            MoveTo(ctrl ? 0 : col_ - 1, row_, shift);
            return true;
        case Qt::Key_Right:
            if (!ctrl && !atEnd) return false;
            MoveTo(ctrl ? DataTable::kColumns - 1 : col_ + 1, row_, shift);
            return true;
        case Qt::Key_Home:
            if (ctrl)
                MoveTo(0, 1, shift);
            else if (atStart)
                MoveTo(0, row_, shift);
            else
                return false;
            return true;
        case Qt::Key_End:
            if (ctrl)
                MoveTo(DataTable::kColumns - 1, last, shift);
            else if (atEnd)
                MoveTo(DataTable::kColumns - 1, row_, shift);
            else
                return false;
            return true;
        default:
            return false;
    }
}

int TStringGrid::VirtualKeyOf(const QKeyEvent& event) {
    const int key = event.key();
    const bool keypad = event.modifiers() & Qt::KeypadModifier;
    switch (key) {
        case Qt::Key_Backspace:
            return kVkBack;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return kVkTab;
        case Qt::Key_Clear:
            return kVkClear;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kVkReturn;
        case Qt::Key_Shift:
            return kVkShift;
        case Qt::Key_Control:
            return kVkControl;
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
            return kVkMenu;
        case Qt::Key_Pause:
            return kVkPause;
        case Qt::Key_CapsLock:
            return kVkCapital;
        case Qt::Key_Escape:
            return kVkEscape;
        case Qt::Key_Space:
            return kVkSpace;
        case Qt::Key_PageUp:
            return kVkPrior;
        case Qt::Key_PageDown:
            return kVkNext;
        case Qt::Key_End:
            return kVkEnd;
        case Qt::Key_Home:
            return kVkHome;
        case Qt::Key_Left:
            return kVkLeft;
        case Qt::Key_Up:
            return kVkUp;
        case Qt::Key_Right:
            return kVkRight;
        case Qt::Key_Down:
            return kVkDown;
        case Qt::Key_Print:
            return kVkSnapshot;
        case Qt::Key_Insert:
            return kVkInsert;
        case Qt::Key_Delete:
            return kVkDelete;
        case Qt::Key_Meta:
            return kVkLWin;
        case Qt::Key_Menu:
            return kVkApps;
        case Qt::Key_NumLock:
            return kVkNumLock;
        case Qt::Key_ScrollLock:
            return kVkScroll;
        default:
            break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return kVkF1 + (key - Qt::Key_F1);
    if (keypad) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9) return kVkNumpad0 + (key - Qt::Key_0);
        switch (key) {
            case Qt::Key_Asterisk:
                return kVkMultiply;
            case Qt::Key_Plus:
                return kVkAdd;
            case Qt::Key_Minus:
                return kVkSubtract;
            case Qt::Key_Period:
            case Qt::Key_Comma:
                return kVkDecimal;
            case Qt::Key_Slash:
                return kVkDivide;
            default:
                break;
        }
    }
    // A Latin letter is its own code, whatever key carries it.
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;
    // Anything else on the main block (non-Latin letters, shifted digits,
    // punctuation): the physical key decides, as with a Windows layout.
    switch (PlatformNativeCodes()) {
        case NativeCodes::Xkb:
            if (const int vk = VirtualKeyOfKeycode(event.nativeScanCode())) return vk;
            break;
        case NativeCodes::Windows:
            if (event.nativeVirtualKey() != 0) return static_cast<int>(event.nativeVirtualKey());
            break;
        case NativeCodes::Other:
            break;
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return key;
    switch (key) {
        case Qt::Key_Semicolon:
            return kVkOem1;
        case Qt::Key_Equal:
        case Qt::Key_Plus:
            return kVkOemPlus;
        case Qt::Key_Comma:
            return kVkOemComma;
        case Qt::Key_Minus:
            return kVkOemMinus;
        case Qt::Key_Period:
            return kVkOemPeriod;
        case Qt::Key_Slash:
            return kVkOem2;
        case Qt::Key_QuoteLeft:
            return kVkOem3;
        case Qt::Key_BracketLeft:
            return kVkOem4;
        case Qt::Key_Backslash:
            return kVkOem5;
        case Qt::Key_BracketRight:
            return kVkOem6;
        case Qt::Key_Apostrophe:
            return kVkOem7;
        default:
            return 0;
    }
}
