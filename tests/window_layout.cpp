// The window's size at start and over hide/show of the evaluation points, and
// the groups the layout moves over other controls covering them.
#include <QAction>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QtTest>

#include "support/windowfixture.h"

class LayoutTest : public QObject, WindowFixture {
    Q_OBJECT

    TFormMain* Start(const char* points) {
        NewSettingsFolder(QByteArray("[Config]\nLanguage=Rus\nPoints=") + points + "\n[FormMain]\nOnTop=N\n");
        return Open('.', false);
    }
    // The window as laid out on screen: the result group 3 px above the bottom of
    // the area below the menu bar, the table group down to it.
    void CheckLayout() {
        const QWidget* client = form_->centralWidget();
        QCOMPARE(client->height(), form_->height() - form_->menuBar()->height());
        QCOMPARE(W("GroupBoxResult")->geometry().bottom() + 1, client->height() - 3);
        QCOMPARE(W("GroupBoxTable")->height(), W("GroupBoxResult")->y());
    }

  private slots:
    void cleanup() { form_.reset(); }

    // Shown: the designed 524 x 625; hidden: 120 px lower, the difference of the
    // result group's two heights. The same before and after the first show.
    void startSize_data() {
        QTest::addColumn<QByteArray>("points");
        QTest::addColumn<int>("height");
        QTest::newRow("shown") << QByteArray("Yes") << 625;
        QTest::newRow("hidden") << QByteArray("No") << 505;
    }
    void startSize() {
        QFETCH(QByteArray, points);
        QFETCH(int, height);
        Start(points.constData());
        QCOMPARE(form_->size(), QSize(524, height));
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        QCOMPARE(form_->size(), QSize(524, height));
        CheckLayout();
    }

    // Any number of toggles alternates between the same two heights.
    void togglesKeepTheHeights() {
        Start("Yes");
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        auto* item = form_->findChild<QAction*>("itmAuxPointsEnable");
        for (int i = 0; i < 6; ++i) {
            item->trigger();
            QTRY_COMPARE(form_->height(), item->isChecked() ? 625 : 505);
            CheckLayout();
        }
    }

    // At every height down to the minimum nothing of the help text shows through
    // the result group: the picture is the same with and without the help text.
    void resultGroupCoversTheHelpText_data() {
        QTest::addColumn<int>("height");
        QTest::newRow("designed") << 625;
        QTest::newRow("530") << 530;
        QTest::newRow("minimum") << 474;
    }
    void resultGroupCoversTheHelpText() {
        QFETCH(int, height);
        Start("Yes");
        form_->resize(511, height);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        QCOMPARE(form_->height(), height);
        auto* memo = form_->findChild<QPlainTextEdit*>("Memo1");
        const QRect group = W("GroupBoxResult")->geometry();
        const QImage with = form_->centralWidget()->grab(group).toImage();
        const QString help = memo->toPlainText();
        memo->setPlainText({});
        const QImage without = form_->centralWidget()->grab(group).toImage();
        memo->setPlainText(help);
        QCOMPARE(with, without);
        if (height == 474) QVERIFY(group.intersects(memo->geometry()));  // the case that matters is covered
    }
};

QTEST_MAIN(LayoutTest)
#include "window_layout.moc"
