#include "updater/update_log.h"

#include <cstdio>
#include <ctime>

namespace haldor {

void AppendLogLine(const std::string& log_path, const std::string& text) {
    std::FILE* log = std::fopen(log_path.c_str(), "a");
    if (!log) return;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::fprintf(log, "%d-%02d-%02d %02d:%02d:%02d %s\n", local.tm_year + 1900, local.tm_mon + 1,
                 local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, text.c_str());
    std::fclose(log);
}

}  // namespace haldor
