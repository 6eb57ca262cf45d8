// What the window benchmarks start from: settings in a folder of their own
// (English, no question at start) and dialogs that answer every question at
// once without showing anything.
#pragma once

#include <QApplication>
#include <QByteArray>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>

#include "app/dialogs.h"
#include "app/formmain.h"

namespace bench {

class QuietDialogs : public Dialogs {
  public:
    int Message(QWidget*, const QString&, const QString&, int, MsgIcon, int) override { return MbOk; }
    QString OpenFileName(QWidget*, const QString&) override { return {}; }
    QString SaveFileName(QWidget*, const QString&) override { return {}; }
    void PrintPreview(QWidget*, const std::function<void(QPrinter*)>&) override {}
    int Exec(QWidget*) override { return 0; }
};

// Chooses the next kind in the function list as a user does (the list has the
// focus, then the table gets it back) and handles the events that follow.
inline void ChangeKindFromList(QComboBox* combo) {
    combo->setFocus();
    QApplication::processEvents();
    const int next = (combo->currentIndex() + 1) % 3;
    combo->setCurrentIndex(next);
    emit combo->activated(next);
    QApplication::processEvents();
}

// `function` is the kind's list index + 1, as the settings file keeps it.
struct WindowSurroundings {
    explicit WindowSurroundings(int function) {
        QFile ini(dir.filePath("Kurvilon.ini"));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[Config]\nLanguage=Eng\nPoints=Yes\n[FormMain]\nFunction=" +
                      QByteArray::number(function) + "\nOnTop=N\n");
    }
    FormEnvironment Env() { return {&dialogs, '.', dir.path()}; }

    QTemporaryDir dir;
    QuietDialogs dialogs;
};

}  // namespace bench
