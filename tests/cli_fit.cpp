// `kurvilon` as a user's script meets it: the built program run in a process of
// its own with no display, its exit status, standard output and standard error;
// and the parts of it that need no process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "build_version.h"
#include "cli/cli_texts.h"
#include "cli/command_line.h"
#include "cli/fit_command.h"
#include "core/datafile_format.h"
#include "core/numbers.h"

namespace fs = std::filesystem;
using kurv::cli::CommandKind;

namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

std::string Slurp(int fd) {
    std::string s;
    char buf[65536];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) s.append(buf, static_cast<std::size_t>(n));
    return s;
}

// Runs the program with `args`, `input` on its standard input, and an
// environment with no display: only PATH, HOME and the given language.
Outcome RunProgram(const std::vector<std::string>& args, const std::string& input = {},
                   const std::string& lang = "C.UTF-8", const std::string& program = KURVILON_PROGRAM) {
    const fs::path in = fs::temp_directory_path() / ("kurv-cli-in-" + std::to_string(::getpid()));
    std::ofstream(in, std::ios::binary) << input;
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(in.c_str(), O_RDONLY);
        ::dup2(fd, 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        std::vector<std::string> all{program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::string envLang = "LC_ALL=" + lang;
        char path[] = "PATH=/usr/bin:/bin";
        char home[] = "HOME=/nonexistent";
        char* env[] = {path, home, envLang.data(), nullptr};
        ::execve(program.c_str(), argv.data(), env);
        ::_exit(126);
    }
    ::close(out[1]);
    ::close(err[1]);
    Outcome o;
    // Standard error is small; read standard output first, then it.
    o.out = Slurp(out[0]);
    o.err = Slurp(err[0]);
    ::close(out[0]);
    ::close(err[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    o.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    fs::remove(in);
    return o;
}

class Folder {
  public:
    Folder() {
        std::string tmpl = (fs::temp_directory_path() / "kurv-cli-XXXXXX").string();
        path_ = ::mkdtemp(tmpl.data());
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string File(const std::string& name, const std::string& bytes) const {
        const fs::path p = path_ / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
    std::string Path(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

}  // namespace

// Every kind of bad input: its status, nothing on standard output, and one line
// on standard error holding the window's own message in the language asked for.
TEST(FitCommand, BadInputGivesTheWindowsMessageAndItsStatus) {
    Folder f;
    const std::string missing = f.Path("missing.txt");
    const std::string big = f.Path("big.txt");
    {
        const int fd = ::open(big.c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kurv::kDataFileMaxBytes) + 1), 0);  // no disk used
        ::close(fd);
    }
    const std::string nul = f.File("nul.txt", std::string("1 1\n2\0 2\n3 3\n", 12));
    const std::string word = f.File("word.txt", "1 1\n2 2\nabc 3\n");
    const std::string one = f.File("one.txt", "1 1\n");
    const std::string sameX = f.File("same.txt", "1 5\n2 5\n3 5\n");
    const std::string huge = f.File("huge.txt", "1 1\n1 1e200\n");
    const std::string folder = f.Path("");
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* english;
        const char* russian;
    } cases[] = {
        {{"fit", missing}, 3, "I can not open the file.", "Не могу открыть файл."},
        {{"fit", folder}, 3, "I can not open the file.", "Не могу открыть файл."},
        {{"fit", big}, 3, "The file is too large", "Файл слишком велик"},
        {{"fit", nul}, 3, "This file contains invalid data", "Файл содержит неверные данные"},
        {{"fit", "--paste", nul}, 3, "This file contains invalid data", "Файл содержит неверные данные"},
        {{"fit", "--kind", "linear", word},
         1,
         "'abc' is not a valid floating point value",
         "'abc' is not a valid floating point value"},
        {{"fit", "--kind", "linear", one},
         1,
         "insufficient data: Complete the table of values Y(X)",
         "Недостаточно данных: Заполните таблицу значений Y(X)"},
        {{"fit", "--kind", "linear", sameX},
         1,
         "The coefficients can not be determined",
         "Коэффициенты определить невозможно"},
        {{"fit", "--kind", "linear", huge},
         1,
         "Floating point overflow. Row 2, column \"X (gauge)\".",
         "Floating point overflow. Строка 2, столбец «X (по прибору)»."},
    };
    for (const Case& c : cases) {
        for (int lang : {0, 1}) {
            std::vector<std::string> args = c.args;
            args.insert(args.begin() + 1, {"--lang", lang == 1 ? "en" : "ru"});
            const Outcome o = RunProgram(args);
            const std::string expected = std::string("kurvilon: ") +
                                         (c.status == 3 ? args.back() + ": " : std::string()) +
                                         (lang == 1 ? c.english : c.russian) + "\n";
            EXPECT_EQ(o.status, c.status) << args.back();
            EXPECT_EQ(o.err, expected);
            EXPECT_EQ(o.out, "");
        }
    }
    // Standard input names itself "-"; an X beyond the range of doubles is the overflow.
    EXPECT_EQ(RunProgram({"fit"}, std::string("1\0", 2)).err,
              "kurvilon: -: This file contains invalid data\n");
    const Outcome at = RunProgram({"fit", "--kind", "linear", "--at", "1e400", "-"}, "1 1\n2 2\n");
    EXPECT_EQ(at.status, 1);
    EXPECT_EQ(at.err, "kurvilon: Floating point overflow.\n");
    EXPECT_EQ(at.out, "");
}

// Usage errors: status 2, one line naming what was wrong, in the locale's
// language unless --lang says otherwise (wherever it stands).
TEST(FitCommand, UsageErrorsAreOneLine) {
    struct Case {
        std::vector<std::string> args;
        std::string lang;
        const char* line;
    } cases[] = {
        {{"--bogus"}, "C.UTF-8", "unrecognized option '--bogus'; see 'kurvilon --help'"},
        {{"fit", "--bogus"}, "ru_RU.UTF-8", "неизвестный параметр «--bogus»; см. «kurvilon --help»"},
        {{"fit", "--bogus", "--lang=en"},
         "ru_RU.UTF-8",
         "unrecognized option '--bogus'; see 'kurvilon --help'"},
        {{"fit", "--f"}, "C.UTF-8", "option '--f' is ambiguous; see 'kurvilon --help'"},
        {{"fit", "--kind"}, "C.UTF-8", "option '--kind' requires a value; see 'kurvilon --help'"},
        {{"fit", "--paste=yes"}, "C.UTF-8", "option '--paste' takes no value; see 'kurvilon --help'"},
        {{"fit", "--kind", "square"},
         "C.UTF-8",
         "invalid value 'square' of --kind (linear, quadratic, cubic); see 'kurvilon --help'"},
        {{"fit", "--separator", ";"},
         "C.UTF-8",
         "invalid value ';' of --separator (., ,); see 'kurvilon --help'"},
        {{"fit", "--at", "0,5"}, "C.UTF-8", "--at: '0,5' is not a valid number; see 'kurvilon --help'"},
        {{"fit", "a", "b"}, "C.UTF-8", "extra operand 'b'; see 'kurvilon --help'"},
        {{"a", "b"}, "C.UTF-8", "extra operand 'b'; see 'kurvilon --help'"},
        {{"-x"}, "C.UTF-8", "unrecognized option '-x'; see 'kurvilon --help'"},
    };
    for (const Case& c : cases) {
        const Outcome o = RunProgram(c.args, {}, c.lang);
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.err, std::string("kurvilon: ") + c.line + "\n");
        EXPECT_EQ(o.out, "");
    }
}

// The options as GNU programs take them: "--name=value" or "--name value",
// unique abbreviations, options after the file, "--" before a file named like
// an option, a negative X, the separator chosen after --at.
TEST(FitCommand, OptionsAreReadTheGnuWay) {
    const auto parse = [](std::vector<std::string> args) {
        args.insert(args.begin(), "kurvilon");
        return kurv::cli::ParseCommandLine(args, {',', 0});
    };
    kurv::cli::Command c = parse({"fit", "data.txt", "--ki=quadratic", "--format", "json", "--at", "-5",
                                  "--at=0.5", "--separator", ".", "--full", "--paste", "--lang", "en"});
    ASSERT_EQ(c.kind, CommandKind::Fit) << c.message;
    EXPECT_EQ(c.fit.file, "data.txt");
    EXPECT_EQ(c.fit.kind, kurv::FitKind::Quadratic);
    EXPECT_EQ(c.fit.format, kurv::cli::OutputFormat::Json);
    EXPECT_EQ(c.fit.at, (std::vector<std::string>{"-5", "0.5"}));
    EXPECT_EQ(c.fit.sep, '.');
    EXPECT_TRUE(c.fit.fullPrecision);
    EXPECT_TRUE(c.fit.paste);
    EXPECT_EQ(c.fit.language, 1);

    c = parse({"fit", "--", "-odd name"});
    ASSERT_EQ(c.kind, CommandKind::Fit);
    EXPECT_EQ(c.fit.file, "-odd name");
    EXPECT_EQ(c.fit.sep, ',');  // the locale's
    EXPECT_EQ(c.fit.language, 0);
    EXPECT_EQ(c.fit.kind, kurv::FitKind::Cubic);  // cubic, as a first start of the window
    EXPECT_EQ(parse({"fit"}).fit.file, "-");
    EXPECT_EQ(parse({"fit", "--at", "0,5"}).kind, CommandKind::Fit);  // the locale's comma

    EXPECT_EQ(parse({}).kind, CommandKind::Window);
    c = parse({"data.txt"});
    EXPECT_EQ(c.kind, CommandKind::Window);
    EXPECT_EQ(c.windowArgs, std::vector<std::string>{"data.txt"});
    EXPECT_EQ(parse({"--help"}).kind, CommandKind::Help);
    EXPECT_EQ(parse({"fit", "-h"}).kind, CommandKind::Help);
    EXPECT_EQ(parse({"--vers"}).kind, CommandKind::Version);
}

// --help fits an 80-column terminal in both languages; --version names the
// version and the licence, as GNU programs do.
TEST(FitCommand, HelpAndVersion) {
    for (const char* lang : {"C.UTF-8", "ru_RU.UTF-8"}) {
        const Outcome help = RunProgram({"--help"}, {}, lang);
        EXPECT_EQ(help.status, 0);
        std::size_t line = 0, widest = 0;
        for (unsigned char ch : help.out) {
            if (ch == '\n') line = 0;
            if ((ch & 0xC0) != 0x80 && ch != '\n') widest = std::max(widest, ++line);
        }
        EXPECT_LE(widest, 80u) << lang;
        EXPECT_NE(help.out.find("kurvilon fit"), std::string::npos);
        EXPECT_EQ(RunProgram({"fit", "--help"}, {}, lang).out, help.out);
        const Outcome version = RunProgram({"--version"}, {}, lang);
        EXPECT_EQ(version.status, 0);
        EXPECT_EQ(version.out.rfind("kurvilon (Kurvilon) " KURVILON_VERSION_STRING "\n", 0), 0u);
        EXPECT_NE(version.out.find("GPLv3+"), std::string::npos);
    }
}

// The program that fits links no Qt library, not even through another
// library; the module it loads for the locale's separator links Qt Core and
// nothing graphical; and it fits with no display at all (Run gives it none).
TEST(FitCommand, NeedsNoDisplayAndLinksNoWidgetLibrary) {
    const std::string program = KURVILON_PROGRAM;
    const std::string module = program.substr(0, program.rfind('/')) + "/kurvilon-locale.so";
    for (const char* tool : {"readelf -d ", "ldd "}) {
        for (const std::string& file : {program, module}) {
            FILE* p = ::popen((tool + file).c_str(), "r");
            ASSERT_NE(p, nullptr);
            std::string listing;
            char buf[4096];
            std::size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) listing.append(buf, n);
            ASSERT_EQ(::pclose(p), 0) << tool << file;
            EXPECT_EQ(listing.find("libQt6Core") != std::string::npos, file == module) << tool << file;
            for (const char* lib :
                 {"libQt6Gui", "libQt6Widgets", "libQt6Charts", "libX11", "libxcb", "libGL"})
                EXPECT_EQ(listing.find(lib), std::string::npos) << tool << file << lib;
        }
    }
    const Outcome o = RunProgram({"fit", "--kind=linear", "--separator=."}, "2.1 1\n3.9 2\n6.2 3\n7.8 4\n");
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out.substr(0, o.out.find("\n\n")),
              "A0 = 1.5000000e-1\nA1 = 1.9400000\nY = 1.9400000 * X  +1.5000000e-1\nMax. error: 0.23\n"
              "Rms. deviation (по ГОСТ 17624-87): 0.165");
}

// The locale's separator is read (by the module, as the window reads it)
// only when none is given; without the module a command that needs it says
// how to do without, and one given the separator runs all the same.
TEST(FitCommand, TheLocalesSeparatorOnlyWhenNoneIsGiven) {
    const std::string table = "1 1\n2 2\n3 3,1\n";
    EXPECT_EQ(
        RunProgram({"fit", "--kind=linear", "-"}, table, "ru_RU.UTF-8").out.rfind("A0 = 6,4954683e-2\n", 0),
        0u);
    EXPECT_EQ(
        RunProgram({"fit", "--kind=linear", "-"}, "1 1\n2 2\n3 3.1\n").out.rfind("A0 = 6.4954683e-2\n", 0),
        0u);

    const fs::path alone = fs::temp_directory_path() / ("kurv-cli-alone-" + std::to_string(::getpid()));
    fs::create_directories(alone);
    fs::copy_file(KURVILON_PROGRAM, alone / "kurvilon", fs::copy_options::overwrite_existing);
    const std::string program = (alone / "kurvilon").string();
    const Outcome given =
        RunProgram({"fit", "--kind=linear", "--separator=,", "-"}, table, "ru_RU.UTF-8", program);
    EXPECT_EQ(given.status, 0) << given.err;
    EXPECT_EQ(given.out.rfind("A0 = 6,4954683e-2\n", 0), 0u);
    for (const auto& [lang, ending] : {std::pair{"C.UTF-8", "): give it with --separator\n"},
                                       std::pair{"ru_RU.UTF-8", "): укажите его параметром --separator\n"}}) {
        const Outcome o = RunProgram({"fit", "--kind=linear", "-"}, table, lang, program);
        EXPECT_EQ(o.status, 127) << lang;
        EXPECT_TRUE(o.out.empty()) << lang;
        EXPECT_EQ(o.err.rfind("kurvilon: ", 0), 0u) << o.err;
        EXPECT_TRUE(o.err.ends_with(ending)) << o.err;
    }
    fs::remove_all(alone);
}

// Every number in the JSON form reads back (as any correctly rounding reader
// reads it) to exactly the double the fit holds, over random tables.
TEST(FitCommand, JsonNumbersReadBackExactly) {
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> unit(-1, 1);
    for (int t = 0; t < 40; ++t) {
        kurv::DataTable table;
        const double scale = std::pow(10.0, static_cast<int>(rng() % 24) - 12);
        const int n = 4 + static_cast<int>(rng() % 30);
        table.SetRowCount(n + 2);
        for (int r = 1; r <= n; ++r) {
            const double x = scale * (r + unit(rng));
            table.SetCell(0, r, kurv::GeneralNumberText(3 * x * x - x / scale + unit(rng), '.'));
            table.SetCell(1, r, kurv::GeneralNumberText(x, '.'));
        }
        kurv::cli::FitOptions o;
        o.kind = kurv::kFitKinds[t % 3];
        o.format = kurv::cli::OutputFormat::Json;
        o.at = {"0.3", "-1e-7"};
        kurv::cli::FitResult r;
        ASSERT_EQ(kurv::cli::FitTable(table, o, r).status, 0);
        const std::string json = kurv::cli::FormatResult(r, o);
        std::vector<double> expected{r.coefficients.a0, r.coefficients.a1, r.coefficients.a2,
                                     r.coefficients.a3};
        expected.resize(static_cast<std::size_t>(kurv::CoefficientCount(o.kind)));
        expected.push_back(r.maxError);
        expected.push_back(r.sigma);
        for (std::size_t i = 0; i < r.fitted.size(); ++i) {
            expected.push_back(r.pairs.y[i]);
            expected.push_back(r.pairs.x[i]);
            expected.push_back(r.fitted[i]);
        }
        for (const auto& e : r.at) {
            expected.push_back(e.xValue);
            expected.push_back(e.y);
        }
        std::vector<double> read;
        for (std::size_t at = json.find("value\":"); at != std::string::npos;
             at = json.find("value\":", at + 1))
            read.push_back(std::strtod(json.c_str() + at + 7, nullptr));
        ASSERT_EQ(read.size(), expected.size());
        for (std::size_t i = 0; i < read.size(); ++i)
            EXPECT_EQ(std::memcmp(&read[i], &expected[i], sizeof(double)), 0) << i << " " << expected[i];
    }
}

// With --paste the file is read as the table paste reads the clipboard: tokens
// separated by tabs and line ends, taken in pairs; the same table fits the same.
TEST(FitCommand, PasteRulesAndStandardInput) {
    const Outcome file =
        RunProgram({"fit", "--format=tsv", "--kind=quadratic"}, "1 0\n2 1\n5 2\n10 3\n17.5 4\n");
    const Outcome paste = RunProgram({"fit", "--format=tsv", "--kind=quadratic", "--paste", "-"},
                                     "1\t0\r\n2\t1\r\n5\t2\t10\n3\n17.5\t4");
    EXPECT_EQ(file.status, 0);
    EXPECT_EQ(paste.out, file.out);
    EXPECT_NE(file.out.find("formula\tY = 1.0714286 * X^2 -1.8571429e-1 * X  +1.0428571\n"),
              std::string::npos);
    // A space is no separator for a paste: "1 0" is one token, not a number.
    EXPECT_EQ(RunProgram({"fit", "--paste"}, "1 0\t2 1\n").err,
              "kurvilon: '1 0' is not a valid floating point value\n");
}

// `kurvilon fit` reads a data file without building a table, and a large one
// by two threads: it must give exactly what the table File / Read fills would
// give, whatever the file holds and wherever its first fault lies.
TEST(FitCommand, DataFileFitsAsTheTableReadFromIt) {
    using kurv::cli::FitOptions;
    using kurv::cli::FitResult;
    const auto bothWays = [](const std::string& bytes, const FitOptions& o) {
        std::array<std::string, 2> printed;
        kurv::DataFileLines file;
        FitResult r;
        kurv::cli::Failure f = kurv::cli::FitDataFile(bytes, file, o, r);
        printed[0] = std::to_string(f.status) + f.message + (f.status == 0 ? FormatResult(r, o) : "");
        kurv::DataTable table;
        if (kurv::ReadDataFile(table, bytes) == kurv::DataFileRead::InvalidData)
            return std::array<std::string, 2>{printed[0], "unreadable"};
        f = kurv::cli::FitTable(table, o, r);
        printed[1] = std::to_string(f.status) + f.message + (f.status == 0 ? FormatResult(r, o) : "");
        return printed;
    };
    // About 2 MiB of lines of every shape: pairs, blank lines, a lone Y, a third
    // token, tabs and CR LF.
    std::mt19937_64 rng(7);
    std::string big;
    for (int i = 0; big.size() < (std::size_t{2} << 20); ++i) {
        const double x = 0.37 * (i % 4099) + 1e-3 * static_cast<double>(rng() % 1000);
        const std::string xs = kurv::GeneralNumberText(x, ','), ys = kurv::GeneralNumberText(x * x - 3, ',');
        switch (rng() % 16) {
            case 0:
                big += "\n";
                break;
            case 1:
                big += ys + "\n";
                break;
            case 2:
                big += "\t" + ys + " \t" + xs + " 99\r\n";
                break;
            default:
                big += ys + " " + xs + "\n";
        }
    }
    const std::size_t half = big.size() / 2;
    const std::size_t laterLine = big.find('\n', half + 1000) + 1;
    const std::size_t earlierLine = big.find('\n', half / 2) + 1;
    std::string crOnly = big;
    std::replace(crOnly.begin(), crOnly.end(), '\n', '\r');
    const std::string inputs[] = {
        big,
        big.substr(0, 100000),
        crOnly,
        // A first fault in either half, and one in each: the earlier row is named.
        big.substr(0, laterLine) + "4 abc\n" + big.substr(laterLine),
        big.substr(0, laterLine) + "4 1e200\n" + big.substr(laterLine),
        big.substr(0, laterLine) + "4 -1e999\n" + big.substr(laterLine),
        big.substr(0, earlierLine) + "1e300 1\n" + big.substr(earlierLine, laterLine - earlierLine) +
            "x 1\n" + big.substr(laterLine),
        big.substr(0, earlierLine) + "1,5 1,5.\n" + big.substr(earlierLine, laterLine - earlierLine) +
            "4 1e999\n" + big.substr(laterLine),
        "\xEF\xBB\xBF"
        "1 2\n3,5 \xE9\n",  // a byte order mark; Windows-1251
        "",
        "\n\n",
    };
    for (std::size_t k = 0; k < std::size(inputs); ++k) {
        for (int lang : {0, 1}) {
            FitOptions o;
            o.kind = kurv::kFitKinds[k % 3];
            o.sep = ',';
            o.language = lang;
            const auto printed = bothWays(inputs[k], o);
            EXPECT_EQ(printed[0].substr(0, 300), printed[1].substr(0, 300)) << "input " << k;
            EXPECT_TRUE(printed[0] == printed[1]) << "input " << k;
        }
    }
}
