#include "lobby/download/safe_path.h"

#include <string>

#include "runtime/strings.h"

namespace download {

bool isSafeGamePath(std::string_view path) {
    std::string normal = rt::replaceAll(path, "/", "\\");
    if (normal.size() < 2 || normal[0] != '\\' || normal[1] == '\\') return false;
    if (normal.find(':') != std::string::npos || normal.find('\0') != std::string::npos) {
        return false;
    }
    std::vector<std::string> parts = rt::split(std::string_view(normal).substr(1), "\\");
    for (const std::string& part : parts) {
        if (part == "..") return false;
    }
    const std::string& name = parts.back();
    return !name.empty() && name != ".";
}

}  // namespace download
