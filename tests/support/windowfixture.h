// What every window test starts from: a settings folder of its own, scripted
// dialogs, the window, and ways to reach its controls and its table.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "support/scripteddialogs.h"

class QAction;
class QLabel;
class TStringGrid;

class WindowFixture {
  protected:
    // A new settings folder holding `ini` as Kurvilon.ini (none when empty).
    void NewSettingsFolder(const QByteArray& ini = {});
    // The usual settings: the language, the function kind's list index + 1, not on top.
    static QByteArray Settings(const char* language = "Eng", const char* function = "1");
    // Creates the window over the current settings folder (a new one when there is
    // none); the scripted dialogs are kept when `keepDialogs`.
    TFormMain* Open(char sep = '.', bool show = true, bool keepDialogs = false);
    // The same with the program's real dialogs, shown.
    TFormMain* OpenWithRealDialogs();
    // Answers every real message box as soon as it is up, with its default button,
    // keeping its text; for as long as it lives.
    class BoxAnswerer {
      public:
        BoxAnswerer();
        QStringList texts;

      private:
        std::unique_ptr<QObject> timer_;
    };
    void Close() { form_.reset(); }

    QString IniPath() const { return dir_->filePath("Kurvilon.ini"); }
    void WriteIni(const QByteArray& content);

    template <class T = QWidget>
    T* W(const char* name) const {
        auto* w = form_->findChild<T*>(name);
        if (!w) qFatal("no control %s", name);
        return w;
    }
    QAction* Item(const char* name) const;
    QString Caption(const char* name) const;
    kurv::DataTable& T() const { return form_->Table(); }
    TStringGrid* Grid() const;
    QString Cell(int col, int row) const {
        if (row >= T().RowCount()) return {};  // past the table's end, as a grid shows it
        const kurv::CellText cell = T().Cell(col, row);
        const std::string_view text = cell;
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    using Rows = std::vector<std::pair<std::string, std::string>>;
    // Writes (Y, X) pairs from row 1 on and tells the grid.
    void Fill(const Rows& rows);
    // The table becomes the pairs and a row below them.
    void Replace(const Rows& rows);
    // The same, then the kind's list index chosen and the recalculation run.
    void FitWith(int kind, const Rows& rows);
    // Drags the X column's header onto the Y column's with the mouse.
    void DragXColumnOntoY() const;

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<ScriptedDialogs> dialogs_;
    // How long a paste or a read runs before its progress shows, for the next Open.
    std::chrono::milliseconds longWorkDelay_ = FormEnvironment().longWorkDelay;
    QtDialogs realDialogs_;
    std::unique_ptr<TFormMain> form_;
};
