#include "updater/servers.h"

namespace haldor {

void CServers::Clear() {
    std::lock_guard lock(mutex_);
    servers_.clear();
}

void CServers::Add(const std::string& key, const std::string& address) {
    std::lock_guard lock(mutex_);
    servers_.push_back({key, address});
}

std::optional<CServer> CServers::GetFirst() {
    std::lock_guard lock(mutex_);
    if (servers_.empty()) return std::nullopt;
    return servers_.front();
}

}  // namespace haldor
