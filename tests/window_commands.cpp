// The window's commands around the table: clipboard exchange, clearing,
// deleting, sorting, the data file and the output copies, each through its
// menu item with the scripted dialogs answering.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/formmain.h"
#include "output/chartview.h"
#include "support/scripteddialogs.h"
#include "support/windowfixture.h"
#include "table/stringgrid.h"

class CommandsTest : public QObject, WindowFixture {
    Q_OBJECT

    void Start(const char* language = "Eng", char sep = '.', const char* function = "1") {
        NewSettingsFolder(Settings(language, function));
        Open(sep);
    }
    void Run(const char* item) { Item(item)->trigger(); }
    static QString Clip() { return QGuiApplication::clipboard()->text(); }
    static void SetClip(const QString& t) { QGuiApplication::clipboard()->setText(t); }

  private slots:
    void cleanup() { form_.reset(); }

    // Copy and paste back: the rows return, followed by exactly one empty row.
    void tableCopyPasteRoundTrip() {
        Start();
        Fill({{"2.1", "1"}, {"3.9", "2"}, {"6.2", "3"}, {"7.8", "4"}});
        Run("itmTablCopyMain");
        QVERIFY(Clip().startsWith("2.1\t1\r\n3.9\t2\r\n6.2\t3\r\n7.8\t4\r\n\t\r\n"));
        Run("itmTablPaste");
        QCOMPARE(T().RowCount(), 6);
        QCOMPARE(Cell(0, 4), QString("7.8"));
        QCOMPARE(Cell(2, 4), QString("7.91"));  // refilled by the recalculation
        QCOMPARE(Caption("PanelA1"), QString("A1 = 1.9400000"));
    }

    // A clipboard that offers UTF-8 bytes is read from them, one that offers
    // Qt's text alone from that: the same cells either way, other scripts included.
    void pasteTakesBytesOrText() {
        Start();
        const QString text = QString::fromUtf8("ёж 1,5\t2\r\n3\tα\r\n");
        for (bool bytes : {true, false}) {
            auto* data = new QMimeData;
            if (bytes)
                data->setData("text/plain;charset=utf-8", text.toUtf8());
            else
                data->setText(text);
            QGuiApplication::clipboard()->setMimeData(data);
            Run("itmTablPasteMain");
            QCOMPARE(T().RowCount(), 4);
            QCOMPARE(Cell(0, 1), QString::fromUtf8("ёж 1,5"));
            QCOMPARE(Cell(1, 1), QString("2"));
            QCOMPARE(Cell(1, 2), QString::fromUtf8("α"));
            Run("itmClearMain");
        }
    }

    // Nothing to paste (a picture, only separators): the box says so, nothing is
    // emptied, then the recalculation.
    void pasteWithoutTokensKeepsTable() {
        Start();
        Fill({{"2.1", "1"}, {"3.9", "2"}});
        for (const char* item : {"itmTablPasteMain", "itmColPasteMain", "itmAppendMain"}) {
            dialogs_->messages.clear();
            SetClip("\t\r\n\t");
            Run(item);
            QCOMPARE(dialogs_->Texts(), QStringList{"The clipboard contains invalid data"});
            QCOMPARE(dialogs_->messages[0].caption, QString("Can not insert data from the clipboard"));
            QCOMPARE(Cell(0, 2), QString("3.9"));
            QCOMPARE(T().RowCount(), 100);
        }
    }

    void appendStartsOnANewRowAfterData() {
        Start();
        T().SetRowCount(4);
        Fill({{"1", "2"}, {"3", "4"}, {"5", ""}});
        SetClip("7\t8\r\n");
        Run("itmAppendMain");
        QCOMPARE(Cell(0, 3), QString("5"));
        QCOMPARE(Cell(0, 4), QString("7"));
        QCOMPARE(Cell(1, 4), QString("8"));
        QCOMPARE(T().RowCount(), 6);
    }

    void clearNeedsYes() {
        Start();
        Fill({{"2.1", "1"}, {"3.9", "2"}, {"6.2", "3"}});
        form_->sgDataClick();
        dialogs_->answers = {MbNo};
        Run("itmClearMain");
        QCOMPARE(dialogs_->messages[0].text, QString("Clear data in the table?"));
        QCOMPARE(dialogs_->messages[0].buttons, MbYes | MbNo);
        QCOMPARE(dialogs_->messages[0].caption, form_->ApplicationTitle());
        QCOMPARE(Cell(0, 1), QString("2.1"));
        const QString fitted = Cell(2, 1);
        QVERIFY(!fitted.isEmpty());
        dialogs_->answers = {MbYes};
        Run("itmClear");
        QCOMPARE(Cell(0, 1), QString(""));
        QCOMPARE(Cell(2, 1), fitted);  // the fitted values stay
        QCOMPARE(Caption("PanelA0"), QString("insufficient data"));
    }

    void deleteAndSortDoNotRecalculate() {
        Start();
        T().SetRowCount(10);
        Fill({{"5", "3"}, {"6", "1"}, {"7", "2"}, {"abc", "9"}});
        Grid()->SetCurrentCell(1, 1);
        Run("itmSortMain");
        QCOMPARE(Cell(1, 1), QString("1"));
        QCOMPARE(Cell(1, 2), QString("2"));
        QCOMPARE(Cell(1, 3), QString("3"));
        QCOMPARE(Cell(1, 4), QString("9"));
        QCOMPARE(T().RowCount(), 6);
    }

    // Data file: write, read back, and the failure boxes.
    void dataFileRoundTrip() {
        Start();
        Fill({{"2.1", "1"}, {"3.9", "2"}, {"", "3"}, {"7.8", ""}});
        const QString name = dir_->filePath("data.txt");
        dialogs_->fileNames = {name};
        Run("itmWrite");
        QFile f(name);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("2.1 1\n3.9 2\n 3\n7.8 \n"));
        f.close();

        T().SetCell(0, 50, "junk");
        dialogs_->fileNames = {name};
        Run("itmRead");
        QCOMPARE(T().RowCount(), 6);
        QCOMPARE(Cell(0, 3), QString("3"));
        QCOMPARE(Cell(1, 3), QString(""));
        // Each dialog remembers its own last choice.
        Run("itmRead");
        QCOMPARE(dialogs_->fileDialogInitials, (QStringList{"", "", name}));
    }

    void dataFileOpenFailureRetries() {
        Start("Eng");
        const QString missing = dir_->filePath("missing.txt");
        dialogs_->fileNames = {missing, missing};
        dialogs_->answers = {MbRetry, MbAbort};
        Run("itmRead");
        QCOMPARE(dialogs_->messages.size(), 2);
        const RecordedMessage& m = dialogs_->messages[0];
        QCOMPARE(m.text, QString("I can not open the file."));
        QCOMPARE(m.caption, QString("Error reading file"));
        QCOMPARE(m.buttons, MbAbort | MbRetry | MbIgnore);
        QCOMPARE(m.defaultButton, int(MbRetry));
        QCOMPARE(m.icon, MsgIcon::Warning);
        QVERIFY(!m.owned);
        QCOMPARE(dialogs_->fileDialogInitials, (QStringList{"", missing}));
    }

    void dataFileWithNulIsRefused() {
        Start("Rus");
        const QString name = dir_->filePath("bin.dat");
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("1 2\n\0\0\0", 7));
        f.close();
        Fill({{"5", "6"}});
        dialogs_->fileNames = {name};
        Run("itmRead");
        QCOMPARE(dialogs_->Texts(), QStringList{QString::fromUtf8("Файл содержит неверные данные")});
        QCOMPARE(dialogs_->messages[0].caption, QString::fromUtf8("Ошибка чтения файла"));
        QCOMPARE(Cell(0, 1), QString("5"));
    }

    // A file past the size limit is refused unread; a 5 MB token read in gives a short error box.
    void hugeInputsGiveShortMessages() {
        Start("Eng");
        Fill({{"5", "6"}});
        const QString large = dir_->filePath("large.txt");
        QFile f(large);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(qint64(256) * 1024 * 1024 + 1));  // sparse: no disk used
        f.close();
        const QString token = dir_->filePath("token.txt");
        QFile g(token);
        QVERIFY(g.open(QIODevice::WriteOnly));
        g.write("1 " + QByteArray(5 << 20, 'z') + "\n");
        g.close();
        dialogs_->fileNames = {large, token};
        Run("itmRead");
        QCOMPARE(dialogs_->Texts(), QStringList{"The file is too large"});
        QCOMPARE(dialogs_->messages[0].caption, QString("Error reading file"));
        QCOMPARE(Cell(0, 1), QString("5"));
        Run("itmRead");
        QCOMPARE(dialogs_->messages.size(), 2);
        const QString text = dialogs_->messages[1].text;
        QVERIFY2(text.size() < 200, qPrintable(text.left(300)));
        QVERIFY(text.contains(QString::fromUtf8("zzz\u2026'")));
    }

    void writeToADirectoryIsReported() {
        Start("Eng");
        dialogs_->fileNames = {dir_->path()};
        dialogs_->answers = {MbIgnore};
        Run("itmWrite");
        QCOMPARE(dialogs_->messages.size(), 1);
        QCOMPARE(dialogs_->messages[0].caption, QString("Error writing file"));
    }

    // Output copies: formula, coefficients (as many as the kind asks), values.
    void outputCopies() {
        Start("Eng", ',', "1");
        Fill({{"2.5", "0"}, {"2.375", "1"}});
        form_->sgDataClick();
        form_->findChild<QPushButton*>("btnCopy")->click();
        QCOMPARE(Clip(), Caption("PanelResult"));
        QCOMPARE(dialogs_->Texts(), QStringList{"A string formula copied to the Windows clipboard"});
        QCOMPARE(dialogs_->messages[0].icon, MsgIcon::Information);
        QVERIFY(!dialogs_->messages[0].owned);

        Run("itmCoefCopy");
        QCOMPARE(Clip(), QString("2,5000000\n-1,2500000e-1"));
        form_->findChild<QComboBox*>("ComboBox1")->setCurrentIndex(2);
        Run("itmCoefCopy");
        QCOMPARE(Clip(), QString("2,5000000\n-1,2500000e-1\n0\n0"));

        form_->findChild<QLineEdit*>("MaskEditX4")->setText("2");
        Run("itmCopyY4");
        QCOMPARE(Clip(), QString("2,2500000"));
    }

    void coefficientsBeforeAnyFit() {
        Start("Eng", '.', "1");
        Run("itmCoefCopy");
        QCOMPARE(Clip(), QString("\n"));
    }

    void chartCopyGivesPictures() {
        Start("Eng");
        Fill({{"2.1", "1"}, {"3.9", "2"}, {"6.2", "3"}});
        form_->sgDataClick();
        Run("itmGraphCopy");
        const QMimeData* m = QGuiApplication::clipboard()->mimeData();
        QVERIFY(m->hasFormat("image/svg+xml"));
        QVERIFY(m->hasImage());
        QCOMPARE(qvariant_cast<QImage>(m->imageData()).size(), form_->findChild<TChart*>("Chart1")->size());
        QVERIFY(m->data("image/svg+xml").contains("<svg"));
        QCOMPARE(dialogs_->Texts(), QStringList{"Chart copied to the Windows clipboard"});
    }

    // The first print has the designed empty line above the formula; later ones not.
    void printTitle() {
        Start("Eng");
        Fill({{"2.1", "1"}, {"3.9", "2"}, {"6.2", "3"}});
        form_->sgDataClick();
        auto* chart = form_->findChild<TChart*>("Chart1");
        QStringList seen;
        dialogs_->onPrintPreview = [&](QPrinter*) { seen = chart->TitleLines(); };
        Run("itmGraphPrint");
        QCOMPARE(seen, (QStringList{"", Caption("PanelResult")}));
        QVERIFY(chart->TitleLines().isEmpty());
        dialogs_->pdfPath = dir_->filePath("chart.pdf");
        Run("itmGraphPrint");
        QCOMPARE(seen, QStringList{Caption("PanelResult")});
        QVERIFY(QFileInfo(dialogs_->pdfPath).size() > 1000);
        if (qEnvironmentVariableIsSet("KURVILON_KEEP_PDF"))
            QFile::copy(dialogs_->pdfPath, qgetenv("KURVILON_KEEP_PDF"));
    }

    // A press on a series switches the marks and spares the next click's zoom undo.
    void chartClicks() {
        Start("Eng");
        auto* chart = form_->findChild<TChart*>("Chart1");
        QVERIFY(!chart->MarksVisible(TChart::kMeasured));
        form_->Chart1ClickSeries(2, 0, Qt::LeftButton);
        QVERIFY(chart->MarksVisible(TChart::kMeasured));
        form_->Chart1Click();
        form_->Chart1ClickSeries(1, 0, Qt::RightButton);
        QVERIFY(!chart->MarksVisible(TChart::kMeasured));
    }
};

QTEST_MAIN(CommandsTest)
#include "window_commands.moc"
