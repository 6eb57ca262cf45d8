// Every modal interaction of the program goes through this one interface:
// the real one shows Qt's boxes and file dialogs, tests script the answers.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QFileDialog;
class QWidget;
class QPrinter;

enum class MsgIcon { None, Information, Warning, Error, Question };

enum MsgButton : int {
    MbOk = 0x01,
    MbYes = 0x02,
    MbNo = 0x04,
    MbAbort = 0x08,
    MbRetry = 0x10,
    MbIgnore = 0x20,
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // A message box. `owner` null means a box without an owner window (centred on
    // the screen, kept above an always-on-top main window). `buttons` is a set of
    // MsgButton; returns the button pressed (the Escape answer counts as the
    // last-resort button of the set).
    virtual int Message(QWidget* owner, const QString& text, const QString& caption, int buttons,
                        MsgIcon icon, int defaultButton = 0) = 0;

    // File dialogs at their defaults (no filter, no overwrite prompt). `initial` is
    // the last file name. An empty result means the dialog was cancelled.
    virtual QString OpenFileName(QWidget* owner, const QString& initial) = 0;
    virtual QString SaveFileName(QWidget* owner, const QString& initial) = 0;
    // A save dialog with filters ("Name (*.ext)") that asks before replacing a
    // file; `filter` gets the index of the filter chosen. By default the plain
    // save dialog with the first filter.
    virtual QString SaveFileNameFiltered(QWidget* owner, const QString& initial, const QStringList& filters,
                                         int& filter) {
        filter = 0;
        return filters.isEmpty() ? QString() : SaveFileName(owner, initial);
    }

    // The print preview: `paint` renders the page onto a printer. Returns when closed.
    virtual void PrintPreview(QWidget* owner, const std::function<void(QPrinter*)>& paint) = 0;

    // Runs a dialog that the window built (language dialog, About box) modally.
    virtual int Exec(QWidget* dialog) = 0;
};

// The real dialogs. After every modal it re-activates `mainWindow`, since without
// a window manager the main window would otherwise stay inactive and typed keys
// would go nowhere; that re-activation is not a focus change of the table.
class QtDialogs : public Dialogs {
  public:
    void SetMainWindow(QWidget* w) { main_ = w; }

    int Message(QWidget* owner, const QString& text, const QString& caption, int buttons, MsgIcon icon,
                int defaultButton = 0) override;
    QString OpenFileName(QWidget* owner, const QString& initial) override;
    QString SaveFileName(QWidget* owner, const QString& initial) override;
    QString SaveFileNameFiltered(QWidget* owner, const QString& initial, const QStringList& filters,
                                 int& filter) override;
    void PrintPreview(QWidget* owner, const std::function<void(QPrinter*)>& paint) override;
    int Exec(QWidget* dialog) override;

  private:
    void Reactivate();
    QString RunFileDialog(QFileDialog& dlg, const QString& initial);
    QWidget* main_ = nullptr;
};
