// The window program's entry: the application object, the main window, the
// message loop. Users start it through `kurvilon` (src/cli/main.cpp), which has
// already checked the command line: what reaches here is at most one file name,
// read as File / Read reads it once the window is up (after the language
// question of a first start, which the window's construction asks).
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string_view>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "app/headless.h"
#include "cli/system_locale.h"

int main(int argc, char** argv) {
    // Without a user, standard error carries the command's messages only, not
    // Qt's notes about the platform.
    if (std::find(argv, argv + argc, std::string_view(kHeadlessOption)) != argv + argc)
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        });
    QApplication app(argc, argv);
    // The icon of the window and its dialogs; the desktop name ties the window to its menu entry.
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) icon.addFile(QStringLiteral(":/icon/%1x%1.png").arg(size));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kurvilon.Kurvilon"));
    const QStringList args = QCoreApplication::arguments();
    if (args.value(1) == kHeadlessOption) {
        try {
            return RunHeadless(args.mid(2));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "kurvilon: %s\n", e.what());
            return 1;
        }
    }
    try {
        QtDialogs dialogs;
        FormEnvironment env;
        env.dialogs = &dialogs;
        env.decimalSeparator = kurv::LocaleDecimalSeparator();
        env.programDirectory = QCoreApplication::applicationDirPath();
        TFormMain form(env);
        dialogs.SetMainWindow(&form);
        form.show();
        if (const QString file = args.value(1); !file.isEmpty())
            QTimer::singleShot(0, &form, [&form, file] { form.OpenDataFile(file); });
        app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QString(), QString::fromUtf8(e.what()));
    }
    return 0;
}
