// What the exported primitives of both hosts (platform/cefhx/exports.cpp over Chromium,
// tools/testhost/exports.cpp over recorded windows) share: running a body so that nothing it
// throws crosses the C interface, reading arguments, the frame record, the request primitives
// (no host hands out request handles) and the export of the whole primitive list.
#pragma once

#include <exception>
#include <string>

#include "platform/cefhx/host_contract.h"
#include "platform/cefhx/host_window.h"
#include "platform/cefhx/primitive_list.h"
#include "runtime/c_value.h"
#include "runtime/record.h"

namespace cefhx {

// Runs a primitive's body; a failure goes to report(text) and answers null.
template <class F, class Report>
value guardedPrimitive(const char* name, F body, Report report) {
    try {
        return rt::toC(body());
    } catch (const std::exception& e) {
        report(std::string(name) + " failed: " + e.what());
    } catch (...) {
        report(std::string(name) + " failed");
    }
    return nullptr;
}

// An argument as text: a string as it is, null as empty, anything else as the program prints it.
inline std::string primitiveText(value v) {
    rt::Value x = rt::fromC(v);
    return x.isString() ? std::string(x.str()) : (x.isNull() ? std::string() : x.toString());
}

// What browser_getframeobj and its kin answer for a frame.
inline rt::Value frameRecord(const FrameInfo& f) {
    return rt::Record::of(
        {{field::kUrl, f.id}, {field::kX, f.parentId.empty() ? 1 : 0}, {field::kY, f.name}});
}

// Request objects: no request handle is ever handed out, so every request primitive answers
// null. A host's exports take these in with `using namespace cefhx::requests`.
namespace requests {
inline value request_getfirstcookie(value) {
    return nullptr;
}
inline value request_setheader(value, value, value) {
    return nullptr;
}
inline value request_getheader(value, value) {
    return nullptr;
}
inline value request_setmethod(value, value) {
    return nullptr;
}
inline value request_getmethod(value) {
    return nullptr;
}
inline value request_seturl(value, value) {
    return nullptr;
}
inline value request_geturl(value) {
    return nullptr;
}
}  // namespace requests

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
