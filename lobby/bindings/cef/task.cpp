#include "lobby/bindings/cef/task.h"

#include <mutex>

#include "lobby/bindings/cef/cef_window.h"
#include "runtime/class_builder.h"
#include "runtime/exception.h"

namespace cef {

namespace {

// The list's mutex as it is now; the reference keeps it alive while it is held, even when the
// static is replaced meanwhile.
rt::Ref<rt::MutexObject> listMutex() {
    rt::Ref<rt::MutexObject> m = Task::mutex;
    if (!m) throw rt::Exception("cef.Task: the task list has no mutex");
    return m;
}

}  // namespace

void Task::initStatics() {
    const rt::Ref<rt::MutexObject> m = listMutex();
    std::lock_guard<rt::MutexObject> lock(*m);
    tasks = rt::make<rt::Array>();
}

void Task::construct(rt::Value fn, rt::Value argument) {
    call = std::move(fn);
    args = std::move(argument);
    const rt::Ref<rt::MutexObject> m = listMutex();
    std::lock_guard<rt::MutexObject> lock(*m);
    tasks->push(rt::Ref<Task>(this));
}

void Task::postedThrough(rt::Ref<CefWindow> through, int32_t ticks) {
    const rt::Ref<rt::MutexObject> m = listMutex();
    std::lock_guard<rt::MutexObject> lock(*m);
    window = std::move(through);
    delay = ticks;
}

void Task::onTask(rt::Ref<CefWindow> window, rt::Value delayValue) {
    if (delayValue.isNull()) delayValue = 0;
    if (!window) return;
    rt::Ref<Task> taken;
    {
        const rt::Ref<rt::MutexObject> m = listMutex();
        std::lock_guard<rt::MutexObject> lock(*m);
        if (!delayValue.isNumber()) return;
        auto& items = tasks->items();
        for (auto it = items.begin(); it != items.end(); ++it) {
            rt::Ref<Task> task = it->as<Task>();
            if (task && task->window == window && delayValue.toFloat() == task->delay) {
                taken = task;
                items.erase(it);
                break;
            }
        }
    }
    if (taken && !taken->call.isNull()) taken->call.call({taken->args});
}

const rt::ClassInfo& Task::staticClassInfo() {
    static const rt::ClassInfo& info = rt::ClassBuilder<Task>("cef.Task")
                                           .fields(RT_NAMED(Task, call, args, window, delay))
                                           .staticField("tasks", &tasks)
                                           .staticField("mutex", &mutex)
                                           .staticMethod("onTask", &Task::onTask)
                                           .constructor(&Task::construct)
                                           .build();
    return info;
}

RT_REGISTER_CLASS(Task);

}  // namespace cef
