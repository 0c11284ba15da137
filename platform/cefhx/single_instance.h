// One running copy per user and name. The copies meet in the user's private runtime folder
// ($XDG_RUNTIME_DIR/morvick, else /tmp/morvick-<uid>; mode 0700, owned by the user): the first
// copy holds a lock file there and listens on a Unix socket beside it; a later copy finds the
// lock taken, checks that the socket's holder runs as the same user, says "newapp" and is told
// it is second.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <string_view>

#include "platform/shared/expected.h"

namespace cefhx {

class SingleInstance {
public:
    SingleInstance() = default;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;
    ~SingleInstance();

    // The private folder the copies meet in, made when missing; fails when it cannot be made or
    // is not a directory of this user with mode 0700.
    static morvick::Expected<std::string> privateFolder();
    // The file name (without folder) of the socket for an instance name; the lock adds ".lock".
    static std::string socketName(std::string_view name);

    // True when this is the first copy under the name: it then listens on the message loop and
    // calls onNewApp each time a later copy announces itself. False when a copy of this user
    // already runs; that copy has been told. When the private folder cannot be used this copy
    // runs as the first, with a trace line.
    bool claim(std::string_view name, std::function<void()> onNewApp);
    // Stops listening and gives the name up.
    void release();

    // Connections whose announcement has not come yet; at most kMaxPending are kept, the
    // oldest dropped first.
    size_t pendingPeers() const { return peers_.size(); }
    static constexpr size_t kMaxPending = 8;

private:
    struct Peer {
        SingleInstance* self = nullptr;
        int fd = -1;
        uint64_t watchId = 0;
        std::string received;
    };
    void onConnection();
    void onPeerReadable(Peer& peer);
    void dropPeer(std::list<Peer>::iterator it);

    int lockFd_ = -1;
    int listenFd_ = -1;
    uint64_t watchId_ = 0;
    std::string socketPath_;
    std::function<void()> onNewApp_;
    std::list<Peer> peers_;
};

}  // namespace cefhx
