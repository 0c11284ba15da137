// The frame primitives (cef::CefFrame), for every host: each names its frame by window handle,
// main flag and name.
#include <string>

#include "platform/cefhx/primitive_support.h"
#include "platform/cefhx/primitives.h"

namespace cefhx::primitives {
namespace {

using rt::Value;

FrameInfo* parentOf(HostWindow& w, const FrameInfo& f) {
    return f.parentId.empty() ? nullptr : w.frameById(f.parentId);
}

// An editing command on the frame's document.
value editCommand(const char* primitive, const char* command, CEFHX_FRAME_ARGS) {
    return onFrameTraced(primitive, CEFHX_FRAME_PASS, {arg(isMain), arg(name)},
                         [&](HostWindow& w, const FrameInfo& f) {
                             hostBackend().editCommand(w, f, command);
                             return Value();
                         });
}

}  // namespace

value frame_geturl(CEFHX_FRAME_ARGS) {
    return onFrame("frame_geturl", CEFHX_FRAME_PASS,
                   [](HostWindow&, const FrameInfo& f) { return Value(f.url); });
}
value frame_getparentid(CEFHX_FRAME_ARGS) {
    return onFrame("frame_getparentid", CEFHX_FRAME_PASS, [](HostWindow& w, const FrameInfo& f) {
        FrameInfo* parent = parentOf(w, f);
        return Value(parent ? parent->id : -1);
    });
}
value frame_getparentobj(CEFHX_FRAME_ARGS) {
    return onFrame("frame_getparentobj", CEFHX_FRAME_PASS,
                   [](HostWindow& w, const FrameInfo& f) -> Value {
                       FrameInfo* parent = parentOf(w, f);
                       return parent ? frameRecord(*parent) : Value();
                   });
}
value frame_getidentifier(CEFHX_FRAME_ARGS) {
    return onFrame("frame_getidentifier", CEFHX_FRAME_PASS,
                   [](HostWindow&, const FrameInfo& f) { return Value(f.id); });
}
value frame_isfocused(CEFHX_FRAME_ARGS) {
    return onFrame("frame_isfocused", CEFHX_FRAME_PASS, [](HostWindow& w, const FrameInfo& f) {
        return Value(hostBackend().isFocused(w, f));
    });
}
value frame_invokejsfunc(CEFHX_FRAME_ARGS, value function, value args) {
    return guarded("frame_invokejsfunc", [&] {
        traceOn("invoke", handle, {arg(function), arg(args)});
        return inFrame(CEFHX_FRAME_PASS, [&](HostWindow& w, const FrameInfo& f) {
            return hostBackend().invoke(w, f, primitiveText(function), arg(args));
        });
    });
}
value frame_evaljavascript(CEFHX_FRAME_ARGS, value code) {
    return guarded("frame_evaljavascript", [&] {
        traceOn("eval", handle, {arg(code)});
        return inFrame(CEFHX_FRAME_PASS, [&](HostWindow& w, const FrameInfo& f) {
            return hostBackend().evaluate(w, f, primitiveText(code));
        });
    });
}
value frame_executejavascript(CEFHX_FRAME_ARGS, value code, value where) {
    return guarded("frame_executejavascript", [&] {
        const Value url = arg(where).get(field::kUrl);
        traceOn("execute", handle, {arg(code), url});
        return inFrame(CEFHX_FRAME_PASS, [&](HostWindow& w, const FrameInfo& f) {
            // The address names the script in the page's traces, on a line of its own.
            std::string source(url.str());
            if (source.find_first_of("\r\n") != std::string::npos) source.clear();
            hostBackend().execute(w, f, primitiveText(code), source);
            return Value();
        });
    });
}
value frame_loadstring(CEFHX_FRAME_ARGS, value html, value url) {
    return onFrameTraced("frame_loadstring", CEFHX_FRAME_PASS, {arg(html), arg(url)},
                         [&](HostWindow& w, const FrameInfo& f) {
                             hostBackend().loadString(w, f, primitiveText(html));
                             return Value();
                         });
}
value frame_loadurl(CEFHX_FRAME_ARGS, value url) {
    return onFrameTraced("frame_loadurl", CEFHX_FRAME_PASS, {arg(url)},
                         [&](HostWindow& w, const FrameInfo& f) {
                             hostBackend().loadUrl(w, f, primitiveText(url));
                             return Value();
                         });
}
value frame_gettext(CEFHX_FRAME_ARGS) {
    return onFrameTraced(
        "frame_gettext", CEFHX_FRAME_PASS, {},
        [](HostWindow& w, const FrameInfo& f) { return hostBackend().documentText(w, f); });
}
value frame_getsource(CEFHX_FRAME_ARGS) {
    return onFrameTraced(
        "frame_getsource", CEFHX_FRAME_PASS, {},
        [](HostWindow& w, const FrameInfo& f) { return hostBackend().documentSource(w, f); });
}
// Viewing the source and printing need browser chrome: accepted and ignored.
value frame_viewsource(CEFHX_FRAME_ARGS) {
    return traced("frame_viewsource", handle, isMain, name);
}
value frame_print(CEFHX_FRAME_ARGS) {
    return traced("frame_print", handle, isMain, name);
}

// The editing commands, each a primitive of its own.
#define CEFHX_EDIT_PRIMITIVE(primitive, command)                   \
    value primitive(CEFHX_FRAME_ARGS) {                            \
        return editCommand(#primitive, command, CEFHX_FRAME_PASS); \
    }
CEFHX_EDIT_PRIMITIVE(frame_selectall, "selectAll")
CEFHX_EDIT_PRIMITIVE(frame_delete, "delete")
CEFHX_EDIT_PRIMITIVE(frame_paste, "paste")
CEFHX_EDIT_PRIMITIVE(frame_copy, "copy")
CEFHX_EDIT_PRIMITIVE(frame_cut, "cut")
CEFHX_EDIT_PRIMITIVE(frame_redo, "redo")
CEFHX_EDIT_PRIMITIVE(frame_undo, "undo")
#undef CEFHX_EDIT_PRIMITIVE

}  // namespace cefhx::primitives
