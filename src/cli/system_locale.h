// The locale's decimal separator as the window and the command line both take
// it: Qt's reading of the environment (not the C library's, which knows only
// the locales generated on this machine).
#pragma once

#include <QLocale>
#include <QString>

namespace kurv {

// One character; a separator that is not a single ASCII character is taken as ".".
inline char LocaleDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    if (point.size() == 1 && point.at(0).unicode() < 0x80) return static_cast<char>(point.at(0).unicode());
    return '.';
}

}  // namespace kurv
