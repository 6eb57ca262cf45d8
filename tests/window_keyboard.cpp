// The window through its keyboard: the fill command, the shortcuts that win over
// the line edits, Ctrl+S by focus, the help text, a column drag, the last-row
// append and File / Exit.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/formmain.h"
#include "core/ini_file.h"
#include "support/scripteddialogs.h"
#include "support/windowfixture.h"
#include "table/stringgrid.h"

class KeyboardTest : public QObject, WindowFixture {
    Q_OBJECT

    void Start(const char* function = "1") {
        NewSettingsFolder(Settings("Eng", function));
        Open();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    }
    QLineEdit* Editor() { return Grid()->InplaceEditor(); }

  private slots:
    void cleanup() { form_.reset(); }

    // Ctrl+F refills the selected rows' Y from the curve fitted to the others.
    void fillCommand() {
        Start("1");
        Fill({{"1", "0"}, {"3", "1"}, {"5", "2"}, {"99", "3"}, {"", "-0.5"}, {"7", "abc"}});
        Grid()->setFocus();
        Grid()->SetCurrentCell(0, 4);
        QTest::keyClick(Editor(), Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(Editor(), Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(Grid()->Selection().bottom, 6);
        dialogs_->messages.clear();
        QTest::keyClick(Editor(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(Cell(0, 4), QString("7.0000000"));  // Y = 2X + 1
        QCOMPARE(Cell(0, 5), QString(""));           // exactly 0 stays empty
        QCOMPARE(Cell(0, 6), QString(""));           // X is no number
        QCOMPARE(Caption("PanelResult"), QString("Y = 2.0000000 * X  +1.0000000"));
        // Row 6 no longer counts, its Y being empty, so its "abc" stops no run.
        QVERIFY(dialogs_->messages.isEmpty());
    }

    // Alt+F does the same; the value is typed nowhere.
    void fillWithAlt() {
        Start("1");
        Fill({{"1", "0"}, {"3", "1"}, {"", "5"}});
        Grid()->setFocus();
        Grid()->SetCurrentCell(1, 3);
        QTest::keyClick(Editor(), Qt::Key_F, Qt::AltModifier);
        QCOMPARE(Cell(0, 3), QString("11.0000000"));
        QCOMPARE(Cell(1, 3), QString("5"));
    }

    // The window's shortcuts act on the table even while an edit has the focus.
    void shortcutsWinOverEdits() {
        Start();
        Fill({{"1", "2"}, {"3", "4"}});
        auto* x1 = form_->findChild<QLineEdit*>("MaskEditX1");
        x1->setFocus();
        x1->selectAll();
        QTest::keyClick(x1, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(QGuiApplication::clipboard()->text().startsWith("1\t2\r\n3\t4\r\n"));

        QGuiApplication::clipboard()->setText("5\t6\r\n7\t8\r\n9\t10\r\n");
        Grid()->setFocus();
        Grid()->SetCurrentCell(0, 1);
        QTest::keyClick(Editor(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(Cell(0, 3), QString("9"));
        QCOMPARE(T().RowCount(), 5);
        QCOMPARE(Editor()->text(), QString("5"));  // not pasted into the cell

        QTest::keyClick(Editor(), Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(Cell(0, 1), QString("7"));
        QCOMPARE(T().RowCount(), 4);
    }

    // With a Russian layout active Qt matches no shortcut and the key press itself
    // reaches the control (a press sent straight to it, past the shortcut map, is
    // the same): the window's shortcut still runs, by the physical key.
    void shortcutByPhysicalKey() {
        Start();
        Fill({{"1", "2"}});
        Grid()->setFocus();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, 54, 0x6c1, 0,
                        QString(QChar(0x0441)));
        QApplication::sendEvent(Editor(), &press);
        QVERIFY(QGuiApplication::clipboard()->text().startsWith("1\t2\r\n"));
        QCOMPARE(Editor()->text(), QString("1"));
    }

    // Ctrl+S sorts in the table and writes the file elsewhere.
    void ctrlSByFocus() {
        Start();
        Fill({{"3", "1"}, {"1", "2"}});
        Grid()->setFocus();
        Grid()->SetCurrentCell(0, 1);
        QTest::keyClick(Editor(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(Cell(0, 1), QString("1"));
        QCOMPARE(dialogs_->fileDialogInitials.size(), 0);
        auto* combo = form_->findChild<QComboBox*>("ComboBox1");
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dialogs_->fileDialogInitials.size(), 1);  // the Write dialog opened
    }

    // The help text never keeps the focus or changes.
    void helpTextGivesTheFocusAway() {
        Start();
        auto* memo = form_->findChild<QPlainTextEdit*>("Memo1");
        const QString text = memo->toPlainText();
        QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(Grid()->hasFocus());
        memo->setFocus();
        QTest::keyClick(memo, Qt::Key_X);
        QVERIFY(Grid()->hasFocus());
        QCOMPARE(memo->toPlainText(), text);
    }

    // Typing into the last row appends a row; "-" alone does not.
    void lastRowAppends() {
        Start();
        T().SetRowCount(3);
        Grid()->TableReset();
        Grid()->setFocus();
        Grid()->SetCurrentCell(0, 2);
        QTest::keyClicks(Editor(), "-");
        QCOMPARE(T().RowCount(), 3);
        QTest::keyClicks(Editor(), "5");
        QCOMPARE(T().RowCount(), 4);
        QTest::keyClick(Editor(), Qt::Key_Return);
        QCOMPARE(Grid()->Col(), 1);
        Grid()->SetCurrentCell(0, 3);
        QTest::keyClick(Editor(), Qt::Key_Return);  // in the last row: nothing
        QCOMPARE(Grid()->Col(), 0);
        QCOMPARE(Grid()->Row(), 3);
    }

    // Dragging the X column onto the Y column swaps the roles under unchanged headers.
    void columnDragSwapsRoles() {
        Start();
        Fill({{"2.1", "1"}, {"3.9", "2"}, {"6.2", "3"}, {"7.8", "4"}});
        DragXColumnOntoY();
        QCOMPARE(Cell(0, 1), QString("1"));
        QCOMPARE(Cell(1, 1), QString("2.1"));
        QCOMPARE(Cell(0, 0), QString("Y (true)"));
        QCOMPARE(Cell(1, 0), QString("X (gauge)"));
        QVERIFY(Caption("PanelA0").startsWith("A0 = "));
        QCOMPARE(Caption("PanelA1"), QString("A1 = 5.1322751e-1"));
    }

    // Cells too long for the editor to edit whole (over 100,000 bytes): a paste
    // of one is quick and its box quotes a short part; leaving such a cell
    // judges the cell, not the cut text the editor shows; a copy takes the
    // cell's text, not the cut one.
    void cellsTooLongToEdit() {
        NewSettingsFolder(Settings("Eng", "1"));
        OpenWithRealDialogs();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        BoxAnswerer boxes;
        Grid()->setFocus();

        // A valid number of 150,002 bytes, pasted whole and left with no typing.
        const QString number = "0." + QString(150'000, QChar('0')) + "5";
        QApplication::clipboard()->setText(number);
        Grid()->SetCurrentCell(0, 1);
        QTest::keyClick(Editor(), Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(Cell(0, 1), number);
        QTest::keyClick(Editor(), Qt::Key_Down);
        QTest::keyClick(Editor(), Qt::Key_Up);
        QTest::qWait(50);
        QVERIFY2(boxes.texts.isEmpty(), qPrintable(boxes.texts.join("\n").left(300)));

        // Ctrl+Insert copies the cell; from the selection's start when it takes in the "…".
        QApplication::clipboard()->clear();
        QVERIFY(Editor()->isReadOnly());
        QTest::keyClick(Editor(), Qt::Key_Insert, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), number);
        Editor()->setSelection(2, int(Editor()->text().size()));
        QTest::keyClick(Editor(), Qt::Key_Insert, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), number.mid(2));
        Editor()->setSelection(0, 2);
        QTest::keyClick(Editor(), Qt::Key_Insert, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString("0."));

        // A megabyte that is no number: one short box, within seconds.
        Grid()->SetCurrentCell(1, 1);
        const QString junk(1'000'000, QChar('z'));
        QApplication::clipboard()->setText(junk);
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(Editor(), Qt::Key_Insert, Qt::ShiftModifier);
        QTRY_COMPARE(boxes.texts.size(), 1);
        // Generous for a busy machine: before, the editor alone took 35 s and the box never fitted a screen.
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(boxes.texts[0].startsWith(QString(100, QChar('z')) +
                                          QString::fromUtf8("\u2026 is not a valid number")));
        QCOMPARE(Cell(1, 1), junk);
        QVERIFY(Editor()->isReadOnly());
    }

    // File / Exit ends the loop with 0 and writes nothing; the close box writes.
    void exitWritesNothing() {
        Start();
        QTimer::singleShot(0, [this] { form_->findChild<QAction*>("itmExit")->trigger(); });
        QCOMPARE(QCoreApplication::exec(), 0);
        const std::string ini = dir_->filePath("Kurvilon.ini").toStdString();
        QCOMPARE(kurv::ReadProfileString(ini, "FormMain", "Left", "none"), std::string("none"));
        form_->close();
        QVERIFY(kurv::ReadProfileString(ini, "FormMain", "Left", "none") != "none");
    }
};

QTEST_MAIN(KeyboardTest)
#include "window_keyboard.moc"
