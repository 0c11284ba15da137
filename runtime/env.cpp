#include "runtime/env.h"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

namespace rt {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kFolderDefaults{{
    {"SystemRoot", "SystemRoot"},
    {"APPDATA", "AppData"},
    {"ProgramFiles", "ProgramFiles"},
}};

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return "/tmp";
}

std::string dataFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    // Relative XDG folders are invalid and ignored.
    if (xdg != nullptr && xdg[0] == '/') return xdg;
    return homeFolder() + "/.local/share";
}

}  // namespace

std::optional<std::string> env(std::string_view name) {
    const std::string key(name);
    if (const char* value = std::getenv(key.c_str())) return std::string(value);
    for (const auto& [variable, folder] : kFolderDefaults) {
        if (variable != name) continue;
        std::string path = dataFolder() + "/morvick/" + std::string(folder);
        std::error_code ignored;
        std::filesystem::create_directories(path, ignored);
        return path;
    }
    return std::nullopt;
}

}  // namespace rt
