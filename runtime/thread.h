#pragma once

#include <functional>
#include <thread>

#include "runtime/deque.h"
#include "runtime/heap_object.h"
#include "runtime/ref.h"
#include "runtime/value.h"

namespace rt {

// A thread of the program with its own message queue. The thread runs its body once and ends;
// its handle may be kept and used by any thread meanwhile and after.
class Thread final : public HeapObject {
public:
    // Starts a thread running `body`. An exception that leaves the body writes a trace line.
    static Ref<Thread> create(std::function<void()> body);
    // The handle of the calling thread (made on first use for threads not started here).
    static Ref<Thread> current();

    // Queues a message for the thread.
    void sendMessage(Value message);
    // Reads the calling thread's next message; without `block`, null when there is none.
    static Value readMessage(bool block);

    // Waits until the body has returned (not for the calling thread's own handle).
    void join();

    ~Thread() override;

private:
    Thread() : HeapObject(HeapKind::Other) {}

    Deque<Value> messages_;
    std::thread thread_;
};

}  // namespace rt
