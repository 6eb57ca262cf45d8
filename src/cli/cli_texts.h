// The command line's own texts, Russian and English: the help, the version,
// the usage errors and the captions of the text output. Everything a fit
// shows besides these is the window's own text.
#pragma once

#include <string>
#include <string_view>

#include "core/recalc.h"

namespace kurv::cli {

enum class CliText {
    FullPrecision,
    PointColour,
    UnknownOption,     // %s the option
    AmbiguousOption,   // %s the option
    MissingValue,      // %s the option
    UnexpectedValue,   // %s the option
    BadValue,          // %1 the value, %2 the option, %3 what it may be
    TooManyFiles,      // %s the first one too many
    NotANumber,        // %1 the option, %2 the text
    SeeHelp,           // what ends a usage error's line
    WindowNotStarted,  // %1 the program, %2 the reason
    OutputMissing,     // %s the command
    FileMissing,       // %s the command
    NotAPictureName,   // %s the name
    LocaleNotRead,     // %s the reason
};

// Text `id` in `language` (1 English, anything else Russian).
const char* Text(CliText id, int language);

// A residual class in words, by the chart's colour.
const char* ClassWord(ResidualClass c, int language);

// `text` with each "%1", "%2", "%3" (or "%s" for the first) replaced.
std::string Fill(std::string_view text, std::string_view a1, std::string_view a2 = {},
                 std::string_view a3 = {});

// `kurvilon --help`: fits an 80-column terminal.
std::string HelpText(int language);

// `kurvilon --version`: the version and the licence, as GNU programs give them.
std::string VersionText(int language);

}  // namespace kurv::cli
