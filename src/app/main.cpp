// The window program's entry: the application object, the main window, the
// message loop. Users start it through `kurvilon` (src/cli/main.cpp), which has
// already checked the command line: what reaches here is at most one file name,
// read as File / Read reads it once the window is up (after the language
// question of a first start, which the window's construction asks).
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>
#include <exception>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "cli/system_locale.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The icon of the window and its dialogs; the desktop name ties the window to its menu entry.
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) icon.addFile(QStringLiteral(":/icon/%1x%1.png").arg(size));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kurvilon.Kurvilon"));
    try {
        QtDialogs dialogs;
        FormEnvironment env;
        env.dialogs = &dialogs;
        env.decimalSeparator = kurv::LocaleDecimalSeparator();
        env.programDirectory = QCoreApplication::applicationDirPath();
        TFormMain form(env);
        dialogs.SetMainWindow(&form);
        form.show();
        if (const QString file = QCoreApplication::arguments().value(1); !file.isEmpty())
            QTimer::singleShot(0, &form, [&form, file] { form.OpenDataFile(file); });
        app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QString(), QString::fromUtf8(e.what()));
    }
    return 0;
}
