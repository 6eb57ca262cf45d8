// The window program's entry: the application object, the main window, the
// message loop. Users start it through `kurvilon` (src/cli/main.cpp), which has
// already checked the command line: what reaches here is at most one file name.
// The window does not read that file yet; File / Read's reading of it after the
// language question is where it will go (QCoreApplication::arguments().value(1)).
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
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
        app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QString(), QString::fromUtf8(e.what()));
    }
    return 0;
}
