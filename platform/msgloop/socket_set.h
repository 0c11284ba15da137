// Non-blocking sockets whose readiness is posted as window messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

#include "platform/msgloop/msgloop.h"
#include "platform/msgloop/poll_list.h"
#include "platform/msgloop/post_queue.h"

namespace msgloop {

class SocketSet {
public:
    explicit SocketSet(PostQueue& queue) : queue_(queue) {}

    // Registers (or re-registers, dropping pending events) a socket; events 0 unregisters.
    void select(int fd, ml_hwnd hwnd, uint32_t msg, uint32_t events);
    // connect(2) on a registered socket; 0 when started or done, -1 with errno.
    int connect(int fd, const void* addr, uint32_t addrlen);
    // send(2) without blocking; a would-block arms one write event.
    long send(int fd, const void* data, size_t length);
    void remove_window(ml_hwnd hwnd);
    void clear() { regs_.clear(); }

    void add_sources(PollList& list) const;
    void on_ready(uint64_t id, short revents);

    // Whether a posted readiness message still belongs to the socket's current registration.
    bool current(uint64_t id, int fd) const;
    // After a read message was dispatched: watch for the next one.
    void rearm_read(uint64_t id);

private:
    enum class State { kIdle, kConnecting, kConnected, kQuiet };
    struct Reg {
        uint64_t id;
        ml_hwnd hwnd;
        uint32_t msg;
        uint32_t events;
        State state;
        bool read_armed;
        bool write_armed;
    };

    void post(const Reg& reg, int fd, uint32_t event, int error);
    void on_readable(Reg& reg, int fd);
    std::map<int, Reg>::iterator find_id(uint64_t id);

    PostQueue& queue_;
    uint64_t next_id_ = 0;
    std::map<int, Reg> regs_;
};

}  // namespace msgloop
