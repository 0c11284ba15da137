#include "platform/shared/platform_log.h"

#include "runtime/text_escape.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace platform {

void log(std::string_view library, std::string_view text) {
    static std::mutex lock;
    std::string line;
    line.reserve(library.size() + text.size() + 3);
    line.append(library).append(": ").append(text).append("\n");
    std::lock_guard<std::mutex> guard(lock);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    const char* path = std::getenv("MORVICK_PLATFORM_LOG");
    if (path == nullptr || *path == '\0') return;
    if (std::FILE* file = std::fopen(path, "a")) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    }
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    rt::appendEscaped(out, text,
                      {{'"', "\\\""}, {'\\', "\\\\"}, {'\n', "\\n"}, {'\r', "\\r"}, {'\t', "\\t"}},
                      [](std::string& to, unsigned char c) {
                          char hex[8];
                          std::snprintf(hex, sizeof hex, "\\x%02x", c);
                          to += hex;
                      });
    out += '"';
    return out;
}

}  // namespace platform
