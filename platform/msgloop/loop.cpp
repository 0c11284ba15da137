#include "platform/msgloop/loop.h"

#include <sys/eventfd.h>
#include <sys/random.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/msgloop/clock.h"
#include "platform/msgloop/error.h"

namespace msgloop {

namespace {

constexpr uint64_t kNoDeadline = UINT64_MAX;

uint64_t now_ms() {
    return Clock::instance().now_ms();
}

int clamp_ms(uint64_t ms) {
    return static_cast<int>(std::min<uint64_t>(ms, INT_MAX));
}

int poll_list(PollList& list, int timeout_ms) {
    int n = poll(list.fds.data(), list.fds.size(), timeout_ms);
    return n < 0 ? 0 : n;
}

}  // namespace

int Loop::create(std::unique_ptr<Loop>* out) {
    std::unique_ptr<Loop> loop(new Loop);
    int status = loop->open();
    if (status != ML_OK) return status;
    *out = std::move(loop);
    return ML_OK;
}

int Loop::open() {
    thread_ = pthread_self();
    if (getrandom(&instance_id_, sizeof instance_id_, 0) != sizeof instance_id_) {
        return fail(ML_ERR_SYSTEM, "getrandom for the loop instance id failed: %s",
                    std::strerror(errno));
    }
    int status = registry_.open();
    if (status != ML_OK) return status;
    registry_.sweep();
    transport_ = std::make_unique<Transport>(registry_, *this);
    status = transport_->open();
    if (status != ML_OK) return status;
    wake_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_fd_ < 0) {
        return fail(ML_ERR_SYSTEM, "creating the loop's eventfd failed: %s", std::strerror(errno));
    }
    return ML_OK;
}

Loop::~Loop() {
    for (ml_hwnd hwnd : windows_.live_handles()) destroy_window(hwnd);
    sockets_.clear();
    transport_.reset();
    if (wake_fd_ >= 0) close(wake_fd_);
}

void Loop::wake() {
    if (wake_fd_ < 0 || on_thread()) return;
    uint64_t one = 1;
    while (write(wake_fd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void Loop::before_dispatch() const {
    if (before_) before_(hook_arg_);
}

void Loop::after_dispatch() const {
    if (after_) after_(hook_arg_);
}

void Loop::set_hooks(ml_hook_fn before, ml_hook_fn after, void* arg) {
    before_ = before;
    after_ = after;
    hook_arg_ = arg;
}

int Loop::create_window(ml_wndproc proc, void* user, ml_hwnd* out) {
    if (!proc || !out) return fail(ML_ERR_ARG, "ml_create_window needs a procedure and an output");
    ml_hwnd hwnd = 0;
    int status = registry_.add_window(&hwnd);
    if (status != ML_OK) return status;
    auto window = std::make_unique<Window>();
    window->hwnd = hwnd;
    window->proc = proc;
    window->user = user;
    windows_.insert(std::move(window));
    *out = hwnd;
    return ML_OK;
}

int Loop::destroy_window(ml_hwnd hwnd) {
    Window* window = windows_.find_live(hwnd);
    if (!window) return fail(ML_ERR_NO_WINDOW, "destroying window %u: no such window", hwnd);
    windows_.mark_dead(window);
    registry_.remove_window(hwnd);
    timers_.kill_all(hwnd);
    sockets_.remove_window(hwnd);
    if (window->depth > 0) {
        window->destroy_pending = true;
    } else {
        finish_destroy(window);
    }
    return ML_OK;
}

void Loop::finish_destroy(Window* window) {
    window->destroy_pending = false;
    ++window->depth;
    before_dispatch();
    window->proc(window->hwnd, ML_WM_DESTROY, 0, 0, window->user);
    after_dispatch();
    windows_.erase(window->hwnd);
}

bool Loop::is_window(ml_hwnd hwnd) const {
    if (hwnd == 0) return false;
    if (windows_.is_live(hwnd)) return true;
    Owner owner;
    if (!registry_.owner_of(hwnd, &owner) || owner == registry_.self()) return false;
    return owner.alive();
}

bool Loop::owner_of(ml_hwnd hwnd, Owner* out) {
    auto it = owners_.find(hwnd);
    if (it != owners_.end()) {
        *out = it->second;
        return true;
    }
    if (!registry_.owner_of(hwnd, out) || *out == registry_.self()) return false;
    owners_[hwnd] = *out;
    return true;
}

intptr_t Loop::call_proc(Window* window, uint32_t msg, uintptr_t wparam, intptr_t lparam) {
    ++window->depth;
    before_dispatch();
    intptr_t result = window->proc(window->hwnd, msg, wparam, lparam, window->user);
    after_dispatch();
    if (--window->depth == 0 && window->destroy_pending) finish_destroy(window);
    return result;
}

int Loop::post(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam) {
    if (!windows_.is_live(hwnd)) {
        Owner owner;
        if (registry_.owner_of(hwnd, &owner) && owner != registry_.self()) {
            return fail(ML_ERR_NOT_LOCAL, "posting message 0x%x to window %u of process %d", msg,
                        hwnd, static_cast<int>(owner.pid));
        }
        return fail(ML_ERR_NO_WINDOW, "posting message 0x%x to window %u: no such window", msg,
                    hwnd);
    }
    posts_.push(Posted{hwnd, msg, wparam, lparam, 0});
    wake();
    return ML_OK;
}

int Loop::send(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam, intptr_t* result) {
    Window* window = windows_.find_live(hwnd);
    if (!window) {
        return fail(is_window(hwnd) ? ML_ERR_NOT_LOCAL : ML_ERR_NO_WINDOW,
                    "sending message 0x%x to window %u: not a window of this process", msg, hwnd);
    }
    intptr_t r = call_proc(window, msg, wparam, lparam);
    if (result) *result = r;
    return ML_OK;
}

int Loop::deliver_copydata(uint32_t to, uint32_t from, uint64_t data, const void* ptr,
                           uint32_t size, intptr_t* result) {
    Window* window = windows_.find_live(to);
    if (!window) return ML_ERR_NO_WINDOW;
    ml_copydata block{data, size, size > 0 ? ptr : nullptr};
    *result = call_proc(window, ML_WM_COPYDATA, from, reinterpret_cast<intptr_t>(&block));
    return ML_OK;
}

int Loop::send_copydata(ml_hwnd to, ml_hwnd from, uint64_t data, const void* ptr, uint32_t size,
                        int timeout_ms, intptr_t* result) {
    if (size > ML_COPYDATA_MAX) {
        return fail(ML_ERR_TOO_LARGE, "copy-data of %u bytes to window %u: the limit is %u", size,
                    to, ML_COPYDATA_MAX);
    }
    if (size > 0 && !ptr) return fail(ML_ERR_ARG, "copy-data of %u bytes without data", size);
    intptr_t r = 0;
    if (windows_.is_live(to)) {
        int status = deliver_copydata(to, from, data, ptr, size, &r);
        if (status == ML_OK && result) *result = r;
        return status;
    }
    Owner owner;
    if (!owner_of(to, &owner) || (!transport_->connected_to(owner) && !owner.alive())) {
        return fail(ML_ERR_NO_WINDOW, "copy-data to window %u: no such window", to);
    }
    uint64_t deadline =
        now_ms() + static_cast<uint64_t>(timeout_ms < 0 ? ML_SEND_TIMEOUT_DEFAULT : timeout_ms);
    PendingCall call;
    int status = transport_->begin_call(owner, to, from, data, ptr, size, deadline, &call);
    if (status != ML_OK) return status;
    status = wait_until([&call] { return call.done; }, deadline, false);
    transport_->end_call(&call);
    if (status == ML_ERR_TIMEOUT) {
        return fail(ML_ERR_TIMEOUT, "copy-data to window %u of process %d got no answer in time",
                    to, static_cast<int>(owner.pid));
    }
    if (call.status != ML_OK) {
        return fail(call.status, "copy-data to window %u of process %d failed with status %d", to,
                    static_cast<int>(owner.pid), call.status);
    }
    if (result) *result = static_cast<intptr_t>(call.result);
    return ML_OK;
}

int Loop::set_timer(ml_hwnd hwnd, uintptr_t id, uint32_t period_ms) {
    if (!windows_.is_live(hwnd)) {
        return fail(ML_ERR_NO_WINDOW, "setting timer %zu on window %u: no such window",
                    static_cast<size_t>(id), hwnd);
    }
    timers_.set(hwnd, id, period_ms, now_ms());
    return ML_OK;
}

int Loop::kill_timer(ml_hwnd hwnd, uintptr_t id) {
    if (!timers_.kill(hwnd, id)) {
        return fail(ML_ERR_ARG, "killing timer %zu of window %u: no such timer",
                    static_cast<size_t>(id), hwnd);
    }
    return ML_OK;
}

void Loop::post_task(ml_task_fn fn, void* arg, uint32_t delay_ms) {
    tasks_.add(Task{fn, arg}, now_ms() + delay_ms);
    wake();
}

void Loop::post_quit(int code) {
    quit_code_.store(code);
    quit_pending_.store(true);
    wake();
}

int Loop::run(int* code) {
    while (!quit_pending_.load()) turn(-1);
    quit_pending_.store(false);
    if (code) *code = quit_code_.load();
    return ML_OK;
}

int Loop::pump(int timeout_ms, int* code) {
    turn(timeout_ms);
    if (!quit_pending_.exchange(false)) return ML_OK;
    if (code) *code = quit_code_.load();
    return ML_QUIT;
}

int Loop::wait(ml_wait_fn done, void* arg, int timeout_ms) {
    uint64_t deadline = timeout_ms < 0 ? kNoDeadline : now_ms() + static_cast<uint64_t>(timeout_ms);
    int status = wait_until([done, arg] { return done(arg) != 0; }, deadline, true);
    if (status == ML_ERR_TIMEOUT) {
        return fail(ML_ERR_TIMEOUT, "ml_wait: not done within %d ms", timeout_ms);
    }
    return status;
}

template <typename Done>
int Loop::wait_until(const Done& done, uint64_t deadline_ms, bool with_watches) {
    const std::function<bool()> stop = [&done] { return done(); };
    PollList list;
    for (;;) {
        if (done()) return ML_OK;
        uint64_t now = now_ms();
        if (deadline_ms != kNoDeadline && now >= deadline_ms) return ML_ERR_TIMEOUT;
        if (transport_->has_backlog()) {
            // Frames read ahead are handled before anything blocks.
            transport_->drain(stop);
            continue;
        }
        list.clear();
        list.add(wake_fd_, POLLIN, Source::kWake, 0);
        transport_->add_sources(list);
        if (with_watches) watches_.add_sources(list, true);
        const size_t served = list.fds.size();
        // The loop's other sources are only looked at, until one is seen ready: the next turn
        // then polls for them even when it has copy-data frames to handle.
        if (!others_ready_) add_other_sources(list);
        int ready = poll_list(list, deadline_ms == kNoDeadline ? -1 : clamp_ms(deadline_ms - now));
        for (size_t i = 0; ready > 0 && i < list.fds.size(); ++i) {
            if (!list.fds[i].revents) continue;
            if (i >= served) {
                others_ready_ = true;
            } else if (!done()) {
                handle(list.tags[i], list.fds[i].revents, stop);
            }
        }
    }
}

void Loop::turn(int timeout_ms) {
    uint64_t now = now_ms();
    int wait_ms = timeout_ms;
    if (posts_.size() > 0 || quit_pending_.load()) wait_ms = 0;
    auto bound = [&](std::optional<uint64_t> due) {
        if (!due) return;
        int ms = clamp_ms(*due > now ? *due - now : 0);
        if (wait_ms < 0 || ms < wait_ms) wait_ms = ms;
    };
    bound(timers_.next_due());
    bound(tasks_.next_due());

    const std::function<bool()> never = [] { return false; };
    // Calls read ahead during a send are handled without waiting. The poll is left out when the
    // send's own poll, which looked at every source, found nothing else ready.
    const bool read_ahead = transport_->has_backlog();
    if (!read_ahead || others_ready_) {
        PollList list;
        list.add(wake_fd_, POLLIN, Source::kWake, 0);
        transport_->add_sources(list);
        add_other_sources(list);
        int ready = poll_list(list, read_ahead ? 0 : wait_ms);
        for (size_t i = 0; ready > 0 && i < list.fds.size(); ++i) {
            if (list.fds[i].revents) handle(list.tags[i], list.fds[i].revents, never);
        }
        others_ready_ = false;
    }
    transport_->drain(never);
    dispatch_posted();
    fire_timers();
    run_tasks();
}

void Loop::add_other_sources(PollList& list) const {
    sockets_.add_sources(list);
    watches_.add_sources(list, false);
    processes_.add_sources(list);
}

void Loop::handle(const PollTag& tag, short revents, const std::function<bool()>& stop) {
    switch (tag.source) {
        case Source::kWake: {
            uint64_t count;
            while (read(wake_fd_, &count, sizeof count) < 0 && errno == EINTR) {
            }
            break;
        }
        case Source::kListener:
        case Source::kConnection:
            transport_->on_ready(tag.source, tag.id, revents, stop);
            break;
        case Source::kSocket:
            sockets_.on_ready(tag.id, revents);
            break;
        case Source::kWatch:
            run_watch(tag.id, revents);
            break;
        case Source::kProcess:
            processes_.on_ready(tag.id);
            break;
    }
}

void Loop::run_watch(uint64_t id, short revents) {
    const FdWatch* found = watches_.find(id);
    if (!found) return;
    FdWatch watch = *found;
    before_dispatch();
    watch.fn(watch.fd, static_cast<unsigned short>(revents), watch.arg);
    after_dispatch();
}

void Loop::dispatch_posted() {
    // Only what was queued when dispatching started: a message posted meanwhile waits a turn.
    for (size_t n = posts_.size(); n > 0; --n) {
        Posted p{};
        if (!posts_.pop(&p)) break;
        if (p.socket_id && !sockets_.current(p.socket_id, static_cast<int>(p.wparam))) continue;
        Window* window = windows_.find_live(p.hwnd);
        if (!window) continue;
        call_proc(window, p.msg, p.wparam, p.lparam);
        if (p.socket_id && ML_SOCKET_EVENT(p.lparam) == ML_FD_READ) {
            sockets_.rearm_read(p.socket_id);
        }
    }
}

void Loop::fire_timers() {
    uint64_t now = now_ms();
    for (const TimerSet::Key& key : timers_.due(now)) {
        if (!timers_.take_tick(key, now)) continue;
        Window* window = windows_.find_live(key.first);
        if (!window) {
            timers_.kill(key.first, key.second);
            continue;
        }
        call_proc(window, ML_WM_TIMER, key.second, 0);
    }
}

void Loop::run_tasks() {
    uint64_t now = now_ms();
    uint64_t max_seq = tasks_.last_seq();
    Task task{};
    while (tasks_.take_due(now, max_seq, &task)) {
        before_dispatch();
        task.fn(task.arg);
        after_dispatch();
    }
}

}  // namespace msgloop
