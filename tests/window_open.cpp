// A data file given to the window from outside: named on the command line or
// dropped onto it. Either is read as File / Read reads the file chosen.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMimeData>
#include <QRadioButton>
#include <QUrl>
#include <QtTest>

#include "i18n/languagedialog.h"
#include "support/windowfixture.h"

class OpenTest : public QObject, WindowFixture {
    Q_OBJECT

    QString WriteFile(const char* name, const QByteArray& bytes) {
        const QString path = dir_->filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) qFatal("cannot write %s", name);
        return path;
    }

    // The messages File / Read gives for the file `name`, in a window of the same settings.
    QStringList ReadMessages(const QString& name) {
        dialogs_->messages.clear();
        dialogs_->fileNames = {name};
        Item("itmRead")->trigger();
        return dialogs_->Texts();
    }

    // A drop of `mime` on the window: whether the drag was taken and the drop accepted.
    std::pair<bool, bool> Drop(QMimeData* mime) {
        const QPoint at(form_->width() / 2, form_->height() / 2);
        QDragEnterEvent enter(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form_.get(), &enter);
        QDropEvent drop(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form_.get(), &drop);
        return {enter.isAccepted(), drop.isAccepted()};
    }
    static QMimeData* Urls(const QList<QUrl>& urls) {
        auto* mime = new QMimeData;
        mime->setUrls(urls);
        return mime;
    }

  private slots:
    void cleanup() { form_.reset(); }

    // A first start asks the language before anything is read, and the file's
    // messages come in the language chosen; Retry reads the same file again.
    void fileNamedAtStartAfterTheLanguageQuestion() {
        NewSettingsFolder();
        dialogs_ = std::make_unique<ScriptedDialogs>();
        dialogs_->onExec = [](QWidget* w) {
            auto* dlg = qobject_cast<TfrmLanguage*>(w);
            if (!dlg) return 0;
            dlg->findChild<QRadioButton*>("RadioButton2")->click();  // English
            return int(dlg->result());
        };
        Open('.', true, true);
        QCOMPARE(dialogs_->execs, 1);

        const QString data = WriteFile("data.txt", "2.1 1\n3.9 2\n6.2 3\n7.8 4\n");
        QVERIFY(form_->OpenDataFile(data));
        QCOMPARE(Cell(0, 4), QString("7.8"));
        QVERIFY(form_->FitOnShow());
        QVERIFY(dialogs_->messages.isEmpty());
        QVERIFY(dialogs_->fileDialogInitials.isEmpty());

        const QString missing = dir_->filePath("missing.txt");
        dialogs_->answers = {MbRetry, MbAbort};
        QVERIFY(!form_->OpenDataFile(missing));
        QCOMPARE(dialogs_->Texts(), QStringList({"I can not open the file.", "I can not open the file."}));
        QVERIFY(dialogs_->fileDialogInitials.isEmpty());
        QCOMPARE(Cell(0, 4), QString("7.8"));
        // File / Read then starts from the file named.
        dialogs_->answers = {MbAbort};
        QCOMPARE(ReadMessages(missing), QStringList{"I can not open the file."});
        QCOMPARE(dialogs_->fileDialogInitials.back(), missing);
    }

    // Files that cannot be read give File / Read's messages and leave the table as it was.
    void unreadableFilesGiveTheReadMessages() {
        NewSettingsFolder(Settings("Rus"));
        Open();
        Fill({{"5", "6"}});
        const QString nul = WriteFile("nul.dat", QByteArray("1 2\n\0\0", 6));
        const QString large = dir_->filePath("large.txt");
        QFile f(large);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(qint64(256) * 1024 * 1024 + 1));  // sparse
        f.close();
        for (const QString& name : {nul, large, dir_->path()}) {
            dialogs_->answers = {MbAbort};
            const QStringList expected = ReadMessages(name);
            QCOMPARE(expected.size(), 1);
            dialogs_->messages.clear();
            dialogs_->answers = {MbAbort};
            QVERIFY(!form_->OpenDataFile(name));
            QCOMPARE(dialogs_->Texts(), expected);
            QCOMPARE(Cell(0, 1), QString("5"));
        }
    }

    // One dropped data file is read; a folder, several files, a remote file
    // and plain text are refused without a message.
    void dropsOfDataFilesOnly() {
        NewSettingsFolder(Settings());
        Open();
        const QString data = WriteFile("data.txt", "2.1 1\n3.9 2\n6.2 3\n");
        const QString other = WriteFile("other.txt", "1 1\n2 2\n");

        auto* text = new QMimeData;
        text->setText("2.1 1\n3.9 2\n");
        const QList<QMimeData*> refused = {
            Urls({QUrl::fromLocalFile(dir_->path())}),
            Urls({QUrl::fromLocalFile(data), QUrl::fromLocalFile(other)}),
            Urls({QUrl("https://example.invalid/data.txt")}),
            text,
        };
        for (QMimeData* mime : refused) {
            QCOMPARE(Drop(mime), std::make_pair(false, false));
            delete mime;
        }
        QCOMPARE(Cell(0, 1), QString());
        QVERIFY(dialogs_->messages.isEmpty());

        std::unique_ptr<QMimeData> file(Urls({QUrl::fromLocalFile(data)}));
        QCOMPARE(Drop(file.get()), std::make_pair(true, true));
        QCOMPARE(Cell(0, 3), QString("6.2"));
        QVERIFY(form_->FitOnShow());

        const QString nul = WriteFile("nul.dat", QByteArray("1 2\n\0", 5));
        file.reset(Urls({QUrl::fromLocalFile(nul)}));
        QCOMPARE(Drop(file.get()), std::make_pair(true, true));
        QCOMPARE(dialogs_->Texts(), QStringList{"This file contains invalid data"});
        QCOMPARE(Cell(0, 3), QString("6.2"));
    }
};

QTEST_MAIN(OpenTest)
#include "window_open.moc"
