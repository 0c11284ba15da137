// One running copy per user and name: an abstract Unix socket named from the user id and the
// name. The first copy listens; a later copy connects, says "newapp" and is told it is second.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace cefhx {

class SingleInstance {
public:
    SingleInstance() = default;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;
    ~SingleInstance();

    // The socket name for a user and an instance name (without the leading NUL).
    static std::string socketName(uint32_t uid, std::string_view name);

    // True when this is the first copy under the name: it then listens on the message loop and
    // calls onNewApp each time a later copy announces itself. False when a copy already runs;
    // that copy has been told.
    bool claim(std::string_view name, std::function<void()> onNewApp);
    // Stops listening.
    void release();

private:
    void onConnection();

    int listenFd_ = -1;
    uint64_t watchId_ = 0;
    std::function<void()> onNewApp_;
};

}  // namespace cefhx
