// The one crossing from the core's UTF-8 strings to Qt's.
#pragma once

#include <QString>
#include <string_view>

inline QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
