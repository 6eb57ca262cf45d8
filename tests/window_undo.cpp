// Undo and redo of the table's commands and typing, through the keys.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <cstdlib>
#include <new>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "core/table_history.h"
#include "output/chartview.h"
#include "support/scripteddialogs.h"
#include "support/windowfixture.h"
#include "table/stringgrid.h"

namespace {

// While armed, the allocations of a megabyte or more succeed `bigAllowed` times
// and then one fails: memory runs short where the undo steps copy the table's
// long texts, and nowhere else.
std::atomic<int> bigAllowed{-1};  // -1: none fails
constexpr std::size_t kBig = std::size_t{1} << 20;

void* Allocate(std::size_t n) {
    if (n >= kBig && bigAllowed.load() >= 0 && bigAllowed.fetch_sub(1) == 0) throw std::bad_alloc();
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t n) {
    return Allocate(n);
}
void* operator new[](std::size_t n) {
    return Allocate(n);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return Allocate(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept {
    return operator new(n, t);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

// What the user sees of the table: the data rows' cells and the cursor.
struct Shown {
    std::vector<kurv::DataTable::Row> rows;
    int col = 0, row = 0;
    TGridRect block;
    bool operator==(const Shown&) const = default;
};

QString Describe(const Shown& s) {
    QStringList lines;
    for (const auto& r : s.rows) lines << QString::fromStdString(r[0] + "|" + r[1] + "|" + r[2]);
    return QString("cell %1,%2 block %3,%4-%5,%6 rows %7:\n")
               .arg(s.col)
               .arg(s.row)
               .arg(s.block.left)
               .arg(s.block.top)
               .arg(s.block.right)
               .arg(s.block.bottom)
               .arg(s.rows.size()) +
           lines.join('\n');
}

}  // namespace

class UndoTest : public QObject, WindowFixture {
    Q_OBJECT

    void Start(const char* language = "Eng") {
        NewSettingsFolder(Settings(language));
        Open();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    }
    QLineEdit* Editor() { return Grid()->InplaceEditor(); }
    Shown Now() {
        auto rows = T().Rows();
        rows.erase(rows.begin());
        return {std::move(rows), Grid()->Col(), Grid()->Row(), Grid()->Selection()};
    }
    // Types `text` into the current cell and leaves it with Enter.
    void Type(const char* text) {
        QTest::keyClicks(Editor(), text);
        QTest::keyClick(Editor(), Qt::Key_Return);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(Editor(), key, mods); }
    void Undo() { Key(Qt::Key_Z, Qt::ControlModifier); }
    void Redo() { Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }

  private slots:
    void cleanup() { form_.reset(); }

    void eachCommand_data() {
        QTest::addColumn<QString>("command");
        for (const char* c : {"type", "typeLastRow", "paste", "append", "columnPaste", "clear", "clearColumn",
                              "delete", "sort", "fill", "read", "columnMove"})
            QTest::newRow(c) << QString(c);
    }

    // Before, after, after Ctrl+Z (= before), after Ctrl+Shift+Z (= after).
    void eachCommand() {
        QFETCH(QString, command);
        Start();
        // A typed table: 4 pairs, the last with a block over two rows.
        Grid()->setFocus();
        for (const char* v : {"7", "3", "2", "1", "5", "2.5", "9", "4"}) Type(v);
        Grid()->SetCurrentCell(1, 2);
        Key(Qt::Key_Down, Qt::ShiftModifier);
        QGuiApplication::clipboard()->setText("10\t20\r\n30\t40\r\n50\t60\r\n");
        QFile data(dir_->filePath("data.txt"));
        QVERIFY(data.open(QIODevice::WriteOnly));
        data.write("8 1\n6 2\n");
        data.close();
        dialogs_->answers = {MbYes};
        dialogs_->fileNames = {data.fileName()};

        if (command == "typeLastRow") Grid()->SetCurrentCell(1, T().RowCount() - 1);

        const Shown before = Now();
        if (command == "type") {
            Type("11");
        } else if (command == "typeLastRow") {
            QTest::keyClicks(Editor(), "8");
            Grid()->SetCurrentCell(0, 1);
        } else if (command == "paste") {
            Key(Qt::Key_V, Qt::ControlModifier);
        } else if (command == "append") {
            Key(Qt::Key_B, Qt::ControlModifier);
        } else if (command == "columnPaste") {
            Key(Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
        } else if (command == "clear") {
            Item("itmClearMain")->trigger();
        } else if (command == "clearColumn") {
            Item("itmClearColMain")->trigger();
        } else if (command == "delete") {
            Key(Qt::Key_Delete, Qt::ShiftModifier);
        } else if (command == "sort") {
            Key(Qt::Key_S, Qt::ControlModifier);
        } else if (command == "fill") {
            Key(Qt::Key_F, Qt::ControlModifier);
        } else if (command == "read") {
            Key(Qt::Key_L, Qt::ControlModifier);
        } else if (command == "columnMove") {
            DragXColumnOntoY();
        }
        form_->sgDataClick();  // what a click into the table shows
        const Shown after = Now();
        QVERIFY2(after.rows != before.rows, qPrintable(Describe(after)));
        QVERIFY(Item("itmUndo")->isEnabled());
        QVERIFY(!Item("itmRedo")->isEnabled());

        Undo();
        QVERIFY2(Now() == before, qPrintable(Describe(Now()) + "\nwanted " + Describe(before)));
        QVERIFY(Item("itmRedo")->isEnabled());
        Redo();
        QVERIFY2(Now().rows == after.rows, qPrintable(Describe(Now()) + "\nwanted " + Describe(after)));
        QVERIFY(!Item("itmRedo")->isEnabled());
        Key(Qt::Key_Y, Qt::ControlModifier);  // nothing left to redo: no change
        QVERIFY(Now().rows == after.rows);
    }

    // Ctrl+V over a typed table, then Ctrl+Z: the typed table is back; further
    // Ctrl+Z take back one typed cell each, newest first; Ctrl+Y redoes.
    void pasteOverTypingThenUndoAll() {
        Start();
        Grid()->setFocus();
        std::vector<Shown> states{Now()};
        for (const char* v : {"1", "2", "3", "4.5"}) {
            Type(v);
            states.push_back(Now());
        }
        QGuiApplication::clipboard()->setText("9\t8\r\n");
        Key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(T().RowCount(), 3);
        Undo();
        QVERIFY(Now().rows == states.back().rows);
        // Back to fewer pairs than a fit needs, the fitted column of the other
        // rows is back as it was too.
        for (std::size_t i = states.size() - 1; i > 0; --i) {
            Undo();
            QVERIFY2(Now().rows == states[i - 1].rows,
                     qPrintable(Describe(Now()) + "\nwanted " + Describe(states[i - 1])));
            QCOMPARE(Grid()->Row(), states[i - 1].row);
        }
        QVERIFY(!Item("itmUndo")->isEnabled());
        Key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(QString::fromStdString(std::string(T().Cell(0, 1))), QString("1"));
    }

    // An appended pair that makes the first fit possible: undo takes back the
    // fitted column it wrote outside the new rows too, and redo brings it again.
    void undoToTooFewPairs() {
        Start();
        Fill({{"1", "0"}});
        form_->sgDataClick();
        Grid()->setFocus();
        const Shown before = Now();
        QGuiApplication::clipboard()->setText("3\t1\r\n");
        Key(Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(Cell(2, 1), QString("1"));  // the fit wrote row 1, which the append left alone
        const Shown after = Now();
        Undo();
        QVERIFY2(Now() == before, qPrintable(Describe(Now()) + "\nwanted " + Describe(before)));
        Redo();
        QVERIFY(Now().rows == after.rows);
    }

    // Clearing the table lets the pairs read and the fitted values go (the
    // hidden chart keeps its points); undo brings every result back as it
    // was, and a change of kind then works from the pairs read again.
    void clearThenUndoShowsTheFitAgain() {
        Start();
        Fill({{"1", "0"}, {"3", "1"}, {"9", "2"}, {"19", "3"}});
        form_->sgDataClick();
        auto* chart = form_->findChild<TChart*>("Chart1");
        auto* formula = form_->findChild<QLabel*>("PanelResult");
        QVERIFY(formula);
        const std::vector<ChartPoint> points = chart->Points(TChart::kMeasured);
        const QString shown = formula->text();
        QCOMPARE(int(points.size()), 4);
        dialogs_->answers = {MbYes};
        Item("itmClearMain")->trigger();
        QCOMPARE(chart->Count(TChart::kMeasured), 4);
        QVERIFY(chart->isHidden());
        Undo();
        QVERIFY(chart->isVisible());
        QCOMPARE(formula->text(), shown);
        const std::vector<ChartPoint> back = chart->Points(TChart::kMeasured);
        QCOMPARE(int(back.size()), 4);
        for (std::size_t i = 0; i < back.size(); ++i) {
            QCOMPARE(back[i].x, points[i].x);
            QCOMPARE(back[i].y, points[i].y);
        }
        auto* kinds = form_->findChild<QComboBox*>("ComboBox1");
        kinds->setCurrentIndex(0);
        emit kinds->activated(0);
        QCOMPARE(chart->Count(TChart::kMeasured), 4);
        QCOMPARE(Cell(2, 4), QString("17"));  // linear: 6x - 1
    }

    // A sort that finds the rows in order is no step: Ctrl+Z then takes back
    // the sort before it (which dropped the empty rows). A column dragged over
    // another comes back with its caption.
    void noStepForNoChangeAndHeaderBack() {
        Start();
        Grid()->setFocus();
        for (const char* v : {"1", "0", "3", "1"}) Type(v);
        Grid()->SetCurrentCell(0, 1);
        const Shown typed = Now();
        Key(Qt::Key_S, Qt::ControlModifier);
        const Shown sorted = Now();
        QCOMPARE(sorted.rows.size(), std::size_t(3));
        Key(Qt::Key_S, Qt::ControlModifier);
        QVERIFY(Now().rows == sorted.rows);
        Undo();
        QVERIFY(Now().rows == typed.rows);

        const auto header = [this] { return T().RowAt(0); };
        const auto headerBefore = header();
        QHeaderView* h = Grid()->horizontalHeader();
        const int y = h->height() / 2;
        const QPoint from(h->sectionViewportPosition(2) + 20, y), to(h->sectionViewportPosition(0) + 5, y);
        QTest::mousePress(h->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(h->viewport(), from - QPoint(10, 0));
        QTest::mouseMove(h->viewport(), to);
        QTest::mouseRelease(h->viewport(), Qt::LeftButton, {}, to);
        const auto headerAfter = header();
        QVERIFY(headerAfter != headerBefore);
        Undo();
        QVERIFY(header() == headerBefore);
        Redo();
        QVERIFY(header() == headerAfter);
    }

    void stepWithoutCopy_data() {
        QTest::addColumn<QString>("command");
        for (const char* c : {"fill", "paste", "read", "delete"}) QTest::newRow(c) << QString(c);
    }

    // A command's step takes the rows it replaces over instead of copying the
    // table first: a command over a row with a 3 MB Y needs no large
    // allocation, and undo brings the long Y back whole.
    void stepWithoutCopy() {
        QFETCH(QString, command);
        Start();
        const std::string longY(3 << 20, 'z');
        Fill({{"1", "0"}, {"3", "1"}, {"5", "2"}, {longY, ""}});
        QGuiApplication::clipboard()->setText("7\t8\r\n");
        QFile data(dir_->filePath("data.txt"));
        QVERIFY(data.open(QIODevice::WriteOnly));
        data.write("8 1\n6 2\n");
        data.close();
        dialogs_->fileNames = {data.fileName()};
        Grid()->setFocus();
        Grid()->SetCurrentCell(0, 4);
        bigAllowed = 0;  // the first allocation of a megabyte or more fails
        if (command == "fill") Key(Qt::Key_F, Qt::ControlModifier);
        if (command == "paste") Key(Qt::Key_V, Qt::ControlModifier);
        if (command == "read") Key(Qt::Key_L, Qt::ControlModifier);
        if (command == "delete") Key(Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(bigAllowed.exchange(-1), 0);  // none was asked for
        QVERIFY(Cell(0, 4).size() < 100);
        QVERIFY(dialogs_->messages.isEmpty());
        Undo();
        QVERIFY(Cell(0, 4) == QString::fromStdString(longY));
    }

    // A sort that finds the rows in order changes nothing and is no step:
    // Ctrl+Z after it takes back the sort before it.
    void sortInOrderIsNoStep() {
        Start();
        QGuiApplication::clipboard()->setText("7\t2\r\n5\t1\r\n9\t3\r\n");
        Grid()->setFocus();
        Key(Qt::Key_V, Qt::ControlModifier);
        Grid()->SetCurrentCell(0, 1);
        Key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(Cell(0, 1), QString("5"));
        const std::size_t depth = form_->UndoHistory().UndoDepth();
        Key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(form_->UndoHistory().UndoDepth(), depth);
        Undo();
        QCOMPARE(Cell(0, 1), QString("7"));
    }

    // Ctrl+Z inside the editor takes back the cell being typed, at once.
    void undoWhileEditing() {
        Start();
        Grid()->setFocus();
        Type("1");
        Grid()->SetCurrentCell(0, 1);
        QVERIFY(!Item("itmRedo")->isEnabled());
        QTest::keyClicks(Editor(), "57");
        QVERIFY(Item("itmUndo")->isEnabled());
        QCOMPARE(QApplication::focusWidget(), Editor());
        Undo();
        QCOMPARE(QString::fromStdString(std::string(T().Cell(0, 1))), QString("1"));
        QCOMPARE(Editor()->text(), QString("1"));
        Redo();
        QCOMPARE(QString::fromStdString(std::string(T().Cell(0, 1))), QString("57"));
        QCOMPARE(Editor()->text(), QString("57"));
    }

    // The items sit at the top of the Edit menu, follow the language and
    // start disabled; the pop-up menu keeps its items.
    void menuItems() {
        Start("Rus");
        auto* edit = form_->findChild<QMenu*>("itmEdit");
        QCOMPARE(edit->actions().value(0), Item("itmUndo"));
        QCOMPARE(edit->actions().value(1), Item("itmRedo"));
        QCOMPARE(Item("itmUndo")->text(), QString("Отменить"));
        QCOMPARE(Item("itmRedo")->text(), QString("Повторить"));
        QCOMPARE(Item("itmUndo")->shortcut(), QKeySequence("Ctrl+Z"));
        QCOMPARE(Item("itmRedo")->shortcut(), QKeySequence("Ctrl+Shift+Z"));
        QVERIFY(!Item("itmUndo")->isEnabled());
        QVERIFY(!Item("itmRedo")->isEnabled());
        form_->itmEngClick();
        QCOMPARE(Item("itmUndo")->text(), QString("Undo"));
        QCOMPARE(Item("itmRedo")->text(), QString("Redo"));
        auto* popup = form_->findChild<QMenu*>("PopupMenuTabl");
        for (QAction* a : popup->actions()) QVERIFY(!a->objectName().contains("Undo"));
    }
};

QTEST_MAIN(UndoTest)
#include "window_undo.moc"
