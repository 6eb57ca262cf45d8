#include "table/inplaceedit.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <algorithm>
#include <limits>

#include "table/keys.h"
#include "table/stringgrid.h"

using kurv::DataTable;

namespace {

// The focus leaves for a deactivation of the window or a pop-up and comes
// back to the same control: no new entry into the table.
bool IsPassingFocus(Qt::FocusReason reason) {
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
           reason == Qt::MenuBarFocusReason;
}

}  // namespace

TInplaceEdit::TInplaceEdit(TStringGrid* grid, QWidget* parent) : QLineEdit(parent), grid_(grid) {
    setObjectName(QStringLiteral("InplaceEdit"));
    setFrame(false);
    // Long cells are shown cut (see the grid): the default cap of 32767 would
    // cut a cell silently at the first keystroke.
    setMaxLength(std::numeric_limits<int>::max());
    // A right click must open the grid's menu, never the edit's own one:
    // the event goes on to the grid.
    setContextMenuPolicy(Qt::NoContextMenu);
}

bool TInplaceEdit::event(QEvent* e) {
    switch (e->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(e);
            if (grid_->EditorKey(key)) {
                key->accept();
                return true;
            }
            // A line edit lays out a long paste whole and copies only what it
            // shows: the grid does both for cells too long to edit.
            if ((key->matches(QKeySequence::Paste) && grid_->PasteLongText()) ||
                (key->matches(QKeySequence::Copy) && grid_->CopyCutCell())) {
                key->accept();
                return true;
            }
            const bool typing = (!key->text().isEmpty() && key->text().front().isPrint()) ||
                                key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete;
            if (typing && isReadOnly()) grid_->ReplaceCutCell();
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
            parked_ = IsPassingFocus(static_cast<QFocusEvent*>(e)->reason());
            return QLineEdit::event(e);
        }
        default:
            return QLineEdit::event(e);
    }
}

// ---- the grid's handling of the editor's events ----

void TStringGrid::EditorFocusIn(Qt::FocusReason reason) {
    const bool comingBack = editor_->parked_ && IsPassingFocus(reason);
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
        if (ctrl && !alt && vk >= kVkA && vk <= kVkZ)
            chars = QChar(vk - kVkA + 1);
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
