#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "core/settings_location.h"

namespace fs = std::filesystem;

namespace {

struct PlaceCase {
    const char* name;
    std::set<std::string> writable;  // the paths the check says may be written
    std::set<std::string> existing;  // the paths that exist (besides the writable ones)
    std::string programDirectory;
    std::string xdgConfigHome;
    std::string home;
    std::string expected;
};

class ChooseSettingsFileTest : public testing::TestWithParam<PlaceCase> {};

TEST_P(ChooseSettingsFileTest, Chooses) {
    const PlaceCase& c = GetParam();
    const kurv::SettingsPlace place{
        c.programDirectory, c.xdgConfigHome, c.home,
        [&](const std::string& p) { return c.writable.count(p) > 0; },
        [&](const std::string& p) { return c.writable.count(p) > 0 || c.existing.count(p) > 0; }};
    EXPECT_EQ(kurv::ChooseSettingsFile(place), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChooseSettingsFileTest,
    testing::Values(
        PlaceCase{"WritableFolder", {"/opt/k"}, {}, "/opt/k/", "/x", "/home/u", "/opt/k/Kurvilon.ini"},
        PlaceCase{"WritableFileInReadOnlyFolder",
                  {"/opt/k/Kurvilon.ini"},
                  {},
                  "/opt/k",
                  "",
                  "/home/u",
                  "/opt/k/Kurvilon.ini"},
        PlaceCase{"InstalledUsesXdg",
                  {},
                  {},
                  "/usr/bin",
                  "/home/u/cfg/",
                  "/home/u",
                  "/home/u/cfg/Kurvilon/Kurvilon.ini"},
        PlaceCase{"InstalledDefaultsToDotConfig",
                  {},
                  {},
                  "/usr/bin",
                  "",
                  "/home/u",
                  "/home/u/.config/Kurvilon/Kurvilon.ini"},
        PlaceCase{"RelativeXdgIgnored",
                  {},
                  {},
                  "/usr/bin",
                  "cfg",
                  "/home/u",
                  "/home/u/.config/Kurvilon/Kurvilon.ini"},
        PlaceCase{"NoHomeStaysBeside", {}, {}, "/usr/bin", "", "", "/usr/bin/Kurvilon.ini"},
        // Root may write /usr/bin, but an installed copy never puts its file there unasked.
        PlaceCase{"InstalledWritableFolderStillUsesConfig",
                  {"/usr/libexec/kurvilon"},
                  {},
                  "/usr/libexec/kurvilon",
                  "",
                  "/root",
                  "/root/.config/Kurvilon/Kurvilon.ini"},
        PlaceCase{"InstalledWithAFileBesideUsesIt",
                  {},
                  {"/usr/local/bin/Kurvilon.ini"},
                  "/usr/local/bin/",
                  "",
                  "/home/u",
                  "/usr/local/bin/Kurvilon.ini"},
        PlaceCase{"LookAlikePrefixIsNotInstalled",
                  {"/usrx/k"},
                  {},
                  "/usrx/k",
                  "",
                  "/home/u",
                  "/usrx/k/Kurvilon.ini"},
        PlaceCase{"BackslashTrimmed", {"C:\\k"}, {}, "C:\\k\\", "", "", "C:\\k/Kurvilon.ini"}),
    [](const testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

class TempDir {
  public:
    TempDir() {
        std::string tmpl = (fs::temp_directory_path() / "kurv-place-XXXXXX").string();
        path_ = ::mkdtemp(tmpl.data());
        fs::permissions(path_, fs::perms::all);  // an unprivileged child must reach into it
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

// Runs `body` in a child process, as an unprivileged user when this one is root
// (root may write anywhere, which would hide the read-only case). The child's
// exit status says whether every check held.
int InChild(const std::function<bool()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(99);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// An installed copy: its folder and its file are read-only, so the settings go
// to the configuration folder, which is made on the way.
TEST(SettingsFileFor, ReadOnlyProgramFolderUsesTheCreatedConfigFolder) {
    TempDir tmp;
    const std::string program = tmp / "bin";
    const std::string config = tmp / "config";
    fs::create_directories(program);
    fs::create_directories(config);
    std::ofstream(program + "/Kurvilon.ini") << "[Config]\n";
    fs::permissions(program + "/Kurvilon.ini",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                 fs::perms::others_exec);
    fs::permissions(config, fs::perms::all);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const int rc = InChild([&] {
        return kurv::SettingsFileFor(program) == config + "/Kurvilon/Kurvilon.ini" &&
               fs::is_directory(config + "/Kurvilon");
    });
    ::unsetenv("XDG_CONFIG_HOME");
    fs::permissions(program, fs::perms::owner_all);
    EXPECT_EQ(rc, 0);
}

// A portable copy keeps its file beside the program, writable folder or not.
TEST(SettingsFileFor, WritableFolderOrFileKeepsTheFileBeside) {
    TempDir tmp;
    const std::string folder = tmp / "portable";
    const std::string lockedFolder = tmp / "locked";
    fs::create_directories(folder);
    fs::create_directories(lockedFolder);
    std::ofstream(lockedFolder + "/Kurvilon.ini") << "[Config]\n";
    fs::permissions(folder, fs::perms::all);
    fs::permissions(lockedFolder + "/Kurvilon.ini", fs::perms::all);
    fs::permissions(lockedFolder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                      fs::perms::others_exec);
    const int rc = InChild([&] {
        return kurv::SettingsFileFor(folder) == folder + "/Kurvilon.ini" &&
               kurv::SettingsFileFor(lockedFolder + "/") == lockedFolder + "/Kurvilon.ini";
    });
    fs::permissions(lockedFolder, fs::perms::owner_all);
    EXPECT_EQ(rc, 0);
}

}  // namespace
