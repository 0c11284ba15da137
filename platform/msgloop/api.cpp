// The C entry points: one loop per process behind them.
#include <cerrno>
#include <memory>

#include "platform/msgloop/clock.h"
#include "platform/msgloop/error.h"
#include "platform/msgloop/loop.h"
#include "platform/msgloop/msgloop.h"
#include "platform/msgloop/process.h"

using msgloop::fail;
using msgloop::Loop;

namespace {

std::atomic<Loop*> g_loop{nullptr};

Loop* current() {
    return g_loop.load(std::memory_order_acquire);
}

// The loop, when it exists and the caller is its thread.
int bound_loop(const char* what, Loop** out) {
    Loop* loop = current();
    if (!loop) return fail(ML_ERR_NOT_STARTED, "%s: the message loop is not started", what);
    if (!loop->on_thread()) return fail(ML_ERR_THREAD, "%s: called off the loop's thread", what);
    *out = loop;
    return ML_OK;
}

// Process functions work without a loop too (after ml_shutdown), but never off its thread.
int process_call(const char* what, const ml_process* process) {
    if (!process) return fail(ML_ERR_ARG, "%s: no process", what);
    Loop* loop = current();
    if (loop && !loop->on_thread()) {
        return fail(ML_ERR_THREAD, "%s: called off the loop's thread", what);
    }
    return ML_OK;
}

}  // namespace

extern "C" {

int ml_init(void) {
    if (Loop* loop = current()) {
        return loop->on_thread()
                   ? ML_OK
                   : fail(ML_ERR_THREAD, "ml_init: the loop is bound to another thread");
    }
    std::unique_ptr<Loop> loop;
    int status = Loop::create(&loop);
    if (status != ML_OK) return status;
    g_loop.store(loop.release(), std::memory_order_release);
    return ML_OK;
}

int ml_shutdown(void) {
    Loop* loop = nullptr;
    if (int status = bound_loop("ml_shutdown", &loop)) return status;
    g_loop.store(nullptr, std::memory_order_release);
    delete loop;
    return ML_OK;
}

uint64_t ml_instance_id(void) {
    Loop* loop = current();
    return loop ? loop->instance_id() : 0;
}

int ml_is_loop_thread(void) {
    Loop* loop = current();
    return loop && loop->on_thread() ? 1 : 0;
}

const char* ml_last_error(void) {
    return msgloop::last_error();
}

int ml_create_window(ml_wndproc proc, void* user, ml_hwnd* out) {
    Loop* loop = nullptr;
    if (int status = bound_loop("ml_create_window", &loop)) return status;
    return loop->create_window(proc, user, out);
}

int ml_destroy_window(ml_hwnd hwnd) {
    Loop* loop = nullptr;
    if (int status = bound_loop("ml_destroy_window", &loop)) return status;
    return loop->destroy_window(hwnd);
}

int ml_is_window(ml_hwnd hwnd) {
    Loop* loop = current();
    return loop && loop->is_window(hwnd) ? 1 : 0;
}

intptr_t ml_default_proc(ml_hwnd hwnd, uint32_t msg, uintptr_t, intptr_t) {
    if (msg == ML_WM_CLOSE) ml_destroy_window(hwnd);
    return 0;
}

int ml_post(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam) {
    Loop* loop = current();
    if (!loop) return fail(ML_ERR_NOT_STARTED, "ml_post: the message loop is not started");
    return loop->post(hwnd, msg, wparam, lparam);
}

int ml_send(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam, intptr_t* result) {
    Loop* loop = nullptr;
    if (int status = bound_loop("ml_send", &loop)) return status;
    return loop->send(hwnd, msg, wparam, lparam, result);
}

int ml_send_copydata(ml_hwnd to, ml_hwnd from, uint64_t data, const void* ptr, uint32_t size,
                     int timeout_ms, intptr_t* result) {
    Loop* loop = nullptr;
    if (int status = bound_loop("ml_send_copydata", &loop)) return status;
    return loop->send_copydata(to, from, data, ptr, size, timeout_ms, result);
}

int ml_set_timer(ml_hwnd hwnd, uintptr_t id, uint32_t period_ms) {
    Loop* loop = nullptr;
    if (int status = bound_loop("ml_set_timer", &loop)) return status;
    return loop->set_timer(hwnd, id, period_ms);
}

int ml_kill_timer(ml_hwnd hwnd, uintptr_t id) {
    Loop* loop = nullptr;
    if (int status = bound_loop("ml_kill_timer", &loop)) return status;
    return loop->kill_timer(hwnd, id);
}

int ml_run(int* code) {
    Loop* loop = nullptr;
    if (int status = bound_loop("ml_run", &loop)) return status;
    return loop->run(code);
}

int ml_pump(int timeout_ms, int* code) {
    Loop* loop = nullptr;
    if (int status = bound_loop("ml_pump", &loop)) return status;
    return loop->pump(timeout_ms, code);
}

int ml_post_quit(int code) {
    Loop* loop = current();
    if (!loop) return fail(ML_ERR_NOT_STARTED, "ml_post_quit: the message loop is not started");
    loop->post_quit(code);
    return ML_OK;
}

int ml_wait(ml_wait_fn done, void* arg, int timeout_ms) {
    Loop* loop = nullptr;
    if (int status = bound_loop("ml_wait", &loop)) return status;
    if (!done) return fail(ML_ERR_ARG, "ml_wait needs a done function");
    return loop->wait(done, arg, timeout_ms);
}

int ml_post_task(ml_task_fn fn, void* arg, uint32_t delay_ms) {
    Loop* loop = current();
    if (!loop) return fail(ML_ERR_NOT_STARTED, "ml_post_task: the message loop is not started");
    if (!fn) return fail(ML_ERR_ARG, "ml_post_task needs a function");
    loop->post_task(fn, arg, delay_ms);
    return ML_OK;
}

int ml_set_dispatch_hooks(ml_hook_fn before, ml_hook_fn after, void* arg) {
    Loop* loop = nullptr;
    if (int status = bound_loop("ml_set_dispatch_hooks", &loop)) return status;
    loop->set_hooks(before, after, arg);
    return ML_OK;
}

int ml_watch_fd(int fd, unsigned events, unsigned flags, ml_fd_fn fn, void* arg, uint64_t* id) {
    Loop* loop = nullptr;
    if (int status = bound_loop("ml_watch_fd", &loop)) return status;
    if (fd < 0 || !fn || !id) {
        return fail(ML_ERR_ARG, "ml_watch_fd(%d): needs a descriptor, a function and an output",
                    fd);
    }
    *id = loop->watch_fd(msgloop::FdWatch{fd, events, flags, fn, arg});
    return ML_OK;
}

int ml_unwatch_fd(uint64_t id) {
    Loop* loop = nullptr;
    if (int status = bound_loop("ml_unwatch_fd", &loop)) return status;
    if (!loop->unwatch_fd(id)) {
        return fail(ML_ERR_ARG, "ml_unwatch_fd: no watch %llu",
                    static_cast<unsigned long long>(id));
    }
    return ML_OK;
}

int ml_socket_select(int fd, ml_hwnd hwnd, uint32_t msg, uint32_t events) {
    Loop* loop = nullptr;
    if (int status = bound_loop("ml_socket_select", &loop)) return status;
    if (fd < 0) return fail(ML_ERR_ARG, "ml_socket_select: bad descriptor %d", fd);
    if (events != 0 && !loop->is_window(hwnd)) {
        return fail(ML_ERR_NO_WINDOW, "ml_socket_select(%d): no window %u", fd, hwnd);
    }
    loop->sockets().select(fd, hwnd, msg, events);
    return ML_OK;
}

int ml_socket_connect(int fd, const void* addr, uint32_t addrlen) {
    Loop* loop = nullptr;
    if (bound_loop("ml_socket_connect", &loop) != ML_OK) {
        errno = EPERM;
        return -1;
    }
    return loop->sockets().connect(fd, addr, addrlen);
}

long ml_socket_send(int fd, const void* data, size_t length) {
    Loop* loop = nullptr;
    if (bound_loop("ml_socket_send", &loop) != ML_OK) {
        errno = EPERM;
        return -1;
    }
    return loop->sockets().send(fd, data, length);
}

int ml_process_start(const char* cmdline, ml_process** out) {
    Loop* loop = nullptr;
    if (int status = bound_loop("ml_process_start", &loop)) return status;
    if (!cmdline || !out) return fail(ML_ERR_ARG, "ml_process_start needs a command line");
    int status = msgloop::start_process(cmdline, out);
    if (status == ML_OK) loop->processes().watch(*out);
    return status;
}

int ml_process_id(const ml_process* process) {
    return process ? process->pid : 0;
}

int ml_process_wait(ml_process* process, int timeout_ms) {
    if (int status = process_call("ml_process_wait", process)) return status;
    return msgloop::wait_process(process, timeout_ms);
}

int ml_process_terminate(ml_process* process, int exit_code) {
    if (int status = process_call("ml_process_terminate", process)) return status;
    return msgloop::terminate_process(process, exit_code);
}

int ml_process_exit_code(ml_process* process, int* code) {
    if (int status = process_call("ml_process_exit_code", process)) return status;
    if (!code) return fail(ML_ERR_ARG, "ml_process_exit_code needs an output");
    return msgloop::process_exit_code(process, code);
}

void ml_process_close(ml_process* process) {
    if (process_call("ml_process_close", process) != ML_OK) return;
    if (Loop* loop = current()) {
        loop->processes().close(process);
    } else {
        msgloop::free_process(process);
    }
}

uint64_t ml_clock_now_ms(void) {
    return msgloop::Clock::instance().now_ms();
}

void ml_clock_advance(uint64_t ms) {
    msgloop::Clock::instance().advance(ms);
    if (Loop* loop = current()) loop->wake();
}

}  // extern "C"
