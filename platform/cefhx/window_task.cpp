#include "platform/cefhx/window_task.h"

#include <algorithm>
#include <memory>

namespace cefhx {
namespace {

struct PostedTask {
    ml_hwnd hwnd;
    rt::Value delay;
    WindowTaskRunner run;
};

void runPostedTask(void* arg) {
    std::unique_ptr<PostedTask> task(static_cast<PostedTask*>(arg));
    task->run(task->hwnd, task->delay);
}

}  // namespace

bool postWindowTask(ml_hwnd hwnd, const rt::Value& delay, WindowTaskRunner run) {
    double ms = delay.isNumber() ? delay.toFloat() : 0;
    uint32_t delayMs = ms > 0 ? static_cast<uint32_t>(std::min(ms, 86400000.0)) : 0;
    auto* task = new PostedTask{hwnd, delay, run};
    if (ml_post_task(runPostedTask, task, delayMs) != ML_OK) {
        delete task;
        return false;
    }
    return true;
}

}  // namespace cefhx
