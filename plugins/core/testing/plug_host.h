#pragma once
// Test equipment: a host for the plug-in libraries. It runs the runtime and the message loop,
// exports hx_cffi, binds a library's primitives by name and hands them a game-window stand-in
// that records every callback.

#include "runtime/class_builder.h"
#include "runtime/object.h"
#include "runtime/primitive.h"
#include "runtime/value.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace plug::testing {

// The handler object: its onGameClose, onPlugLink and onPlugMsg members record their calls as
// "onGameClose(0)", "onPlugLink(true)" or "onPlugMsg(text)"; `then` runs after each.
class Handler : public rt::Object {
    RT_CLASS(Handler)
public:
    void onGameClose(int32_t code);
    void onPlugLink(bool flag);
    void onPlugMsg(const std::string& text);

    std::vector<std::string> calls;
    std::function<void(const std::string&)> then;

private:
    void Record(std::string call);
};

// One plug-in library bound by name, as the lobby binds it.
class PlugLibrary {
public:
    // Binds every primitive the library may export, by argument count.
    explicit PlugLibrary(const std::string& name);

    template <class... A>
    rt::Value operator()(const std::string& primitive, A&&... args) const {
        return primitives_.at(primitive)(std::forward<A>(args)...);
    }

    const std::string& name() const { return name_; }

private:
    std::string name_;
    std::map<std::string, rt::Primitive> primitives_;
};

// Starts the message loop with the runtime's value scopes around every dispatch.
void StartLoop();

}  // namespace plug::testing
