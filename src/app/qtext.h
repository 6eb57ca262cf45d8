// A UTF-8 text of the core, as a view, made a QString without an extra copy
// through std::string.
#pragma once

#include <QString>
#include <string_view>

inline QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
