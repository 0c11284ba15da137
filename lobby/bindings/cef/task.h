#pragma once

#include <cstdint>

#include "lobby/bindings/cef/cef_window.h"
#include "runtime/array.h"
#include "runtime/mutex_object.h"
#include "runtime/object.h"

namespace cef {

// A call that any thread hands to the main thread. Made tasks wait in one list; a window posts
// a task to the host (CefWindow::runTask), and the host's "on_task" event on that window runs
// the first waiting task posted through it with the event's delay.
class Task final : public rt::Object {
    RT_CLASS(Task)
public:
    // Every task made and not yet taken, in order of creation; guarded by `mutex`. Both can be
    // read and replaced by name; a replaced mutex serves from the next use on.
    static inline rt::Ref<rt::Array> tasks;
    static inline rt::Ref<rt::MutexObject> mutex = rt::make<rt::MutexObject>();

    // Makes the task list anew.
    static void initStatics();

    // A function of one argument, run on the main thread with `args`.
    rt::Value call;
    rt::Value args;
    // The window the task was posted through, and its delay: the key that finds it again.
    rt::Ref<CefWindow> window;
    int32_t delay = 0;

    // Construction steps: keep the call and queue the task.
    void construct(rt::Value fn, rt::Value argument);

    // Marks the task as posted through `through` with `ticks`; runs on any thread.
    void postedThrough(rt::Ref<CefWindow> through, int32_t ticks);

    // Takes the first task posted through `window` with this delay out of the list and runs it.
    static void onTask(rt::Ref<CefWindow> window, rt::Value delayValue);
};

}  // namespace cef
