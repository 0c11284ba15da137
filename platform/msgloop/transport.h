// Copy-data calls between processes: the process's listener, its connections and the calls
// waiting for their replies. A connection serves both directions: calls and replies go either
// way on it, whichever process opened it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/msgloop/poll_list.h"
#include "platform/msgloop/registry.h"
#include "platform/msgloop/wire.h"
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

// A frame read from a connection and not handled yet. An empty frame marks the connection's end.
struct Frame {
    std::vector<char> bytes;
    size_t length = 0;  // as received; above bytes.size() when the frame did not fit
};

struct Connection : private morvick::NoCopy {
    int fd = -1;
    uint64_t id = 0;
    Owner peer;         // the process at the other end, when known
    bool dead = false;  // closed for sending: hung up, or its end has been read
    bool hung = false;  // the other end has gone: its calls still unread are not answered
    std::deque<Frame> backlog;

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
    // Reads what is ready and handles it in order until `stop` holds; the rest waits in the
    // connection's backlog.
    void on_ready(Source source, uint64_t id, short revents, const std::function<bool()>& stop);
    // Frames read but not handled yet: the loop handles them before it blocks again.
    bool has_backlog() const { return backlog_frames_ > 0; }
    void drain(const std::function<bool()>& stop);

    // Sends the call; the caller waits until call->done and then calls end_call.
    int begin_call(const Owner& owner, uint32_t to, uint32_t from, uint64_t data, const void* ptr,
                   uint32_t size, uint64_t deadline_ms, PendingCall* call);
    void end_call(PendingCall* call);
    // A connection to the owner that has not hung up: the owner is alive.
    bool connected_to(const Owner& owner) const;

private:
    void accept_all();
    void read_frames(const std::shared_ptr<Connection>& conn, bool hung);
    // Handles the connection's backlog in order until `stop` holds.
    void handle_backlog(const std::shared_ptr<Connection>& conn, const std::function<bool()>& stop);
    void handle_call(const std::shared_ptr<Connection>& conn, const FrameHeader& h,
                     const Frame& frame);
    void handle_reply(const std::shared_ptr<Connection>& conn, const FrameHeader& h);
    void reply(Connection& conn, uint64_t call_id, int status, int64_t result);
    int connection_to(const Owner& owner, uint64_t deadline_ms, std::shared_ptr<Connection>* out);
    void drop(const std::shared_ptr<Connection>& conn);

    Registry& registry_;
    CopyDataTarget& target_;
    int listener_ = -1;
    std::string listener_path_;
    uint64_t next_conn_id_ = 0;
    uint64_t next_call_id_ = 0;
    std::map<uint64_t, std::shared_ptr<Connection>> connections_;
    std::map<uint64_t, PendingCall*> pending_;
    int depth_ = 0;
    size_t backlog_frames_ = 0;
    std::unique_ptr<char[]> scratch_;  // the slots of one batched read
};

}  // namespace msgloop
