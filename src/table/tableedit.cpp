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
    // With no fit on show the fitted column of the rows this change did not
    // touch is an older fit's (or empty): the fit this change makes possible
    // overwrites it, and undo must bring it back, so that fit is in the step.
    const bool fitInStep = outermost_ && then == Then::Recalculate && !form_.fitOnShow_;
    if (fitInStep) form_.sgDataClick();  // an error here leaves the step to the destructor
    if (outermost_) form_.table_.undo->Commit();
    done_ = true;
    if (then == Then::Recalculate && !fitInStep) form_.sgDataClick();
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
