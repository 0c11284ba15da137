// What the primitive bodies (primitives_*.cpp) share: running a body so that nothing it throws
// crosses the C interface, reading arguments, handing a call to the backend, looking up the
// window and frame a call names, the frame record, and the macro that exports a primitive.
#pragma once

#include <exception>
#include <initializer_list>
#include <span>
#include <string>

#include "platform/cefhx/host_backend.h"
#include "platform/cefhx/host_contract.h"
#include "platform/cefhx/host_window.h"
#include "platform/cefhx/primitive_list.h"
#include "runtime/c_value.h"
#include "runtime/record.h"

namespace cefhx {

// Runs a primitive's body; a failure goes to the backend and answers null.
template <class F>
value guarded(const char* name, F body) {
    try {
        return rt::toC(body());
    } catch (const std::exception& e) {
        hostBackend().failed(std::string(name) + " failed: " + e.what());
    } catch (...) {
        hostBackend().failed(std::string(name) + " failed");
    }
    return nullptr;
}

inline rt::Value arg(value v) {
    return rt::fromC(v);
}
inline int intArg(value v) {
    return rt::fromC(v).toInt();
}
inline bool flagArg(value v) {
    return rt::fromC(v).toBool();
}

// An argument as text: a string as it is, null as empty, anything else as the program prints it.
inline std::string primitiveText(value v) {
    rt::Value x = rt::fromC(v);
    return x.isString() ? std::string(x.str()) : (x.isNull() ? std::string() : x.toString());
}

// Hands the call to the backend (HostBackend::called); `handle` null for a call naming no window.
inline void trace(const char* name, const rt::Value* handle,
                  std::initializer_list<rt::Value> args) {
    hostBackend().called(name, handle, std::span<const rt::Value>(args.begin(), args.size()));
}
inline void traceOn(const char* name, value handle, std::initializer_list<rt::Value> args) {
    const rt::Value h = rt::fromC(handle);
    trace(name, &h, args);
}

// The window a handle names, one being destroyed included; null for anything else.
inline SharedWindow windowOf(value handle) {
    const rt::Value h = rt::fromC(handle);
    return h.isNumber() ? hostBackend().window(static_cast<ml_hwnd>(h.toInt())) : nullptr;
}

// Runs body on the window the handle names; null when it names none or one being destroyed.
template <class F>
rt::Value inWindow(value handle, F body) {
    SharedWindow w = windowOf(handle);
    if (!w || w->destroying) return {};
    return body(w);
}

// Runs body on the window and a copy of the frame the program names by main flag and name;
// null when either is missing.
template <class F>
rt::Value inFrame(value handle, value isMain, value frameName, F body) {
    return inWindow(handle, [&](const SharedWindow& w) -> rt::Value {
        FrameInfo* f = w->frameFor(flagArg(isMain), primitiveText(frameName));
        if (!f) return {};
        const FrameInfo copy = *f;
        return body(*w, copy);
    });
}

// A primitive's body on the window or frame the call names, guarded.
template <class F>
value onWindow(const char* name, value handle, F body) {
    return guarded(name, [&] { return inWindow(handle, body); });
}
template <class F>
value onFrame(const char* name, value handle, value isMain, value frameName, F body) {
    return guarded(name, [&] { return inFrame(handle, isMain, frameName, body); });
}

// The same for a primitive that acts: the call goes to the backend first, with `args`.
template <class F>
value onWindowTraced(const char* name, value handle, std::initializer_list<rt::Value> args,
                     F body) {
    return guarded(name, [&] {
        traceOn(name, handle, args);
        return inWindow(handle, body);
    });
}
template <class F>
value onFrameTraced(const char* name, value handle, value isMain, value frameName,
                    std::initializer_list<rt::Value> args, F body) {
    return guarded(name, [&] {
        traceOn(name, handle, args);
        return inFrame(handle, isMain, frameName, body);
    });
}

// A primitive that acts on nothing here: the call goes to the backend, the answer is null.
template <class... A>
value traced(const char* name, value handle, A... args) {
    return guarded(name, [&]() -> rt::Value {
        traceOn(name, handle, {rt::fromC(args)...});
        return {};
    });
}

// What browser_getframeobj and its kin answer for a frame.
inline rt::Value frameRecord(const FrameInfo& f) {
    return rt::Record::of(
        {{field::kUrl, f.id}, {field::kX, f.parentId.empty() ? 1 : 0}, {field::kY, f.name}});
}

}  // namespace cefhx

// The arguments every frame primitive starts with, and passing them on.
#define CEFHX_FRAME_ARGS value handle, value isMain, value name
#define CEFHX_FRAME_PASS handle, isMain, name

// Exports the primitive `name` of namespace CEFHX_EXPORT_NAMESPACE (which the exporting file
// defines) as `name__count`, answering its address; CEFHX_PRIMITIVES(CEFHX_EXPORT_PRIMITIVE)
// exports the whole list.
#define CEFHX_EXPORT_PRIMITIVE(name, count, ...)                                \
    extern "C" __attribute__((visibility("default"))) void* name##__##count() { \
        return reinterpret_cast<void*>(&CEFHX_EXPORT_NAMESPACE::name);          \
    }
