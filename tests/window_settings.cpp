// Start-up from the settings file, the languages, the evaluation points and
// the window's life, with the settings file in a temporary directory.
#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "core/ini_file.h"
#include "core/uitext.h"
#include "i18n/languagedialog.h"
#include "output/chartview.h"
#include "support/scripteddialogs.h"
#include "support/windowfixture.h"
#include "table/stringgrid.h"

class SettingsTest : public QObject, WindowFixture {
    Q_OBJECT

    QString Ini() const { return IniPath(); }
    QByteArray ReadIni() {
        QFile f(Ini());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    std::string Setting(const char* section, const char* key) {
        return kurv::ReadProfileString(Ini().toStdString(), section, key, "<none>");
    }
    TFormMain* Start(char sep = '.') { return Open(sep, false, true); }
    QAction* A(const char* name) { return W<QAction>(name); }
    static QSize Screen() { return QGuiApplication::primaryScreen()->geometry().size(); }

  private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        dialogs_.reset();
    }
    void cleanup() { form_.reset(); }

    // No settings file: the dialog asks; the choice applies and stores the language.
    void firstStartAsksForTheLanguage() {
        dialogs_ = std::make_unique<ScriptedDialogs>();
        QString caption;
        dialogs_->onExec = [&](QWidget* w) {
            auto* dlg = qobject_cast<TfrmLanguage*>(w);
            if (!dlg) return 0;
            caption = dlg->windowTitle();
            dlg->findChild<QRadioButton*>("RadioButton2")->click();
            return int(dlg->result());
        };
        Start();
        QCOMPARE(dialogs_->execs, 1);
        QCOMPARE(caption, QString::fromUtf8("Язык (Language)"));
        QCOMPARE(form_->Language(), 1);
        QCOMPARE(Setting("Config", "Language"), std::string("Eng"));
        QCOMPARE(Setting("FormMain", "OnTop"), std::string("Y"));
        QCOMPARE(form_->windowTitle(), QString("Approximation of the experimental data"));
        QCOMPARE(W<QComboBox>("ComboBox1")->currentIndex(), 2);
        QVERIFY(form_->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(A("itmAuxPointsEnable")->isChecked());
        QCOMPARE(form_->x(), (Screen().width() - form_->width()) / 2);
    }

    // Closing the dialog without a choice applies and stores nothing.
    void firstStartWithoutChoice() {
        Start();
        QCOMPARE(form_->Language(), 0);
        QCOMPARE(Setting("Config", "Language"), std::string("<none>"));
        QCOMPARE(Caption("PanelA0"), QString("a0="));
        // The designed window: its help text shows.
        const QString help = W<QPlainTextEdit>("Memo1")->toPlainText();
        QCOMPARE(help.count('\n'), 10);
        QVERIFY(help.startsWith(QString::fromUtf8("Введите в таблицу\n")));
    }

    void storedValues_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("onTop");
        QTest::addColumn<bool>("points");
        QTest::newRow("rus, linear") << QByteArray("[Config]\nLanguage=Rus\n[FormMain]\nFunction=1\n") << 0
                                     << 0 << true << true;
        QTest::newRow("lower-case rus is English")
            << QByteArray("[config]\nlanguage=rus\n[FORMMAIN]\nFUNCTION=2\nOnTop=n\n") << 1 << 1 << false
            << true;
        QTest::newRow("function 0 7 x are cubic")
            << QByteArray("[Config]\nLanguage=Eng\nPoints=No\n[FormMain]\nFunction=7\nOnTop=N\n") << 1 << 2
            << false << false;
        QTest::newRow("function x") << QByteArray("[Config]\nLanguage=Eng\n[FormMain]\nFunction=x\n") << 1
                                    << 2 << true << true;
        QTest::newRow("first of duplicate sections")
            << QByteArray("[Config]\nLanguage=Eng\n[Config]\nLanguage=Rus\nPoints=No\n") << 1 << 2 << true
            << true;
        QTest::newRow("garbage") << QByteArray("\x01\x02garbage\0\xff[[[\n=\n", 17) << 0 << 2 << true << true;
    }
    void storedValues() {
        QFETCH(QByteArray, ini);
        WriteIni(ini);
        Start();
        QTEST(form_->Language(), "language");
        QTEST(W<QComboBox>("ComboBox1")->currentIndex(), "kind");
        QTEST(bool(form_->windowFlags() & Qt::WindowStaysOnTopHint), "onTop");
        QTEST(A("itmAuxPointsEnable")->isChecked(), "points");
        QFETCH(bool, points);
        QCOMPARE(W("GroupBoxResult")->height(), points ? 169 : 49);
        QCOMPARE(W("MaskEditX1")->isVisibleTo(form_.get()), points);
    }

    void positionClamps_data() {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("top");
        QTest::addColumn<int>("expectLeft");  // -1: centred; -2: right edge
        QTest::addColumn<int>("expectTop");   // -1: centred; -2: bottom less 25
        QTest::newRow("abc centres") << "abc"
                                     << "x" << -1 << -1;
        QTest::newRow("negative") << "-40"
                                  << "-5" << 0 << 0;
        QTest::newRow("too far") << "99999"
                                 << "99999" << -2 << -2;
        QTest::newRow("plain") << "10"
                               << "20" << 10 << 20;
    }
    void positionClamps() {
        QFETCH(QString, left);
        QFETCH(QString, top);
        WriteIni(QString("[Config]\nLanguage=Rus\n[FormMain]\nLeft=%1\nTop=%2\n").arg(left, top).toUtf8());
        Start();
        // The clamps use the height before the evaluation points set it.
        const QSize s = Screen();
        QFETCH(int, expectLeft);
        QFETCH(int, expectTop);
        const int w = form_->width(), h = 625;
        if (expectLeft == -1) expectLeft = (s.width() - w) / 2;
        if (expectLeft == -2) expectLeft = s.width() - w;
        if (expectTop == -1) expectTop = (s.height() - h) / 2;
        if (expectTop == -2) expectTop = s.height() - h - 25;
        QCOMPARE(form_->x(), expectLeft);
        QCOMPARE(form_->y(), expectTop);
    }

    // Closing writes position and kind, keeping every other line of the file.
    void closeWritesPositionAndKind() {
        WriteIni("; a comment\n[Other]\nkey=value\n[Config]\nLanguage=Rus\n");
        Start();
        form_->show();
        W<QComboBox>("ComboBox1")->setCurrentIndex(0);
        form_->move(33, 44);
        QTRY_COMPARE(form_->x(), 33);
        form_->close();
        QCOMPARE(Setting("FormMain", "Function"), std::string("1"));
        QCOMPARE(Setting("FormMain", "Left"), std::to_string(form_->x()));
        QCOMPARE(Setting("FormMain", "Top"), std::to_string(form_->y()));
        QVERIFY(ReadIni().startsWith("; a comment\n[Other]\nkey=value\n"));
    }

    // Switching the language keeps shown coefficients, replaces "insufficient data", keeps
    // the kind and starts no recalculation.
    void languageSwitch() {
        WriteIni("[Config]\nLanguage=Rus\n[FormMain]\nFunction=1\n");
        Start();
        QCOMPARE(Caption("PanelA0"), QString::fromUtf8("Недостаточно данных"));
        A("itmEng")->trigger();
        QCOMPARE(Caption("PanelA0"), QString("insufficient data"));
        QCOMPARE(Caption("PanelResult"), QString("Complete the table of values Y(X)"));
        QCOMPARE(Setting("Config", "Language"), std::string("Eng"));
        QCOMPARE(W<QPlainTextEdit>("Memo1")->document()->blockCount(), 11);
        QCOMPARE(W<QComboBox>("ComboBox1")->itemText(0), QString("Linear"));
        QCOMPARE(W<QComboBox>("ComboBox1")->currentIndex(), 0);
        QCOMPARE(A("itmRus")->text(), QString::fromUtf8("Русский"));

        form_->Table().SetCell(0, 1, "1");
        form_->Table().SetCell(1, 1, "0");
        form_->Table().SetCell(0, 2, "3");
        form_->Table().SetCell(1, 2, "1");
        form_->sgDataClick();
        const QString formula = Caption("PanelResult");
        QCOMPARE(formula, QString("Y = 2.0000000 * X  +1.0000000"));
        A("itmRus")->trigger();
        QCOMPARE(Caption("PanelResult"), formula);
        QCOMPARE(Caption("PanelA1"), QString("A1 = 2.0000000"));
        QCOMPARE(W<QLabel>("LabelMaxErr")->text(), QString::fromUtf8("Макс. ошибка"));
        QCOMPARE(QString::fromStdString(std::string(form_->Table().Cell(0, 0))),
                 QString::fromUtf8("Y (истинное)"));
    }

    // Every recorded caption shows its table text in each language, and no text
    // of the other language stays behind.
    void everyCaptionFollowsTheLanguage() {
        WriteIni("[Config]\nLanguage=Rus\n");
        Start();
        QVERIFY(form_->Captions().size() >= 40);
        for (const char* item : {"itmEng", "itmRus", "itmEng"}) {
            A(item)->trigger();
            const int language = form_->Language();
            for (const TFormMain::Caption& c : form_->Captions()) {
                QVERIFY(c.target);
                QCOMPARE(c.Shown(), c.In(language));
                QVERIFY(!c.In(language).isEmpty());
            }
        }
    }

    // Controls without a caption of their own carry a name a person can use, in
    // the current language; captioned labels and buttons keep their text as name.
    // Values are read with what they are, the warning sign with its text, the
    // list by its caption, and the two "Копировать" buttons say what they copy.
    void accessibleNamesFollowTheLanguage() {
        WriteIni("[Config]\nLanguage=Rus\n");
        Start();
        const auto name = [this](const char* control) {
            return QAccessible::queryAccessibleInterface(W(control))->text(QAccessible::Name);
        };
        const auto labelledBy = [this](const char* control) {
            QStringList labels;
            for (const auto& [i, r] :
                 QAccessible::queryAccessibleInterface(W(control))->relations(QAccessible::Label))
                labels << i->object()->objectName();
            return labels;
        };
        QCOMPARE(W<QLineEdit>("MaskEditX3")->accessibleName(), QString("X 3"));
        W<QLineEdit>("MaskEditX10")->setText("2");
        Fill({{"1", "0"}, {"3", "1"}, {"4", "2"}});
        form_->sgDataClick();
        QCOMPARE(name("PanelY10"), "Y 10: " + Caption("PanelY10"));
        QCOMPARE(name("lblMaxErr"), QString::fromUtf8("Макс. ошибка: ") + Caption("lblMaxErr"));
        QCOMPARE(labelledBy("lblMaxErr"), QStringList{"LabelMaxErr"});
        QCOMPARE(name("lblSigma"), QString::fromUtf8("Среднекв. отклонение: ") + Caption("lblSigma"));
        QCOMPARE(labelledBy("lblSigma"), QStringList{"LabelRms"});
        QCOMPARE(name("ComboBox1"), QString::fromUtf8("Вид функции:"));
        QCOMPARE(labelledBy("ComboBox1"), QStringList{"LabelTypeFunc"});
        QCOMPARE(QAccessible::queryAccessibleInterface(W("ComboBox1"))->text(QAccessible::Value),
                 W<QComboBox>("ComboBox1")->currentText());
        QCOMPARE(name("btnCopy"), QString::fromUtf8("Копировать формулу"));
        QCOMPARE(name("btnGraphCopy"), QString::fromUtf8("Копировать график"));
        QCOMPARE(W<QCheckBox>("CheckBox1")->accessibleName(),
                 QString::fromUtf8("Показать точку на графике 1"));
        A("itmEng")->trigger();
        QCOMPARE(W<QCheckBox>("CheckBox1")->accessibleName(), QString("Plot point 1"));
        QCOMPARE(name("ComboBox1"), QString("Type of function"));
        QCOMPARE(name("lblMaxErr"), "Max. error: " + Caption("lblMaxErr"));
        QCOMPARE(name("PanelY10"), "Y 10: " + Caption("PanelY10"));
        QCOMPARE(name("btnCopy"), QString("Coef. copy (formula)"));
        QCOMPARE(name("btnGraphCopy"), QString("Copy graph"));

        QSet<QString> rowNames;
        int named = 0;
        for (const TFormMain::Caption& c : form_->Captions()) {
            if (c.role != TFormMain::Caption::Role::AccessibleName) continue;
            auto* w = qobject_cast<QWidget*>(c.target);
            QVERIFY(w && !w->accessibleName().isEmpty());
            rowNames.insert(w->accessibleName());
            ++named;
        }
        QCOMPARE(rowNames.size(), named);
        for (QWidget* w : form_->findChildren<QWidget*>()) {
            if (!w->objectName().isEmpty()) QCOMPARE(w->accessibleDescription(), w->objectName());
            auto* label = qobject_cast<QLabel*>(w);
            auto* button = qobject_cast<QAbstractButton*>(w);
            if ((label && !label->text().isEmpty()) || (button && !button->text().isEmpty()))
                QVERIFY2(w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        }
    }

    // Under Russian, Qt's own buttons of a confirmation read Russian; under English, English.
    void confirmationButtonsFollowTheLanguage() {
        const QString qm = QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_ru.qm";
        if (!QFile::exists(qm)) QSKIP("Qt's Russian translations are not installed");
        WriteIni("[Config]\nLanguage=Rus\n[FormMain]\nOnTop=N\n");
        OpenWithRealDialogs();
        auto buttonsOfNextBox = [&] {
            QStringList texts;
            QTimer::singleShot(0, form_.get(), [&] {
                QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                for (QAbstractButton* b : box->buttons()) texts << b->text().remove('&');
                box->button(QMessageBox::No)->click();
            });
            A("itmClearMain")->trigger();
            texts.sort();
            return texts;
        };
        QCOMPARE(buttonsOfNextBox(), (QStringList{QString::fromUtf8("Да"), QString::fromUtf8("Нет")}));
        A("itmEng")->trigger();
        QCOMPARE(buttonsOfNextBox(), (QStringList{"No", "Yes"}));
    }

    // The Y texts of the evaluation points, before and after a fit.
    void evaluationPoints() {
        WriteIni("[Config]\nLanguage=Rus\n[FormMain]\nFunction=1\n");
        Start();
        auto* x1 = W<QLineEdit>("MaskEditX1");
        x1->setText("2");
        QCOMPARE(Caption("PanelY1"), QString("2.0000000"));  // Y = X before any fit
        form_->Table().SetCell(0, 1, "1");
        form_->Table().SetCell(1, 1, "0");
        form_->Table().SetCell(0, 2, "3");
        form_->Table().SetCell(1, 2, "1");
        form_->sgDataClick();
        const struct {
            const char* x;
            const char* y;
        } cases[] = {{"3", "7.0000000"}, {"-0.5", "0"}, {"1e6", "2.0000010e+6"}, {"499.5", "1.0000000e+3"}};
        for (const auto& c : cases) {
            x1->setText(c.x);
            QCOMPARE(Caption("PanelY1"), QString(c.y));
        }
        x1->setText("-");
        QCOMPARE(Caption("PanelY1"), QString("1.0000000e+3"));
        QVERIFY(dialogs_->messages.isEmpty());
        x1->setText("1x");
        QCOMPARE(dialogs_->Texts(), QStringList{QString::fromUtf8("Коэффициенты определить невозможно")});
        QCOMPARE(dialogs_->messages[0].caption, QString::fromUtf8("Невозможно вычислить коэффициенты"));

        // A checked box puts one red point on its series; unchecking removes it.
        auto* x3 = W<QLineEdit>("MaskEditX3");
        x3->setText("4");
        W<QCheckBox>("CheckBox3")->setChecked(true);
        auto* chart = W<TChart>("Chart1");
        const std::vector<ChartPoint> third = chart->Points(TChart::EvaluationPoint(3));
        QCOMPARE(int(third.size()), 1);
        QCOMPARE(third[0].y, 9.0);
        QCOMPARE(third[0].colour, QColor(255, 0, 0));
        QCOMPARE(third[0].label, QString("4"));
        W<QCheckBox>("CheckBox3")->setChecked(false);
        QCOMPARE(chart->Count(TChart::EvaluationPoint(3)), 0);
    }

    // The menu item toggles the points, the group height and the window height,
    // and writes the choice.
    void pointsToggle() {
        WriteIni("[Config]\nLanguage=Rus\n");
        Start();
        form_->show();
        W<QCheckBox>("CheckBox2")->setChecked(true);
        const int nonClient = form_->height() - form_->centralWidget()->height();
        const int tableHeight = W("GroupBoxTable")->height();
        A("itmAuxPointsEnable")->trigger();
        QVERIFY(!A("itmAuxPointsEnable")->isChecked());
        QCOMPARE(Setting("Config", "Points"), std::string("No"));
        QCOMPARE(W("GroupBoxResult")->height(), 49);
        QVERIFY(!W<QCheckBox>("CheckBox2")->isChecked());
        QVERIFY(!W("Panel2")->isVisibleTo(form_.get()));
        QTRY_COMPARE(form_->height(), tableHeight + 49 + 3 + nonClient);  // with the bottom margin
        A("itmAuxPointsEnable")->trigger();
        QVERIFY(A("itmAuxPointsEnable")->isChecked());
        QCOMPARE(Setting("Config", "Points"), std::string("Yes"));
        QCOMPARE(W("GroupBoxResult")->height(), 169);
        QVERIFY(W("MaskEditX10")->isVisibleTo(form_.get()));
    }

    void columnWidthsAlternate() {
        WriteIni("[Config]\nLanguage=Rus\n");
        Start();
        auto* grid = W<TStringGrid>("sgData");
        form_->GroupBoxTableDblClick();
        for (int c = 0; c < 3; ++c) QCOMPARE(grid->ColWidth(c), 77);
        form_->GroupBoxTableDblClick();
        QCOMPARE(grid->DefaultColWidth(), 51);
        form_->GroupBoxTableDblClick();
        QCOMPARE(grid->DefaultColWidth(), 77);
    }

    // A directory that cannot take the file: the program goes on in memory.
    void unwritableSettingsDirectory() {
        QVERIFY(QDir(dir_->path()).mkdir("Kurvilon.ini"));  // a directory where the file should be
        Start();
        A("itmEng")->trigger();
        QCOMPARE(form_->Language(), 1);
        QVERIFY(QFileInfo(Ini()).isDir());
    }
};

QTEST_MAIN(SettingsTest)
#include "window_settings.moc"
