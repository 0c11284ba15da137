// Copy-data calls between processes: the process's listener, its connections and the calls
// waiting for their replies.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/msgloop/poll_list.h"
#include "platform/msgloop/registry.h"
#include "platform/shared/no_copy.h"

namespace msgloop {

// Where incoming calls go.
class CopyDataTarget {
public:
    virtual int deliver_copydata(uint32_t to, uint32_t from, uint64_t data, const void* ptr,
                                 uint32_t size, intptr_t* result) = 0;

protected:
    ~CopyDataTarget() = default;
};

struct Connection : private morvick::NoCopy {
    int fd = -1;
    uint64_t id = 0;
    Owner peer;  // outbound connections only
    bool dead = false;

    Connection() = default;
    ~Connection();
};

struct PendingCall {
    uint64_t id = 0;
    std::shared_ptr<Connection> conn;
    bool done = false;
    int status = 0;
    int64_t result = 0;
};

class Transport : private morvick::NoCopy {
public:
    // Incoming calls nested deeper than this are refused with ML_ERR_DEPTH.
    static constexpr int kMaxDepth = 32;

    Transport(Registry& registry, CopyDataTarget& target);
    ~Transport();

    // Binds the listener; ML_ERR_DUPLICATE when another loop of this process listens already.
    int open();

    void add_sources(PollList& list) const;
    void on_ready(Source source, uint64_t id, short revents);

    // Sends the call; the caller waits until call->done and then calls end_call.
    int begin_call(const Owner& owner, uint32_t to, uint32_t from, uint64_t data, const void* ptr,
                   uint32_t size, uint64_t deadline_ms, PendingCall* call);
    void end_call(PendingCall* call);
    // A connection to the owner that has not hung up: the owner is alive.
    bool connected_to(const Owner& owner) const;

private:
    void accept_all();
    void read_call(const std::shared_ptr<Connection>& conn, bool hung);
    void read_replies(const std::shared_ptr<Connection>& conn, bool hung);
    void reply(Connection& conn, uint64_t call_id, int status, int64_t result);
    int connection_to(const Owner& owner, uint64_t deadline_ms, std::shared_ptr<Connection>* out);
    void drop_outbound(const std::shared_ptr<Connection>& conn);
    char* buffer(int depth);

    Registry& registry_;
    CopyDataTarget& target_;
    int listener_ = -1;
    std::string listener_path_;
    uint64_t next_conn_id_ = 0;
    uint64_t next_call_id_ = 0;
    std::map<uint64_t, std::shared_ptr<Connection>> inbound_;
    std::map<uint64_t, std::shared_ptr<Connection>> outbound_;
    std::map<uint64_t, PendingCall*> pending_;
    int depth_ = 0;
    std::vector<std::unique_ptr<char[]>> buffers_;
};

}  // namespace msgloop
