#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <string>

namespace haldor {

// The request of the current update server: its "Temp%d" key and the address to fetch.
struct CServer {
    std::string key;
    std::string address;
};

class CServers {
public:
    void Clear();
    void Add(const std::string& key, const std::string& address);
    std::optional<CServer> GetFirst();

private:
    std::mutex mutex_;
    std::deque<CServer> servers_;
};

}  // namespace haldor
