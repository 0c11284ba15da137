#include "bench/support/process_tree.h"

#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
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

double pssMiB(const std::vector<pid_t>& processes) {
    double kib = 0;
    for (pid_t pid : processes) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("Pss:", 0) == 0) kib += std::atof(line.c_str() + 4);
        }
    }
    return kib / 1024;
}

}  // namespace bench
