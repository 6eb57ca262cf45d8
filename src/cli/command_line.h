// What `kurvilon` was asked to do, read from its arguments by GNU getopt_long
// (long options, "--name=value" or "--name value", unique abbreviations, "--"
// ending the options, options after the file name too).
//
// Commands: `fit`; `chart` and `report` (fit's kind, separator and language,
// -o OUT and a named FILE, written by the window program without a display);
// and none (the window).
#pragma once

#include <string>
#include <vector>

#include "cli/fit_command.h"

namespace kurv::cli {

// What the options default to: the locale's, read by the caller.
struct Defaults {
    char sep = '.';
    int language = 1;
    // When set, asked for the separator instead (with the command's language
    // for its messages), and only by a command that needs one and was not
    // given one: reading the locale's costs a start of Qt.
    char (*localeSep)(int language) = nullptr;
};

enum class CommandKind { Window, Help, Version, Fit, Chart, Report, UsageError };

struct Command {
    CommandKind kind = CommandKind::Window;
    int language = 1;                     // of everything the command prints
    FitOptions fit;                       // Fit; Chart and Report: kind, sep, language, file
    std::string output;                   // Chart, Report: -o OUT
    std::vector<std::string> windowArgs;  // Window: what the window program is handed after its name
    std::string message;                  // UsageError: one line, without the program's name
};

// Whether the chart's file name ends in .svg, .png or .pdf (any case), as Save
// chart… tells the picture's format by it.
bool PictureName(const std::string& name);

Command ParseCommandLine(const std::vector<std::string>& args, const Defaults& defaults);

// The language of the messages by the environment, as POSIX orders it
// (LC_ALL, then LC_MESSAGES, then LANG): Russian for "ru...", else English.
int LanguageFromEnvironment();

}  // namespace kurv::cli
