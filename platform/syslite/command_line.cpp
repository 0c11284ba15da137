#include "platform/syslite/command_line.h"

#include <sys/stat.h>
#include <unistd.h>

#include "runtime/strings.h"

namespace syslite {
namespace {

bool isExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

}  // namespace

std::vector<std::string> splitCommandLine(std::string_view text) {
    std::vector<std::string> args;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\') {
            size_t run = 0;
            while (i < text.size() && text[i] == '\\') {
                ++run;
                ++i;
            }
            inArgument = true;
            if (i < text.size() && text[i] == '"') {
                current.append(run / 2, '\\');
                if (run % 2 == 1) {
                    current += '"';
                    continue;
                }
            } else {
                current.append(run, '\\');
            }
            --i;
            continue;
        }
        if (c == '"') {
            inArgument = true;
            if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                current += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
            continue;
        }
        if ((c == ' ' || c == '\t') && !quoted) {
            if (inArgument) args.push_back(std::move(current));
            current.clear();
            inArgument = false;
            continue;
        }
        current += c;
        inArgument = true;
    }
    if (inArgument) args.push_back(std::move(current));
    return args;
}

std::optional<std::string> resolveProgram(std::string_view path) {
    std::string disk = rt::replaceAll(path, "\\", "/");
    if (disk.empty()) return std::nullopt;
    if (exists(disk)) {
        if (isExecutableFile(disk)) return disk;
        return std::nullopt;
    }
    if (rt::endsWith(rt::toLower(disk), ".exe")) {
        std::string bare = disk.substr(0, disk.size() - 4);
        if (isExecutableFile(bare)) return bare;
    }
    return std::nullopt;
}

}  // namespace syslite
