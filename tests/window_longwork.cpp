// Long pastes and reads: the progress dialog and its Cancel, through the keys.
// The window's delay before the dialog is set to nothing, so that a text of a
// megabyte or two counts as long.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/formmain.h"
#include "core/table_history.h"
#include "support/windowfixture.h"
#include "table/stringgrid.h"

namespace {

// Every pair of about 20 bytes: 80,000 of them make 1.7 MB, two progress reports.
QByteArray LongText(int rows, const char* lineEnd) {
    QByteArray text;
    for (int i = 0; i < rows; ++i)
        text += QByteArray::number(1000.0 + i * 0.37, 'f', 4) + (lineEnd[0] == '\n' ? " " : "\t") +
                QByteArray::number(i * 0.0123, 'f', 6) + lineEnd;
    return text;
}

// Watches for the progress dialog while the work runs (its reports let timers
// through), notes what it shows, and presses Cancel when told to.
class DialogWatcher : public QObject {
  public:
    DialogWatcher(QWidget* form, bool cancel) : form_(form), cancel_(cancel) {
        connect(&timer_, &QTimer::timeout, this, [this] { Look(); });
        timer_.start(0);
    }
    bool seen = false;
    bool pressed = false;
    QString name, description, label, button;
    bool modal = false;

  private:
    void Look() {
        auto* dialog = form_->findChild<QProgressDialog*>("dlgProgress");
        if (!dialog || !dialog->isVisible() || seen) return;
        seen = true;
        name = dialog->objectName();
        description = dialog->accessibleDescription();
        modal = QApplication::activeModalWidget() == dialog;
        if (auto* l = dialog->findChild<QLabel*>("lblProgress")) label = l->text();
        auto* cancel = dialog->findChild<QPushButton*>("btnProgressCancel");
        if (!cancel) return;
        button = cancel->text();
        if (!cancel_) return;
        QTest::mouseClick(cancel, Qt::LeftButton);
        pressed = true;
    }
    QWidget* form_;
    bool cancel_;
    QTimer timer_;
};

}  // namespace

class LongWorkTest : public QObject, WindowFixture {
    Q_OBJECT

    // What the user sees and can take back: the cells, the cursor, the
    // results, and the undo history's depth both ways.
    struct Seen {
        std::vector<kurv::DataTable::Row> rows;
        int col, row;
        TGridRect block;
        QStringList shown;
        std::size_t undo, redo;
        bool undoItem, redoItem;
        bool operator==(const Seen&) const = default;
    };
    Seen Now() {
        QStringList shown;
        for (const char* n :
             {"PanelA0", "PanelA1", "PanelA2", "PanelA3", "lblMaxErr", "lblSigma", "PanelResult"})
            shown << W<QLabel>(n)->text();
        const kurv::TableHistory& h = form_->UndoHistory();
        return {T().Rows(),
                Grid()->Col(),
                Grid()->Row(),
                Grid()->Selection(),
                shown,
                h.UndoDepth(),
                h.RedoDepth(),
                Item("itmUndo")->isEnabled(),
                Item("itmRedo")->isEnabled()};
    }

    // A fitted table with a step to undo and one to redo, the cursor on a block.
    void StartFitted(const char* language = "Eng") {
        NewSettingsFolder(Settings(language, "2"));
        Open();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        Grid()->setFocus();
        for (const char* v : {"1", "2", "3", "5", "5", "9", "7", "14"}) {
            QTest::keyClicks(Grid()->InplaceEditor(), v);
            QTest::keyClick(Grid()->InplaceEditor(), Qt::Key_Return);
        }
        QTest::keyClick(Grid()->InplaceEditor(), Qt::Key_Z, Qt::ControlModifier);
        Grid()->SetCurrentCell(1, 2);
        QTest::keyClick(Grid(), Qt::Key_Down, Qt::ShiftModifier);
        form_->sgDataClick();
    }
    void Press(const QString& command) {
        QWidget* to = QApplication::focusWidget() ? QApplication::focusWidget() : Grid();
        if (command == "paste") QTest::keyClick(to, Qt::Key_V, Qt::ControlModifier);
        if (command == "append") QTest::keyClick(to, Qt::Key_B, Qt::ControlModifier);
        if (command == "columnPaste") QTest::keyClick(to, Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
        if (command == "read") QTest::keyClick(to, Qt::Key_L, Qt::ControlModifier);
    }
    void Offer(const QByteArray& clip, const QByteArray& file) {
        QGuiApplication::clipboard()->setText(QString::fromUtf8(clip));
        QFile data(dir_->filePath("data.txt"));
        QVERIFY(data.open(QIODevice::WriteOnly));
        data.write(file);
        data.close();
        dialogs_->fileNames = {data.fileName()};
    }

  private slots:
    void init() { longWorkDelay_ = std::chrono::milliseconds(0); }
    void cleanup() { form_.reset(); }

    void cancelLeavesAll_data() {
        QTest::addColumn<QString>("command");
        for (const char* c : {"paste", "append", "columnPaste", "read"}) QTest::newRow(c) << QString(c);
    }

    // Cancel in the dialog: the table, the grid's cursor, the results and the
    // history (its redo step too) are as they were, and no box comes up.
    void cancelLeavesAll() {
        QFETCH(QString, command);
        StartFitted();
        Offer(LongText(80000, "\r\n"), LongText(80000, "\n"));
        const Seen before = Now();
        QCOMPARE(Cell(1, 4), QString());
        const std::uint64_t revision = T().Revision();
        DialogWatcher watcher(form_.get(), true);
        Press(command);
        QVERIFY(watcher.pressed);
        QVERIFY(watcher.modal);
        QVERIFY(!form_->findChild<QProgressDialog*>("dlgProgress"));
        QVERIFY(Now() == before);
        QCOMPARE(T().Revision(), revision);
        QVERIFY(dialogs_->messages.isEmpty());
        // The history still works: the redo step left before the paste is there.
        QTest::keyClick(Grid(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(Cell(1, 4), QString("14"));
    }

    // Over a table of many pairs, which a long paste or read lets go while it
    // runs, a cancelled one gives them back as they were: a change of kind
    // afterwards fits them as before.
    void cancelOverManyPairsKeepsThem() {
        StartFitted();
        auto* kinds = W<QComboBox>("ComboBox1");
        auto choose = [&](int kind) {
            kinds->setCurrentIndex(kind);
            emit kinds->activated(kind);
        };
        Offer(LongText(70000, "\r\n"), LongText(80000, "\n"));
        Press("paste");
        QCOMPARE(T().RowCount(), 70002);
        choose(0);
        const QString linear = Cell(2, 70000);
        choose(1);
        const QString quadratic = Cell(2, 70000);
        QVERIFY(linear != quadratic);
        const Seen before = Now();
        for (const char* command : {"paste", "read"}) {
            DialogWatcher watcher(form_.get(), true);
            Press(command);
            QVERIFY(watcher.pressed);
            QVERIFY(Now() == before);
        }
        choose(0);
        QCOMPARE(Cell(2, 70000), linear);
        choose(1);
        QVERIFY(Now() == before);
    }

    // A long paste or read takes the pairs it read while building the table:
    // the fit, the fitted column and the measures are those that reading the
    // table gives (undo and redo read it again), and a text refused halfway
    // is reported as the table's is.
    void pairsReadBesideShowAsTheTable() {
        StartFitted();
        Offer(LongText(80000, "\r\n"), LongText(80000, "\n"));
        for (const char* command : {"paste", "read"}) {
            Press(command);
            const Seen built = Now();
            QCOMPARE(int(built.rows.size()), 80002);
            QVERIFY(!Cell(2, 80000).isEmpty());
            QTest::keyClick(Grid(), Qt::Key_Z, Qt::ControlModifier);
            QTest::keyClick(Grid(), Qt::Key_Y, Qt::ControlModifier);
            const Seen reread = Now();
            QVERIFY2(reread.rows == built.rows, command);
            QCOMPARE(reread.shown, built.shown);
        }
        QVERIFY(dialogs_->messages.isEmpty());
        QByteArray faulty = LongText(80000, "\r\n");
        faulty.replace(faulty.indexOf("\r\n", faulty.size() / 2) + 2, 1, "x");
        Offer(faulty, LongText(80000, "\n"));
        Press("paste");
        QCOMPARE(dialogs_->messages.size(), 1);
        QVERIFY2(dialogs_->messages[0].text.contains("'x"), qPrintable(dialogs_->messages[0].text));
    }

    // Left to run, the work shows its dialog, named and captioned in the
    // window's language, and ends with every row in the table and the dialog gone.
    void progressShownAndGone() {
        StartFitted("Rus");
        Offer(LongText(80000, "\r\n"), LongText(80000, "\n"));
        for (const char* command : {"paste", "read"}) {
            DialogWatcher watcher(form_.get(), false);
            Press(command);
            QVERIFY2(watcher.seen, command);
            QCOMPARE(watcher.name, QString("dlgProgress"));
            QCOMPARE(watcher.description, QString("dlgProgress"));
            QCOMPARE(watcher.button, QString("Отмена"));
            QCOMPARE(watcher.label,
                     QString(command == QString("paste") ? "Вставка из буфера обмена…" : "Чтение файла…"));
            QCOMPARE(T().RowCount(), 80002);
            QCOMPARE(Cell(0, 80000), QString("30599.6300"));
            QVERIFY(!form_->findChild<QProgressDialog*>("dlgProgress"));
        }
        QVERIFY(dialogs_->messages.isEmpty());
        // Work that ends within the delay shows nothing.
        longWorkDelay_ = std::chrono::milliseconds(500);
        Open();
        Offer("1\t2\r\n3\t4\r\n", "");
        DialogWatcher watcher(form_.get(), false);
        Press("paste");
        QCOMPARE(T().RowCount(), 4);
        QVERIFY(!watcher.seen);
    }
};

QTEST_MAIN(LongWorkTest)
#include "window_longwork.moc"
