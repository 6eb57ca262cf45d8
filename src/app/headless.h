// The window program without a user: `kurvilon chart` and `kurvilon report`
// hand it a file, a kind, a separator and a language, and it writes the chart or
// the report through the window's own writers, on the offscreen platform. The
// arguments come from `kurvilon`, which has checked them (src/cli/main.cpp).
#pragma once

#include <QStringList>

// The arguments after the program's name and --headless:
//   chart|report KIND(linear|quadratic|cubic) SEP(.|,) LANG(ru|en) FILE OUT
inline constexpr const char* kHeadlessOption = "--headless";

// The exit status, as the command line's (0 written, 1 not fitted, 2 bad
// arguments, 3 unreadable FILE or unwritable OUT); messages on standard error.
int RunHeadless(const QStringList& args);
