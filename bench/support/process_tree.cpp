#include "bench/support/process_tree.h"

#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace bench {

std::vector<pid_t> processTree(pid_t root) {
    std::multimap<pid_t, pid_t> children;
    if (DIR* proc = opendir("/proc")) {
        while (dirent* e = readdir(proc)) {
            if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
            std::ifstream in(std::string("/proc/") + e->d_name + "/stat");
            std::string stat;
            std::getline(in, stat);
            // "pid (name) state ppid ...": the name may hold spaces and parentheses.
            const size_t close = stat.rfind(')');
            char state = 0;
            long parent = 0;
            if (close == std::string::npos ||
                std::sscanf(stat.c_str() + close + 1, " %c %ld", &state, &parent) != 2 ||
                state == 'Z') {
                continue;
            }
            children.emplace(static_cast<pid_t>(parent), std::atoi(e->d_name));
        }
        closedir(proc);
    }
    std::vector<pid_t> tree{root};
    for (size_t i = 0; i < tree.size(); ++i) {
        auto [first, last] = children.equal_range(tree[i]);
        for (auto it = first; it != last; ++it) tree.push_back(it->second);
    }
    return tree;
}

namespace {

double pssKiB(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("Pss:", 0) == 0) return std::atof(line.c_str() + 4);
    }
    return 0;
}

std::vector<std::string> commandLineOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    std::vector<std::string> args;
    std::string arg;
    while (std::getline(in, arg, '\0')) args.push_back(arg);
    if (args.size() != 1) return args;
    // Chromium's helpers rewrite their command line as one text with blanks between arguments.
    std::istringstream words(args.front());
    args.clear();
    while (words >> arg) args.push_back(arg);
    return args;
}

std::string optionValue(const std::vector<std::string>& args, const std::string& option) {
    const std::string prefix = "--" + option + "=";
    for (const std::string& a : args) {
        if (a.rfind(prefix, 0) == 0) return a.substr(prefix.size());
    }
    return "";
}

}  // namespace

double pssMiB(const std::vector<pid_t>& processes) {
    double kib = 0;
    for (pid_t pid : processes) kib += pssKiB(pid);
    return kib / 1024;
}

std::string processKind(const std::vector<std::string>& args) {
    if (args.empty()) return "?";
    const std::string type = optionValue(args, "type");
    if (type == "utility") {
        const std::string sub = optionValue(args, "utility-sub-type");
        return sub.empty() ? type : type + " " + sub;
    }
    if (type == "renderer") {
        for (const std::string& a : args) {
            if (a == "--top-chrome-webui") return "renderer webui";
        }
        return type;
    }
    if (!type.empty()) return type;
    const std::string& program = args.front();
    const size_t slash = program.rfind('/');
    const std::string name = slash == std::string::npos ? program : program.substr(slash + 1);
    return name == "chromium" ? "browser" : name;
}

std::map<std::string, KindShare> pssByKind(const std::vector<pid_t>& processes) {
    std::map<std::string, KindShare> kinds;
    for (pid_t pid : processes) {
        KindShare& k = kinds[processKind(commandLineOf(pid))];
        k.mib += pssKiB(pid) / 1024;
        ++k.processes;
    }
    return kinds;
}

}  // namespace bench
