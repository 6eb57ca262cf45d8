// A Dialogs that records every modal interaction and answers from a script.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>

#include "app/dialogs.h"

struct RecordedMessage {
    bool owned;
    QString text;
    QString caption;
    int buttons;
    MsgIcon icon;
    int defaultButton;
};

class ScriptedDialogs : public Dialogs {
  public:
    int Message(QWidget* owner, const QString& text, const QString& caption, int buttons, MsgIcon icon,
                int defaultButton = 0) override;
    QString OpenFileName(QWidget* owner, const QString& initial) override;
    QString SaveFileName(QWidget* owner, const QString& initial) override;
    // Answers with the next file name and `filter`; the filters offered are kept.
    QString SaveFileNameFiltered(QWidget* owner, const QString& initial, const QStringList& filters,
                                 int& chosen) override;
    void PrintPreview(QWidget* owner, const std::function<void(QPrinter*)>& paint) override;
    int Exec(QWidget* dialog) override;

    // Answers, used in order; when they run out a message box answers with the
    // first button of its set and a file dialog is cancelled.
    std::deque<int> answers;
    std::deque<QString> fileNames;
    std::function<int(QWidget*)> onExec;            // runs a dialog's script; default: rejected
    std::function<void(QPrinter*)> onPrintPreview;  // sees the printer before the page is painted
    QString pdfPath;  // when set, the preview's page is printed to this PDF file
    int filter = 0;
    QStringList offeredFilters;

    QList<RecordedMessage> messages;
    QStringList fileDialogInitials;
    int printPreviews = 0;
    int execs = 0;

    // Message texts only, for compact checks.
    QStringList Texts() const;
};
