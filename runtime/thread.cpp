#include "runtime/thread.h"

#include <exception>

#include "runtime/exception.h"
#include "runtime/trace.h"

namespace rt {
namespace {

thread_local Ref<Thread> currentThread;

}  // namespace

Ref<Thread> Thread::create(std::function<void()> body) {
    Ref<Thread> t(new Thread);
    // The thread holds its own handle while it runs, so current() works and the queue lives.
    t->thread_ = std::thread([self = t, body = std::move(body)]() mutable {
        currentThread = std::move(self);
        try {
            body();
        } catch (const std::exception& e) {
            RT_TRACE(e.what());
        } catch (...) {
            RT_TRACE("unknown exception left a thread");
        }
        body = nullptr;
        currentThread = nullptr;
    });
    return t;
}

Ref<Thread> Thread::current() {
    if (!currentThread) currentThread = Ref<Thread>(new Thread);
    return currentThread;
}

void Thread::sendMessage(Value message) {
    messages_.add(std::move(message));
}

Value Thread::readMessage(bool block) {
    Ref<Thread> self = current();
    return self->messages_.pop(block).value_or(Value());
}

void Thread::join() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

Thread::~Thread() {
    if (!thread_.joinable()) return;
    // The last handle went while the thread itself held it, or after the body returned.
    if (thread_.get_id() == std::this_thread::get_id()) {
        thread_.detach();
    } else {
        thread_.join();
    }
}

}  // namespace rt
