// The kinds compared in their own window, and the coefficients copied in full
// precision: each checked against what the main window itself shows.
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <random>

#include "app/formmain.h"
#include "core/numbers.h"
#include "fit/formcompare.h"
#include "support/scripteddialogs.h"
#include "support/windowfixture.h"
#include "table/stringgrid.h"

class CompareTest : public QObject, WindowFixture {
    Q_OBJECT

    TFormMain* Make(char sep, const char* language = "Eng", bool keepSettings = false) {
        if (!keepSettings)
            NewSettingsFolder(QByteArray("[Config]\nLanguage=") + language + "\n[FormMain]\nOnTop=N\n");
        return Open(sep);
    }

    TFormCompare* Compare() { return W<TFormCompare>("FormCompare"); }
    void Choose(int kind) {
        W<QComboBox>("ComboBox1")->setCurrentIndex(kind);
        form_->sgDataClick();
    }
    static Rows RandomRows(std::mt19937_64& rng, char sep, int n) {
        std::uniform_real_distribution<double> u(-1, 1);
        const double scale = std::pow(10.0, static_cast<int>(rng() % 7) - 3);
        Rows rows;
        for (int i = 0; i < n; ++i) {
            const double x = scale * (3 + u(rng));
            const double y = 2 - x + 0.5 * x * x * x / (scale * scale) + 0.1 * u(rng);
            rows.push_back({kurv::GeneralNumberText(y, sep), kurv::GeneralNumberText(x, sep)});
        }
        return rows;
    }
    bool Bold(int kind) { return W<QTableWidget>("gridCompare")->item(kind, 0)->font().bold(); }

  private slots:
    void eachKindShowsWhatTheMainWindowShows_data() {
        QTest::addColumn<char>("sep");
        QTest::newRow("point") << '.';
        QTest::newRow("comma") << ',';
    }
    void eachKindShowsWhatTheMainWindowShows() {
        QFETCH(char, sep);
        Make(sep);
        Item("itmCompare")->trigger();
        QVERIFY(Compare()->isVisible());
        QVERIFY(Compare()->isWindow());
        std::mt19937_64 rng(sep);
        for (int t = 0; t < 12; ++t) {
            Replace(RandomRows(rng, sep, 2 + t % 5));  // 2 .. 6 pairs: some kinds short
            for (int kind : {2, 0, 1}) {
                Choose(kind);
                QVERIFY(Bold(kind) && !Bold((kind + 1) % 3));
                QCOMPARE(Compare()->CellText(kind, TFormCompare::ColFormula), Caption("PanelResult"));
                if (Caption("PanelResult") == "Complete the table of values Y(X)") {
                    QCOMPARE(Compare()->CellText(kind, TFormCompare::ColSigma), QString("insufficient data"));
                    continue;
                }
                QCOMPARE(Compare()->CellText(kind, TFormCompare::ColSigma), Caption("lblSigma"));
                QCOMPARE(Compare()->CellText(kind, TFormCompare::ColMaxError), Caption("lblMaxErr"));
            }
        }
        QVERIFY(dialogs_->messages.isEmpty());
    }

    void faultIsMarkedAndDoubleClickChoosesTheKind() {
        Make('.');
        Replace({{"1", "2"}, {"2", "2"}, {"3", "2"}, {"4", "2"}});  // one X: linear and cubic fault
        Choose(1);
        Item("itmCompare")->trigger();
        QCOMPARE(Compare()->CellText(0, TFormCompare::ColFormula), QString::fromUtf8("\u2014"));
        auto* grid = W<QTableWidget>("gridCompare");
        QVERIFY(!grid->item(0, TFormCompare::ColSigma)->toolTip().isEmpty());
        QCOMPARE(Compare()->CellText(0, TFormCompare::ColKind), QString("Linear"));

        Replace({{"2.1", "1"}, {"3.9", "2"}, {"6.2", "3"}, {"7.8", "4"}});
        form_->sgDataClick();
        emit grid->cellDoubleClicked(0, TFormCompare::ColSigma);
        QCOMPARE(W<QComboBox>("ComboBox1")->currentIndex(), 0);
        QCOMPARE(Caption("PanelResult"), QString("Y = 1.9400000 * X  +1.5000000e-1"));
        QVERIFY(Item("itmLine")->isChecked());
        QVERIFY(Bold(0));
    }

    void followsTheLanguageAndKeepsItsPlace() {
        Make(',', "Rus");
        Item("itmCompare")->trigger();
        QCOMPARE(Compare()->windowTitle(), QString::fromUtf8("Сравнение видов функции"));
        QCOMPARE(Compare()->CellText(2, TFormCompare::ColKind), QString::fromUtf8("Кубическая"));
        QCOMPARE(Compare()->CellText(2, TFormCompare::ColFormula),
                 QString::fromUtf8("Заполните таблицу значений Y(X)"));
        QCOMPARE(Item("itmCompare")->text(), QString::fromUtf8("Сравнить виды функции"));
        Item("itmEng")->trigger();
        QCOMPARE(Compare()->windowTitle(), QString("Function types compared"));
        QCOMPARE(Compare()->CellText(2, TFormCompare::ColFormula),
                 QString("Complete the table of values Y(X)"));
        QCOMPARE(Item("itmCoefCopyFull")->text(), QString("Copy coefficients (full precision)"));

        Compare()->move(40, 50);
        form_->close();
        Make(',', "Eng", true);
        QTRY_VERIFY(form_->findChild<TFormCompare*>("FormCompare"));
        QTRY_VERIFY(Compare()->isVisible());
        QCOMPARE(Compare()->pos(), QPoint(40, 50));
        Compare()->close();
        form_->close();
        Make(',', "Eng", true);
        QTest::qWait(20);
        QVERIFY(!form_->findChild<TFormCompare*>("FormCompare"));
    }

    void fullPrecisionReadsBackBitForBit_data() {
        QTest::addColumn<char>("sep");
        QTest::newRow("point") << '.';
        QTest::newRow("comma") << ',';
    }
    void fullPrecisionReadsBackBitForBit() {
        QFETCH(char, sep);
        Make(sep);
        Choose(2);
        Item("itmCoefCopyFull")->trigger();  // before any fit: Y = X
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("0\n1\n0\n0"));

        std::mt19937_64 rng(7);
        for (int t = 0; t < 10; ++t) {
            Replace(RandomRows(rng, sep, 8));
            for (int kind = 0; kind < 3; ++kind) {
                Choose(kind);
                Item("itmCoefCopyFull")->trigger();
                const QStringList texts = QGuiApplication::clipboard()->text().split('\n');
                QCOMPARE(texts.size(), kind + 2);
                const kurv::Coefficients& c = form_->Coefficients();
                const double a[4] = {c.a0, c.a1, c.a2, c.a3};
                for (int i = 0; i < texts.size(); ++i) {
                    QVERIFY(!texts[i].contains(sep == '.' ? ',' : '.'));
                    const double back = kurv::TextToNumber(texts[i].toStdString(), sep);
                    QCOMPARE(std::memcmp(&back, &a[i], sizeof back), 0);
                }
            }
        }
    }
};

QTEST_MAIN(CompareTest)
#include "window_compare.moc"
