// The chart saved as a file and the calibration report: the File menu's two
// items, the picture writers and the report's texts against the window's.
#include <sys/resource.h>

#include <QAction>
#include <QBuffer>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPdfWriter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QtTest>
#include <csignal>

#include "output/chartview.h"
#include "output/report.h"
#include "output/savechart.h"
#include "support/windowfixture.h"
#include "table/tableedit.h"

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int PdfPages(const QByteArray& pdf) {
    return int(QString::fromLatin1(pdf).count(QRegularExpression("/Type\\s*/Page[^s]")));
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

    // The report's texts are the window's, in either language.
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
        QCOMPARE(q(r.fields[1].value), form_->findChild<QComboBox*>("ComboBox1")->currentText());
        QCOMPARE(q(r.fields[2].value), Caption("PanelResult"));
        QCOMPARE(int(r.coefficients.size()), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(q(r.coefficients[size_t(i)].shown), Caption(QString("PanelA%1").arg(i).toLatin1()));
        QCOMPARE(q(r.measures[0].label), Caption("LabelMaxErr"));
        QCOMPARE(q(r.measures[0].value), Caption("lblMaxErr"));
        QVERIFY(q(r.measures[1].label).startsWith(Caption("LabelRms") + " ("));
        QCOMPARE(q(r.measures[1].value), Caption("lblSigma"));
        QCOMPARE(q(r.measures[2].value), QString("5"));
        QCOMPARE(int(r.rows.size()), 5);
        QCOMPARE(r.rows[2].tableRow, 4);  // the empty row is skipped
        const kurv::DataTable& t = form_->Table();
        for (const kurv::ReportRow& row : r.rows) QCOMPARE(row.fitted, t.Cell(2, row.tableRow));
        // The colours are those of the chart's points (ordered by X there, as here).
        const auto points = Chart()->Points(TChart::kMeasured);
        const QColor colours[] = {QColor(0, 0, 255), QColor(128, 0, 128), QColor(255, 0, 0)};
        for (size_t i = 0; i < r.rows.size(); ++i) QCOMPARE(points[i].colour, colours[int(r.rows[i].colour)]);

        dialogs_->pdfPath = dir_->filePath("report.pdf");
        Item("itmReport")->trigger();
        QCOMPARE(dialogs_->printPreviews, 1);
        const QByteArray pdf = ReadAll(dialogs_->pdfPath);
        QVERIFY(pdf.startsWith("%PDF"));
        QCOMPARE(PdfPages(pdf), 1);
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

    // A long table runs over pages, each with its header and number.
    void longTableRunsOverPages() {
        kurv::Report r;
        r.title = std::string("Title");
        r.columns = {"№", "Y", "X", "F", "R"};
        for (int i = 1; i <= 2000; ++i) r.rows.push_back({i, "1", "2", "3", "4", kurv::ResidualClass::Near});
        QByteArray pdf;
        int pages = 0;
        {
            QBuffer buffer(&pdf);
            buffer.open(QIODevice::WriteOnly);
            QPdfWriter writer(&buffer);
            pages = PaintReport(&writer, r, 0.5,
                                [](QPainter* p, const QRectF& rect) { p->fillRect(rect, Qt::gray); });
        }
        QVERIFY(pages > 20);
        QCOMPARE(PdfPages(pdf), pages);
    }
};

QTEST_MAIN(ReportTest)
#include "window_report.moc"
