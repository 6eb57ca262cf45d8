#include <fcntl.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/datafile_format.h"
#include "core_tables.h"

using kurv::DataFileRead;
using kurv::DataTable;
using kurv::FileReadResult;
using kurv::FileWriteResult;
using Row = DataTable::Row;
namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void Spit(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

// Runs fn in a child process (as the unprivileged user when we are root, so that
// permissions apply) and returns what it returned.
template <class F>
int InChild(F fn, bool unprivileged) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (unprivileged && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(99);
        ::_exit(fn());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class DataFileIo : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "kurv-datafile-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
        fs::permissions(dir_, fs::perms::all);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::all, ec);
        fs::remove_all(dir_, ec);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path dir_;
};

}  // namespace

TEST(DataFileFormat, Write) {
    struct Case {
        const char* name;
        Rows data;
        int emptyRows;
        std::string bytes;
    };
    const std::string longText(300, '9');
    const Case cases[] = {
        {"three rows, no CR, column 2 left out",
         {{"1", "2", "f"}, {"3,5", "-4e3", "f"}, {"5", "6", ""}},
         5,
         "1 2\n3,5 -4e3\n5 6\n"},
        {"one empty cell", {{"", "7", ""}, {"8", "", ""}}, 1, " 7\n8 \n"},
        {"empty rows between are skipped", {{"1", "2", ""}, {"", "", "f"}, {"3", "4", ""}}, 1, "1 2\n3 4\n"},
        {"single data row", {{"1", "2", ""}}, 0, "1 2\n"},
        {"a last row holding data is written", {{"1", "2", ""}, {"3", "4", ""}}, 0, "1 2\n3 4\n"},
        {"texts verbatim, blanks and all", {{" 1 ", "2", ""}}, 1, " 1  2\n"},
        {"long rows whole", {{longText, longText, ""}}, 1, longText + " " + longText + "\n"},
        {"nothing to write", {}, 5, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(kurv::DataFileBytes(Make(c.data, c.emptyRows)), c.bytes) << c.name;
}

TEST(DataFileFormat, Read) {
    struct Case {
        const char* name;
        std::string bytes;
        Rows expected;  // every data row after reading, the spare row included
    };
    const Rows plain = {{"1", "2", ""}, {"3", "4", ""}, {}};
    const std::string longToken(10 << 20, '5');
    const Case cases[] = {
        {"plain", "1 2\n3 4\n", plain},
        {"CR LF", "1 2\r\n3 4\r\n", plain},
        {"mixed line ends", "1 2\r\n3 4\n", plain},
        {"CR only", "1 2\r3 4\r", plain},
        {"tabs and runs of blanks", "1\t2\n  3 \t\v\f 4\n", plain},
        {"a third value is ignored", "1 2 9\n3 4 x y\n", plain},
        {"no final line feed", "1 2\n3 4", plain},
        {"one token", " 7\n8 \n", {{"7", "", ""}, {"8", "", ""}, {}}},
        {"empty line", "1 2\n\n3 4\n", {{"1", "2", ""}, {"", "", ""}, {"3", "4", ""}, {}}},
        {"decimal commas", "0,5 1,25\n", {{"0,5", "1,25", ""}, {}}},
        {"UTF-8 kept", "\xD0\xBF 1\n", {{"\xD0\xBF", "1", ""}, {}}},
        {"Windows-1251 decoded",
         "\xEF\xF0\xE8 \xB9\x98\n",
         {{"\xD0\xBF\xD1\x80\xD0\xB8", "\xE2\x84\x96\xC2\x98", ""}, {}}},
        {"byte order mark skipped",
         "\xEF\xBB\xBF"
         "1 2\n3 4\n",
         plain},
        {"a 10 MB line read whole", longToken + " 1\n", {{longToken, "1", ""}, {}}},
    };
    for (const Case& c : cases) {
        DataTable t = Make({{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}, {"j", "k", "l"}}, 20);
        ASSERT_EQ(kurv::ReadDataFile(t, c.bytes), DataFileRead::Read) << c.name;
        EXPECT_EQ(DataRows(t), c.expected) << c.name;
        EXPECT_EQ(t.RowAt(0), (Row{"Y", "X", "F"})) << c.name;
    }
    DataTable five;
    kurv::ReadDataFile(five, "1 1\n2 2\n3 3\n4 4\n5 5\n");
    EXPECT_EQ(five.RowCount(), 7);
}

// Lines are split in one look when they end within 64 bytes of their start
// and byte by byte otherwise: both must take the tokens a plain reading takes,
// and find a pair's tokens again from its Y token.
TEST(DataFileFormat, LinesSplitAlikeWhateverTheirLengthAndPlace) {
    const auto plainTokens = [](std::string_view line) {
        std::vector<std::string> t;
        std::size_t i = 0;
        const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
        while (t.size() < 2) {
            while (i < line.size() && blank(line[i])) ++i;
            const std::size_t from = i;
            while (i < line.size() && !blank(line[i])) ++i;
            t.emplace_back(line.substr(from, i - from));
        }
        return t;
    };
    std::mt19937 rng(5);
    const std::string alphabet = "0123456789.,-eE x\t\r\v\f\n\n";
    for (int round = 0; round < 400; ++round) {
        // Lines of every length around the 64-byte look, and a few far longer.
        std::string text;
        const int lines = static_cast<int>(rng() % 40);
        for (int l = 0; l < lines; ++l) {
            const std::size_t len = rng() % 8 == 0 ? rng() % 300 : rng() % 80;
            for (std::size_t i = 0; i < len; ++i) text += alphabet[rng() % (alphabet.size() - 2)];
            if (rng() % 10 != 0) text += '\n';
        }
        const bool crOnly = round % 4 == 3;
        if (crOnly) std::replace(text.begin(), text.end(), '\n', '\r');
        kurv::DataFileLines file;
        if (file.Open(text) != DataFileRead::Read) continue;
        const char eol = crOnly ? '\r' : '\n';
        kurv::DataFileLineReader reader = file.Lines();
        std::size_t at = 0;
        for (std::string_view y, x; reader.Next(y, x);) {
            const std::size_t end = std::min(text.find(eol, at), text.size());
            const std::vector<std::string> want = plainTokens(std::string_view(text).substr(at, end - at));
            ASSERT_EQ(std::string(y), want[0]) << "round " << round << " at " << at;
            ASSERT_EQ(std::string(x), want[1]) << "round " << round << " at " << at;
            if (!y.empty()) {
                EXPECT_EQ(static_cast<std::size_t>(y.data() - text.data()), text.find(want[0], at));
            }
            if (!y.empty() && !x.empty()) {  // a pair's tokens found again from its Y token
                std::string_view y2, x2;
                kurv::DataFileLineReader::TokensFrom(
                    file.Text(), static_cast<std::size_t>(y.data() - text.data()), y2, x2);
                EXPECT_EQ(y2, want[0]);
                EXPECT_EQ(x2, want[1]);
            }
            at = end + 1;
            ASSERT_EQ(reader.At(), text.data() + at);
        }
        EXPECT_GE(at, text.size());
    }
}

TEST(DataFileFormat, RefusedFilesChangeNothing) {
    const DataTable before = Make({{"1", "2", "f"}}, 8);
    struct Case {
        std::string bytes;
        DataFileRead result;
    };
    for (const Case& c : {Case{"", DataFileRead::Empty}, Case{"\xEF\xBB\xBF", DataFileRead::Empty},
                          Case{std::string("1 2\n\0\x01\x02 3\n", 11), DataFileRead::InvalidData},
                          Case{std::string(1, '\0'), DataFileRead::InvalidData}}) {
        DataTable t = before;
        EXPECT_EQ(kurv::ReadDataFile(t, c.bytes), c.result);
        EXPECT_EQ(t.Rows(), before.Rows());
    }
}

// A read reports its progress and stops when asked, leaving the table as it was.
TEST(DataFileFormat, StoppedReadLeavesTheTable) {
    std::string bytes;
    while (bytes.size() < (3u << 20)) bytes += "1.234567890123456 0.98765432109876\n";
    const DataTable start = TableOf({{"1", "2", "f"}}, 3);
    DataTable t = start;
    int reports = 0;
    kurv::Progress stopping([&](std::uint64_t done, std::uint64_t total) {
        EXPECT_LE(done, total);
        return ++reports < 3;
    });
    EXPECT_EQ(kurv::ReadDataFile(t, bytes, &stopping), DataFileRead::Cancelled);
    EXPECT_EQ(t.Rows(), start.Rows());
    kurv::Progress going;
    EXPECT_EQ(kurv::ReadDataFile(t, bytes, &going), DataFileRead::Read);
    EXPECT_EQ(t.RowCount(), static_cast<int>(bytes.size() / 35) + 2);
}

TEST(DataFileFormat, WrittenFileReadsBack) {
    const DataTable t =
        Make({{"1", "2", "f"}, {"", "", ""}, {"", "3", ""}, {"4", "", ""}, {"5 6", "7", ""}}, 3);
    DataTable back;
    ASSERT_EQ(kurv::ReadDataFile(back, kurv::DataFileBytes(t)), DataFileRead::Read);
    EXPECT_EQ(DataRows(back), (Rows{{"1", "2", ""}, {"3", "", ""}, {"4", "", ""}, {"5", "6", ""}, {}}));
}

TEST(DataFileFormat, Utf8Validation) {
    struct Case {
        const char* bytes;
        bool valid;
    };
    for (const Case& c :
         {Case{"plain", true}, Case{"\xD0\x9F\xE2\x84\x96\xF0\x9F\x98\x80", true}, Case{"\xC0\x80", false},
          Case{"\xE0\x80\xAF", false}, Case{"\xED\xA0\x80", false}, Case{"\xF4\x90\x80\x80", false},
          Case{"\xD0", false}, Case{"\x80", false}, Case{"\xEF\xF0\xE8", false}}) {
        EXPECT_EQ(kurv::IsValidUtf8(c.bytes), c.valid) << c.bytes;
        EXPECT_EQ(kurv::FileTextToUtf8(c.bytes) == c.bytes, c.valid) << c.bytes;
    }
}

// The code page table against the system's converter, byte by byte.
TEST(DataFileFormat, Cp1251MatchesSystemConverter) {
    iconv_t cd = ::iconv_open("UTF-8", "CP1251");
    if (cd == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "no CP1251 converter";
    for (int b = 0x80; b <= 0xFF; ++b) {
        if (b == 0x98) continue;  // unassigned
        char in = static_cast<char>(b);
        char out[8];
        char* ip = &in;
        char* op = out;
        std::size_t il = 1, ol = sizeof out;
        ASSERT_NE(::iconv(cd, &ip, &il, &op, &ol), static_cast<std::size_t>(-1)) << b;
        EXPECT_EQ(kurv::Cp1251ToUtf8(std::string(1, in)), std::string(out, op)) << std::hex << b;
    }
    ::iconv_close(cd);
}

TEST_F(DataFileIo, WriteCreatesAndReplaces) {
    const fs::path p = dir_ / "data.txt";
    ASSERT_EQ(kurv::WriteFileSafely(p.string(), "1 2\n"), FileWriteResult::Written);
    EXPECT_EQ(Slurp(p), "1 2\n");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(fs::status(p).permissions(), static_cast<fs::perms>(0666 & ~mask));

    fs::permissions(p, static_cast<fs::perms>(0640));
    ASSERT_EQ(kurv::WriteFileSafely(p.string(), "3 4\n5 6\n"), FileWriteResult::Written);
    EXPECT_EQ(Slurp(p), "3 4\n5 6\n");
    EXPECT_EQ(fs::status(p).permissions(), static_cast<fs::perms>(0640));
    EXPECT_EQ(Names(), std::vector<std::string>{"data.txt"});

    std::string bytes;
    ASSERT_EQ(kurv::ReadWholeFile(p.string(), bytes), FileReadResult::Read);
    EXPECT_EQ(bytes, "3 4\n5 6\n");
}

TEST_F(DataFileIo, WriteFollowsSymbolicLinks) {
    fs::create_directory(dir_ / "sub");
    Spit(dir_ / "sub" / "real.txt", "old");
    fs::create_symlink("sub/real.txt", dir_ / "link.txt");
    fs::create_symlink("sub/new.txt", dir_ / "dangling.txt");
    ASSERT_EQ(kurv::WriteFileSafely((dir_ / "link.txt").string(), "new"), FileWriteResult::Written);
    ASSERT_EQ(kurv::WriteFileSafely((dir_ / "dangling.txt").string(), "made"), FileWriteResult::Written);
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.txt"));
    EXPECT_EQ(Slurp(dir_ / "sub" / "real.txt"), "new");
    EXPECT_EQ(Slurp(dir_ / "sub" / "new.txt"), "made");
    fs::create_symlink("loop2", dir_ / "loop1");
    fs::create_symlink("loop1", dir_ / "loop2");
    EXPECT_EQ(kurv::WriteFileSafely((dir_ / "loop1").string(), "x"), FileWriteResult::OpenFailed);
    EXPECT_TRUE(fs::is_symlink(dir_ / "loop1"));
}

TEST_F(DataFileIo, OpenFailures) {
    fs::create_directory(dir_ / "folder");
    std::string bytes = "kept";
    EXPECT_EQ(kurv::WriteFileSafely((dir_ / "folder").string(), "x"), FileWriteResult::OpenFailed);
    EXPECT_EQ(kurv::WriteFileSafely((dir_ / "missing" / "data.txt").string(), "x"),
              FileWriteResult::OpenFailed);
    EXPECT_EQ(kurv::WriteFileSafely("", "x"), FileWriteResult::OpenFailed);
    EXPECT_EQ(kurv::ReadWholeFile((dir_ / "folder").string(), bytes), FileReadResult::OpenFailed);
    EXPECT_EQ(kurv::ReadWholeFile((dir_ / "missing.txt").string(), bytes), FileReadResult::Missing);
    ASSERT_EQ(::mkfifo((dir_ / "pipe").c_str(), 0666), 0);
    EXPECT_EQ(kurv::ReadWholeFile((dir_ / "pipe").string(), bytes), FileReadResult::OpenFailed);  // no hang
}

// A named pipe with a reader that never reads (and a device) is refused with the
// write error at once, and stays what it was; the write ran in a child under an alarm.
TEST_F(DataFileIo, PipeOrDeviceIsRefusedNotWritten) {
    const fs::path pipe = dir_ / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0666), 0);
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const int r = InChild(
        [&] {
            ::alarm(5);
            return static_cast<int>(kurv::WriteFileSafely(pipe.string(), std::string(1 << 20, '1')));
        },
        false);
    ::close(reader);
    EXPECT_EQ(r, static_cast<int>(FileWriteResult::WriteFailed));
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_EQ(Names(), std::vector<std::string>{"pipe"});
    EXPECT_EQ(kurv::WriteFileSafely("/dev/null", "1 2\n"), FileWriteResult::WriteFailed);
}

TEST_F(DataFileIo, ReadOnlyTargetKeepsItsContent) {
    const fs::path p = dir_ / "locked.txt";
    Spit(p, "old content\n");
    fs::permissions(p, static_cast<fs::perms>(0444));
    const int r = InChild([&] { return static_cast<int>(kurv::WriteFileSafely(p.string(), "new\n")); }, true);
    EXPECT_EQ(r, static_cast<int>(FileWriteResult::OpenFailed));
    EXPECT_EQ(Slurp(p), "old content\n");
    EXPECT_EQ(Names(), std::vector<std::string>{"locked.txt"});
}

// A folder that takes no new file around a writable file: the file is never written in place.
TEST_F(DataFileIo, FolderRefusingNewFilesKeepsTheOldFile) {
    const fs::path p = dir_ / "data.txt";
    Spit(p, "old content\n");
    fs::permissions(p, static_cast<fs::perms>(0666));
    fs::permissions(dir_, static_cast<fs::perms>(0555));
    const int r = InChild([&] { return static_cast<int>(kurv::WriteFileSafely(p.string(), "new\n")); }, true);
    EXPECT_EQ(r, static_cast<int>(FileWriteResult::WriteFailed));
    EXPECT_EQ(Slurp(p), "old content\n");
    EXPECT_EQ(Names(), std::vector<std::string>{"data.txt"});
}

TEST_F(DataFileIo, StaleTemporaryGoesAtTheNextSave) {
    const auto make = [&](const char* name, int ageSeconds) {
        Spit(dir_ / name, "left over");
        const timespec t[2] = {{::time(nullptr) - ageSeconds, 0}, {::time(nullptr) - ageSeconds, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (dir_ / name).c_str(), t, 0), 0);
    };
    make(".kurvilon-Ab3dE9", 3600);  // a killed save's
    make(".kurvilon-fresh1", 0);     // perhaps another save's, still running
    make(".kurvilon-notours", 3600);
    ASSERT_EQ(kurv::WriteFileSafely((dir_ / "data.txt").string(), "1 2\n"), FileWriteResult::Written);
    EXPECT_EQ(Names(), (std::vector<std::string>{".kurvilon-fresh1", ".kurvilon-notours", "data.txt"}));
}

TEST_F(DataFileIo, SizeLimit) {
    const fs::path p = dir_ / "sparse.txt";
    {
        const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kurv::kDataFileMaxBytes) + 1), 0);  // no disk used
        ::close(fd);
    }
    std::string bytes = "kept?";
    EXPECT_EQ(kurv::ReadWholeFile(p.string(), bytes, kurv::kDataFileMaxBytes), FileReadResult::TooLarge);
    EXPECT_TRUE(bytes.empty());
    Spit(p, "12345");
    EXPECT_EQ(kurv::ReadWholeFile(p.string(), bytes, 4), FileReadResult::TooLarge);
    EXPECT_EQ(kurv::ReadWholeFile(p.string(), bytes, 5), FileReadResult::Read);
    kurv::BigArray<char> big;
    EXPECT_EQ(kurv::ReadWholeFile(p.string(), big, 4), FileReadResult::TooLarge);
    EXPECT_EQ(big.size(), 0u);
    ASSERT_EQ(kurv::ReadWholeFile(p.string(), big, 5), FileReadResult::Read);
    EXPECT_EQ(std::string(big.data(), big.size()), "12345");
    // A file that tells no size is stopped once past the limit, and read whole within it.
    if (fs::exists("/proc/self/status")) {
        EXPECT_EQ(kurv::ReadWholeFile("/proc/self/status", bytes, 10), FileReadResult::TooLarge);
        ASSERT_EQ(kurv::ReadWholeFile("/proc/self/status", bytes), FileReadResult::Read);
        EXPECT_NE(bytes.find("\nPid:"), std::string::npos);
        EXPECT_EQ(bytes.back(), '\n');
    }
}

TEST_F(DataFileIo, FailedWriteIsReportedAndLeavesOldFile) {
    const fs::path p = dir_ / "data.txt";
    Spit(p, "old content\n");
    const int r = InChild(
        [&] {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit lim{4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &lim);
            return static_cast<int>(kurv::WriteFileSafely(p.string(), std::string(100000, '1')));
        },
        false);
    EXPECT_EQ(r, static_cast<int>(FileWriteResult::WriteFailed));
    EXPECT_EQ(Slurp(p), "old content\n");
    EXPECT_EQ(Names(), std::vector<std::string>{"data.txt"});

    if (fs::exists("/dev/full")) {
        EXPECT_EQ(kurv::WriteFileSafely("/dev/full", "1 2\n"), FileWriteResult::WriteFailed);
    }
}

TEST_F(DataFileIo, LargeFileReadWhole) {
    std::string big;
    for (int i = 0; i < 300000; ++i) big += std::to_string(i) + " " + std::to_string(-i) + "\r\n";
    const fs::path p = dir_ / "big.txt";
    ASSERT_EQ(kurv::WriteFileSafely(p.string(), big), FileWriteResult::Written);
    std::string bytes;
    ASSERT_EQ(kurv::ReadWholeFile(p.string(), bytes), FileReadResult::Read);
    ASSERT_EQ(bytes, big);
    kurv::BigArray<char> mapped;
    ASSERT_EQ(kurv::ReadWholeFile(p.string(), mapped), FileReadResult::Read);
    ASSERT_EQ(std::string_view(mapped.data(), mapped.size()), big);
    DataTable t;
    ASSERT_EQ(kurv::ReadDataFile(t, bytes), DataFileRead::Read);
    EXPECT_EQ(t.RowCount(), 300002);
    EXPECT_EQ(t.RowAt(300000), (Row{"299999", "-299999", ""}));
}
