// The fit statistics in their window and the curve's band on the chart, driven
// through the menus, the table and the keyboard in both languages and both
// separators, and checked against figures worked out here by hand.
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <cmath>

#include "app/formmain.h"
#include "core/numbers.h"
#include "core/statistics.h"
#include "fit/formcompare.h"
#include "output/chartview.h"
#include "stats/formstatistics.h"
#include "support/windowfixture.h"

namespace {

// Y = 1.94·X + 0.15 with residuals 0.01, −0.13, 0.23, −0.11: SSR = 0.082,
// SST = 18.9, X̄ = 2.5, Sxx = 5.
const double kS = std::sqrt(0.082 / 2);
const double kR2 = 1 - 0.082 / 18.9;
double CurveU(double x) {
    return kS * std::sqrt(0.25 + (x - 2.5) * (x - 2.5) / 5);
}

}  // namespace

class StatisticsTest : public QObject, WindowFixture {
    Q_OBJECT

    TFormMain* Make(char sep, const char* language, bool keepSettings = false) {
        if (!keepSettings) NewSettingsFolder(Settings(language));
        return Open(sep);
    }
    TFormStatistics* Form() { return W<TFormStatistics>("FormStatistics"); }
    void FitFour(char sep) {
        const QString p(sep);
        auto n = [&](const char* t) { return QString(t).replace(".", p).toStdString(); };
        FitWith(0, {{n("2.1"), "1"}, {n("3.9"), "2"}, {n("6.2"), "3"}, {n("7.8"), "4"}});
    }
    double Number(const std::string& text, char sep) { return kurv::TextToNumber(text, sep); }
    const kurv::SheetSection& Section(int i) {
        const auto& sections = Form()->Sheet().sections;
        if (i >= static_cast<int>(sections.size())) qFatal("no section %d", i);
        return sections[static_cast<std::size_t>(i)];
    }
    // The grid shows the sheet, section by section, with one empty row between.
    bool GridShowsSheet() {
        int row = 0;
        for (const kurv::SheetSection& s : Form()->Sheet().sections) {
            if (row) ++row;
            if (Form()->CellText(row++, 0) != QString::fromStdString(s.title)) return false;
            auto rowShown = [&](const std::vector<std::string>& texts) {
                for (std::size_t c = 0; c < texts.size(); ++c)
                    if (Form()->CellText(row, static_cast<int>(c)) != QString::fromStdString(texts[c]))
                        return false;
                ++row;
                return true;
            };
            if (!s.header.empty() && !rowShown(s.header)) return false;
            for (const auto& r : s.rows)
                if (!rowShown(r)) return false;
        }
        return row == Form()->RowCount();
    }
    QString Notes() { return W<QLabel>("lblStatisticsNotes")->text(); }

  private slots:
    void showsTheFitsFiguresAndCopiesThem_data() {
        QTest::addColumn<char>("sep");
        QTest::addColumn<QString>("language");
        QTest::newRow("point, English") << '.' << "Eng";
        QTest::newRow("comma, Russian") << ',' << "Rus";
        QTest::newRow("point, Russian") << '.' << "Rus";
        QTest::newRow("comma, English") << ',' << "Eng";
    }
    void showsTheFitsFiguresAndCopiesThem() {
        QFETCH(char, sep);
        QFETCH(QString, language);
        const int lang = language == "Eng" ? 1 : 0;
        Make(sep, qPrintable(language));
        QCOMPARE(Item("itmStatistics")->text(),
                 lang ? QString("Fit statistics") : QString::fromUtf8("Статистика аппроксимации"));
        Item("itmStatistics")->trigger();
        QVERIFY(Form()->isVisible() && Form()->isWindow());
        QCOMPARE(Form()->windowTitle(), Item("itmStatistics")->text());
        for (const char* name :
             {"FormStatistics", "gridStatistics", "lblStatisticsNotes", "btnStatisticsCopy"})
            QCOMPARE(W(name)->accessibleDescription(), QString(name));
        // No fit yet: the reason in words, no figures.
        QCOMPARE(Form()->RowCount(), 0);
        QCOMPARE(Notes(), QString::fromStdString(
                              kurv::StatisticsReasonText(kurv::StatisticsStatus::TooFewPairs, lang)));

        FitFour(sep);
        QVERIFY(GridShowsSheet());
        // Copies: the sheet is replaced at every refresh.
        const auto quality = Section(0).rows;
        QCOMPARE(quality[0][1], std::string("4"));
        QCOMPARE(quality[1][1], std::string("2"));
        QVERIFY(std::fabs(Number(quality[2][1], sep) - kS) < 1e-8);
        QVERIFY(std::fabs(Number(quality[3][1], sep) - kR2) < 1e-14);
        QVERIFY(std::fabs(Number(quality[4][1], sep) - (1 - (1 - kR2) * 3 / 2)) < 1e-14);
        const auto coefficients = Section(1).rows;
        QCOMPARE(coefficients.size(), std::size_t(2));
        for (int j = 0; j < 2; ++j)  // the value as the panel shows it
            QCOMPARE(QString("A%1 = ").arg(j) + QString::fromStdString(coefficients[j][1]),
                     W<QLabel>(j ? "PanelA1" : "PanelA0")->text());
        QVERIFY(std::fabs(Number(coefficients[1][2], sep) - kS / std::sqrt(5.0)) < 1e-8);
        QVERIFY(Notes().contains(lang ? "Student" : QString::fromUtf8("Стьюдента")));

        // The evaluation points as shown, with U at each: one typed in.
        QLineEdit* x1 = W<QLineEdit>("MaskEditX1");
        x1->selectAll();
        QTest::keyClicks(x1, QString("1") + sep + "5");
        const kurv::SheetSection points = Section(3);
        QCOMPARE(points.rows.size(), std::size_t(2));  // 1.5 and the nine at 0 once
        QCOMPARE(QString::fromStdString(points.rows[0][0]), QString("1") + sep + "5");
        QCOMPARE(QString::fromStdString(points.rows[0][1]), W<QLabel>("PanelY1")->text());
        const double U = kurv::StudentT95(2) * CurveU(1.5);
        QVERIFY(std::fabs(Number(points.rows[0][2], sep) / U - 1) < 0.01);  // two digits
        Item("itmAuxPointsEnable")->trigger();                              // points hidden: no section
        QCOMPARE(Form()->Sheet().sections.size(), std::size_t(3));
        QVERIFY(GridShowsSheet());

        // Copy: the button and Ctrl+C put the sheet as TSV on the clipboard.
        QGuiApplication::clipboard()->clear();
        QTest::mouseClick(W<QPushButton>("btnStatisticsCopy"), Qt::LeftButton);
        QVERIFY2(dialogs_->messages.isEmpty(), qPrintable(dialogs_->Texts().join('\n')));
        const QString tsv = QGuiApplication::clipboard()->text();
        QCOMPARE(tsv, QString::fromStdString(kurv::SheetTsv(Form()->Sheet())));
        QVERIFY(tsv.contains(QString::fromStdString(coefficients[0][0] + "\t" + coefficients[0][1])));
        QGuiApplication::clipboard()->clear();
        QApplication::setActiveWindow(Form());
        QTest::keyClick(Form(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), tsv);

        // Another kind: a third coefficient; as many pairs as coefficients: the reason.
        Item("itmDouble")->trigger();
        QCOMPARE(Section(1).rows.size(), std::size_t(3));
        QCOMPARE(Section(0).rows[1][1], std::string("1"));
        QVERIFY(GridShowsSheet());
        Item("itmCubic")->trigger();
        QCOMPARE(Form()->RowCount(), 0);
        QCOMPARE(Notes(), QString::fromStdString(
                              kurv::StatisticsReasonText(kurv::StatisticsStatus::NoDegreesOfFreedom, lang)));
        QVERIFY(!Notes().contains("nan") && !Notes().contains("inf"));

        // The other language, at once.
        Item(lang ? "itmRus" : "itmEng")->trigger();
        QCOMPARE(Notes(), QString::fromStdString(kurv::StatisticsReasonText(
                              kurv::StatisticsStatus::NoDegreesOfFreedom, 1 - lang)));
        QVERIFY(dialogs_->messages.isEmpty());
    }

    // The shown coefficients of X near 1e-200 are not the stable ones: the sheet says so.
    void warnsWhenTheShownCoefficientsDiffer() {
        Make('.', "Eng");
        Item("itmStatistics")->trigger();
        FitWith(0, {{"1", "1e-200"}, {"2", "2e-200"}, {"3", "3e-200"}});
        QVERIFY(Notes().contains("The shown coefficients differ from the stable solution"));
        Item("itmRus")->trigger();
        QVERIFY(Notes().contains(QString::fromUtf8("отличаются от устойчивого решения")));
        FitFour('.');
        QVERIFY(!Notes().contains(QString::fromUtf8("устойчивого решения")));
    }

    void compareWindowGivesEachKindsFigures() {
        Make(',', "Eng");
        FitFour(',');
        Item("itmCompare")->trigger();
        Item("itmStatistics")->trigger();
        auto* compare = W<TFormCompare>("FormCompare");
        for (const char* kind : {"itmDouble", "itmLine"}) {
            Item(kind)->trigger();
            const int k = W<QComboBox>("ComboBox1")->currentIndex();
            // Copies: the sheet is replaced at every refresh.
            const auto quality = Section(0).rows;
            QCOMPARE(compare->CellText(k, TFormCompare::ColS).toStdString(), quality[2][1]);
            QCOMPARE(compare->CellText(k, TFormCompare::ColR2).toStdString(), quality[3][1]);
            QCOMPARE(compare->CellText(k, TFormCompare::ColAdjustedR2).toStdString(), quality[4][1]);
        }
        QCOMPARE(compare->CellText(2, TFormCompare::ColS), QString::fromUtf8("ν = 0"));
        QCOMPARE(compare->CellText(2, TFormCompare::ColR2), QString());
        Replace({{"1", "1"}, {"2", "2"}});
        form_->sgDataClick();
        QCOMPARE(compare->CellText(1, TFormCompare::ColS), QString("too few pairs"));
    }

    void keepsItsPlaceAndReopens() {
        Make('.', "Eng");
        Item("itmStatistics")->trigger();
        Form()->move(60, 70);
        form_->close();
        Make('.', "Eng", true);
        QTRY_VERIFY(form_->findChild<TFormStatistics*>("FormStatistics"));
        QTRY_VERIFY(Form()->isVisible());
        QCOMPARE(Form()->pos(), QPoint(60, 70));
        Form()->close();
        form_->close();
        Make('.', "Eng", true);
        QTest::qWait(20);
        QVERIFY(!form_->findChild<TFormStatistics*>("FormStatistics"));
    }

    // The band: off by default, remembered, and the curve ± U at the curve's X.
    void bandIsTheCurvesUncertaintyAndIsRemembered() {
        Make('.', "Rus");
        QAction* band = Item("itmBand");
        QCOMPARE(band->text(), QString::fromUtf8("Показывать 95 % полосу"));
        QVERIFY(band->isCheckable() && !band->isChecked());
        FitFour('.');
        auto* chart = W<TChart>("Chart1");
        QCOMPARE(chart->Count(TChart::kBandUpper), 0);
        const QImage without = chart->ToImage();

        band->trigger();
        QVERIFY(band->isChecked());
        auto check = [&] {
            const auto upper = chart->Points(TChart::kBandUpper), lower = chart->Points(TChart::kBandLower);
            QCOMPARE(upper.size(), chart->Points(TChart::kCurve).size());
            QCOMPARE(lower.size(), upper.size());
            const double t = kurv::StudentT95(2);
            for (std::size_t i = 0; i < upper.size(); ++i) {
                const double x = upper[i].x, y = 1.94 * x + 0.15, U = t * CurveU(x);
                QVERIFY(std::fabs(upper[i].y - y - U) < 1e-9 && std::fabs(y - lower[i].y - U) < 1e-9);
            }
        };
        check();
        QVERIFY(chart->ToImage() != without);  // drawn in the picture, the print and the report alike

        form_->close();
        QFile ini(IniPath());
        QVERIFY(ini.open(QIODevice::ReadOnly) && ini.readAll().contains("Band=Yes"));
        Make('.', "Rus", true);
        QVERIFY(Item("itmBand")->isChecked());
        Item("itmEng")->trigger();
        QCOMPARE(Item("itmBand")->text(), QString("Show the 95 % band"));
        chart = W<TChart>("Chart1");
        FitFour('.');
        check();
        Item("itmCubic")->trigger();  // ν = 0: no band
        QCOMPARE(chart->Count(TChart::kBandUpper), 0);
        Item("itmLine")->trigger();
        Item("itmBand")->trigger();
        QCOMPARE(chart->Count(TChart::kBandUpper), 0);
        QVERIFY(!Item("itmBand")->isChecked());
    }
};

QTEST_MAIN(StatisticsTest)
#include "window_statistics.moc"
