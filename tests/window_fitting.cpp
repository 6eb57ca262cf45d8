// The main window's recalculation, end to end: data in the table, the kind in the
// list, and every result display checked by its exact text.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/formmain.h"
#include "output/chartview.h"
#include "support/scripteddialogs.h"
#include "support/windowfixture.h"
#include "table/stringgrid.h"

class FittingTest : public QObject, WindowFixture {
    Q_OBJECT

    TFormMain* Make(char sep, bool show = true) { return Open(sep, show); }

    TChart* Chart() { return W<TChart>("Chart1"); }
    void SetKind(int kind) { W<QComboBox>("ComboBox1")->setCurrentIndex(kind); }
    QString Column2(int row) { return QString::fromStdString(std::string(form_->Table().Cell(2, row))); }

  private slots:
    // The worked example in full; the comma form is typed below.
    void linearWorkedExample() {
        Make('.');
        SetKind(0);
        Fill({{"2.1", "1"}, {"3.9", "2"}, {"6.2", "3"}, {"7.8", "4"}});
        form_->sgDataClick();
        QCOMPARE(Caption("PanelA0"), QString("A0 = 1.5000000e-1"));
        QCOMPARE(Caption("PanelA1"), QString("A1 = 1.9400000"));
        QCOMPARE(Caption("PanelResult"), QString("Y = 1.9400000 * X  +1.5000000e-1"));
        const QStringList column2{"2.09", "4.03", "5.97", "7.91"};
        for (int i = 0; i < 4; ++i) QCOMPARE(Column2(i + 1), column2[i]);
        QCOMPARE(Caption("lblMaxErr"), QString("0.23"));
        QCOMPARE(Caption("lblSigma"), QString("0.165"));
        QVERIFY(!W("PanelA2")->isVisibleTo(form_.get()));
        QVERIFY(!W("PanelA3")->isVisibleTo(form_.get()));
        QVERIFY(Chart()->isVisibleTo(form_.get()));
        for (const char* b : {"btnCopy", "btnGraphCopy", "btnPrint"}) QVERIFY(W(b)->isEnabled());
        QVERIFY(form_->findChild<QAction*>("itmLine")->isChecked());
        QVERIFY(!form_->findChild<QAction*>("itmDouble")->isChecked());
        QVERIFY(!form_->findChild<QAction*>("itmCubic")->isChecked());

        // Blue, red, red, red; the curve spans the X extent.
        const auto& pts = Chart()->Points(TChart::kMeasured);
        QCOMPARE(int(pts.size()), 4);
        QCOMPARE(pts[0].colour, QColor(0, 0, 255));
        for (int i = 1; i < 4; ++i) QCOMPARE(pts[i].colour, QColor(255, 0, 0));
        QCOMPARE(pts[2].label, QString("3"));
        const auto& line = Chart()->Points(TChart::kCurve);
        QVERIFY(line.size() == 50 || line.size() == 51);
        QCOMPARE(line.front().x, 1.0);
        QVERIFY(line.back().x < 4.0);
        QCOMPARE(Chart()->MarkText(TChart::kMeasured, 2), QString("6.2"));
        QVERIFY(dialogs_->messages.isEmpty());
    }

    // The worked example typed as a user would: Y, Enter, X, Enter, ... The fit
    // follows every change of cell.
    void typedWorkedExample_data() {
        QTest::addColumn<char>("sep");
        QTest::addColumn<QString>("typedPoint");
        QTest::newRow("point") << '.' << ".";
        QTest::newRow("comma, typed comma") << ',' << ",";
        QTest::newRow("comma, typed point") << ',' << ".";
    }
    void typedWorkedExample() {
        QFETCH(char, sep);
        QFETCH(QString, typedPoint);
        Make(sep);
        SetKind(0);
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        Grid()->setFocus();
        QWidget* editor = Grid()->InplaceEditor();
        const char* pairs[4][2] = {{"2.1", "1"}, {"3.9", "2"}, {"6.2", "3"}, {"7.8", "4"}};
        for (const auto& p : pairs) {
            QTest::keyClicks(editor, QString(p[0]).replace(".", typedPoint));
            QTest::keyClick(editor, Qt::Key_Return);
            QTest::keyClicks(editor, p[1]);
            QTest::keyClick(editor, Qt::Key_Return);
        }
        QCOMPARE(Grid()->Row(), 5);
        QCOMPARE(Grid()->Col(), 0);
        auto local = [sep](const char* t) { return QString(t).replace('.', QChar::fromLatin1(sep)); };
        QCOMPARE(Caption("PanelResult"), local("Y = 1.9400000 * X  +1.5000000e-1"));
        QCOMPARE(Column2(4), local("7.91"));
        QCOMPARE(Caption("lblSigma"), local("0.165"));
        QVERIFY(dialogs_->messages.isEmpty());
    }

    // A typed text that is not a number is warned about and stays; the next run
    // stops at it and keeps the displays.
    void typedRejectedText() {
        Make('.');
        SetKind(0);
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        Fill({{"2.1", "1"}, {"3.9", "2"}, {"6.2", "3"}});
        form_->sgDataClick();
        const QString formula = Caption("PanelResult");
        Grid()->SetCurrentCell(0, 4);
        QWidget* editor = Grid()->InplaceEditor();
        dialogs_->messages.clear();
        QTest::keyClicks(editor, "7x");
        QCOMPARE(dialogs_->messages.size(), 1);
        QCOMPARE(dialogs_->messages[0].text.left(20), QString::fromUtf8("7x не является прави"));
        QCOMPARE(dialogs_->messages[0].caption, QString::fromUtf8("Неверный ввод числа"));
        QCOMPARE(QString::fromStdString(std::string(form_->Table().Cell(0, 4))), QString("7x"));
        QTest::keyClick(editor, Qt::Key_Return);  // to X of the same row; the row does not count yet
        QTest::keyClicks(editor, "4");
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(dialogs_->Texts().last(), QString("'7x' is not a valid floating point value"));
        QCOMPARE(Caption("PanelResult"), formula);
    }

    // A kind change with the focus in the list: the focus returning to the table
    // starts a nested run inside the outer one; the displays are one run's.
    void kindChangeFromTheList() {
        Make('.');
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        Fill({{"1", "0"}, {"2", "1"}, {"5", "2"}, {"10", "3"}, {"17.5", "4"}});
        auto* combo = W<QComboBox>("ComboBox1");
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Up);  // cubic -> quadratic, a user change
        QCOMPARE(combo->currentIndex(), 1);
        QCOMPARE(Caption("PanelResult"), QString("Y = 1.0714286 * X^2 -1.8571429e-1 * X  +1.0428571"));
        QVERIFY(Grid()->hasFocus());
        QVERIFY(dialogs_->messages.isEmpty());
    }

    // Before any recalculation (a window that never had the focus, as without a
    // window manager) no fit is on show: the outputs are off and the chart hidden.
    void noOutputsBeforeTheFirstFit() {
        Make('.', false);
        for (const char* b : {"btnCopy", "btnGraphCopy", "btnPrint"}) QVERIFY2(!W(b)->isEnabled(), b);
        for (const char* i : {"itmSaveChart", "itmReport"}) QVERIFY2(!Item(i)->isEnabled(), i);
        QVERIFY(!Chart()->isVisibleTo(form_.get()));
        SetKind(0);
        Fill({{"2.1", "1"}, {"3.9", "2"}});
        form_->sgDataClick();
        QVERIFY(W("btnPrint")->isEnabled() && Item("itmReport")->isEnabled());
    }

    // Re-activating the window after a box is no focus change of the table: a bad
    // cell shows its error once, not in an endless cycle.
    void errorBoxDoesNotLoop() {
        Make('.');
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        Fill({{"x", "1"}, {"2", "2"}});
        Grid()->setFocus();
        emit Grid()->clicked();
        form_->activateWindow();
        QTest::qWait(50);
        QCOMPARE(dialogs_->messages.size(), 1);
    }

    // Too few counting rows for the kind: "insufficient data", chart hidden,
    // buttons off, and nothing else touched.
    void insufficientData_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("rows");
        QTest::newRow("linear, 1 row") << 0 << 1;
        QTest::newRow("quadratic, 2 rows") << 1 << 2;
        QTest::newRow("cubic, 3 rows") << 2 << 3;
        QTest::newRow("cubic, empty") << 2 << 0;
    }
    void insufficientData() {
        QFETCH(int, kind);
        QFETCH(int, rows);
        Make('.');
        // A complete linear run first, to see what an insufficient run leaves alone.
        SetKind(0);
        Fill({{"2.1", "1"}, {"3.9", "2"}, {"6.2", "3"}, {"7.8", "4"}});
        form_->sgDataClick();
        for (int r = rows + 1; r <= 4; ++r) form_->Table().SetCell(0, r, "");
        Grid()->TableReset();
        SetKind(kind);
        form_->sgDataClick();
        for (const char* p : {"PanelA0", "PanelA1", "PanelA2", "PanelA3"})
            QCOMPARE(Caption(p), QString::fromUtf8("Недостаточно данных"));
        QCOMPARE(Caption("PanelResult"), QString::fromUtf8("Заполните таблицу значений Y(X)"));
        QVERIFY(!Chart()->isVisibleTo(form_.get()));
        for (const char* b : {"btnCopy", "btnGraphCopy", "btnPrint"}) QVERIFY(!W(b)->isEnabled());
        QVERIFY(form_->findChild<QAction*>("itmLine")->isChecked());
        QCOMPARE(Caption("lblMaxErr"), QString("0.23"));
        QCOMPARE(Column2(4), QString("7.91"));
        QCOMPARE(form_->CoefficientTextsNow()[1], std::string("1.9400000"));
        QCOMPARE(int(Chart()->Points(TChart::kMeasured).size()), 4);
    }

    // Rows with only Y or only X are skipped and keep their fitted cell.
    void partialRowsSkipped() {
        Make('.');
        SetKind(0);
        Fill({{"2.1", "1"}, {"3.9", "2"}, {"6.2", "3"}, {"7.8", "4"}, {"100", ""}, {"", "100"}});
        form_->Table().SetCell(2, 5, "keep");
        form_->sgDataClick();
        QCOMPARE(Caption("PanelA1"), QString("A1 = 1.9400000"));
        QCOMPARE(Column2(5), QString("keep"));
        QCOMPARE(Column2(6), QString(""));
    }

    // A rejected cell ends the run with the default error box; displays stay.
    void rejectedCellKeepsDisplays() {
        Make('.');
        SetKind(0);
        Fill({{"2.1", "1"}, {"3.9", "2"}, {"6.2", "3"}, {"7.8", "4"}});
        form_->sgDataClick();
        form_->Table().SetCell(0, 2, "3.9x");
        Grid()->TableReset();
        emit Grid()->clicked();
        QCOMPARE(dialogs_->messages.size(), 1);
        QCOMPARE(dialogs_->messages[0].text, QString("'3.9x' is not a valid floating point value"));
        QCOMPARE(dialogs_->messages[0].caption, form_->ApplicationTitle());
        QCOMPARE(Caption("PanelResult"), QString("Y = 1.9400000 * X  +1.5000000e-1"));
        QCOMPARE(Column2(1), QString("2.09"));
    }

    // A value beyond the double range is an arithmetic error, reported the same
    // way with the row and the column heading of the value.
    void overflowIsReported_data() {
        QTest::addColumn<QString>("y");
        QTest::addColumn<QString>("x");
        QTest::addColumn<QString>("place");
        QTest::newRow("powers of X") << "3"
                                     << "1e60" << QString::fromUtf8("Строка 3, столбец «X (по прибору)».");
        QTest::newRow("Y text") << "1e400"
                                << "5" << QString::fromUtf8("Строка 3, столбец «Y (истинное)».");
    }
    void overflowIsReported() {
        QFETCH(QString, y);
        QFETCH(QString, x);
        Make('.');
        SetKind(2);
        Fill({{"1", "1"}, {"2", "2"}, {"", ""}, {"4", "4"}, {"5", "6"}});
        form_->Table().SetCell(0, 3, y.toStdString());
        form_->Table().SetCell(1, 3, x.toStdString());
        emit Grid()->clicked();
        QFETCH(QString, place);
        QCOMPARE(dialogs_->Texts(), QStringList{"Floating point overflow. " + place});
    }

    // All X equal: the linear solution faults; the box says so and the run goes on.
    void solutionFault() {
        Make('.');
        SetKind(0);
        Fill({{"1", "2"}, {"2", "2"}, {"3", "2"}});
        emit Grid()->clicked();
        QCOMPARE(dialogs_->messages.size(), 1);
        QCOMPARE(dialogs_->messages[0].text, QString::fromUtf8("Коэффициенты определить невозможно"));
        QCOMPARE(dialogs_->messages[0].caption, QString::fromUtf8("Невозможно вычислить коэффициенты"));
        QCOMPARE(dialogs_->messages[0].icon, MsgIcon::None);
        // a1 and a0 keep Y = X; a2 and a3 were set to 0.
        QCOMPARE(Caption("PanelResult"), QString("Y = 1.0000000 * X "));
        QCOMPARE(Column2(1), QString("2"));
    }

    // One user action shows each message once: with the focus outside the
    // table, a change of kind gives the focus back to the table at the end of
    // its run, which must not run it again.
    void messageOnceWhenTheFocusReturns_data() {
        QTest::addColumn<bool>("sameX");
        QTest::addColumn<QString>("evaluationText");
        QTest::newRow("solution fault") << true << "0";
        QTest::newRow("bad evaluation text") << false << "1.2.3";
    }
    void messageOnceWhenTheFocusReturns() {
        QFETCH(bool, sameX);
        QFETCH(QString, evaluationText);
        Make('.');
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        if (sameX)
            Fill({{"1", "2"}, {"2", "2"}, {"3", "2"}, {"4", "2"}});
        else
            Fill({{"1", "0"}, {"2", "1"}, {"5", "2"}, {"10", "3"}, {"17.5", "4"}});
        W<QLineEdit>("MaskEditX1")->setText(evaluationText);
        auto* combo = W<QComboBox>("ComboBox1");
        combo->setFocus();
        dialogs_->messages.clear();
        QTest::keyClick(combo, Qt::Key_Up);  // cubic -> quadratic
        QVERIFY(Grid()->hasFocus());
        QCOMPARE(dialogs_->messages.size(), 1);
        QCOMPARE(dialogs_->messages[0].text, QString::fromUtf8("Коэффициенты определить невозможно"));
    }

    // With the program's own boxes: the box closes, the run that showed it gives
    // the table the focus while the window is not yet active again, and that late
    // focus-in is the run's own, not a new entry that would show the box again.
    void messageOnceWithRealBoxes() {
        NewSettingsFolder(Settings("Eng", "1"));
        OpenWithRealDialogs();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        BoxAnswerer boxes;
        Grid()->setFocus();
        QApplication::clipboard()->setText("1\t1");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        auto* combo = W<QComboBox>("ComboBox1");
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Down);  // linear -> quadratic
        QApplication::clipboard()->setText("1\t0\r\n2\t0\r\n4\t0\r\n");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        QTRY_VERIFY(Grid()->hasFocus());
        QTest::qWait(100);
        QCOMPARE(boxes.texts, QStringList{"The coefficients can not be determined"});
    }

    // Moving the current cell leaves every result as it is; the next change of
    // a cell, of RowCount or of the kind is fitted; after a message box the
    // next run is complete again and shows it again.
    void unchangedTableKeepsItsResults() {
        Make('.');
        SetKind(0);
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        Fill({{"2.1", "1"}, {"3.9", "2"}, {"6.2", "3"}, {"7.8", "4"}});
        Grid()->setFocus();
        emit Grid()->clicked();
        const QStringList names{"PanelA0", "PanelA1", "PanelResult", "lblSigma", "lblMaxErr"};
        auto shown = [&] {
            QStringList texts;
            for (const QString& n : names) texts << Caption(n.toLatin1());
            for (int r = 1; r <= 5; ++r) texts << Column2(r);
            texts << QString::number(Chart()->Points(TChart::kMeasured).size())
                  << QString::number(Chart()->Points(TChart::kCurve).size());
            return texts;
        };
        const QStringList before = shown();
        const auto revision = form_->Table().Revision();
        QTest::keyClick(Grid()->InplaceEditor(), Qt::Key_Down);
        QTest::keyClick(Grid()->InplaceEditor(), Qt::Key_Down);
        QCOMPARE(shown(), before);
        QCOMPARE(form_->Table().Revision(), revision);  // so the moves fitted nothing again
        QVERIFY(dialogs_->messages.isEmpty());

        // Chosen again, a kind's item keeps its check mark.
        form_->findChild<QAction*>("itmLine")->trigger();
        QVERIFY(form_->findChild<QAction*>("itmLine")->isChecked());
        QCOMPARE(shown(), before);

        form_->Table().SetCell(0, 5, "9.9");
        form_->Table().SetCell(1, 5, "5");
        emit Grid()->clicked();
        QVERIFY(Caption("PanelResult") != before[2]);
        Grid()->SetRowCount(5);  // the new row goes
        emit Grid()->clicked();
        QCOMPARE(Caption("PanelResult"), before[2]);
        W<QComboBox>("ComboBox1")->setCurrentIndex(2);
        emit Grid()->clicked();
        QVERIFY(Caption("PanelResult").contains("X^3"));

        SetKind(0);
        for (int r = 1; r <= 4; ++r) form_->Table().SetCell(1, r, "2");
        emit Grid()->clicked();
        emit Grid()->clicked();
        QCOMPARE(dialogs_->messages.size(), 2);
    }

    // Switching the kind drops the higher terms and moves the check mark.
    void kindMenuItems() {
        Make('.');
        Fill({{"1", "0"}, {"2", "1"}, {"5", "2"}, {"10", "3"}, {"17.5", "4"}});
        form_->findChild<QAction*>("itmCubic")->trigger();
        QVERIFY(form_->findChild<QAction*>("itmCubic")->isChecked());
        QVERIFY(W("PanelA3")->isVisibleTo(form_.get()));
        form_->findChild<QAction*>("itmLine")->trigger();
        QCOMPARE(W<QComboBox>("ComboBox1")->currentIndex(), 0);
        QVERIFY(form_->findChild<QAction*>("itmLine")->isChecked());
        QVERIFY(!form_->findChild<QAction*>("itmCubic")->isChecked());
        QVERIFY(!W("PanelA2")->isVisibleTo(form_.get()));
        QVERIFY(!Caption("PanelResult").contains("X^"));
    }

    // The layout follows the window's size; the lock holds it still.
    void resizeMovesRightColumn() {
        Make('.');
        QWidget* chart = Chart();
        const int chartWidth = chart->width();
        const int onTopLeft = W("CheckBoxOnTop")->x();
        const int tableWidth = W("sgData")->width();
        form_->resize(form_->width() + 100, form_->height());
        QTRY_COMPARE(chart->width(), chartWidth + 100);
        QCOMPARE(W("CheckBoxOnTop")->x(), onTopLeft + 100);
        for (const char* n : {"ComboBox1", "LabelTypeFunc", "btnPrint", "btnGraphCopy"})
            QCOMPARE(W(n)->x(), onTopLeft + 100);
        QCOMPARE(W("sgData")->width(), tableWidth);
        QCOMPARE(W("GroupBoxResult")->y() + W("GroupBoxResult")->height() + 3,
                 form_->centralWidget()->height());
        form_->resize(100, 100);
        QCOMPARE(form_->width(), 511);
        QCOMPARE(form_->height(), 474);
    }
};

QTEST_MAIN(FittingTest)
#include "window_fitting.moc"
