// `kurvilon`: the program the user runs. It answers --help, --version and the
// commands that need no display itself, linking no Qt library (Qt Core comes
// in a module, only to read the locale's decimal separator), so that they run
// on a server without X and start at once. Everything else is the window's,
// and for that it becomes the window program installed beside it (same
// process, same arguments), so that the window's process is still the one
// that was started.
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_texts.h"
#include "cli/command_line.h"
#include "cli/fit_command.h"

namespace {

constexpr const char* kWindowProgram = "kurvilon-window";
constexpr const char* kLocaleModule = "kurvilon-locale.so";

bool WriteAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// "kurvilon: " and a message, one line on standard error.
void Complain(const std::string& message) {
    WriteAll(2, "kurvilon: " + message + "\n");
}

std::string OwnDirectory() {
    std::vector<char> buf(4096);
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return ".";
    std::string path(buf.data(), static_cast<std::size_t>(n));
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// A part of the program installed with the window: beside this one in a build
// folder (when there with `access`), in libexec once installed.
std::string Installed(const char* name, int access) {
    const std::string dir = OwnDirectory();
    const std::string beside = dir + "/" + name;
    if (::access(beside.c_str(), access) == 0) return beside;
    return dir + "/" KURVILON_WINDOW_FROM_BINDIR "/" + name;
}

std::string WindowProgram() {
    return Installed(kWindowProgram, X_OK);
}

// The locale's decimal separator as the window takes it (Qt's reading of the
// environment), from a module beside the window program: only the commands
// that need the separator and were not given one load Qt.
char LocaleDecimalSeparator(int language) {
    const std::string module = Installed(kLocaleModule, R_OK);
    void* const handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* const read = handle ? ::dlsym(handle, "kurvilon_locale_decimal_separator") : nullptr;
    if (read) return reinterpret_cast<char (*)()>(read)();
    const char* const why = ::dlerror();
    Complain(kurv::cli::Fill(kurv::cli::Text(kurv::cli::CliText::LocaleNotRead, language),
                             why ? std::string(why) : module));
    std::exit(127);
}

// `userArgs`: the arguments are the user's, and none may pass for an option.
int StartWindow(const char* argv0, const kurv::cli::Command& cmd, bool userArgs = true) {
    const std::string program = WindowProgram();
    std::vector<std::string> args{argv0};
    for (const std::string& a : cmd.windowArgs)
        args.push_back(userArgs && !a.empty() && a[0] == '-' && a != "-" ? "./" + a : a);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    const int err = errno;
    Complain(kurv::cli::Fill(kurv::cli::Text(kurv::cli::CliText::WindowNotStarted, cmd.language), program,
                             std::strerror(err)));
    return err == ENOENT ? 127 : 126;
}

// `chart` and `report`: the table is read and fitted here first, so that a
// table that cannot be shown ends with fit's message and status; then the
// window program writes the picture on the offscreen platform, through the
// window's own writers, and its status is the command's.
int WritePicture(const char* argv0, const kurv::cli::Command& cmd) {
    using namespace kurv::cli;
    const Failure f = RunFit(cmd.fit, -1, [](std::string_view) { return true; });
    if (f.status != kExitFitted) {
        Complain(f.message);
        return f.status;
    }
    const char* language = cmd.fit.language == 1 ? "en" : "ru";
    // A path, never one of Qt's options.
    const auto path = [](const std::string& p) { return p[0] == '-' ? "./" + p : p; };
    const std::string sep(1, cmd.fit.sep);
    Command window;
    window.language = cmd.language;
    window.windowArgs = {"-platform",
                         "offscreen",
                         "--headless",
                         cmd.kind == CommandKind::Chart ? "chart" : "report",
                         KindName(cmd.fit.kind),
                         sep,
                         language,
                         path(cmd.fit.file),
                         path(cmd.output)};
    return StartWindow(argv0, window, false);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kurv::cli;
    const std::vector<std::string> args(argv, argv + argc);
    const Command cmd = ParseCommandLine(args, {'.', LanguageFromEnvironment(), LocaleDecimalSeparator});
    switch (cmd.kind) {
        case CommandKind::UsageError:
            Complain(cmd.message);
            return kExitUsage;
        case CommandKind::Help:
            return WriteAll(1, HelpText(cmd.language)) ? 0 : kExitUnreadable;
        case CommandKind::Version:
            return WriteAll(1, VersionText(cmd.language)) ? 0 : kExitUnreadable;
        case CommandKind::Fit: {
            const Failure f = RunFit(cmd.fit, 0, [](std::string_view piece) { return WriteAll(1, piece); });
            if (f.status != kExitFitted) Complain(f.message);
            return f.status;
        }
        case CommandKind::Chart:
        case CommandKind::Report:
            return WritePicture(argc > 0 ? argv[0] : "kurvilon", cmd);
        case CommandKind::Window:
            break;
    }
    return StartWindow(argc > 0 ? argv[0] : "kurvilon", cmd);
}
