// The Edit menu's Undo and Redo: the table goes back (or forward) one step,
// the grid shows the current cell and block of that step, and the
// recalculation brings every display in line with that table.
#include <QAction>
#include <QMenu>

#include "app/formmain.h"
#include "table/stringgrid.h"
#include "table/undo.h"

void TFormMain::BuildUndoItems(QMenu* edit) {
    undo_ = std::make_unique<TableUndo>(&table_, sgData);
    QAction* first = edit->actions().value(0);
    QAction* undo = MakeAction("itmUndo", QKeySequence("Ctrl+Z"));
    QAction* redo = MakeAction("itmRedo", QKeySequence("Ctrl+Shift+Z"));
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
    undo_->SetActions(undo, redo, ctrlY);
    RetextUndoItems(LanguageIndex);
}

void TFormMain::RetextUndoItems(int language) {
    auto pick = [language](const char* russian, const char* english) {
        return QString::fromUtf8(language == 1 ? english : russian);
    };
    if (auto* a = findChild<QAction*>("itmUndo")) a->setText(pick("Отменить", "Undo"));
    if (auto* a = findChild<QAction*>("itmRedo")) a->setText(pick("Повторить", "Redo"));
}

void TFormMain::itmUndoClick() {
    if (undo_->Undo()) sgDataClick();
}

void TFormMain::itmRedoClick() {
    if (undo_->Redo()) sgDataClick();
}
