// The process's message loop: windows, queues, timers, tasks, watches, sockets, processes and
// the copy-data transport, driven on the thread the loop is bound to.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>

#include "platform/msgloop/fd_watches.h"
#include "platform/msgloop/msgloop.h"
#include "platform/msgloop/poll_list.h"
#include "platform/msgloop/post_queue.h"
#include "platform/msgloop/process.h"
#include "platform/msgloop/registry.h"
#include "platform/msgloop/socket_set.h"
#include "platform/msgloop/task_queue.h"
#include "platform/msgloop/timer_set.h"
#include "platform/msgloop/transport.h"
#include "platform/msgloop/window_table.h"
#include "platform/shared/no_copy.h"

namespace msgloop {

class Loop final : public CopyDataTarget, private morvick::NoCopy {
public:
    // Makes the loop and binds it to the calling thread.
    static int create(std::unique_ptr<Loop>* out);
    ~Loop();

    bool on_thread() const { return pthread_equal(thread_, pthread_self()) != 0; }
    uint64_t instance_id() const { return instance_id_; }

    int create_window(ml_wndproc proc, void* user, ml_hwnd* out);
    int destroy_window(ml_hwnd hwnd);
    bool is_window(ml_hwnd hwnd) const;
    bool is_local_window(ml_hwnd hwnd) const { return windows_.is_live(hwnd); }
    int post(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam);
    int send(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam, intptr_t* result);
    int send_copydata(ml_hwnd to, ml_hwnd from, uint64_t data, const void* ptr, uint32_t size,
                      int timeout_ms, intptr_t* result);
    int set_timer(ml_hwnd hwnd, uintptr_t id, uint32_t period_ms);
    int kill_timer(ml_hwnd hwnd, uintptr_t id);

    int run(int* code);
    int pump(int timeout_ms, int* code);
    void post_quit(int code);
    int wait(ml_wait_fn done, void* arg, int timeout_ms);
    void post_task(ml_task_fn fn, void* arg, uint32_t delay_ms);
    void set_hooks(ml_hook_fn before, ml_hook_fn after, void* arg);

    uint64_t watch_fd(const FdWatch& watch) { return watches_.add(watch); }
    bool unwatch_fd(uint64_t id) { return watches_.remove(id); }
    SocketSet& sockets() { return sockets_; }
    ProcessTable& processes() { return processes_; }

    // Wakes the loop's poll from another thread.
    void wake();

    int deliver_copydata(uint32_t to, uint32_t from, uint64_t data, const void* ptr, uint32_t size,
                         intptr_t* result) override;

private:
    Loop() = default;
    int open();
    void turn(int timeout_ms);
    template <typename Done>
    int wait_until(const Done& done, uint64_t deadline_ms, bool with_watches);
    // Sockets, fd watches and processes: what a send's wait does not serve.
    void add_other_sources(PollList& list) const;
    // Handles one ready source; copy-data frames are handled until `stop` holds.
    void handle(const PollTag& tag, short revents, const std::function<bool()>& stop);
    void dispatch_posted();
    void fire_timers();
    void run_tasks();
    intptr_t call_proc(Window* window, uint32_t msg, uintptr_t wparam, intptr_t lparam);
    void finish_destroy(Window* window);
    void run_watch(uint64_t id, short revents);
    // The owner of another process's window; handles are never reused, so it is cached.
    bool owner_of(ml_hwnd hwnd, Owner* out);
    void before_dispatch() const;
    void after_dispatch() const;

    pthread_t thread_{};
    uint64_t instance_id_ = 0;
    int wake_fd_ = -1;
    Registry registry_;
    WindowTable windows_;
    PostQueue posts_;
    TaskQueue tasks_;
    TimerSet timers_;
    FdWatches watches_;
    SocketSet sockets_{posts_};
    ProcessTable processes_;
    std::unique_ptr<Transport> transport_;
    std::unordered_map<ml_hwnd, Owner> owners_;
    // One of the other sources may be ready: a wait saw it, or no turn has polled since.
    bool others_ready_ = true;
    std::atomic<bool> quit_pending_{false};
    std::atomic<int> quit_code_{0};
    ml_hook_fn before_ = nullptr;
    ml_hook_fn after_ = nullptr;
    void* hook_arg_ = nullptr;
};

}  // namespace msgloop
