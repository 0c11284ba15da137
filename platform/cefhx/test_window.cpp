#include "platform/cefhx/test_window.h"

#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <sstream>

#include "platform/msgloop/msgloop.h"
#include "runtime/class_builder.h"

namespace cefhx::testing {

int RecordingWindow::count(const std::string& call) const {
    int n = 0;
    for (const std::string& c : calls) n += c == call;
    return n;
}

int RecordingWindow::indexOf(const std::string& prefix) const {
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
    }
    return -1;
}

const rt::ClassInfo& RecordingWindow::staticClassInfo() {
    using Args = std::span<const rt::Value>;
    auto arg = [](Args a, size_t i) { return i < a.size() ? a[i] : rt::Value(); };
    auto plain = [](const char* name) {
        return [name](RecordingWindow& w, Args) -> rt::Value {
            w.calls.push_back(name);
            return true;
        };
    };
    static const rt::ClassInfo& info =
        rt::ClassBuilder<RecordingWindow>("cefhx.test.RecordingWindow")
            .field("url", &RecordingWindow::url)
            .method("on_create",
                    [arg](RecordingWindow& w, Args a) {
                        w.handle = arg(a, 0);
                        w.calls.push_back("on_create");
                        return rt::Value();
                    })
            .method("on_close",
                    [](RecordingWindow& w, Args) {
                        w.calls.push_back("on_close");
                        return rt::Value(w.allowClose);
                    })
            .method("on_destroy", plain("on_destroy"))
            .method("on_size", plain("on_size"))
            .method("on_restore", plain("on_restore"))
            .method("on_maximize", plain("on_maximize"))
            .method("on_minimize", plain("on_minimize"))
            .method("on_fullscreen", plain("on_fullscreen"))
            .method("on_jscall",
                    [arg](RecordingWindow& w, Args a) {
                        std::string name(arg(a, 0).str());
                        w.calls.push_back("on_jscall " + name);
                        w.callers.push_back(arg(a, 2).toString());
                        return w.onCall ? w.onCall(name, arg(a, 1).asArray()) : rt::Value();
                    })
            .method("onBrowserEvent",
                    [arg](RecordingWindow& w, Args a) {
                        std::string name(arg(a, 0).str());
                        rt::Value payload = arg(a, 1);
                        if (name == "on_task") {
                            w.calls.push_back("on_task");
                            w.taskPayloads.push_back(payload);
                            return rt::Value();
                        }
                        std::string url = payload.isString()
                                              ? std::string(payload.str())
                                              : std::string(payload.get("_url").str());
                        w.calls.push_back(url.empty() ? name : name + " " + url);
                        return w.onEvent ? w.onEvent(name, payload) : rt::Value();
                    })
            .method("onSystemMessage",
                    [arg](RecordingWindow& w, Args a) {
                        std::string kind(arg(a, 0).str());
                        w.calls.push_back("onSystemMessage " + kind);
                        if (w.onSystem) w.onSystem(kind, arg(a, 1));
                        return rt::Value(true);
                    })
            .constructor()
            .build();
    return info;
}

rt::Value callHost(const std::string& name, std::initializer_list<rt::Value> args) {
    static std::mutex mutex;
    static std::map<std::string, rt::Primitive> bound;
    std::string key = name + "/" + std::to_string(args.size());
    rt::Primitive primitive;
    {
        // Worker threads post tasks through here too.
        std::lock_guard<std::mutex> lock(mutex);
        auto it = bound.find(key);
        if (it == bound.end()) {
            it =
                bound
                    .emplace(key, rt::Primitive::load("cefhx", name, static_cast<int>(args.size())))
                    .first;
        }
        primitive = it->second;
    }
    return primitive.call(std::span<const rt::Value>(args.begin(), args.size()));
}

bool pumpUntil(const std::function<bool()>& done, int deadlineMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(deadlineMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        ml_pump(20, nullptr);
    }
    return true;
}

std::vector<int> processesMentioning(const std::string& text) {
    std::vector<int> found;
    DIR* proc = opendir("/proc");
    if (!proc) return found;
    while (dirent* e = readdir(proc)) {
        char* end = nullptr;
        long pid = std::strtol(e->d_name, &end, 10);
        if (*end != '\0' || pid == getpid()) continue;
        // A process may end while it is read: the stream then stops short instead of throwing.
        std::ifstream in("/proc/" + std::string(e->d_name) + "/cmdline", std::ios::binary);
        std::ostringstream read;
        read << in.rdbuf();
        const std::string cmdline = read.str();
        // A zombie has an empty command line and is no process left running.
        if (cmdline.find(text) != std::string::npos) found.push_back(static_cast<int>(pid));
    }
    closedir(proc);
    return found;
}

}  // namespace cefhx::testing
