// Program entry: the application object, the main window, the message loop.
#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <QMessageBox>
#include <exception>

#include "app/dialogs.h"
#include "app/formmain.h"

namespace {

// The locale's decimal separator as one character; a separator that is not a
// single ASCII character is taken as ".".
char LocaleDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    if (point.size() == 1 && point.at(0).unicode() < 0x80) return static_cast<char>(point.at(0).unicode());
    return '.';
}

}  // namespace

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
        env.decimalSeparator = LocaleDecimalSeparator();
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
