#include "table/tableedit.h"

#include "table/stringgrid.h"
#include "table/undo.h"

TFormMain::TableEdit::TableEdit(TFormMain& form, Kind kind)
    : form_(form),
      outermost_(kind == Kind::Rows ? form.table_.undo->Begin() : form.table_.undo->BeginReorder()) {}

void TFormMain::TableEdit::Reordered(std::vector<int> order) {
    if (outermost_) form_.table_.undo->Reordered(std::move(order));
}

void TFormMain::TableEdit::Done(Then then) {
    form_.table_.sgData->TableReset();
    if (outermost_) form_.table_.undo->Commit();
    done_ = true;
    if (then == Then::Recalculate) form_.sgDataClick();
}

void TFormMain::TableEdit::Unchanged() {
    if (outermost_) form_.table_.undo->Commit();  // a step with no change is none
    done_ = true;
}

TFormMain::TableEdit::~TableEdit() {
    if (done_) return;
    try {
        form_.table_.sgData->TableReset();
    } catch (...) {
        // The grid shows the table again at the next change of it.
    }
    if (outermost_) form_.table_.undo->Abandon();
}
