#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "core/ini_file.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void Spit(const fs::path& p, const std::string& data) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << data;
}

class TempDir {
  public:
    TempDir() {
        std::string tmpl = (fs::temp_directory_path() / "kurv-ini-XXXXXX").string();
        path_ = ::mkdtemp(tmpl.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    fs::path operator/(const std::string& name) const { return path_ / name; }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

bool Privileged() {
    return ::geteuid() == 0;
}

}  // namespace

// ---- Reading ----

struct LookupCase {
    const char* name;
    std::string content;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

class ProfileLookupTest : public testing::TestWithParam<LookupCase> {};

TEST_P(ProfileLookupTest, FindsTheValue) {
    const LookupCase& c = GetParam();
    EXPECT_EQ(kurv::ProfileLookup(c.content, c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileLookupTest,
    testing::Values(
        LookupCase{"Plain", "[Config]\nLanguage=Rus\n", "Config", "Language", "Rus"},
        LookupCase{"NamesIgnoreCase", "[CONFIG]\nlanguage=Eng\n", "config", "LANGUAGE", "Eng"},
        LookupCase{"ValueKeepsCase", "[Config]\nLanguage=rus\n", "Config", "Language", "rus"},
        LookupCase{"BlanksTrimmed", "  [ Config ]  \n\t Language \t=  Eng  \n", "Config", "Language", "Eng"},
        LookupCase{"CrLf", "[FormMain]\r\nLeft=-40\r\nTop=12\r\n", "FormMain", "Top", "12"},
        LookupCase{"LoneCr", "[FormMain]\rLeft=5\rTop=6", "FormMain", "Top", "6"},
        LookupCase{"NoFinalLineBreak", "[FormMain]\nOnTop=N", "FormMain", "OnTop", "N"},
        LookupCase{"EmptyValueIsNotMissing", "[Config]\nPoints=\n", "Config", "Points", ""},
        LookupCase{"LineWithoutEqualsIsNoKey", "[Config]\nPoints\n", "Config", "Points", std::nullopt},
        LookupCase{"FirstDuplicateSectionWins", "[Config]\nA=1\n[Config]\nA=2\nB=3\n", "Config", "A", "1"},
        LookupCase{"SecondDuplicateIsNotSearched", "[Config]\nA=1\n[config]\nB=3\n", "Config", "B",
                   std::nullopt},
        LookupCase{"FirstDuplicateKeyWins", "[Config]\nA=1\na=2\n", "Config", "A", "1"},
        LookupCase{"OtherSectionsKeysNotSeen", "[FormMain]\nLanguage=Eng\n[Config]\n", "Config", "Language",
                   std::nullopt},
        LookupCase{"KeysBeforeAnySection", "Language=Eng\n[Config]\n", "Config", "Language", std::nullopt},
        LookupCase{"CommentLine", "[Config]\n;Language=Eng\nLanguage=Rus\n", "Config", "Language", "Rus"},
        LookupCase{"QuotesStripped", "[Config]\nA=\"x y\"\nB='z'\nC=\"w\n", "Config", "A", "x y"},
        LookupCase{"SingleQuotesStripped", "[Config]\nB='z'\n", "Config", "B", "z"},
        LookupCase{"UnpairedQuoteKept", "[Config]\nC=\"w\n", "Config", "C", "\"w"},
        LookupCase{"EqualsInValue", "[Config]\nA=b=c\n", "Config", "A", "b=c"},
        LookupCase{"TextAfterHeader", "[Config] ; main\nA=1\n", "Config", "A", "1"},
        LookupCase{"UnclosedHeaderIsNoSection", "[Config]\n[FormMain\nA=1\n", "Config", "A", "1"},
        LookupCase{"Utf8Signature", "\xEF\xBB\xBF[Config]\nA=1\n", "Config", "A", "1"},
        LookupCase{"BinaryAround", "\x01\xFF\0\0garbage\n[Config]\nA=1\n\0\0\x7F"s, "Config", "A", "1"},
        LookupCase{"NulInsideValue", "[Config]\nA=ab\0cd\n"s, "Config", "A", "ab\0cd"s},
        LookupCase{"Empty", "", "Config", "A", std::nullopt}),
    [](const testing::TestParamInfo<LookupCase>& i) { return std::string(i.param.name); });

TEST(ReadProfileString, MissingFileSectionOrKeyGivesDefault) {
    TempDir dir;
    const std::string path = (dir / "Kurvilon.ini").string();
    EXPECT_EQ(kurv::ReadProfileString(path, "FormMain", "Function", "3"), "3");
    Spit(path, "[FormMain]\nLeft=10\n");
    EXPECT_EQ(kurv::ReadProfileString(path, "FormMain", "Function", "3"), "3");
    EXPECT_EQ(kurv::ReadProfileString(path, "Config", "Language", ""), "");
    EXPECT_EQ(kurv::ReadProfileString(path, "formmain", "LEFT", "0"), "10");
}

TEST(ReadProfileString, SeesNineCharactersAtMost) {
    TempDir dir;
    const std::string path = (dir / "Kurvilon.ini").string();
    Spit(path, "[FormMain]\nLeft=123456789012\nTop=ab\0cdef\n"s);
    EXPECT_EQ(kurv::ReadProfileString(path, "FormMain", "Left", ""), "123456789");
    EXPECT_EQ(kurv::ReadProfileString(path, "FormMain", "Top", ""), "ab");
    // The default goes through the same buffer, without its trailing blanks.
    EXPECT_EQ(kurv::ReadProfileString(path, "FormMain", "Width", "abcdefghijkl"), "abcdefghi");
    EXPECT_EQ(kurv::ReadProfileString(path, "FormMain", "Width", "Y  "), "Y");
}

TEST(ReadProfileString, UnreadablePathsGiveDefault) {
    TempDir dir;
    EXPECT_EQ(kurv::ReadProfileString(dir.path().string(), "Config", "Points", "Y"), "Y");
    const fs::path fifo = dir / "fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(kurv::ReadProfileString(fifo.string(), "Config", "Points", "Y"), "Y");
}

// ---- Writing ----

struct EditCase {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

class ProfileEditTest : public testing::TestWithParam<EditCase> {};

TEST_P(ProfileEditTest, ChangesOnlyItsKey) {
    const EditCase& c = GetParam();
    EXPECT_EQ(kurv::ProfileWithValue(c.before, c.section, c.key, c.value), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileEditTest,
    testing::Values(EditCase{"EmptyFile", "", "Config", "Language", "Rus", "[Config]\nLanguage=Rus\n"},
                    EditCase{"ReplaceKeepsNeighbours", "; mine\n[Config]\nA=1\nLanguage=Eng\nB = 2 \n",
                             "Config", "Language", "Rus", "; mine\n[Config]\nA=1\nLanguage=Rus\nB = 2 \n"},
                    EditCase{"ReplaceKeepsFileSpellingAndIndent", "[config]\n  LANGUAGE = Eng ; x\n",
                             "Config", "Language", "Rus", "[config]\n  LANGUAGE=Rus\n"},
                    EditCase{"CrLfKept", "[FormMain]\r\nLeft=1\r\nTop=2\r\n", "FormMain", "Left", "-40",
                             "[FormMain]\r\nLeft=-40\r\nTop=2\r\n"},
                    EditCase{"NewKeyInCrLfFile", "[FormMain]\r\nLeft=1\r\n", "FormMain", "Top", "5",
                             "[FormMain]\r\nLeft=1\r\nTop=5\r\n"},
                    EditCase{"NewKeyBeforeBlankLines", "[Config]\nA=1\n\n\n[FormMain]\nB=2\n", "Config",
                             "Points", "No", "[Config]\nA=1\nPoints=No\n\n\n[FormMain]\nB=2\n"},
                    EditCase{"NewKeyAtEndWithoutLineBreak", "[Config]\nA=1", "Config", "Points", "No",
                             "[Config]\nA=1\nPoints=No\n"},
                    EditCase{"NewKeyUnderBareHeader", "[Config]\n[FormMain]\n", "Config", "A", "1",
                             "[Config]\nA=1\n[FormMain]\n"},
                    EditCase{"NewSectionAppended", "[Config]\nA=1", "FormMain", "OnTop", "Y",
                             "[Config]\nA=1\n[FormMain]\nOnTop=Y\n"},
                    EditCase{"FirstDuplicateSectionEdited", "[Config]\nA=1\n[Config]\nA=2\n", "config", "A",
                             "3", "[Config]\nA=3\n[Config]\nA=2\n"},
                    EditCase{"KeyOnlyInSecondDuplicateAddedToFirst", "[Config]\n[Config]\nA=2\n", "Config",
                             "A", "3", "[Config]\nA=3\n[Config]\nA=2\n"},
                    EditCase{"CommentedKeyNotTaken", "[Config]\n;A=1\n", "Config", "A", "2",
                             "[Config]\n;A=1\nA=2\n"},
                    EditCase{"GarbageKept", "\x01\x02\0zz\n\xFF[Config\n"s, "Config", "A", "1",
                             "\x01\x02\0zz\n\xFF[Config\n[Config]\nA=1\n"s}),
    [](const testing::TestParamInfo<EditCase>& i) { return std::string(i.param.name); });

TEST(WriteProfileString, CreatesTheFileAndReadsBack) {
    TempDir dir;
    const std::string path = (dir / "Kurvilon.ini").string();
    ASSERT_TRUE(kurv::WriteProfileString(path, "Config", "Language", "Eng"));
    ASSERT_TRUE(kurv::WriteProfileString(path, "FormMain", "OnTop", "Y"));
    ASSERT_TRUE(kurv::WriteProfileString(path, "Config", "Language", "Rus"));
    EXPECT_EQ(Slurp(path), "[Config]\nLanguage=Rus\n[FormMain]\nOnTop=Y\n");
    EXPECT_EQ(kurv::ReadProfileString(path, "Config", "Language", ""), "Rus");
    // Nothing but the settings file is left behind in the directory.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(WriteProfileString, RefusesWhatWouldBreakTheFile) {
    TempDir dir;
    const fs::path path = dir / "Kurvilon.ini";
    Spit(path, "[Config]\nA=1\n");
    for (auto [section, key, value] : {std::tuple{"Config", "A", "1\n[X]"},
                                       {"Config", "A=B", "1"},
                                       {"Con]fig", "A", "1"},
                                       {"", "A", "1"},
                                       {"Config", " ", "1"},
                                       {"Config", "A\r", "1"},
                                       {"Config", "[A", "1"}}) {
        SCOPED_TRACE(std::string(section) + "/" + key);
        EXPECT_FALSE(kurv::WriteProfileString(path.string(), section, key, value));
    }
    EXPECT_FALSE(kurv::WriteProfileString(path.string(), "Config", "A", "x\0y"s));
    EXPECT_EQ(Slurp(path), "[Config]\nA=1\n");
}

TEST(WriteProfileString, MissingDirectoryOrDirectoryPathFails) {
    TempDir dir;
    EXPECT_FALSE(kurv::WriteProfileString((dir / "no" / "Kurvilon.ini").string(), "Config", "A", "1"));
    EXPECT_FALSE(kurv::WriteProfileString(dir.path().string(), "Config", "A", "1"));
}

TEST(WriteProfileString, KeepsModeAndWritesThroughLinks) {
    TempDir dir;
    const fs::path real = dir / "real.ini";
    const fs::path link = dir / "Kurvilon.ini";
    Spit(real, "[Config]\nA=1\n");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    fs::create_symlink("real.ini", link);
    ASSERT_TRUE(kurv::WriteProfileString(link.string(), "Config", "A", "2"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Slurp(real), "[Config]\nA=2\n");
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(WriteProfileString, ReadOnlyFileIsLeftAlone) {
    if (Privileged()) GTEST_SKIP() << "permissions do not bind a privileged user";
    TempDir dir;
    const fs::path path = dir / "Kurvilon.ini";
    Spit(path, "[Config]\nA=1\n");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_FALSE(kurv::WriteProfileString(path.string(), "Config", "A", "2"));
    ASSERT_EQ(::chmod(path.c_str(), 0000), 0);  // unreadable: never replaced by a fresh file
    EXPECT_FALSE(kurv::WriteProfileString(path.string(), "Config", "A", "2"));
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    EXPECT_EQ(Slurp(path), "[Config]\nA=1\n");
}

// The settings file is never written in place, though the file itself is writable.
TEST(WriteProfileString, ReadOnlyDirectoryKeepsTheFile) {
    TempDir dir;
    const fs::path path = dir / "Kurvilon.ini";
    Spit(path, "[Config]\nLanguage=Rus\nPoints=Yes\n");
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Root would write anyway: try as nobody.
        if (Privileged() && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(99);
        ::_exit(kurv::WriteProfileString(path.string(), "Config", "Language", "Eng") ? 1 : 0);
    }
    int status = -1;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(Slurp(path), "[Config]\nLanguage=Rus\nPoints=Yes\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(WriteProfileString, HugeFileStaysLinear) {
    TempDir dir;
    const fs::path path = dir / "Kurvilon.ini";
    std::string big;
    for (int i = 0; i < 200000; ++i) big += "[S" + std::to_string(i) + "]\r\nKey=some value\r\n";
    Spit(path, big);  // about 5 MB, the section we write last
    ASSERT_TRUE(kurv::WriteProfileString(path.string(), "FormMain", "Left", "12"));
    ASSERT_TRUE(kurv::WriteProfileString(path.string(), "S199999", "Key", "x"));
    EXPECT_EQ(kurv::ReadProfileString(path.string(), "FormMain", "Left", ""), "12");
    EXPECT_EQ(kurv::ReadProfileString(path.string(), "s100000", "key", ""), "some valu");
    std::string after = Slurp(path);
    EXPECT_EQ(after.substr(0, big.size() - 16), big.substr(0, big.size() - 16));
    EXPECT_EQ(after.substr(big.size() - 16), "Key=x\r\n[FormMain]\r\nLeft=12\r\n");
}

// ---- Numbers in settings ----

struct IntCase {
    const char* text;
    std::optional<int> expected;
};

class ParseDecimalIntTest : public testing::TestWithParam<IntCase> {};

TEST_P(ParseDecimalIntTest, Parses) {
    EXPECT_EQ(kurv::ParseDecimalInt(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseDecimalIntTest,
    testing::Values(IntCase{"0", 0}, IntCase{"-40", -40}, IntCase{"+7", 7}, IntCase{"99999", 99999},
                    IntCase{"007", 7}, IntCase{"-0", 0}, IntCase{"2147483647", 2147483647},
                    IntCase{"-2147483648", -2147483647 - 1}, IntCase{"2147483648", std::nullopt},
                    IntCase{"-2147483649", std::nullopt}, IntCase{"99999999999999999999", std::nullopt},
                    IntCase{"abc", std::nullopt}, IntCase{"", std::nullopt}, IntCase{"-", std::nullopt},
                    IntCase{"+-1", std::nullopt}, IntCase{" 1", std::nullopt}, IntCase{"1 ", std::nullopt},
                    IntCase{"1.0", std::nullopt}, IntCase{"$10", std::nullopt}, IntCase{"0x10", std::nullopt},
                    IntCase{"12a", std::nullopt}));
