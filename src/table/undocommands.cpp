// The Edit menu's Undo and Redo: the table goes back (or forward) one step,
// the grid shows the current cell and block of that step, and the
// recalculation brings every display in line with that table.
#include <QAction>
#include <QMenu>

#include "app/formmain.h"
#include "table/stringgrid.h"
#include "table/undo.h"

void TFormMain::BuildUndoItems() {
    table_.undo = std::make_unique<TableUndo>(&data_, table_.sgData);
    QMenu* edit = app_.itmEdit;
    QAction* first = edit->actions().value(0);
    QAction* undo = Captioned(MakeAction("itmUndo", QKeySequence("Ctrl+Z")), {"Отменить", "Undo"});
    QAction* redo = Captioned(MakeAction("itmRedo", QKeySequence("Ctrl+Shift+Z")), {"Повторить", "Redo"});
    edit->insertAction(first, undo);
    edit->insertAction(first, redo);
    edit->insertSeparator(first)->setObjectName("NUndo");
    // Ctrl+Y redoes too; it is not shown in the menu.
    QAction* ctrlY = MakeAction("ctrlY", QKeySequence("Ctrl+Y"));
    addAction(ctrlY);
    for (QAction* a : {undo, redo, ctrlY}) {
        a->setShortcutContext(Qt::WindowShortcut);
        const bool isUndo = a == undo;
        connect(a, &QAction::triggered, this,
                [this, isUndo] { Guarded([&] { isUndo ? itmUndoClick() : itmRedoClick(); }); });
    }
    table_.undo->SetActions(undo, redo, ctrlY);
}

void TFormMain::itmUndoClick() {
    if (table_.undo->Undo()) sgDataClick();
}

void TFormMain::itmRedoClick() {
    if (table_.undo->Redo()) sgDataClick();
}

const kurv::TableHistory& TFormMain::UndoHistory() const {
    return table_.undo->History();
}
