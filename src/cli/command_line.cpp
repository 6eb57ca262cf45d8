#include "cli/command_line.h"

#include <getopt.h>

#include <cstdlib>
#include <cstring>

#include "cli/cli_texts.h"
#include "core/errors.h"
#include "core/numbers.h"

namespace kurv::cli {

namespace {

enum OptionId : int {
    kOptKind = 256,
    kOptSeparator,
    kOptLang,
    kOptFormat,
    kOptAt,
    kOptFullPrecision,
    kOptPaste,
    kOptVersion,
    kOptHelp = 'h',
    kOptOutput = 'o',
};

// `fit`'s options; a later --statistics goes here and into FitOptions.
const option kFitOptions[] = {
    {"kind", required_argument, nullptr, kOptKind},
    {"separator", required_argument, nullptr, kOptSeparator},
    {"lang", required_argument, nullptr, kOptLang},
    {"format", required_argument, nullptr, kOptFormat},
    {"at", required_argument, nullptr, kOptAt},
    {"full-precision", no_argument, nullptr, kOptFullPrecision},
    {"paste", no_argument, nullptr, kOptPaste},
    {"help", no_argument, nullptr, kOptHelp},
    {"version", no_argument, nullptr, kOptVersion},
    {nullptr, 0, nullptr, 0},
};

// `chart`'s and `report`'s: what decides the picture, and where it goes.
const option kPictureOptions[] = {
    {"kind", required_argument, nullptr, kOptKind},
    {"separator", required_argument, nullptr, kOptSeparator},
    {"lang", required_argument, nullptr, kOptLang},
    {"output", required_argument, nullptr, kOptOutput},
    {"help", no_argument, nullptr, kOptHelp},
    {"version", no_argument, nullptr, kOptVersion},
    {nullptr, 0, nullptr, 0},
};

const option kTopOptions[] = {
    {"help", no_argument, nullptr, kOptHelp},
    {"version", no_argument, nullptr, kOptVersion},
    {nullptr, 0, nullptr, 0},
};

// The value of --lang wherever it stands, so that an error before it is already
// told in its language; the last one counts, as getopt would take it.
int PrescanLanguage(const std::vector<std::string>& args, int language) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") break;
        std::string value;
        if (a.rfind("--lang=", 0) == 0)
            value = a.substr(7);
        else if (a == "--lang" && i + 1 < args.size())
            value = args[i + 1];
        else
            continue;
        if (value == "ru") language = 0;
        if (value == "en") language = 1;
    }
    return language;
}

Command UsageError(int language, const std::string& what) {
    Command c;
    c.kind = CommandKind::UsageError;
    c.language = language;
    c.message = what + Text(CliText::SeeHelp, language);
    return c;
}

// The option as written up to its '=' (for messages).
std::string WrittenOption(const char* arg) {
    const char* eq = std::strchr(arg, '=');
    return QuotedForMessage(eq ? std::string(arg, eq) : std::string(arg));
}

// How many of `options` a written "--name" could abbreviate, and whether one is exact.
int Matches(const option* options, const std::string& written) {
    const std::string name =
        written.substr(2, written.find('=') == std::string::npos ? std::string::npos : written.find('=') - 2);
    int n = 0;
    for (const option* o = options; o->name; ++o) {
        if (name == o->name) return 1;
        if (std::strncmp(o->name, name.c_str(), name.size()) == 0) ++n;
    }
    return n;
}

// Runs getopt_long over args[first..]; `take` handles each option and gives an
// error text or nothing. The remaining operands are returned in `operands`.
template <class Take>
bool ParseOptions(const std::vector<std::string>& args, std::size_t first, const option* options,
                  const char* shortOptions, int language, Take take, std::vector<std::string>& operands,
                  Command& error) {
    std::vector<std::string> copy(args.begin() + static_cast<std::ptrdiff_t>(first - 1), args.end());
    std::vector<char*> argv;
    for (std::string& s : copy) argv.push_back(s.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(copy.size());
    opterr = 0;
    optind = 0;  // glibc: start afresh, permutation state included
    for (;;) {
        const int id = getopt_long(argc, argv.data(), shortOptions, options, nullptr);
        if (id == -1) break;
        if (id == '?' || id == ':') {
            // The faulty argument is the last one getopt took.
            const std::string w =
                optind >= 1 && optind <= argc ? argv[static_cast<std::size_t>(optind - 1)] : "";
            if (id == ':') {
                error = UsageError(language,
                                   Fill(Text(CliText::MissingValue, language), WrittenOption(w.c_str())));
            } else if (optopt != 0 && w.rfind("--", 0) == 0) {
                error = UsageError(language,
                                   Fill(Text(CliText::UnexpectedValue, language), WrittenOption(w.c_str())));
            } else if (w.rfind("--", 0) == 0 && Matches(options, w) > 1) {
                error = UsageError(language,
                                   Fill(Text(CliText::AmbiguousOption, language), WrittenOption(w.c_str())));
            } else {
                const std::string shown = optopt != 0 ? std::string("-") + static_cast<char>(optopt) : w;
                error = UsageError(
                    language, Fill(Text(CliText::UnknownOption, language), WrittenOption(shown.c_str())));
            }
            return false;
        }
        const std::string problem = take(id, optarg ? std::string(optarg) : std::string());
        if (!problem.empty()) {
            error = UsageError(language, problem);
            return false;
        }
    }
    for (int i = optind; i < argc; ++i) operands.emplace_back(argv[static_cast<std::size_t>(i)]);
    return true;
}

template <std::size_t N>
int Choice(const std::string& value, const char* const (&names)[N]) {
    for (std::size_t i = 0; i < N; ++i)
        if (value == names[i]) return static_cast<int>(i);
    return -1;
}

std::string BadValue(int language, const std::string& value, const char* option, const char* choices) {
    return Fill(Text(CliText::BadValue, language), QuotedForMessage(value), option, choices);
}

}  // namespace

bool PictureName(const std::string& name) {
    const auto dot = name.find_last_of("./");
    if (dot == std::string::npos || name[dot] != '.') return false;
    std::string ext = name.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext == "svg" || ext == "png" || ext == "pdf";
}

int LanguageFromEnvironment() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(name);
        if (v && *v) return std::strncmp(v, "ru", 2) == 0 ? 0 : 1;
    }
    return 1;
}

Command ParseCommandLine(const std::vector<std::string>& args, const Defaults& defaults) {
    static const char* const kFormats[] = {"text", "tsv", "json"};
    static const char* const kLanguages[] = {"ru", "en"};
    const int language = PrescanLanguage(args, defaults.language);
    const std::string name = args.size() > 1 ? args[1] : "";
    const bool fit = name == "fit";
    const bool picture = name == "chart" || name == "report";
    Command cmd;
    cmd.kind = fit       ? CommandKind::Fit
               : picture ? (name == "chart" ? CommandKind::Chart : CommandKind::Report)
                         : CommandKind::Window;
    cmd.language = language;
    FitOptions& f = cmd.fit;
    f.sep = defaults.sep;
    f.language = language;
    bool help = false, version = false, sepGiven = false;
    // Without a command only --help and --version reach here.
    auto take = [&](int id, const std::string& value) -> std::string {
        switch (id) {
            case kOptKind: {
                const int kind = Choice(value, kKindNames);
                if (kind < 0) return BadValue(language, value, "--kind", "linear, quadratic, cubic");
                f.kind = kFitKinds[kind];
                return "";
            }
            case kOptSeparator:
                if (value != "." && value != ",") return BadValue(language, value, "--separator", "., ,");
                f.sep = value[0];
                sepGiven = true;
                return "";
            case kOptLang:
                return Choice(value, kLanguages) < 0 ? BadValue(language, value, "--lang", "ru, en") : "";
            case kOptFormat: {
                const int k = Choice(value, kFormats);
                f.format = static_cast<OutputFormat>(k < 0 ? 0 : k);
                return k < 0 ? BadValue(language, value, "--format", "text, tsv, json") : "";
            }
            case kOptAt:
                f.at.push_back(value);
                return "";
            case kOptFullPrecision:
                f.fullPrecision = true;
                return "";
            case kOptPaste:
                f.paste = true;
                return "";
            case kOptOutput:
                cmd.output = value;
                return "";
            case kOptHelp:
                help = true;
                return "";
            case kOptVersion:
                version = true;
                return "";
        }
        return "";
    };
    std::vector<std::string> operands;
    Command error;
    const option* options = fit ? kFitOptions : picture ? kPictureOptions : kTopOptions;
    if (!ParseOptions(args, fit || picture ? 2 : 1, options, picture ? ":ho:" : ":h", language, take,
                      operands, error))
        return error;
    if (help || version) {
        cmd.kind = help ? CommandKind::Help : CommandKind::Version;
        return cmd;
    }
    if (operands.size() > 1)
        return UsageError(language,
                          Fill(Text(CliText::TooManyFiles, language), QuotedForMessage(operands[1])));
    if (!fit && !picture) {
        cmd.windowArgs = operands;
        return cmd;
    }
    if (!operands.empty()) f.file = operands[0];
    if (picture) {
        // The window program reads the file itself: it must have a name.
        if (operands.empty() || f.file == "-")
            return UsageError(language, Fill(Text(CliText::FileMissing, language), name));
        if (cmd.output.empty())
            return UsageError(language, Fill(Text(CliText::OutputMissing, language), name));
        if (cmd.kind == CommandKind::Chart && !PictureName(cmd.output))
            return UsageError(language,
                              Fill(Text(CliText::NotAPictureName, language), QuotedForMessage(cmd.output)));
    }
    if (!sepGiven && defaults.localeSep) f.sep = defaults.localeSep(language);
    // The X texts are read with the separator chosen, wherever it stood.
    for (const std::string& x : f.at) {
        if (!ParseNumber(x, f.sep))
            return UsageError(language,
                              Fill(Text(CliText::NotANumber, language), "--at", QuotedForMessage(x)));
    }
    return cmd;
}

}  // namespace kurv::cli
