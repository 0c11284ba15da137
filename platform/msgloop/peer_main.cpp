// Test helper: a second process for the multi-process tests. Never shipped.
//   msgloop_peer serve <handle>   a window that says hello to <handle> and obeys copy-data
//   msgloop_peer exit <code>      ends at once with <code>
//   msgloop_peer sleep            waits to be terminated
//   msgloop_peer fds              ends with the number of open descriptors above 2
//   msgloop_peer env <name>       ends with 0 when <name> is set to "yes", else 1
#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>

#include "platform/msgloop/msgloop.h"

namespace {

constexpr uint32_t kQueued = ML_WM_USER + 100;

struct Peer {
    ml_hwnd self = 0;
    ml_hwnd parent = 0;
    std::deque<std::string> queue;
};

Peer peer;

std::string text_of(const ml_copydata* block) {
    return std::string(static_cast<const char*>(block->ptr), block->size);
}

intptr_t on_copydata(ml_hwnd hwnd, ml_hwnd sender, const ml_copydata* block) {
    std::string text = text_of(block);
    if (text == "nest") {
        intptr_t inner = 0;
        int status = ml_send_copydata(sender, hwnd, 257, "inner", 5, -1, &inner);
        return status == ML_OK ? 1000 + inner : status;
    }
    if (text.rfind("queue:", 0) == 0) {
        peer.queue.push_back(text.substr(6));
        ml_post(hwnd, kQueued, 0, 0);
        return 1;
    }
    if (text == "destroy") return ml_destroy_window(hwnd) == ML_OK ? 5 : -5;
    if (text == "quit") {
        ml_post_quit(0);
        return 6;
    }
    if (text == "die") kill(getpid(), SIGKILL);
    if (text == "stop") raise(SIGSTOP);
    if (text == "slow") usleep(300 * 1000);
    return static_cast<intptr_t>(block->size);
}

intptr_t proc(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam, void*) {
    if (msg == ML_WM_COPYDATA) {
        return on_copydata(hwnd, static_cast<ml_hwnd>(wparam),
                           reinterpret_cast<const ml_copydata*>(lparam));
    }
    if (msg == kQueued && !peer.queue.empty()) {
        std::string text = peer.queue.front();
        peer.queue.pop_front();
        ml_send_copydata(peer.parent, hwnd, 513, text.data(), static_cast<uint32_t>(text.size()),
                         -1, nullptr);
    }
    return 0;
}

int serve(ml_hwnd parent) {
    if (ml_init() != ML_OK || ml_create_window(proc, nullptr, &peer.self) != ML_OK) {
        std::fprintf(stderr, "msgloop_peer: %s\n", ml_last_error());
        return 2;
    }
    peer.parent = parent;
    if (ml_send_copydata(parent, peer.self, 1, nullptr, 0, -1, nullptr) != ML_OK) {
        std::fprintf(stderr, "msgloop_peer: hello to %u failed: %s\n", parent, ml_last_error());
        return 3;
    }
    int code = 0;
    ml_run(&code);
    return code;
}

int count_fds() {
    int count = 0;
    DIR* d = opendir("/proc/self/fd");
    if (!d) return -1;
    int own = dirfd(d);
    while (dirent* e = readdir(d)) {
        int fd = std::atoi(e->d_name);
        if (e->d_name[0] != '.' && fd > 2 && fd != own) ++count;
    }
    closedir(d);
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "serve" && argc > 2) {
        // The handle travels as a signed 64-bit number, like a sign-extended 32-bit value.
        return serve(static_cast<ml_hwnd>(std::strtoll(argv[2], nullptr, 10)));
    }
    if (mode == "exit" && argc > 2) return std::atoi(argv[2]);
    if (mode == "sleep") {
        for (;;) pause();
    }
    if (mode == "fds") return count_fds();
    if (mode == "env" && argc > 2) {
        const char* value = std::getenv(argv[2]);
        return value && std::strcmp(value, "yes") == 0 ? 0 : 1;
    }
    std::fprintf(stderr, "msgloop_peer: unknown mode\n");
    return 100;
}
