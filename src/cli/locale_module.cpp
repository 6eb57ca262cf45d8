// The locale's decimal separator for the command line, which links no Qt: it
// loads this module only when a command needs the separator and was not
// given one, and so reads it exactly as the window does.
#include "cli/system_locale.h"

extern "C" __attribute__((visibility("default"))) char kurvilon_locale_decimal_separator() {
    return kurv::LocaleDecimalSeparator();
}
