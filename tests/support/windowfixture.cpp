#include "support/windowfixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "table/stringgrid.h"
#include "table/tableedit.h"

namespace {

// A test program run by hand on a machine without a display still runs:
// offscreen unless a platform is asked for. Set before main() makes the application.
const bool kOffscreen = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}();

}  // namespace

void WindowFixture::NewSettingsFolder(const QByteArray& ini) {
    form_.reset();
    dir_ = std::make_unique<QTemporaryDir>();
    if (!ini.isEmpty()) WriteIni(ini);
}

QByteArray WindowFixture::Settings(const char* language, const char* function) {
    return QByteArray("[Config]\nLanguage=") + language + "\n[FormMain]\nFunction=" + function +
           "\nOnTop=N\n";
}

TFormMain* WindowFixture::Open(char sep, bool show, bool keepDialogs) {
    form_.reset();
    if (!dir_) dir_ = std::make_unique<QTemporaryDir>();
    if (!dialogs_ || !keepDialogs) dialogs_ = std::make_unique<ScriptedDialogs>();
    form_ = std::make_unique<TFormMain>(FormEnvironment{dialogs_.get(), sep, dir_->path(), longWorkDelay_});
    if (show) form_->show();  // laid out at its size, as the chart's pictures need
    return form_.get();
}

TFormMain* WindowFixture::OpenWithRealDialogs() {
    form_.reset();
    if (!dir_) dir_ = std::make_unique<QTemporaryDir>();
    form_ = std::make_unique<TFormMain>(FormEnvironment{&realDialogs_, '.', dir_->path()});
    realDialogs_.SetMainWindow(form_.get());
    form_->show();
    return form_.get();
}

WindowFixture::BoxAnswerer::BoxAnswerer() {
    auto* timer = new QTimer;
    timer_.reset(timer);
    QObject::connect(timer, &QTimer::timeout, timer, [this] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texts << box->text();
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    timer->start(10);
}

void WindowFixture::WriteIni(const QByteArray& content) {
    QFile f(IniPath());
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(IniPath()));
    f.write(content);
}

QAction* WindowFixture::Item(const char* name) const {
    return W<QAction>(name);
}

QString WindowFixture::Caption(const char* name) const {
    return W<QLabel>(name)->text();
}

TStringGrid* WindowFixture::Grid() const {
    return W<TStringGrid>("sgData");
}

void WindowFixture::Fill(const Rows& rows) {
    TFormMain::TableEdit edit(*form_);
    int r = 1;
    for (const auto& [y, x] : rows) {
        T().SetCell(0, r, y);
        T().SetCell(1, r, x);
        ++r;
    }
    edit.Done(TFormMain::TableEdit::Then::KeepResults);
}

void WindowFixture::Replace(const Rows& rows) {
    TFormMain::TableEdit edit(*form_);
    T().SetRowCount(1);
    T().SetRowCount(static_cast<int>(rows.size()) + 2);
    for (std::size_t i = 0; i < rows.size(); ++i)
        T().SetRow(static_cast<int>(i) + 1, {rows[i].first, rows[i].second, ""});
    edit.Done(TFormMain::TableEdit::Then::KeepResults);
}

void WindowFixture::FitWith(int kind, const Rows& rows) {
    Replace(rows);
    W<QComboBox>("ComboBox1")->setCurrentIndex(kind);
    form_->sgDataClick();
}

void WindowFixture::DragXColumnOntoY() const {
    QHeaderView* header = Grid()->horizontalHeader();
    const int y = header->height() / 2;
    const QPoint from(header->sectionViewportPosition(1) + 20, y);
    const QPoint to(header->sectionViewportPosition(0) + 5, y);
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(header->viewport(), from - QPoint(10, 0));
    QTest::mouseMove(header->viewport(), to);
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, to);
}
