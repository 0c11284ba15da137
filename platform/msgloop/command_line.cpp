#include "platform/msgloop/command_line.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace msgloop {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

bool is_executable_file(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> search(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        if (is_executable_file(name)) return name;
        return std::nullopt;
    }
    if (is_executable_file("./" + name)) return "./" + name;
    const char* path = std::getenv("PATH");
    std::string_view dirs = path ? path : "";
    while (!dirs.empty()) {
        size_t colon = dirs.find(':');
        std::string_view dir = dirs.substr(0, colon);
        dirs = colon == std::string_view::npos ? std::string_view{} : dirs.substr(colon + 1);
        if (dir.empty()) continue;
        std::string candidate = std::string(dir) + "/" + name;
        if (is_executable_file(candidate)) return candidate;
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::string> split_arguments(std::string_view s) {
    std::vector<std::string> out;
    size_t i = 0;
    const size_t n = s.size();
    for (;;) {
        while (i < n && is_blank(s[i])) ++i;
        if (i >= n) break;
        std::string arg;
        bool quoted = false;
        while (i < n && (quoted || !is_blank(s[i]))) {
            char c = s[i];
            if (c == '\\') {
                size_t k = 0;
                while (i + k < n && s[i + k] == '\\') ++k;
                if (i + k < n && s[i + k] == '"') {
                    arg.append(k / 2, '\\');
                    if (k % 2 == 1) {
                        arg += '"';
                        i += k + 1;
                    } else {
                        i += k;
                    }
                } else {
                    arg.append(k, '\\');
                    i += k;
                }
            } else if (c == '"') {
                if (quoted && i + 1 < n && s[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += c;
                ++i;
            }
        }
        out.push_back(std::move(arg));
    }
    return out;
}

std::vector<std::string> split_command_line(
    std::string_view line, const std::function<bool(const std::string&)>& is_program) {
    size_t i = 0;
    while (i < line.size() && is_blank(line[i])) ++i;
    line = line.substr(i);
    if (line.empty()) return {};

    std::string program;
    size_t rest = 0;
    if (line[0] == '"') {
        size_t close = line.find('"', 1);
        program =
            std::string(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
        rest = close == std::string_view::npos ? line.size() : close + 1;
    } else {
        size_t first_end = 0;
        while (first_end < line.size() && !is_blank(line[first_end])) ++first_end;
        program = std::string(line.substr(0, first_end));
        rest = first_end;
        for (size_t end = first_end; end <= line.size(); ++end) {
            bool boundary = end == line.size() || (is_blank(line[end]) && !is_blank(line[end - 1]));
            if (!boundary) continue;
            std::string candidate(line.substr(0, end));
            if (is_program(candidate)) {
                program = std::move(candidate);
                rest = end;
                break;
            }
        }
    }
    std::vector<std::string> out{program};
    for (auto& arg : split_arguments(line.substr(rest))) out.push_back(std::move(arg));
    return out;
}

std::optional<std::string> find_program(const std::string& name) {
    if (name.empty()) return std::nullopt;
    if (auto found = search(name)) return found;
    if (name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".exe") == 0) {
        return search(name.substr(0, name.size() - 4));
    }
    return std::nullopt;
}

}  // namespace msgloop
