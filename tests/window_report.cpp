// The chart saved as a file and the calibration report: the File menu's two
// items, the picture writers and the report's texts against the window's.
#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPageRanges>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <random>

#include "core/numbers.h"
#include "output/chartview.h"
#include "output/report.h"
#include "output/savechart.h"
#include "report/recorddialog.h"
#include "support/windowfixture.h"
#include "table/stringgrid.h"
#include "table/tableedit.h"

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int PdfPages(const QByteArray& pdf) {
    return int(QString::fromLatin1(pdf).count(QRegularExpression("/Type\\s*/Page[^s]")));
}

// The PDF's text as poppler's pdftotext lays it out; empty when it cannot be read.
QString PdfText(const QString& path) {
    const QString tool = QStandardPaths::findExecutable("pdftotext");
    if (tool.isEmpty()) return {};
    QProcess p;
    p.start(tool, {"-layout", "-enc", "UTF-8", path, "-"});
    p.waitForFinished(120000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Types `text` as key presses that carry it, one character at a time, after
// clearing the edit (QTest::keyClicks types Latin-1 characters only).
void TypeInto(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &release);
    }
}

}  // namespace

class ReportTest : public QObject, WindowFixture {
    Q_OBJECT

    void Start(const char* language, char sep) {
        NewSettingsFolder(Settings(language, "2"));
        Open(sep);
    }
    // A quadratic fit over rows with a gap and one far point.
    void Fit(char sep) {
        const char* rows[][2] = {{"1", "0.5"},  {"2.5", "1"}, {"", ""},
                                 {"4.25", "2"}, {"9", "3"},   {"11", "4"}};
        TFormMain::TableEdit edit(*form_);
        for (int r = 0; r < 6; ++r)
            for (int c = 0; c < 2; ++c)
                T().SetCell(c, r + 1, QString(rows[r][c]).replace('.', QChar(sep)).toStdString());
        edit.Done();
    }
    // `rows` pairs on a quadratic with noise, fitted.
    void FillLong(int rows) {
        std::mt19937_64 rng(7);
        std::uniform_real_distribution<double> noise(-0.05, 0.05);
        TFormMain::TableEdit edit(*form_);
        kurv::DataTable& t = T();
        t.SetRowCount(rows + 2);
        for (int r = 1; r <= rows; ++r) {
            const double x = r * 0.01;
            t.SetCell(1, r, kurv::GeneralNumberText(x, form_->DecimalSeparator()));
            t.SetCell(0, r,
                      kurv::GeneralNumberText(2 * x * x - x + 1 + noise(rng), form_->DecimalSeparator()));
        }
        edit.Done();
    }
    // The record dialog's answer: `fill` works in it, then `button` is clicked.
    void AnswerRecord(std::function<void(TFormReportRecord*)> fill, const char* button) {
        dialogs_->onExec = [fill, button](QWidget* w) {
            auto* d = qobject_cast<TFormReportRecord*>(w);
            if (!d) return 0;
            d->show();
            if (fill) fill(d);
            QTest::mouseClick(d->findChild<QPushButton*>(button), Qt::LeftButton);
            return d->result();
        };
    }
    TChart* Chart() { return W<TChart>("Chart1"); }

  private slots:
    void cleanup() { form_.reset(); }

    // In the File menu after Write, disabled while no fit is on show, texts in the language.
    void itemsFollowTheFitAndLanguage() {
        Start("Rus", ',');
        auto* file = form_->findChild<QMenu*>("itmFile");
        QStringList names;
        for (QAction* a : file->actions()) names << a->objectName();
        QCOMPARE(names, QStringList({"itmRead", "itmWrite", "itmSaveChart", "itmReport", "N8", "itmExit"}));
        QCOMPARE(Item("itmSaveChart")->text(), QString("Сохранить график…"));
        QCOMPARE(Item("itmReport")->text(), QString("Отчёт…"));
        form_->sgDataClick();
        QVERIFY(!Item("itmSaveChart")->isEnabled());
        QVERIFY(!Item("itmReport")->isEnabled());
        Item("itmReport")->trigger();
        Item("itmSaveChart")->trigger();
        QCOMPARE(dialogs_->printPreviews, 0);
        QVERIFY(dialogs_->fileDialogInitials.isEmpty());

        Fit(',');
        QVERIFY(Item("itmSaveChart")->isEnabled() && Item("itmReport")->isEnabled());
        Item("itmEng")->trigger();
        QCOMPARE(Item("itmSaveChart")->text(), QString("Save chart…"));
        QCOMPARE(Item("itmReport")->text(), QString("Report…"));
    }

    // The report's rows are the window's, in either language (its other texts
    // are read back from the PDF below).
    void reportEqualsTheWindow_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<char>("sep");
        QTest::newRow("Russian") << "Rus" << ',';
        QTest::newRow("English") << "Eng" << '.';
    }
    void reportEqualsTheWindow() {
        QFETCH(QString, language);
        QFETCH(char, sep);
        Start(language.toLatin1().constData(), sep);
        Fit(sep);
        const kurv::Report r = form_->ReportNow();
        auto q = [](const std::string& s) { return QString::fromStdString(s); };
        QCOMPARE(q(r.title), form_->ApplicationTitle());
        QCOMPARE(q(r.fit[0].value), form_->findChild<QComboBox*>("ComboBox1")->currentText());
        QCOMPARE(int(r.table.Count()), 5);
        QCOMPARE(r.table.Row(2).tableRow, 4);  // the empty row is skipped
        const kurv::DataTable& t = form_->Table();
        for (size_t i = 0; i < r.table.Count(); ++i)
            QCOMPARE(r.table.Row(i).fitted, t.Cell(2, r.table.Row(i).tableRow));
        // The colours are those of the chart's points (ordered by X there, as here).
        const auto points = Chart()->Points(TChart::kMeasured);
        const QColor colours[] = {QColor(0, 0, 255), QColor(128, 0, 128), QColor(255, 0, 0)};
        for (size_t i = 0; i < r.table.Count(); ++i)
            QCOMPARE(points[i].colour, colours[int(r.table.Row(i).colour)]);
        // The ten evaluation points all start at X = 0: one row says it.
        QCOMPARE(int(r.points.size()), 1);
        QCOMPARE(q(r.points[0].y), Caption("PanelY1"));

        // The record dialog first; the preview paints the report.
        AnswerRecord({}, "btnPreview");
        dialogs_->pdfPath = dir_->filePath("report.pdf");
        Item("itmReport")->trigger();
        QCOMPARE(dialogs_->execs, 1);
        QCOMPARE(dialogs_->printPreviews, 1);
        const QByteArray pdf = ReadAll(dialogs_->pdfPath);
        QVERIFY(pdf.startsWith("%PDF"));
        QVERIFY(PdfPages(pdf) >= 1);
        // Cancelled, the record dialog makes nothing.
        AnswerRecord({}, "btnCancel");
        Item("itmReport")->trigger();
        QCOMPARE(dialogs_->printPreviews, 1);
    }

    // The record typed into the dialog in either language reaches the PDF
    // written from the dialog, each field, number and unit in its place, and
    // is offered again the next time.
    void recordReachesThePdf_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<char>("sep");
        QTest::newRow("Russian") << 0 << ',';
        QTest::newRow("English") << 1 << '.';
    }
    void recordReachesThePdf() {
        QFETCH(int, language);
        QFETCH(char, sep);
        Start(language == 1 ? "Eng" : "Rus", sep);
        Fit(sep);
        auto* x1 = form_->findChild<QLineEdit*>("MaskEditX1");
        x1->setFocus();
        x1->selectAll();
        QTest::keyClicks(x1, "3");
        const QString y1 = Caption("PanelY1");

        auto pick = [language](const char* rus, const char* eng) {
            return QString::fromUtf8(language ? eng : rus);
        };
        using F = kurv::RecordField;
        const std::vector<std::pair<F, QString>> typed = {
            {F::Laboratory, pick("Лаборатория термометрии «Север»", "Northern Thermometry Laboratory")},
            {F::ReportNumber, pick("17/2024-Т", "17/2024-T")},
            {F::InstrumentType, pick("Термопара ТХА-0395", "Thermocouple type K")},
            {F::InstrumentSerial, "SN 40417"},
            {F::Standard, pick("Эталонный термометр ЭТС-100", "Standard platinum thermometer")},
            {F::Certificate, pick("№ 2391-23 до 2025", "No. 2391-23 to 2025")},
            {F::UnitY, "°C"},
            {F::UnitX, pick("мВ", "mV")},
            {F::Conditions, pick("воздух 21 °C, влажность 45 %", "air 21 °C, humidity 45 %")},
            {F::Operator, pick("Иванов И. И.", "J. Smith")},
            {F::CheckedBy, pick("Петров П. П.", "K. Jones")},
        };
        AnswerRecord(
            [&](TFormReportRecord* d) {
                QCOMPARE(d->windowTitle(), pick("Отчёт о градуировке", "Calibration report"));
                QVERIFY(!d->findChild<QCheckBox*>("chkEveryRow")->isEnabled());  // five rows are listed whole
                for (const auto& [f, text] : typed) TypeInto(d->Edit(f), text);
                QTest::mouseClick(d->findChild<QCheckBox*>("chkValidUntil"), Qt::LeftButton);
            },
            "btnPdf");
        dialogs_->fileNames = {dir_->filePath("report")};
        Item("itmReport")->trigger();
        QVERIFY(dialogs_->messages.isEmpty());
        QCOMPARE(dialogs_->fileDialogInitials,
                 QStringList{pick("Отчёт 17-2024-Т.pdf", "Report 17-2024-T.pdf")});
        const QString text = PdfText(dir_->filePath("report.pdf"));
        QVERIFY2(!text.isEmpty(), "pdftotext (poppler-utils, scripts/deps.sh) read nothing");
        QStringList lines;
        for (const QString& l : text.split('\n')) lines << l.simplified();
        auto has = [&](const QString& want) {
            for (const QString& l : lines)
                if (l.contains(want.simplified())) return true;
            return false;
        };
        auto label = [&](F f) { return QString::fromStdString(kurv::RecordFieldLabel(f, language)) + ": "; };

        QCOMPARE(lines.first(), typed[0].second);
        QVERIFY(has(pick("Отчёт о градуировке № 17/2024-Т", "Calibration report No. 17/2024-T")));
        for (F f : {F::InstrumentType, F::InstrumentSerial, F::Standard, F::Certificate, F::Conditions}) {
            const QString want = label(f) + std::find_if(typed.begin(), typed.end(), [f](auto& t) {
                                                return t.first == f;
                                            })->second;
            QVERIFY2(has(want), qPrintable(want));
        }
        const QString dateForm = language ? "yyyy-MM-dd" : "dd.MM.yyyy";
        QVERIFY(has(label(F::CalibrationDate) + QDate::currentDate().toString(dateForm)));
        QVERIFY(has(label(F::ValidUntil) + QDate::currentDate().addYears(1).toString(dateForm)));
        QVERIFY(has(pick("Источник данных: буфер обмена или ввод с клавиатуры",
                         "Data source: clipboard or typed in")));

        // The fit with its units, the numbers as the window shows them.
        const QString mv = pick("мВ", "mV");
        QVERIFY(has(pick("Вид функции: Квадратичная", "Type of function: Quadratic")));
        QVERIFY(has(pick("Формула: ", "Formula: ") + Caption("PanelResult")));
        QVERIFY(has(
            pick("Единицы: Y (истинное) в °C, X (по прибору) в ", "Units: Y (true) in °C, X (gauge) in ") +
            mv));
        const kurv::Coefficients& c = form_->Coefficients();
        const double a[3] = {c.a0, c.a1, c.a2};
        const QString units[3] = {"°C", "°C/" + mv, "°C/" + mv + "²"};
        for (int i = 0; i < 3; ++i) {
            const QString want = Caption(QString("PanelA%1").arg(i).toLatin1()) + " " +
                                 QString::fromStdString(kurv::FullPrecisionText(a[i], sep)) + " " + units[i];
            QVERIFY2(has(want), qPrintable(want));
        }
        QVERIFY(has(Caption("LabelMaxErr") + ": " + Caption("lblMaxErr") + " °C"));
        QVERIFY(has(Caption("LabelRms") + " (по ГОСТ 17624-87): " + Caption("lblSigma") + " °C"));
        QVERIFY(has(pick("Число пар: 5", "Number of pairs: 5")));

        // The tables: headers with units, every row as the grid shows it.
        const QString headY = pick("Y (истинное), °C", "Y (true), °C"),
                      headX = pick("X (по прибору), ", "X (gauge), ") + mv;
        QVERIFY(
            has(QString("№ %1 %2 %3 Y − %3").arg(headY, headX, pick("Y полученное, °C", "Y obtained, °C"))));
        for (int row : {1, 2, 4, 5, 6}) {
            const QString want =
                QString("%1 %2 %3 %4").arg(row).arg(Cell(0, row), Cell(1, row), Cell(2, row));
            QVERIFY2(
                std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(want); }),
                qPrintable(want));
        }
        QVERIFY(has(QString("№ X, %1 Y, °C").arg(mv)));

        // The fit statistics as the statistics window shows them, with the coverage statement.
        const kurv::StatisticsSheet sheet = form_->StatisticsSheet(form_->StatisticsOfLastRun());
        QCOMPARE(sheet.sections.size(), std::size_t(4));  // quality, coefficients, correlation, points
        QVERIFY(has(pick("Статистика аппроксимации", "Fit statistics")));
        const QString flat = text.simplified();
        for (const kurv::SheetSection& s : sheet.sections) {
            QVERIFY(has(QString::fromStdString(s.title)));
            for (const auto& row : s.rows) {
                QStringList cells;
                for (const std::string& c : row) cells << QString::fromStdString(c);
                const QString want = s.header.empty() ? cells[0] + ": " + cells[1] : cells.join(' ');
                QVERIFY2(has(want), qPrintable(want));
            }
        }
        QVERIFY(
            has(QString::fromStdString(sheet.sections[3].rows[0][0] + " " + sheet.sections[3].rows[0][1])));
        QVERIFY2(flat.contains(QString::fromStdString(sheet.notes[0]).simplified()), qPrintable(flat));
        QVERIFY(has("1 3 " + y1));
        // The axis titles of the chart and of the residual plot beside the table's header.
        QVERIFY(text.count(headX) >= 3);

        // Signatures with the names under their roles, and every page's foot.
        QVERIFY(has(label(F::Operator).chopped(2)));
        QVERIFY(has(typed[9].second + " " + typed[10].second));
        QStringList pages = text.split('\f');
        if (pages.last().trimmed().isEmpty()) pages.removeLast();
        for (int p = 0; p < pages.size(); ++p) {
            QVERIFY(pages[p].simplified().contains(
                pick("Страница %1 из %2", "Page %1 of %2").arg(p + 1).arg(pages.size())));
            QVERIFY(pages[p].simplified().contains(
                pick("Отчёт о градуировке № 17/2024-Т · ", "Calibration report No. 17/2024-T · ")));
        }
        QVERIFY(!text.contains(QChar(0x2026)));  // no label or value cut short

        // The next report offers the same record; the dates start afresh.
        AnswerRecord(
            [&](TFormReportRecord* d) {
                for (const auto& [f, text] : typed) QCOMPARE(d->Edit(f)->text(), text);
                QCOMPARE(d->findChild<QDateEdit*>("dtpCalibrated")->date(), QDate::currentDate());
                QVERIFY(!d->findChild<QCheckBox*>("chkValidUntil")->isChecked());
            },
            "btnCancel");
        Item("itmReport")->trigger();
        QCOMPARE(dialogs_->execs, 2);
        QCOMPARE(dialogs_->fileDialogInitials.size(), 1);
    }

    // Each format from its extension or, without one, from the filter chosen.
    void savedPictures_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("written");
        QTest::newRow("svg") << "a.svg" << 2 << "a.svg";
        QTest::newRow("PNG by extension") << "b.PNG" << 0 << "b.PNG";
        QTest::newRow("pdf by filter") << "c" << 2 << "c.pdf";
        QTest::newRow("png by filter") << "d.v2" << 1 << "d.v2.png";
    }
    void savedPictures() {
        QFETCH(QString, name);
        QFETCH(int, filter);
        QFETCH(QString, written);
        Start("Eng", '.');
        Fit('.');
        dialogs_->filter = filter;
        dialogs_->fileNames = {dir_->filePath(name)};
        Item("itmSaveChart")->trigger();
        QCOMPARE(dialogs_->offeredFilters.size(), 3);
        QVERIFY(dialogs_->messages.isEmpty());
        const QByteArray bytes = ReadAll(dir_->filePath(written));
        const QSize size = Chart()->size();
        const QString ext = written.section('.', -1).toLower();
        if (ext == "png") {
            QImage image;
            QVERIFY(image.loadFromData(bytes, "PNG"));
            QCOMPARE(image.size(), size * 2);
        } else if (ext == "svg") {
            QSvgRenderer svg(bytes);
            QVERIFY(svg.isValid());
            QCOMPARE(svg.viewBox().size(), size);
        } else {
            QVERIFY(bytes.startsWith("%PDF"));
            QCOMPARE(PdfPages(bytes), 1);
            // The page has the chart's size at 96 pixels per inch.
            const QRegularExpressionMatch box = QRegularExpression("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]")
                                                    .match(QString::fromLatin1(bytes));
            QVERIFY(box.hasMatch());
            QVERIFY(qAbs(box.captured(1).toDouble() - size.width() * 0.75) < 1);
            QVERIFY(qAbs(box.captured(2).toDouble() - size.height() * 0.75) < 1);
        }
    }

    // A write that fails keeps the old file and shows the write failure box.
    void failedSaveKeepsTheFile() {
        Start("Eng", '.');
        Fit('.');
        const QString path = dir_->filePath("old.png");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old contents");
        old.close();
        dialogs_->fileNames = {path};
        dialogs_->answers = {MbAbort};
        rlimit saved{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        auto previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 64;  // far less than any picture
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        Item("itmSaveChart")->trigger();
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        QCOMPARE(dialogs_->Texts(), QStringList{"I can not write the file."});
        QCOMPARE(dialogs_->messages[0].caption, QString("Error writing file"));
        QCOMPARE(dialogs_->messages[0].buttons, MbAbort | MbRetry | MbIgnore);
        QCOMPARE(ReadAll(path), QByteArray("old contents"));
    }

    // At 100,000 pairs the report lists the largest residuals, says where the
    // whole table is, and prints only the page range asked for.
    void longTableListsLargestResiduals() {
        Start("Eng", '.');
        FillLong(100000);
        dialogs_->fileNames = {dir_->filePath("data.txt")};
        Item("itmWrite")->trigger();
        const kurv::DataTable& t = form_->Table();
        int worst = 0;
        double largest = -1;
        for (int row = 1; row <= 100000; ++row) {
            const kurv::CellText y = t.Cell(0, row), fitted = t.Cell(2, row);
            const double r = std::fabs(kurv::TextToNumber(y, '.') - kurv::TextToNumber(fitted, '.'));
            if (r > largest) largest = r, worst = row;
        }

        AnswerRecord(
            [](TFormReportRecord* d) {
                auto* every = d->findChild<QCheckBox*>("chkEveryRow");
                QVERIFY(every->isEnabled() && !every->isChecked());
                QVERIFY(every->text().contains("100,000"));
            },
            "btnPreview");
        dialogs_->pdfPath = dir_->filePath("long.pdf");
        Item("itmReport")->trigger();
        const QString text = PdfText(dialogs_->pdfPath);
        QVERIFY2(!text.isEmpty(), "pdftotext (poppler-utils, scripts/deps.sh) read nothing");
        // A long path may be broken at the end of a line: compared without blanks.
        const QString note =
            QString(
                "The table has 100,000 pairs; listed here are the 50 with the largest residuals in "
                "magnitude, largest first. The full table is in the data file %1.")
                .arg(dir_->filePath("data.txt"));
        QVERIFY(text.simplified().remove(' ').contains(QString(note).remove(' ')));
        QVERIFY(text.simplified().contains("Data source: clipboard or typed in"));
        const int pages = PdfPages(ReadAll(dialogs_->pdfPath));
        QVERIFY(pages >= 2 && pages <= 5);
        const QStringList lines = text.split('\n');
        const int header =
            int(std::find_if(lines.begin(), lines.end(),
                             [](const QString& l) { return l.simplified().startsWith("№ Y (true)"); }) -
                lines.begin());
        QVERIFY(header < lines.size() - 1);
        QVERIFY(lines[header + 1].simplified().startsWith(QString::number(worst) + " "));

        // Only page 2 of the same report.
        dialogs_->onPrintPreview = [](QPrinter* printer) {
            printer->setPrintRange(QPrinter::PageRange);
            QPageRanges two;
            two.addPage(2);
            printer->setPageRanges(two);
        };
        dialogs_->pdfPath = dir_->filePath("page2.pdf");
        Item("itmReport")->trigger();
        QCOMPARE(PdfPages(ReadAll(dialogs_->pdfPath)), 1);
        QVERIFY(PdfText(dialogs_->pdfPath).contains(QString("Page 2 of %1").arg(pages)));

        // A PDF is proposed beside the data file that holds the table.
        AnswerRecord({}, "btnPdf");
        Item("itmReport")->trigger();
        QCOMPARE(dialogs_->fileDialogInitials.last(), dir_->filePath("Report.pdf"));
    }

    // Every row of 100,000: the pages are counted out in a progress box whose
    // Cancel stops the work; nothing is written and the window goes on.
    void everyRowShowsProgressAndCancels() {
        Start("Rus", ',');
        FillLong(100000);
        AnswerRecord(
            [](TFormReportRecord* d) {
                QTest::mouseClick(d->findChild<QCheckBox*>("chkEveryRow"), Qt::LeftButton);
            },
            "btnPdf");
        dialogs_->fileNames = {dir_->filePath("every.pdf")};
        int seenValue = 0, seenMaximum = 0;
        QString seenLabel;
        QTimer watch;
        watch.setInterval(20);
        connect(&watch, &QTimer::timeout, this, [&] {
            auto* box = form_->findChild<QProgressDialog*>("dlgReportProgress");
            if (!box || !box->isVisible() || box->value() < 1) return;
            seenValue = box->value();
            seenMaximum = box->maximum();
            seenLabel = box->labelText();
            watch.stop();
            QTest::mouseClick(box->findChild<QPushButton*>(), Qt::LeftButton);
        });
        watch.start();
        Item("itmReport")->trigger();
        watch.stop();
        QVERIFY(seenValue >= 1);
        QVERIFY(seenMaximum > 1000);  // a page for every 50 or so rows
        QCOMPARE(seenLabel, QString("Страница %1 из %2").arg(seenValue).arg(seenMaximum));
        QVERIFY(!QFile::exists(dir_->filePath("every.pdf")));
        QCOMPARE(dialogs_->fileDialogInitials, QStringList{"Отчёт.pdf"});
        QVERIFY(dialogs_->messages.isEmpty());
        QVERIFY(!form_->findChild<QProgressDialog*>("dlgReportProgress"));

        // The short report still goes out.
        AnswerRecord({}, "btnPdf");
        dialogs_->fileNames = {dir_->filePath("short.pdf")};
        Item("itmReport")->trigger();
        QVERIFY(PdfPages(ReadAll(dir_->filePath("short.pdf"))) <= 5);
    }

    // Every row of more than 100,000 pairs goes to a PDF file only, and the
    // dialog says why.
    void everyRowOfAVeryLongTableIsNotPreviewed() {
        for (std::size_t pairs : {kurv::kEveryRowPreviewPairs, kurv::kEveryRowPreviewPairs + 1}) {
            TFormReportRecord d(1, {}, pairs, QDate(2024, 5, 6));
            d.show();
            auto* preview = d.findChild<QPushButton*>("btnPreview");
            auto* note = d.findChild<QLabel*>("lblEveryRowNote");
            QTest::mouseClick(d.findChild<QCheckBox*>("chkEveryRow"), Qt::LeftButton);
            QVERIFY(d.EveryRow());
            const bool tooLong = pairs > kurv::kEveryRowPreviewPairs;
            QCOMPARE(preview->isEnabled(), !tooLong);
            QCOMPARE(note->isVisible(), tooLong);
            QCOMPARE(d.findChild<QPushButton*>("btnPdf")->isDefault(), tooLong);
            QTest::mouseClick(d.findChild<QCheckBox*>("chkEveryRow"), Qt::LeftButton);
            QVERIFY(preview->isEnabled() && !note->isVisible());
        }
    }

    // Painted directly: each page with its header and number, the progress
    // told page by page, and a writer's page range honoured.
    void longTableRunsOverPages() {
        kurv::Report r;
        r.title = std::string("Title");
        r.columns = {"№", "Y", "X", "F", "R"};
        std::vector<kurv::ReportRow> rows;
        for (int i = 1; i <= 2000; ++i) rows.push_back({i, "1", "2", "3", "4", kurv::ResidualClass::Near});
        r.table = kurv::ReportTable(std::move(rows));
        r.statisticsTitle = "Fit statistics";
        r.statistics.sections = {{"Quality", {}, {{"s", "0.125"}}},
                                 {"Coefficients", {"", "u"}, {{"A0", "0.5"}}}};
        r.statistics.notes = {"A line of its own, as wide as the page."};
        ReportPainting how;
        how.chartAspect = 0.5;
        how.paintChart = [](QPainter* p, const QRectF& rect) { p->fillRect(rect, Qt::gray); };
        std::vector<int> told;
        how.progress = [&](int painted, int) {
            told.push_back(painted);
            return true;
        };
        for (bool ranged : {false, true}) {
            QByteArray pdf;
            ReportPainted painted;
            told.clear();
            {
                QBuffer buffer(&pdf);
                buffer.open(QIODevice::WriteOnly);
                QPdfWriter writer(&buffer);
                if (ranged) {
                    QPageRanges ranges;
                    ranges.addRange(3, 5);
                    ranges.addPage(40);
                    writer.setPageRanges(ranges);
                }
                painted = PaintReport(&writer, r, how);
            }
            QVERIFY(painted.pages > 20 && painted.pages < 40);
            QCOMPARE(painted.painted, ranged ? 3 : painted.pages);
            QCOMPARE(PdfPages(pdf), painted.painted);
            QCOMPARE(int(told.size()), painted.painted);
            if (!ranged) {
                // The statistics' sections where the core puts them: labelled rows, a grid, and a note.
                QTemporaryDir dir;
                QFile file(dir.filePath("direct.pdf"));
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write(pdf) == pdf.size());
                file.close();
                const QString page = PdfText(file.fileName()).section('\f', 0, 0).simplified();
                QVERIFY2(
                    page.contains("Fit statistics Quality s: 0.125 Coefficients u A0 0.5 A line of its own, "
                                  "as wide as the page."),
                    qPrintable(page));
            }
        }
        // Stopped at the third page.
        how.progress = [](int painted, int) { return painted < 3; };
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        const ReportPainted stopped = PaintReport(&writer, r, how);
        QVERIFY(stopped.cancelled);
        QCOMPARE(stopped.painted, 3);
    }
};

QTEST_MAIN(ReportTest)
#include "window_report.moc"
