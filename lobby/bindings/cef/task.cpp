#include "lobby/bindings/cef/task.h"

#include <mutex>

#include "lobby/bindings/cef/cef_window.h"
#include "runtime/class_builder.h"

namespace cef {

void Task::initStatics() {
    std::lock_guard<rt::Mutex> lock(mutex);
    tasks = rt::make<rt::Array>();
}

void Task::construct(rt::Value fn, rt::Value argument) {
    call = std::move(fn);
    args = std::move(argument);
    std::lock_guard<rt::Mutex> lock(mutex);
    tasks->push(rt::Ref<Task>(this));
}

void Task::postedThrough(rt::Ref<CefWindow> through, int32_t ticks) {
    std::lock_guard<rt::Mutex> lock(mutex);
    window = std::move(through);
    delay = ticks;
}

void Task::onTask(rt::Ref<CefWindow> window, rt::Value delayValue) {
    if (delayValue.isNull()) delayValue = 0;
    if (!window) return;
    rt::Ref<Task> taken;
    {
        std::lock_guard<rt::Mutex> lock(mutex);
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
                                           .field("call", &Task::call)
                                           .field("args", &Task::args)
                                           .field("window", &Task::window)
                                           .field("delay", &Task::delay)
                                           .staticField("tasks", &tasks)
                                           .staticMethod("onTask", &Task::onTask)
                                           .constructor(&Task::construct)
                                           .build();
    return info;
}

RT_REGISTER_CLASS(Task);

}  // namespace cef
