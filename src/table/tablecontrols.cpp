// The data table's part of the window: its group, caption and grid, the Edit
// menu's table commands with their twins in the table's pop-up menu, Ctrl+S,
// undo, and the grid's events.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>

#include "app/controls.h"
#include "app/formmain.h"
#include "table/stringgrid.h"
#include "table/undo.h"

using kurv::TextId;

namespace {

// A command offered both in the Edit menu and in the table's pop-up menu: one
// row carries both design names. `key` is shown in both; `popupKey` in the pop-up only.
struct TwinRow {
    const char* mainName;
    const char* popupName;
    TextId text;
    const char* key;
    void (TFormMain::*run)();
    const char* popupKey = "";
};

}  // namespace

void TFormMain::BuildTable() {
    table_.GroupBoxTable = Place(new TGroupBox(app_.client), "GroupBoxTable", 8, 0, 193, 361);
    table_.StaticText1 =
        Captioned(StaticText(table_.GroupBoxTable, "StaticText1", {}, 16, 8), TextId::TableCaption);
    table_.sgData = Place(new TStringGrid(&data_, table_.GroupBoxTable), "sgData", 8, 24, 177, 329);
    Captioned(table_.sgData, {"Экспериментальные данные", "Test data"}, Caption::Role::AccessibleName);
    // The header row is the language's: the grid shows it as the column headers.
    for (int col = 0; col < kurv::DataTable::kColumns; ++col)
        RecordCaption({table_.sgData, TextId::HeaderTrueY + col, Caption::Role::Header, col}, false);

    static const TwinRow kTableCommands[] = {
        {"itmClearMain", "itmClear", TextId::ItemTableClear, "", &TFormMain::itmClearClick},
        {"itmTablCopyMain", "itmTablCopy", TextId::ItemTableCopy, "Ctrl+C", &TFormMain::itmTablCopyClick},
        {"itmTablPasteMain", "itmTablPaste", TextId::ItemTablePaste, "Ctrl+V", &TFormMain::itmTablPasteClick},
        {"itmAppendMain", "itmAppend", TextId::ItemAppend, "Ctrl+B", &TFormMain::itmAppendClick},
        {"N10", "N9", TextId::Count, "", nullptr},
        {"itmClearColMain", "itmClearCol", TextId::ItemColumnClear, "", &TFormMain::itmClearColClick},
        {"itmColCopyMain", "itmColCopy", TextId::ItemColumnCopy, "Ctrl+Alt+C", &TFormMain::itmColCopyClick},
        {"itmColPasteMain", "itmColPaste", TextId::ItemColumnPaste, "Ctrl+Alt+V",
         &TFormMain::itmColPasteClick},
        {"N3", "N5", TextId::Count, "", nullptr},
        {"itmDeleteMain", "itmDelete", TextId::ItemDeleteRows, "Shift+Del", &TFormMain::itmDeleteClick},
        {"N6", "N7", TextId::Count, "", nullptr},
        {"itmSortMain", "itmSort", TextId::ItemSort, "", &TFormMain::itmSortClick, "Ctrl+S"},
    };
    // The pop-up menu's shortcuts are shown but act only through the main menu's
    // twins (two live actions on one key would both stay silent).
    table_.PopupMenuTabl = MakePopupMenu("PopupMenuTabl");
    for (const TwinRow& r : kTableCommands) {
        FillMenu(app_.itmEdit, {{r.mainName, r.text, r.key, r.run}}, Qt::WindowShortcut);
        FillMenu(table_.PopupMenuTabl, {{r.popupName, r.text, *r.popupKey ? r.popupKey : r.key, r.run}},
                 Qt::WidgetShortcut);
    }
    BuildUndoItems();

    // Ctrl+S means Sort in the table and Write elsewhere: the two items show the
    // key, and one window-wide action decides by the focus.
    for (const char* name : {"itmWrite", "itmSort"})
        findChild<QAction*>(name)->setShortcutContext(Qt::WidgetShortcut);
    table_.ctrlS = MakeAction("ctrlS", QKeySequence("Ctrl+S"));
    table_.ctrlS->setShortcutContext(Qt::WindowShortcut);
    addAction(table_.ctrlS);
    connect(table_.ctrlS, &QAction::triggered, this, [this] {
        QWidget* f = QApplication::focusWidget();
        const bool inTable = f && (f == table_.sgData || table_.sgData->isAncestorOf(f));
        Guarded([&] { inTable ? itmSortClick() : itmWriteClick(); });
    });
}

void TFormMain::WireTable() {
    TStringGrid* grid = table_.sgData;
    auto recalc = [this] { Guarded([&] { sgDataClick(); }); };
    connect(grid, &TStringGrid::clicked, this, [this] { Guarded([&] { sgDataCellLeft(); }); });
    connect(grid, &TStringGrid::doubleClicked, this, recalc);
    connect(grid, &TStringGrid::focusEntered, this, [this] { Guarded([&] { sgDataEnter(); }); });
    connect(grid, &TStringGrid::setEditText, this,
            [this](int c, int r, const QString& v) { Guarded([&] { sgDataSetEditText(c, r, v); }); });
    connect(grid, &TStringGrid::keyPress, this, [this](QChar ch) { Guarded([&] { sgDataKeyPress(ch); }); });
    connect(grid, &TStringGrid::keyDown, this,
            [this](int key, Qt::KeyboardModifiers m) { Guarded([&] { sgDataKeyDown(key, m); }); });
    connect(grid, &TStringGrid::columnMoved, this,
            [this](int from, int to) { Guarded([&] { sgDataColumnMoved(from, to); }); });
    grid->SetPopupMenu(table_.PopupMenuTabl);
    connect(table_.GroupBoxTable, &TGroupBox::doubleClicked, this,
            [this] { Guarded([&] { GroupBoxTableDblClick(); }); });
}

// The grid raises its click when the current cell is left (after the cell's
// last setEditText) and when it is clicked: what was typed into the cell left
// becomes an undo step before the recalculation writes the fitted column.
void TFormMain::sgDataCellLeft() {
    // With no fit on show the fit that the typing makes possible writes the
    // fitted column of other rows too: it goes into the typing's step (see TableEdit::Done).
    if (!fitOnShow_) {
        table_.undo->CellLeft([this] { sgDataClick(); });
        return;
    }
    table_.undo->CellLeft();
    sgDataClick();
}

void TFormMain::GroupBoxTableDblClick() {
    table_.sgData->SetDefaultColWidth(table_.sgData->DefaultColWidth() == 77 ? 51 : 77);
}
