#include "support/windowfixture.h"

#include <QAction>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QTest>

#include "table/stringgrid.h"

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
    form_ = std::make_unique<TFormMain>(FormEnvironment{dialogs_.get(), sep, dir_->path()});
    if (show) form_->show();  // laid out at its size, as the chart's pictures need
    return form_.get();
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

void WindowFixture::Fill(const std::vector<std::pair<std::string, std::string>>& rows) {
    int r = 1;
    for (const auto& [y, x] : rows) {
        T().SetCell(0, r, y);
        T().SetCell(1, r, x);
        ++r;
    }
    Grid()->TableReset();
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
