#include "platform/shared/x11_error_trap.h"

#include <map>
#include <mutex>

namespace platform {
namespace {

std::mutex lock;
// Never torn down: a connection may still be closed while the process ends.
std::map<Display*, int>& errors() {
    static auto* first = new std::map<Display*, int>;
    return *first;
}
XErrorHandler previous = nullptr;
bool installed = false;

int onError(Display* display, XErrorEvent* event) {
    {
        std::lock_guard<std::mutex> guard(lock);
        auto it = errors().find(display);
        if (it != errors().end()) {
            if (it->second == 0) it->second = event->error_code;
            return 0;
        }
    }
    return previous ? previous(display, event) : 0;
}

}  // namespace

void trapXErrors(Display* display) {
    std::lock_guard<std::mutex> guard(lock);
    errors()[display] = 0;
    if (!installed) {
        previous = XSetErrorHandler(onError);
        installed = true;
    }
}

void untrapXErrors(Display* display) {
    std::lock_guard<std::mutex> guard(lock);
    errors().erase(display);
}

int takeXError(Display* display) {
    XSync(display, False);
    std::lock_guard<std::mutex> guard(lock);
    auto it = errors().find(display);
    if (it == errors().end()) return 0;
    int code = it->second;
    it->second = 0;
    return code;
}

}  // namespace platform
