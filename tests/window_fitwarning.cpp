// The warning sign for coefficient digits that a stable solution does not
// confirm: where it shows, its tooltip in both languages, and that it leaves
// every designed text alone.
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "app/formmain.h"
#include "core/numbers.h"
#include "support/scripteddialogs.h"
#include "support/windowfixture.h"
#include "table/stringgrid.h"

class FitWarningTest : public QObject, WindowFixture {
    Q_OBJECT

    QLabel* Sign() { return form_->findChild<QLabel*>("lblFitWarning"); }
    bool Shown() { return Sign()->isVisibleTo(form_.get()); }

    void FitTiny() { FitWith(0, {{"1", "1e-200"}, {"2", "2e-200"}, {"3", "3e-200"}}); }
    // `n` pairs (y(X), X) with X over x0 … x0 + 10, fitted with `kind`.
    void FitLong(int kind, int n, double (*y)(double), double x0 = 10000) {
        Rows rows;
        for (int r = 1; r <= n; ++r) {
            const double x = x0 + 10.0 * (r - 1) / (n - 1);
            rows.emplace_back(kurv::GeneralNumberText(y(x), '.'), kurv::GeneralNumberText(x, '.'));
        }
        FitWith(kind, rows);
    }

  private slots:
    void init() { Open(); }
    void cleanup() { form_.reset(); }

    void shownOnlyForUnreliableDigits() {
        QVERIFY(Sign());
        QCOMPARE(Sign()->accessibleDescription(), QString("lblFitWarning"));
        QVERIFY(!Shown());  // no fit yet

        FitTiny();
        QVERIFY(Shown());
        QCOMPARE(Caption("PanelResult"), QString("Y = -1.6666667e+199 * X  +2.3333333"));
        QCOMPARE(Caption("lblSigma"), QString("1.167"));

        FitWith(0, {{"2.1", "1"}, {"3.9", "2"}, {"6.2", "3"}, {"7.8", "4"}});
        QVERIFY(!Shown());

        FitTiny();
        FitWith(0, {{"1", "1"}});  // too few pairs: no fit on show
        QVERIFY(!Shown());

        // A failed solution is reported by its message, not by the sign.
        FitTiny();
        FitWith(0, {{"1", "0"}, {"2", "0"}});
        QCOMPARE(dialogs_->messages.size(), 1);
        QVERIFY(!Shown());
    }

    // A long table is checked beside the rest of the run, which still waits
    // for the answer before it ends.
    void longTablesAreCheckedAsWell() {
        FitLong(2, 30000, [](double x) { return std::pow(x - 10005, 3); });
        QVERIFY(Shown());
        FitLong(
            0, 30000, [](double x) { return 2 * x + 1; }, 0);
        QVERIFY(!Shown());
        // Near 10000 the closed formulas show A0 = 9.9889713e-1 where the least-squares value is 1.
        FitLong(0, 30000, [](double x) { return 2 * x + 1; });
        QVERIFY(Shown());
    }

    // The tooltip names the coefficient whose digits are wrong and its stable value;
    // a screen reader hears the same text after the sign's name.
    void tooltipSaysWhichDigitsAndFollowsTheLanguage() {
        const auto spoken = [this] {
            return QAccessible::queryAccessibleInterface(Sign())->text(QAccessible::Name);
        };
        FitTiny();
        QCOMPARE(spoken(), QString::fromUtf8("Предупреждение: ") + Sign()->toolTip());
        form_->findChild<QAction*>("itmEng")->trigger();
        QCOMPARE(spoken(), "Warning: " + Sign()->toolTip());
        QVERIFY2(Sign()->toolTip().contains("a stable solution gives |A0| < ") &&
                     Sign()->toolTip().contains(", A1 = 1.0000000e+200."),
                 qPrintable(Sign()->toolTip()));
        QVERIFY(!Sign()->toolTip().contains("A0 ="));
        form_->findChild<QAction*>("itmRus")->trigger();
        QVERIFY(Sign()->toolTip().contains(QString::fromUtf8("A1 = 1.0000000e+200.")));
        QVERIFY(Shown());
        FitWith(0, {{"2.1", "1"}, {"3.9", "2"}, {"6.2", "3"}, {"7.8", "4"}});
        QVERIFY(Sign()->toolTip().isEmpty());
    }

    void overlapsNothingAtTheSmallestWindow() {
        form_->resize(100, 100);  // clamped to the minimum size
        FitWith(2, {{"1", "1"}, {"2", "2"}, {"3", "3"}, {"5", "4"}});
        for (QWidget* w : Sign()->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w == Sign() || !w->isVisibleTo(form_.get())) continue;
            QVERIFY2(!w->geometry().intersects(Sign()->geometry()), qPrintable(w->objectName()));
        }
        QVERIFY(Sign()->parentWidget()->rect().contains(Sign()->geometry()));
    }
};

QTEST_MAIN(FitWarningTest)
#include "window_fitwarning.moc"
