// The language dialog and the About box, driven offscreen.
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>
#include <map>
#include <optional>
#include <string>

#include "about/aboutbox.h"
#include "build_version.h"
#include "core/about_info.h"
#include "core/uitext.h"
#include "i18n/languagedialog.h"

using namespace std::string_literals;

namespace {

class FakeVersions : public kurv::VersionSource {
  public:
    std::size_t size = 100;
    bool loads = true;
    std::map<std::string, std::string> strings = {
        {"\\VarFileInfo\\Translation", "\x19\x04\xE3\x04"s},
        {"\\StringFileInfo\\041904E3\\InternalName", "Kurvilon"},
        {"\\StringFileInfo\\041904E3\\FileVersion", "1.9.2.27"},
        {"\\StringFileInfo\\041904E3\\LegalCopyright", "(C) Разработчики"},
    };
    std::size_t InfoSize() override { return size; }
    bool Load() override { return loads; }
    std::optional<std::string> Query(std::string_view path) override {
        auto it = strings.find(std::string(path));
        if (it == strings.end()) return std::nullopt;
        return it->second;
    }
};

template <class T>
T* Child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(name);
    if (!c) qFatal("no control %s", name);
    return c;
}

QString Text(QWidget& w, const char* name) {
    return Child<QLabel>(w, name)->text();
}

QSize ScreenSize() {
    return QGuiApplication::primaryScreen()->geometry().size();
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
  private slots:
    void languageChoice_data();
    void languageChoice();
    void languageClosedWithoutChoice();
    void languageStaysOnScreen_data();
    void languageStaysOnScreen();

    void aboutClosesWithOk();
    void aboutTexts_data();
    void aboutTexts();
    void aboutWithoutVersionInformation();
    void aboutFailedSteps();
    void aboutBuildDefaults();
    void aboutLinks_data();
    void aboutLinks();
    void aboutLinkUrls();
    void aboutCentredOverParent();
};

// ---- Language dialog ----

void DialogsTest::languageChoice_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("ran");
    QTest::newRow("Russian") << "RadioButton1"
                             << "rus";
    QTest::newRow("English") << "RadioButton2"
                             << "eng";
}

void DialogsTest::languageChoice() {
    QFETCH(QString, button);
    QFETCH(QString, ran);
    QStringList log;
    TfrmLanguage dlg([&] { log << "rus"; }, [&] { log << "eng"; });
    auto* radio = Child<QRadioButton>(dlg, button.toLatin1().constData());
    // The click comes while the dialog runs modally, as at the first start.
    QTimer::singleShot(0, radio, [radio] { QTest::mouseClick(radio, Qt::LeftButton); });
    const int result = dlg.exec();
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(log, QStringList{ran});
    QVERIFY(!dlg.isVisible());
}

// Centred on the screen; Escape closes it without a choice.
void DialogsTest::languageClosedWithoutChoice() {
    QStringList log;
    TfrmLanguage dlg([&] { log << "rus"; }, [&] { log << "eng"; });
    const QSize screen = ScreenSize();
    QCOMPARE(dlg.pos(), QPoint((screen.width() - dlg.width()) / 2, (screen.height() - dlg.height()) / 2));
    QTimer::singleShot(0, &dlg, [&dlg] { QTest::keyClick(&dlg, Qt::Key_Escape); });
    QCOMPARE(dlg.exec(), int(QDialog::Rejected));
    QVERIFY(log.isEmpty());
}

void DialogsTest::languageStaysOnScreen_data() {
    const QSize s = ScreenSize();
    const int w = s.width(), h = s.height();
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::newRow("inside") << QPoint(100, 120) << QPoint(100, 120);
    QTest::newRow("negative") << QPoint(-10, -1) << QPoint(0, 0);
    QTest::newRow("at the 50-pixel margin") << QPoint(w - 50, h - 50) << QPoint(w - 50, h - 50);
    QTest::newRow("beyond the margin") << QPoint(w - 49, h - 49) << QPoint(w / 2, h / 2);
    QTest::newRow("far right, above") << QPoint(w + 500, -300) << QPoint(w / 2, 0);
    QTest::newRow("left, far below") << QPoint(-1, h * 3) << QPoint(0, h / 2);
}

void DialogsTest::languageStaysOnScreen() {
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    TfrmLanguage dlg({}, {});
    dlg.move(from);
    dlg.FormActivate();
    QCOMPARE(dlg.pos(), to);

    // It also runs by itself when the dialog becomes active.
    if (from == to) return;
    TfrmLanguage shown({}, {});
    shown.move(from);
    shown.show();
    shown.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&shown));
    QTRY_COMPARE(shown.pos(), to);
}

// ---- About box ----

void DialogsTest::aboutClosesWithOk() {
    FakeVersions v;
    TAboutBox box(0, v, "Dec 17 2018", {});
    auto* ok = Child<QPushButton>(box, "OKButton");
    QVERIFY(ok->isDefault());
    QTimer::singleShot(0, ok, [ok] { QTest::mouseClick(ok, Qt::LeftButton); });
    QCOMPARE(box.exec(), int(QDialog::Accepted));
}

void DialogsTest::aboutTexts_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("texts");  // caption, product, version, copyright, five captions
    QTest::newRow("Russian") << 0
                             << QStringList{"О программе Kurvilon",
                                            "Аппроксимация экспериментальных данных",
                                            "Версия 1.9.2.27 от 7 декабря 2018 г.",
                                            "(C) Разработчики",
                                            "тел./факс.:",
                                            "(многоканальный)",
                                            "Сайт:",
                                            "Общие вопросы:",
                                            "Техподдержка:"};
    QTest::newRow("English") << 1
                             << QStringList{"About Kurvilon",
                                            "Approximation of the experimental data",
                                            "Version 1.9.2.27, 7 Dec 2018",
                                            kurv::about::kCopyrightEnglish,
                                            "Phone/Fax:",
                                            "(multi-line)",
                                            "Site:",
                                            "General questions:",
                                            "Technical Support:"};
}

void DialogsTest::aboutTexts() {
    QFETCH(int, language);
    QFETCH(QStringList, texts);
    FakeVersions v;
    TAboutBox box(language, v, "Dec  7 2018", {});
    const QStringList got{box.windowTitle(),         Text(box, "ProductName"), Text(box, "Version"),
                          Text(box, "txtCopyright"), Text(box, "LabelFax"),    Text(box, "LabelMulti"),
                          Text(box, "LabelSite"),    Text(box, "LabelInfo"),   Text(box, "LabelTech")};
    QCOMPARE(got, texts);
    // Labels follow their texts and run neither into their neighbours nor past the panel.
    const struct {
        const char* name;
        int right;
    } bounds[] = {{"ProductName", 327}, {"Version", 327},   {"txtCopyright", 327}, {"LabelFax", 72},
                  {"LabelMulti", 327},  {"LabelSite", 112}, {"LabelInfo", 112},    {"LabelTech", 112}};
    for (const auto& b : bounds) {
        QLabel* label = Child<QLabel>(box, b.name);
        QCOMPARE(label->size(), label->sizeHint());
        QVERIFY2(label->geometry().right() < b.right, b.name);
    }
}

void DialogsTest::aboutWithoutVersionInformation() {
    FakeVersions v;
    v.size = 0;
    TAboutBox box(1, v, "Dec 17 2018", {});
    QCOMPARE(box.windowTitle(), QStringLiteral("About"));
    QCOMPARE(Text(box, "ProductName"), QStringLiteral("Product Name"));
    QCOMPARE(Text(box, "Version"), QStringLiteral("Version"));
    QCOMPARE(Text(box, "txtCopyright"), QStringLiteral("Copyright"));
    // The designed captions are Russian, so they stay Russian in English.
    QCOMPARE(Text(box, "LabelFax"), QStringLiteral("тел./факс.:"));
    QCOMPARE(Text(box, "LabelTech"), QStringLiteral("Техподдержка:"));
}

void DialogsTest::aboutFailedSteps() {
    {
        FakeVersions v;
        TAboutBox box(1, v, "Dec 17", {});  // the date does not split
        QCOMPARE(box.windowTitle(), QStringLiteral("About"));
        QCOMPARE(Text(box, "ProductName"), QStringLiteral("Approximation of the experimental data"));
        QCOMPARE(Text(box, "Version"), QStringLiteral("Version"));
        QCOMPARE(Text(box, "LabelSite"), QStringLiteral("Site:"));
    }
    {
        FakeVersions v;
        v.strings.erase("\\StringFileInfo\\041904E3\\FileVersion");
        TAboutBox box(0, v, "Dec 17 2018", {});
        QCOMPARE(box.windowTitle(), QStringLiteral("О программе Kurvilon"));
        QCOMPARE(Text(box, "Version"), QStringLiteral("Version"));
        QCOMPARE(Text(box, "txtCopyright"), QStringLiteral("(C) Разработчики"));
    }
    {
        FakeVersions v;
        v.loads = false;
        TAboutBox box(0, v, "Dec 17 2018", {});
        QCOMPARE(box.windowTitle(), QStringLiteral("About"));
        QCOMPARE(Text(box, "txtCopyright"), QStringLiteral("Copyright"));
        QCOMPARE(Text(box, "LabelInfo"), QStringLiteral("Общие вопросы:"));
    }
}

void DialogsTest::aboutBuildDefaults() {
    TAboutBox box(1);
    QCOMPARE(box.windowTitle(), QStringLiteral("About Kurvilon"));
    QVERIFY2(Text(box, "Version").startsWith(QStringLiteral("Version " KURVILON_VERSION_STRING ", ")),
             qPrintable(Text(box, "Version")));
}

void DialogsTest::aboutLinks_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("opened");
    const auto mail = [](int language) {
        return QString::fromStdString(
            kurv::MailLinkText(kurv::about::kMailGeneral, kurv::UiText(kurv::TextId::AppTitle, language)));
    };
    const QString web = QString::fromUtf8(kurv::about::kWebMain);
    QTest::newRow("general mail, Russian") << 0 << "LabelEMail" << mail(0);
    QTest::newRow("support mail writes to the general address") << 0 << "Label1" << mail(0);
    QTest::newRow("general mail, English") << 1 << "LabelEMail" << mail(1);
    QTest::newRow("support mail, English") << 1 << "Label1" << mail(1);
    QTest::newRow("main web") << 0 << "LabelWWW" << web;
    QTest::newRow("second web opens the main one") << 1 << "Label2" << web;
    QTest::newRow("picture") << 0 << "ProgramIcon" << web;
}

void DialogsTest::aboutLinks() {
    QFETCH(int, language);
    QFETCH(QString, control);
    QFETCH(QString, opened);
    FakeVersions v;
    QStringList shell;
    TAboutBox box(language, v, "Dec 17 2018", [&](const QString& s) { shell << s; });
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QLabel* label = Child<QLabel>(box, control.toLatin1().constData());
    QTest::mouseClick(label, Qt::RightButton);
    QVERIFY(shell.isEmpty());
    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(shell, QStringList{opened});
    QVERIFY(box.isVisible());
}

void DialogsTest::aboutLinkUrls() {
    QCOMPARE(TAboutBox::LinkUrl("mailto:info@example.com?Subject=Approximation of the experimental data")
                 .toEncoded(),
             QByteArray("mailto:info@example.com?Subject=Approximation%20of%20the%20experimental%20data"));
    QCOMPARE(TAboutBox::LinkUrl("mailto:a@example.com?Subject=Аб в").toEncoded(),
             QByteArray("mailto:a@example.com?Subject=%D0%90%D0%B1%20%D0%B2"));
    QCOMPARE(TAboutBox::LinkUrl("https://www.example.com/").toEncoded(),
             QByteArray("https://www.example.com/"));
    QCOMPARE(TAboutBox::LinkUrl("www.example.org").toEncoded(), QByteArray("http://www.example.org"));
}

void DialogsTest::aboutCentredOverParent() {
    QWidget main;
    main.setGeometry(60, 40, 600, 420);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    FakeVersions v;
    TAboutBox box(0, v, "Dec 17 2018", {}, &main);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const QPoint delta = box.frameGeometry().center() - main.frameGeometry().center();
    QVERIFY2(delta.manhattanLength() <= 2, qPrintable(QString("%1,%2").arg(delta.x()).arg(delta.y())));
}

QTEST_MAIN(DialogsTest)
#include "window_dialogs.moc"
