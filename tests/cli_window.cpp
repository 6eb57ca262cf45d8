// The window and `kurvilon fit` side by side: random tables of every kind, in
// both separators and both languages, shown by the window and printed by the
// command in each of its forms; every text the window shows must be printed
// as it is, and where the window shows a message the command must end with it.
// And `kurvilon chart` and `kurvilon report`: their files are the window's
// Save chart… and Report… files, and they end as fit does.
#include <unistd.h>

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>

#include "core/datafile_format.h"
#include "core/numbers.h"
#include "output/chartview.h"
#include "support/windowfixture.h"

namespace {

struct Printed {
    int status = -1;
    QString out, err;
};

// Runs `program` (by default the built kurvilon) without a display.
Printed Run(const QStringList& args, const QString& program = KURVILON_PROGRAM) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(60000)) return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

Printed RunFit(const QStringList& args) {
    return Run(QStringList{"fit"} + args);
}

QByteArray Contents(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A PDF's text, which unlike its bytes carries no creation date.
QString PdfText(const QString& name) {
    QProcess p;
    p.start("pdftotext", {"-layout", name, "-"});
    return p.waitForFinished(60000) ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

using Rows = std::vector<std::pair<std::string, std::string>>;

// What a random table is meant to exercise.
enum class Shape { Fit, TooFew, NotANumber, SameX, Overflow };

class Tables {
  public:
    explicit Tables(unsigned seed) : rng_(seed) {}

    // A number's text as a user types or a program writes it, with `sep` or,
    // as the number form allows, a point.
    std::string Number(double v, char sep) {
        std::string t;
        switch (rng_() % 4) {
            case 0:
                t = kurv::GeneralNumberText(v, sep);
                break;
            case 1: {
                char buf[64];
                std::snprintf(buf, sizeof buf, "%.*g", 1 + static_cast<int>(rng_() % 9), v);
                t = buf;
                break;
            }
            case 2: {
                char buf[64];
                std::snprintf(buf, sizeof buf, "%.*e", static_cast<int>(rng_() % 6), v);
                t = buf;
                break;
            }
            default:
                t = kurv::FullPrecisionText(v, sep);
        }
        if (sep == ',' && rng_() % 2) std::replace(t.begin(), t.end(), '.', ',');
        return t;
    }

    Rows Make(Shape shape, int kind, char sep) {
        std::uniform_real_distribution<double> unit(-1, 1);
        const double scale = std::pow(10.0, static_cast<double>(rng_() % 13) - 6);
        const double offset = rng_() % 3 == 0 ? scale * 100 : 0;
        const double c[4] = {unit(rng_) * 10, unit(rng_) * 3, unit(rng_), unit(rng_) * 0.1};
        const int pairs = shape == Shape::TooFew ? kind + 1 : kind + 2 + static_cast<int>(rng_() % 25);
        Rows rows;
        std::vector<std::size_t> counting;
        for (int i = 0; i < pairs; ++i) {
            const double x = shape == Shape::SameX ? scale : offset + scale * (i + unit(rng_));
            const double u = (x - offset) / scale;
            const double y = ((c[3] * u + c[2]) * u + c[1]) * u + c[0] + unit(rng_) * 0.05;
            counting.push_back(rows.size());
            rows.emplace_back(Number(y, sep), Number(x, sep));
            // Rows that do not count, here and there: only Y, or only X.
            if (rng_() % 7 == 0) {
                if (rng_() % 2)
                    rows.emplace_back(Number(y, sep), "");
                else
                    rows.emplace_back("", Number(x, sep));
            }
        }
        const std::size_t at = counting[rng_() % counting.size()];
        if (shape == Shape::NotANumber) rows[at].first = rng_() % 2 ? "1.2.3" : "abc";
        if (shape == Shape::Overflow) rows[at].second = "1e120";
        return rows;
    }

    std::vector<std::string> EvaluationXs(char sep) {
        std::vector<std::string> xs;
        std::uniform_real_distribution<double> unit(-1, 1);
        for (int k = 0; k < 10; ++k) xs.push_back(Number(unit(rng_) * std::pow(10.0, rng_() % 7 - 3.0), sep));
        return xs;
    }

  private:
    std::mt19937 rng_;
};

}  // namespace

class CliWindowTest : public QObject, WindowFixture {
    Q_OBJECT

    QString Panel(const char* name) const { return W<QLabel>(name)->text(); }

    // The program, its window program and its locale module linked into a
    // folder of their own, so that the settings file beside them is the test's.
    QString ProgramWithSettings(const QByteArray& ini) {
        programs_ =
            std::make_unique<QTemporaryDir>(QFileInfo(KURVILON_PROGRAM).path() + "/cli_window-XXXXXX");
        const QString front = programs_->filePath("kurvilon");
        for (const QString& from :
             {QString(KURVILON_PROGRAM), QFileInfo(KURVILON_PROGRAM).path() + "/kurvilon-window",
              QFileInfo(KURVILON_PROGRAM).path() + "/kurvilon-locale.so"}) {
            const QString to = programs_->filePath(QFileInfo(from).fileName());
            if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
                QFile::copy(from, to);
        }
        QFile f(programs_->filePath("Kurvilon.ini"));
        if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write the settings");
        f.write(ini);
        return front;
    }
    std::unique_ptr<QTemporaryDir> programs_;

  private slots:
    void everyTextEqualsTheWindows_data() {
        QTest::addColumn<char>("sep");
        QTest::addColumn<int>("language");
        QTest::newRow("point, English") << '.' << 1;
        QTest::newRow("point, Russian") << '.' << 0;
        QTest::newRow("comma, English") << ',' << 1;
        QTest::newRow("comma, Russian") << ',' << 0;
    }

    void everyTextEqualsTheWindows() {
        QFETCH(char, sep);
        QFETCH(int, language);
        NewSettingsFolder(Settings(language == 1 ? "Eng" : "Rus"));
        Open(sep);
        Tables tables(static_cast<unsigned>(sep * 10 + language));
        const QString file = dir_->filePath("table.txt");
        const char* const kindItems[] = {"itmLine", "itmDouble", "itmCubic"};
        const char* const kindNames[] = {"linear", "quadratic", "cubic"};
        int compared = 0, messages = 0, insufficient = 0;
        for (int round = 0; round < 12; ++round) {
            for (int kind = 0; kind < 3; ++kind) {
                const Shape shape = round < 8 ? Shape::Fit : static_cast<Shape>(round - 7);
                const Rows rows = tables.Make(shape, kind, sep);
                const std::vector<std::string> xs = tables.EvaluationXs(sep);
                for (int k = 0; k < 10; ++k)
                    W<QLineEdit>(("MaskEditX" + std::to_string(k + 1)).c_str())
                        ->setText(QString::fromStdString(xs[k]));
                T().SetRowCount(1);
                T().SetRowCount(static_cast<int>(rows.size()) + 2);
                Fill(rows);
                dialogs_->messages.clear();
                Item(kindItems[kind])->trigger();

                // The same table as the data file holds it.
                const std::string bytes = kurv::DataFileBytes(T());
                QFile f(file);
                QVERIFY(f.open(QIODevice::WriteOnly) &&
                        f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()));
                f.close();
                QStringList args{"--kind",      kindNames[kind],
                                 "--separator", QString(QChar(sep)),
                                 "--lang",      language == 1 ? "en" : "ru"};
                for (const std::string& x : xs) args << "--at" << QString::fromStdString(x);
                const Printed json = RunFit(args + QStringList{"--format", "json", "--full-precision", file});
                const QString context = QString::fromStdString(bytes).left(400);

                if (!dialogs_->messages.isEmpty()) {
                    // A message box: a text that is not a number, an overflow, or no solution.
                    QCOMPARE(json.status, 1);
                    QCOMPARE(json.err, "kurvilon: " + dialogs_->messages.front().text + "\n");
                    QCOMPARE(json.out, QString());
                    ++messages;
                    continue;
                }
                if (Panel("PanelA0") ==
                    QString::fromUtf8(kurv::UiText(kurv::TextId::InsufficientData, language))) {
                    QCOMPARE(json.status, 1);
                    QCOMPARE(json.err, "kurvilon: " + Panel("PanelA0") + ": " + Panel("PanelResult") + "\n");
                    ++insufficient;
                    continue;
                }
                QVERIFY2(json.status == 0, qPrintable(json.err + context));
                const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();

                // Coefficients, formula, error measures.
                const QJsonArray coefficients = o["coefficients"].toArray();
                QCOMPARE(coefficients.size(), kind + 2);
                const kurv::Coefficients& held = form_->Coefficients();
                const double a[4] = {held.a0, held.a1, held.a2, held.a3};
                for (int i = 0; i < kind + 2; ++i) {
                    const QJsonObject c = coefficients[i].toObject();
                    QCOMPARE("A" + QString::number(i) + " = " + c["text"].toString(),
                             Panel(("PanelA" + std::to_string(i)).c_str()));
                    QCOMPARE(c["value"].toDouble(), a[i]);
                    QCOMPARE(c["full"].toString(),
                             QString::fromStdString(kurv::FullPrecisionText(a[i], sep)));
                }
                QCOMPARE(o["formula"].toString(), Panel("PanelResult"));
                QCOMPARE(o["max_error"].toObject()["text"].toString(), Panel("lblMaxErr"));
                QCOMPARE(o["sigma"].toObject()["text"].toString(), Panel("lblSigma"));

                // Every fitted value in its row of column 2; the points' colours on the chart.
                const QJsonArray printedRows = o["rows"].toArray();
                std::vector<std::tuple<double, double, QColor>> printedPoints;
                const char* const colourNames[] = {"blue", "purple", "red"};
                for (const QJsonValue& v : printedRows) {
                    const QJsonObject r = v.toObject();
                    QCOMPARE(r["fitted"].toString(), Cell(2, r["row"].toInt()));
                    QCOMPARE(r["y"].toString(), Cell(0, r["row"].toInt()));
                    QCOMPARE(r["x"].toString(), Cell(1, r["row"].toInt()));
                    const int colour =
                        int(std::find(colourNames, colourNames + 3, r["class"].toString()) - colourNames);
                    QVERIFY(colour < 3);
                    printedPoints.emplace_back(r["x_value"].toDouble(), r["y_value"].toDouble(),
                                               kResidualColours[colour]);
                }
                std::vector<std::tuple<double, double, QColor>> shownPoints;
                for (const ChartPoint& p : W<TChart>("Chart1")->Points(1))
                    shownPoints.emplace_back(p.x, p.y, p.colour);
                const auto byPlace = [](const auto& l, const auto& r) {
                    return std::tie(std::get<0>(l), std::get<1>(l)) <
                           std::tie(std::get<0>(r), std::get<1>(r));
                };
                std::sort(printedPoints.begin(), printedPoints.end(), byPlace);
                std::sort(shownPoints.begin(), shownPoints.end(), byPlace);
                QVERIFY2(printedPoints == shownPoints, qPrintable(context));

                // The ten evaluation points.
                const QJsonArray at = o["at"].toArray();
                QCOMPARE(at.size(), 10);
                for (int k = 0; k < 10; ++k)
                    QCOMPARE(at[k].toObject()["y"].toString(),
                             Panel(("PanelY" + std::to_string(k + 1)).c_str()));

                // The other two forms carry the same texts.
                const Printed tsv = RunFit(args + QStringList{"--format", "tsv", file});
                const Printed text = RunFit(args + QStringList{file});
                QCOMPARE(tsv.status, 0);
                QCOMPARE(text.status, 0);
                const QStringList tsvLines = tsv.out.split('\n');
                const QStringList textLines = text.out.split('\n');
                QCOMPARE(tsvLines[1], "A0\t" + coefficients[0].toObject()["text"].toString());
                QCOMPARE(textLines[0], Panel("PanelA0"));
                QVERIFY(tsvLines.contains("formula\t" + Panel("PanelResult")));
                QVERIFY(textLines.contains(Panel("PanelResult")));
                QVERIFY(textLines.contains(
                    QString::fromUtf8(kurv::UiText(kurv::TextId::MaxErrorLabel, language)) + ": " +
                    Panel("lblMaxErr")));
                QVERIFY(tsvLines.contains("sigma\t" + Panel("lblSigma")));
                QCOMPARE(tsvLines.filter(QRegularExpression("^row\t")).size(), printedRows.size());
                QCOMPARE(textLines.filter(QRegularExpression("^Y\\(")).size(), 10);
                ++compared;
            }
        }
        // Most tables fit; a text that is not a number, an overflow and too few
        // pairs always end otherwise (equal X only for some kinds).
        QVERIFY(compared >= 24);
        QVERIFY(messages >= 6);
        QCOMPARE(insufficient, 3);
    }

    // The chart and the report of a table, written by the window's commands and
    // by the command line in each kind, separator and language, are the same.
    void chartAndReportEqualTheWindows() {
        Tables tables(7);
        const char* const kindItems[] = {"itmLine", "itmDouble", "itmCubic"};
        const char* const kindNames[] = {"linear", "quadratic", "cubic"};
        for (int run = 0; run < 4; ++run) {
            const int kind = run % 3, language = run % 2;
            const char sep = run < 2 ? '.' : ',';
            // Record fields the dialog remembers.
            const QByteArray ini = Settings(language == 1 ? "Eng" : "Rus") +
                                   "[Report]\nLaboratory=\"Lab 4\"\nOperator=\"A. Tester\"\n";
            NewSettingsFolder(ini);
            const QString program = ProgramWithSettings(ini);
            Open(sep);
            const QString data = dir_->filePath("table.txt");
            const std::string bytes = [&] {
                Replace(tables.Make(Shape::Fit, kind, sep));
                return kurv::DataFileBytes(T());
            }();
            QFile f(data);
            QVERIFY(f.open(QIODevice::WriteOnly) &&
                    f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()));
            f.close();

            Item(kindItems[kind])->trigger();
            dialogs_->fileNames = {data, dir_->filePath("window.svg"), dir_->filePath("window.pdf")};
            Item("itmRead")->trigger();
            QVERIFY(form_->FitOnShow());
            Item("itmSaveChart")->trigger();
            dialogs_->onExec = [](QWidget* w) { return w->inherits("TFormReportRecord") ? 2 : 0; };
            Item("itmReport")->trigger();
            QVERIFY(dialogs_->messages.isEmpty());

            const QStringList options{"--kind",      kindNames[kind],
                                      "--separator", QString(QChar(sep)),
                                      "--lang",      language == 1 ? "en" : "ru",
                                      data};
            const Printed chart =
                Run(QStringList{"chart"} + options + QStringList{"-o", dir_->filePath("cli.svg")}, program);
            QVERIFY2(chart.status == 0, qPrintable(chart.err));
            QCOMPARE(chart.err, QString());
            const QByteArray svg = Contents(dir_->filePath("window.svg"));
            QVERIFY(svg.contains("<svg"));
            QCOMPARE(Contents(dir_->filePath("cli.svg")), svg);

            const Printed report =
                Run(QStringList{"report"} + options + QStringList{"-o", dir_->filePath("cli.pdf")}, program);
            QVERIFY2(report.status == 0, qPrintable(report.err));
            // Both made within the same minute, as a rule: the stamp is the minute's.
            const QRegularExpression stamp("\\d\\d[-.]\\d\\d[-.]\\d{2,4} \\d\\d:\\d\\d");
            const QString shown = PdfText(dir_->filePath("window.pdf")).replace(stamp, "STAMP");
            QVERIFY(shown.contains("Lab 4") && shown.contains("A. Tester"));
            QCOMPARE(PdfText(dir_->filePath("cli.pdf")).replace(stamp, "STAMP"), shown);
            // The command line left the settings as they were.
            QCOMPARE(Contents(programs_->filePath("Kurvilon.ini")), ini);
        }
    }

    // How chart and report end: fit's statuses and messages for the table, the
    // write failure's for OUT, usage errors before anything is read.
    void chartAndReportStatuses() {
        const QString program = ProgramWithSettings(Settings());
        NewSettingsFolder();
        const auto write = [&](const char* name, const QByteArray& bytes) {
            QFile f(dir_->filePath(name));
            if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", name);
            f.write(bytes);
            return f.fileName();
        };
        const QString good = write("good.txt", "2.1 1\n3.9 2\n6.2 3\n7.8 4\n");
        const QString few = write("few.txt", "2.1 1\n3.9 2\n");
        const QString nul = write("nul.txt", QByteArray("1 2\n\0", 5));
        const QString out = dir_->filePath("out.pdf");
        struct Case {
            QStringList args;
            int status;
            QString err;  // what standard error starts with
        };
        const QList<Case> cases = {
            {{"chart", "--lang=en", good, "-o", dir_->filePath("c.svg")}, 0, ""},
            {{"chart", "--lang=en", good, "-o", dir_->filePath("c.png")}, 0, ""},
            {{"chart", "--lang=en", good, "--output=" + dir_->filePath("c.pdf")}, 0, ""},
            {{"report", "--lang=en", "--kind=linear", good, "-o", out}, 0, ""},
            {{"report", "--lang=en", dir_->filePath("none.txt"), "-o", out},
             3,
             "kurvilon: " + dir_->filePath("none.txt") + ": I can not open the file."},
            {{"report", "--lang=en", dir_->path(), "-o", out},
             3,
             "kurvilon: " + dir_->path() + ": I can not open the file."},
            {{"chart", "--lang=en", nul, "-o", dir_->filePath("n.svg")}, 3, "kurvilon: " + nul + ": "},
            {{"chart", "--lang=en", few, "-o", dir_->filePath("f.svg")}, 1, "kurvilon: "},
            {{"chart", "--lang=en", good, "-o", dir_->filePath("no/such/c.svg")},
             3,
             "kurvilon: " + dir_->filePath("no/such/c.svg") + ": I can not write the file."},
            {{"report", "--lang=en", good, "-o", dir_->path()},
             3,
             "kurvilon: " + dir_->path() + ": I can not write the file."},
            {{"chart", "--lang=en", good}, 2, "kurvilon: chart needs an output file: -o OUT"},
            {{"chart", "--lang=en", good, "-o", dir_->filePath("c.txt")},
             2,
             "kurvilon: the chart's file name must end in"},
            {{"report", "--lang=en", "-o", out}, 2, "kurvilon: report needs the data file's name"},
            {{"report", "--lang=en", "-", "-o", out}, 2, "kurvilon: report needs the data file's name"},
            {{"report", "--lang=en", "--format=json", good, "-o", out},
             2,
             "kurvilon: unrecognized option '--format'"},
        };
        for (const Case& c : cases) {
            QFile::remove(out);
            const Printed p = Run(c.args, program);
            const QString context = c.args.join(' ') + "\n" + p.err;
            QVERIFY2(p.status == c.status, qPrintable(context));
            QVERIFY2(c.err.isEmpty() ? p.err.isEmpty() : p.err.startsWith(c.err), qPrintable(context));
            QVERIFY2(!p.err.contains('\n') || p.err.indexOf('\n') == p.err.size() - 1, qPrintable(context));
            if (c.status == 0) {
                const QString written =
                    c.args.last().startsWith("--output=") ? c.args.last().mid(9) : c.args.last();
                QVERIFY2(QFileInfo(written).size() > 0, qPrintable(context));
            }
        }
        // A failed report leaves no file behind.
        QVERIFY(!QFile::exists(out));
        // Too few pairs: fit's own message.
        const Printed fitted = RunFit({"--lang=en", few});
        QCOMPARE(Run({"chart", "--lang=en", few, "-o", dir_->filePath("f.svg")}, program).err, fitted.err);
    }
};

QTEST_MAIN(CliWindowTest)
#include "cli_window.moc"
