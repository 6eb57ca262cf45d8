// The data table's grid driven by real key and mouse events: what the window's
// handlers get to see (and in which order), and what the grid does itself.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>

#include "core/datatable.h"
#include "table/keys.h"
#include "table/stringgrid.h"
#include "table/tablemodel.h"

using kurv::DataTable;

namespace {

// One window: an edit before the grid, the grid, an edit after it.
struct Window {
    DataTable table{100};
    QWidget widget;
    QLineEdit* before = nullptr;
    TStringGrid* grid = nullptr;
    QLineEdit* after = nullptr;
    QStringList log;

    Window() {
        for (int c = 0; c < 3; ++c) table.SetCell(c, 0, "H" + std::to_string(c));
        auto* layout = new QVBoxLayout(&widget);
        before = new QLineEdit(&widget);
        grid = new TStringGrid(&table, &widget);
        after = new QLineEdit(&widget);
        layout->addWidget(before);
        layout->addWidget(grid);
        layout->addWidget(after);
        widget.resize(260, 420);
        QObject::connect(grid, &TStringGrid::clicked, grid,
                         [this] { log << QString("click %1 %2").arg(grid->Col()).arg(grid->Row()); });
        QObject::connect(grid, &TStringGrid::doubleClicked, grid, [this] { log << "dbl"; });
        QObject::connect(grid, &TStringGrid::focusEntered, grid, [this] { log << "focus"; });
        QObject::connect(grid, &TStringGrid::setEditText, grid, [this](int c, int r, const QString& v) {
            // The handler must find the cell already holding the text.
            const bool held = grid->Cell(c, r) == v.toStdString();
            log << QString("edit %1 %2 %3%4").arg(c).arg(r).arg(v, held ? "" : " STALE");
        });
        QObject::connect(grid, &TStringGrid::keyPress, grid,
                         [this](QChar ch) { log << QString("char %1").arg(ch.unicode()); });
        QObject::connect(grid, &TStringGrid::keyDown, grid, [this](int vk, Qt::KeyboardModifiers m) {
            log << QString("down %1%2%3")
                       .arg(vk)
                       .arg(m & Qt::ControlModifier ? " ctrl" : "")
                       .arg(m & Qt::AltModifier ? " alt" : "");
        });
        QObject::connect(grid, &TStringGrid::columnMoved, grid,
                         [this](int f, int t) { log << QString("moved %1 %2").arg(f).arg(t); });
    }

    bool Show() {
        widget.show();
        if (!QTest::qWaitForWindowActive(&widget)) return false;
        grid->setFocus();
        log.clear();
        return grid->InplaceEditor()->hasFocus();
    }
    QLineEdit* Editor() const { return grid->InplaceEditor(); }
    QPoint CellCentre(int col, int row) const {
        return grid->visualRect(grid->Model()->index(row - 1, col)).center();
    }
    QStringList Only(const QString& prefix) const { return log.filter(QRegularExpression("^" + prefix)); }
    // Key-down notifications, without those of the modifier keys themselves.
    QStringList Downs() const { return Only("down (?!1[678]( |$))"); }
};

}  // namespace

class GridTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Window> w;

  private slots:
    void init() {
        w = std::make_unique<Window>();
        QVERIFY(w->Show());
    }
    void cleanup() { w.reset(); }

    void typingWritesThroughOnEveryKeystroke() {
        QTest::keyClicks(w->Editor(), "1.5");
        QTest::keyClick(w->Editor(), Qt::Key_Backspace);
        QCOMPARE(w->Only("edit"), QStringList({"edit 0 1 1", "edit 0 1 1.", "edit 0 1 1.5", "edit 0 1 1."}));
        QCOMPARE(w->Only("char"), QStringList({"char 49", "char 46", "char 53", "char 8"}));
        QCOMPARE(w->table.Cell(0, 1), std::string("1."));
        // A paste into the cell (Shift+Insert is no window shortcut) is one edit.
        QApplication::clipboard()->setText("25");
        w->log.clear();
        QTest::keyClick(w->Editor(), Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(w->Only("edit"), QStringList({"edit 0 1 1.25"}));
        QVERIFY(w->Only("click").isEmpty());
    }

    void leavingCellEndsEditingBeforeClick() {
        QTest::keyClicks(w->Editor(), "7");
        w->log.clear();
        QTest::keyClick(w->Editor(), Qt::Key_Down);
        QCOMPARE(w->log, QStringList({"down 40", "edit 0 1 7", "click 0 2"}));
        // Programmatic moves behave the same; a move to the current cell is none.
        w->log.clear();
        w->grid->SetCol(2);
        w->grid->SetRow(5);
        w->grid->SetCurrentCell(2, 5);
        QCOMPARE(w->log, QStringList({"edit 0 2 ", "click 2 2", "edit 2 2 ", "click 2 5"}));
        // A mouse press on another cell: the same order, one click.
        w->log.clear();
        QTest::mouseClick(w->grid->viewport(), Qt::LeftButton, {}, w->CellCentre(1, 3));
        QCOMPARE(w->log, QStringList({"edit 2 5 ", "click 1 3"}));
        // Entering a cell selects its text.
        QCOMPARE(w->Editor()->text(), QString());
        w->grid->SetCurrentCell(0, 1);
        QCOMPARE(w->Editor()->selectedText(), QString("7"));
        QCOMPARE(w->Editor()->geometry(), w->grid->visualRect(w->grid->Model()->index(0, 0)));
    }

    // Handlers like the window's: typing into the last row appends a row,
    // Enter moves on by two programmatic moves from inside keyPress.
    void handlersMovingAndGrowingTheTable() {
        TStringGrid* g = w->grid;
        connect(g, &TStringGrid::setEditText, g, [g](int, int row, const QString& v) {
            if (row == g->RowCount() - 1 && !v.isEmpty()) g->SetRowCount(g->RowCount() + 1);
        });
        connect(g, &TStringGrid::keyPress, g, [g](QChar ch) {
            if (ch != '\r' || g->Row() == g->RowCount() - 1) return;
            if (g->Col() == 0) {
                g->SetCol(1);
            } else {
                g->SetRow(g->Row() + 1);
                g->SetCol(0);
            }
        });
        g->SetRowCount(3);
        g->SetCurrentCell(0, 2);
        QTest::keyClicks(w->Editor(), "4");
        QCOMPARE(g->RowCount(), 4);
        QTest::keyClick(w->Editor(), Qt::Key_Return);
        QTest::keyClicks(w->Editor(), "2");
        w->log.clear();
        QTest::keyClick(w->Editor(), Qt::Key_Return);
        QCOMPARE(w->log,
                 QStringList({"down 13", "char 13", "edit 1 2 2", "click 1 3", "edit 1 3 ", "click 0 3"}));
        QCOMPARE(g->Cell(0, 2) + g->Cell(1, 2), std::string("42"));
        // Leaving a filled cell of the last row: the handler appends a row
        // while the editor is on its way to the next cell.
        g->SetCell(0, 3, "5");
        g->SetCell(1, 3, "6");
        w->log.clear();
        QTest::keyClick(w->Editor(), Qt::Key_Right);
        QCOMPARE(w->Only("edit|click"), QStringList({"edit 0 3 5", "click 1 3"}));
        QCOMPARE(g->RowCount(), 5);
        QCOMPARE(w->Editor()->selectedText(), QString("6"));
        QCOMPARE(w->Editor()->geometry(), g->visualRect(g->currentIndex()));
    }

    void navigation_data() {
        QTest::addColumn<int>("startCol");
        QTest::addColumn<int>("startRow");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");  // -1: the text as entered (all selected)
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        const int none = 0, ctrl = Qt::ControlModifier;
        QTest::newRow("down") << 1 << 5 << "" << -1 << int(Qt::Key_Down) << none << 1 << 6;
        QTest::newRow("up") << 1 << 5 << "" << -1 << int(Qt::Key_Up) << none << 1 << 4;
        QTest::newRow("up at the first data row") << 1 << 1 << "" << -1 << int(Qt::Key_Up) << none << 1 << 1;
        QTest::newRow("page down") << 0 << 1 << "" << -1 << int(Qt::Key_PageDown) << none << 0 << -1;
        QTest::newRow("left at the start") << 1 << 5 << "12" << 0 << int(Qt::Key_Left) << none << 0 << 5;
        QTest::newRow("left inside the text") << 1 << 5 << "12" << 1 << int(Qt::Key_Left) << none << 1 << 5;
        QTest::newRow("left with the text selected")
            << 1 << 5 << "12" << -1 << int(Qt::Key_Left) << none << 1 << 5;
        QTest::newRow("right with the text selected")
            << 1 << 5 << "12" << -1 << int(Qt::Key_Right) << none << 2 << 5;
        QTest::newRow("right inside the text") << 1 << 5 << "12" << 1 << int(Qt::Key_Right) << none << 1 << 5;
        QTest::newRow("right at the last column")
            << 2 << 5 << "" << -1 << int(Qt::Key_Right) << none << 2 << 5;
        QTest::newRow("left on an empty cell") << 2 << 5 << "" << -1 << int(Qt::Key_Left) << none << 1 << 5;
        QTest::newRow("ctrl+end") << 0 << 5 << "12" << 1 << int(Qt::Key_End) << ctrl << 2 << 99;
        QTest::newRow("ctrl+home") << 2 << 50 << "12" << 1 << int(Qt::Key_Home) << ctrl << 0 << 1;
        QTest::newRow("escape keeps the cell")
            << 1 << 5 << "12" << 1 << int(Qt::Key_Escape) << none << 1 << 5;
        QTest::newRow("enter is the window's")
            << 0 << 5 << "12" << -1 << int(Qt::Key_Return) << none << 0 << 5;
    }
    void navigation() {
        QFETCH(int, startCol);
        QFETCH(int, startRow);
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(int, col);
        QFETCH(int, row);
        w->grid->SetCell(startCol, startRow, text.toStdString());
        w->grid->SetCurrentCell(startCol, startRow);
        if (caret >= 0) w->Editor()->setCursorPosition(caret);
        w->log.clear();
        QTest::keyClick(w->Editor(), Qt::Key(key), Qt::KeyboardModifiers(mods));
        if (row < 0)
            QVERIFY(w->grid->Row() > startRow + 5);  // a page
        else
            QCOMPARE(std::make_pair(w->grid->Col(), w->grid->Row()), std::make_pair(col, row));
        // Nothing typed away, nothing reverted, the editor still in charge.
        QCOMPARE(w->table.Cell(startCol, startRow), text.toStdString());
        QVERIFY(w->Editor()->hasFocus());
        QCOMPARE(w->Editor()->geometry(), w->grid->visualRect(w->grid->currentIndex()));
        const bool moved = w->grid->Col() != startCol || w->grid->Row() != startRow;
        QCOMPARE(w->Only("click").size(), moved ? 1 : 0);
        QCOMPARE(w->Downs().size(), 1);
    }

    void enterReachesKeyPress() {
        QTest::keyClick(w->Editor(), Qt::Key_Return);
        QCOMPARE(w->log, QStringList({"down 13", "char 13"}));
    }

    void tabLeavesTheTable() {
        QTest::keyClick(w->Editor(), Qt::Key_Tab);
        QVERIFY(w->after->hasFocus());
        QTest::keyClick(w->after, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(w->Editor()->hasFocus());
        QTest::keyClick(w->Editor(), Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(w->before->hasFocus());
        QTest::keyClick(w->before, Qt::Key_Tab);
        QVERIFY(w->Editor()->hasFocus());
        QCOMPARE(w->Only("focus").size(), 2);
        QVERIFY(w->Only("click").isEmpty());
        QCOMPARE(std::make_pair(w->grid->Col(), w->grid->Row()), std::make_pair(0, 1));
    }

    void focusEnteredOnlyFromAnotherControl() {
        w->after->setFocus();
        QTest::mouseClick(w->grid->viewport(), Qt::LeftButton, {}, w->CellCentre(1, 2));
        QCOMPARE(w->log, QStringList({"focus", "edit 0 1 ", "click 1 2"}));
        // Another window comes and goes: the same control gets the focus back.
        w->log.clear();
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        w->widget.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w->widget));
        QTRY_VERIFY(w->Editor()->hasFocus());
        // A pop-up menu opened and closed over the grid.
        QMenu menu;
        menu.addAction("item");
        w->grid->SetPopupMenu(&menu);
        QTimer::singleShot(0, &menu, [&menu] { menu.close(); });
        QTest::mouseClick(w->Editor(), Qt::RightButton, {}, QPoint(5, 5));
        QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(5, 5), w->Editor()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(w->Editor(), &ev);
        // Without a window manager nothing re-activates the window after a
        // pop-up; the program's dialog layer does it, and so does this test.
        w->widget.activateWindow();
        QTRY_VERIFY(w->Editor()->hasFocus());
        QVERIFY2(w->log.isEmpty(), qPrintable(w->log.join(", ")));
    }

    void rightClickOpensTheGridMenu() {
        QMenu menu;
        menu.addAction("item");
        int shown = 0;
        connect(&menu, &QMenu::aboutToShow, &menu, [&] {
            ++shown;
            QTimer::singleShot(0, &menu, [&menu] { menu.close(); });
        });
        w->grid->SetPopupMenu(&menu);
        // On the editor: the grid's menu, never the edit's own.
        QContextMenuEvent onEditor(QContextMenuEvent::Mouse, QPoint(5, 5),
                                   w->Editor()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(w->Editor(), &onEditor);
        QCOMPARE(shown, 1);
        QVERIFY(!w->Editor()->findChild<QMenu*>());
        // On another cell: the menu, and the current cell stays.
        const QPoint p = w->CellCentre(2, 4);
        QTest::mousePress(w->grid->viewport(), Qt::RightButton, {}, p);
        QContextMenuEvent onCell(QContextMenuEvent::Mouse, p, w->grid->viewport()->mapToGlobal(p));
        QApplication::sendEvent(w->grid->viewport(), &onCell);
        QTest::mouseRelease(w->grid->viewport(), Qt::RightButton, {}, p);
        QCOMPARE(shown, 2);
        QCOMPARE(std::make_pair(w->grid->Col(), w->grid->Row()), std::make_pair(0, 1));
        QVERIFY(w->Only("click").isEmpty());
    }

    void doubleClick() {
        QTest::mouseDClick(w->Editor(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(w->Only("dbl").size(), 1);
    }

    void columnMoveMovesTheData() {
        for (int r = 1; r < 100; ++r)
            for (int c = 0; c < 3; ++c)
                w->table.SetCell(c, r, std::string(1, char('a' + c)) + std::to_string(r));
        w->grid->TableReset();
        w->grid->SetCurrentCell(2, 3);  // on "c3"
        w->log.clear();
        QString seen;  // the data as the handler finds them
        connect(w->grid, &TStringGrid::columnMoved, w->grid, [&] {
            for (int c = 0; c < 3; ++c)
                seen += QString::fromStdString(std::string(w->table.Cell(c, 0)) +
                                               std::string(w->table.Cell(c, 1))) +
                        " ";
        });
        QHeaderView* header = w->grid->horizontalHeader();
        const int y = header->height() / 2;
        const QPoint from(header->sectionViewportPosition(2) + 20, y);
        const QPoint to(header->sectionViewportPosition(0) + 5, y);
        QTest::mousePress(header->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(header->viewport(), from - QPoint(10, 0));
        QTest::mouseMove(header->viewport(), to);
        QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, to);
        QCOMPARE(w->log, QStringList({"moved 2 0"}));
        QCOMPARE(seen, QString("H2c1 H0a1 H1b1 "));
        for (int v = 0; v < 3; ++v) QCOMPARE(header->logicalIndex(v), v);
        QCOMPARE(w->grid->model()->headerData(0, Qt::Horizontal).toString(), QString("H2"));
        QCOMPARE(w->grid->Cell(1, 99), std::string("a99"));
        // The column keeps its width, the current cell and the editor its data.
        QCOMPARE(w->grid->ColWidth(0), 64);
        QCOMPARE(w->grid->ColWidth(1), 73);
        QCOMPARE(std::make_pair(w->grid->Col(), w->grid->Row()), std::make_pair(0, 3));
        QCOMPARE(w->Editor()->text(), QString("c3"));
        QCOMPARE(w->Editor()->geometry(), w->grid->visualRect(w->grid->currentIndex()));
    }

    void selectionBlock() {
        w->grid->SetCurrentCell(0, 2);
        QTest::keyClick(w->Editor(), Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(w->Editor(), Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(w->Editor(), Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(w->grid->Selection(), (TGridRect{0, 2, 1, 4}));
        QCOMPARE(std::make_pair(w->grid->Col(), w->grid->Row()), std::make_pair(1, 4));
        QCOMPARE(w->grid->selectionModel()->selectedIndexes().size(), 6);
        QTest::keyClick(w->Editor(), Qt::Key_Up);
        QCOMPARE(w->grid->Selection(), (TGridRect{1, 3, 1, 3}));
        // Dragging with the mouse: the current cell stays where it was pressed.
        QWidget* vp = w->grid->viewport();
        QTest::mousePress(vp, Qt::LeftButton, {}, w->CellCentre(2, 6));
        QTest::mouseMove(vp, w->CellCentre(1, 7));
        QTest::mouseMove(vp, w->CellCentre(0, 8));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, w->CellCentre(0, 8));
        QCOMPARE(w->grid->Selection(), (TGridRect{0, 6, 2, 8}));
        QCOMPARE(std::make_pair(w->grid->Col(), w->grid->Row()), std::make_pair(2, 6));
        // Dragging below the grid scrolls and extends the block.
        QTest::mousePress(vp, Qt::LeftButton, {}, w->CellCentre(1, 2));
        QTest::mouseMove(vp, QPoint(w->CellCentre(1, 2).x(), vp->height() + 20));
        QTRY_VERIFY(w->grid->Selection().bottom > vp->height() / 16 + 2);
        QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(w->CellCentre(1, 2).x(), vp->height() + 20));
        const int reached = w->grid->Selection().bottom;
        QTest::qWait(120);
        QCOMPARE(w->grid->Selection().bottom, reached);  // and stops with the button
        QCOMPARE(std::make_pair(w->grid->Col(), w->grid->Row()), std::make_pair(1, 2));
        w->grid->scrollToTop();
        QTest::mousePress(vp, Qt::LeftButton, {}, w->CellCentre(2, 6));
        QTest::mouseMove(vp, w->CellCentre(0, 8));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, w->CellCentre(0, 8));
        // The header row selects nothing and moves nothing.
        QHeaderView* header = w->grid->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(1) + 10, 5));
        QCOMPARE(w->grid->Selection(), (TGridRect{0, 6, 2, 8}));
        QCOMPARE(std::make_pair(w->grid->Col(), w->grid->Row()), std::make_pair(2, 6));
    }

    void virtualKeys() {
        QTest::keyClick(w->Editor(), Qt::Key_F, Qt::ControlModifier);
        // Alt+F with a Cyrillic layout: the key is "а", the physical key F (X11 keycode 41).
        QKeyEvent altF(QEvent::KeyPress, 0x0410, Qt::AltModifier, 41, 0x6c1, 0x8, QString::fromUtf8("а"));
        QApplication::sendEvent(w->Editor(), &altF);
        // Shift+1 is still the key 1.
        QKeyEvent bang(QEvent::KeyPress, Qt::Key_Exclam, Qt::ShiftModifier, 10, 0x21, 0x1, "!");
        QApplication::sendEvent(w->Editor(), &bang);
        QCOMPARE(w->Downs(), QStringList({"down 70 ctrl", "down 70 alt", "down 49"}));
        QCOMPARE(w->Only("down 17"), QStringList({"down 17 ctrl"}));  // the Ctrl key itself
        // Alt+letter types nothing into the cell.
        QCOMPARE(w->table.Cell(0, 1), std::string("!"));
        QCOMPARE(w->Only("char"), QStringList({"char 6", "char 33"}));
        QCOMPARE(VirtualKeyOf(QKeyEvent(QEvent::KeyPress, Qt::Key_5, Qt::KeypadModifier, "5")), 101);
        QCOMPARE(VirtualKeyOf(QKeyEvent(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier)), 116);
    }

    void windowShortcutsWinOverTheEditor() {
        auto* copy = new QAction(&w->widget);
        copy->setShortcut(QKeySequence("Ctrl+C"));
        auto* del = new QAction(&w->widget);
        del->setShortcut(QKeySequence("Shift+Del"));
        auto* colCopy = new QAction(&w->widget);
        colCopy->setShortcut(QKeySequence("Ctrl+Alt+C"));
        w->widget.addActions({copy, del, colCopy});
        QSignalSpy copies(copy, &QAction::triggered), dels(del, &QAction::triggered),
            colCopies(colCopy, &QAction::triggered);
        QTest::keyClicks(w->Editor(), "123");
        QTest::keyClick(w->Editor(), Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(w->Editor(), Qt::Key_Delete, Qt::ShiftModifier);
        QTest::keyClick(w->Editor(), Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(copies.size(), 1);
        QCOMPARE(dels.size(), 1);
        QCOMPARE(colCopies.size(), 1);
        QCOMPARE(w->table.Cell(0, 1), std::string("123"));
        // The shortcut ran instead of the key: no key notification for it.
        QCOMPARE(w->Downs().size(), 3);
        // A combination no action takes still works in the edit.
        QTest::keyClick(w->Editor(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(w->Editor()->selectedText(), QString("123"));
        // The same filter on another edit; without it the edit keeps Ctrl+C.
        QTest::keyClick(w->after, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(copies.size(), 1);
        LetWindowShortcutsWin(w->after);
        LetWindowShortcutsWin(w->after);
        QTest::keyClick(w->after, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(copies.size(), 2);
    }

    void rowCountAndBulkChanges() {
        TStringGrid* g = w->grid;
        g->SetCell(1, 99, "x");
        g->SetCurrentCell(1, 99);
        QSignalSpy inserted(g->model(), &QAbstractItemModel::rowsInserted);
        w->log.clear();
        g->SetRowCount(10);
        QCOMPARE(g->RowCount(), 10);
        QCOMPARE(std::make_pair(g->Col(), g->Row()), std::make_pair(1, 9));
        g->SetRowCount(100001);
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(g->Cell(1, 99), std::string());  // a row that comes back is empty
        // Direct changes to the table, then one refresh.
        g->BeginBulkChange();
        w->table.SetRowCount(4);
        w->table.SetCell(1, 3, "new");
        g->EndBulkChange();
        QCOMPARE(g->model()->rowCount(), 3);
        QCOMPARE(std::make_pair(g->Col(), g->Row()), std::make_pair(1, 3));
        QCOMPARE(w->Editor()->text(), QString("new"));
        // None of it is a move of the user's.
        QVERIFY2(w->log.isEmpty(), qPrintable(w->log.join(", ")));
        // A cell set from outside while shown in the editor.
        g->SetCell(1, 3, "newer");
        QCOMPARE(w->Editor()->text(), QString("newer"));
        g->SetCell(0, 0, "Y");
        QCOMPARE(g->model()->headerData(0, Qt::Horizontal).toString(), QString("Y"));
    }

    void largeTable() {
        TStringGrid* g = w->grid;
        g->SetRowCount(100001);
        g->SetCell(0, 100000, "last");
        QTest::keyClick(w->Editor(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(g->Row(), 100000);
        QTest::keyClick(w->Editor(), Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(w->Editor()->text(), QString("last"));
        QVERIFY(g->viewport()->rect().intersects(w->Editor()->geometry()));
        QVERIFY(!g->grab().isNull());
        QTest::keyClick(w->Editor(), Qt::Key_PageUp);
        QVERIFY(g->Row() < 100000);
    }

    // Megabyte cells: shown cut, kept whole, and the grid still answers. A line
    // edit holding megabytes takes seconds per paint, so the editor shows such
    // a cell cut and read-only until it is typed over.
    void hugeCells() {
        TStringGrid* g = w->grid;
        std::string huge;
        for (int i = 0; i < 2'500'000; ++i) huge += "ж";
        huge += "x";
        g->SetCell(1, 2, huge);
        const QModelIndex index = g->Model()->index(1, 1);
        const QString shown = index.data(Qt::DisplayRole).toString();
        QVERIFY(shown.size() > 100 && shown.size() < 1000);
        QVERIFY(shown.endsWith(QChar(0x2026)));
        QCOMPARE(shown.chopped(1), QString(shown.size() - 1, QChar(0x0436)));  // no half character
        QCOMPARE(index.data(Qt::EditRole).toString().size(), qsizetype(2'500'001));
        QVERIFY(!g->grab().isNull());

        g->SetCurrentCell(1, 2);
        QCOMPARE(w->Editor()->text(), shown);
        QVERIFY(w->Editor()->isReadOnly());
        QVERIFY(!g->grab().isNull());
        QTest::keyClick(w->Editor(), Qt::Key_Down);
        QTest::keyClick(w->Editor(), Qt::Key_Up);
        g->verticalScrollBar()->setValue(1);
        QVERIFY(!g->grab().isNull());
        QCOMPARE(g->Cell(1, 2), huge);
        // Typing over the whole cell replaces it, as with any cell.
        QTest::keyClick(w->Editor(), Qt::Key_5);
        QCOMPARE(g->Cell(1, 2), std::string("5"));
        QVERIFY(!w->Editor()->isReadOnly());

        // Longer than a line edit's default limit, short enough to edit whole.
        const std::string longCell(40'000, '1');
        g->SetCell(1, 3, longCell);
        g->SetCurrentCell(1, 3);
        w->Editor()->end(false);
        QTest::keyClicks(w->Editor(), "2");
        QCOMPARE(g->Cell(1, 3), longCell + "2");

        // A paste into the editor keeps the whole text; the editor then shows it cut.
        QApplication::clipboard()->setText(QString::fromStdString(huge));
        QTest::keyClick(w->Editor(), Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(g->Cell(1, 3), longCell + "2" + huge);
        QTRY_VERIFY(w->Editor()->isReadOnly());
        QVERIFY(!g->grab().isNull());
    }
};

QTEST_MAIN(GridTest)
#include "window_grid.moc"
