#include "core/settings_location.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace kurv {

namespace {

constexpr const char* kFileName = "Kurvilon.ini";

std::string WithoutTrailingSeparator(std::string dir) {
    if (!dir.empty() && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
    return dir;
}

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

bool PathWritable(const std::string& path) {
    return !path.empty() && ::access(path.c_str(), W_OK) == 0;
}

bool IsInstalledProgramDirectory(const std::string& dir) {
    for (std::string_view prefix : {"/usr", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libexec"}) {
        if (dir.compare(0, prefix.size(), prefix) == 0 &&
            (dir.size() == prefix.size() || dir[prefix.size()] == '/'))
            return true;
    }
    return false;
}

std::string ChooseSettingsFile(const SettingsPlace& place) {
    const std::string dir = WithoutTrailingSeparator(place.programDirectory);
    const std::string beside = dir + "/" + kFileName;
    if (IsInstalledProgramDirectory(dir)) {
        if (place.exists(beside)) return beside;
    } else if (place.writable(beside) || place.writable(dir.empty() ? "/" : dir)) {
        return beside;
    }

    std::string base;
    if (!place.xdgConfigHome.empty() && place.xdgConfigHome.front() == '/')
        base = WithoutTrailingSeparator(place.xdgConfigHome);
    else if (!place.home.empty())
        base = WithoutTrailingSeparator(place.home) + "/.config";
    else
        return beside;
    return base + "/Kurvilon/" + kFileName;
}

std::string SettingsFileFor(const std::string& programDirectory) {
    const std::string file = ChooseSettingsFile(
        {programDirectory, Env("XDG_CONFIG_HOME"), Env("HOME"), PathWritable, [](const std::string& p) {
             std::error_code ec;
             return std::filesystem::exists(p, ec);
         }});
    const std::filesystem::path folder = std::filesystem::path(file).parent_path();
    std::error_code ec;
    if (!std::filesystem::exists(folder, ec)) std::filesystem::create_directories(folder, ec);
    return file;
}

}  // namespace kurv
