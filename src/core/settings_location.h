// Where the settings file lives.
//
// A copy of the program in a folder its user may write (a build folder, an
// unpacked portable copy) keeps Kurvilon.ini beside the executable, as it
// always has. An installed copy keeps it in the user's configuration folder
// instead: /usr/bin is not the user's to write, and root, who may, must not
// leave a file there that no package owns. A Kurvilon.ini put beside an
// installed program on purpose is still the one used.
#pragma once

#include <functional>
#include <string>

namespace kurv {

// What the choice depends on; the writability check is a parameter so that
// tests can decide it regardless of who runs them.
struct SettingsPlace {
    std::string programDirectory;  // trailing '/' or '\' allowed
    std::string xdgConfigHome;     // $XDG_CONFIG_HOME; ignored unless an absolute path
    std::string home;              // $HOME
    std::function<bool(const std::string& path)> writable;
    std::function<bool(const std::string& path)> exists;
};

// Whether a program in `dir` is an installed copy: the folder lies in the
// system's own tree (/usr with /usr/local, /bin, /sbin, /lib..., /libexec).
bool IsInstalledProgramDirectory(const std::string& dir);

// An installed copy: beside the executable when a Kurvilon.ini is already
// there. Any other copy: beside the executable when its folder is writable or a
// writable Kurvilon.ini is already there. Otherwise
// $XDG_CONFIG_HOME/Kurvilon/Kurvilon.ini, with ~/.config as the default base.
// With neither variable set the file stays beside the executable (writes then
// fail and the program goes on).
std::string ChooseSettingsFile(const SettingsPlace& place);

// The same for this process: its environment, the real permission check, and
// the configuration folder created when it is the one chosen.
std::string SettingsFileFor(const std::string& programDirectory);

// Whether this process may write `path` (a file or a folder that exists).
bool PathWritable(const std::string& path);

}  // namespace kurv
