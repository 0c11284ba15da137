#pragma once

#include <functional>
#include <span>
#include <string>

#include "runtime/heap_object.h"
#include "runtime/ref.h"
#include "runtime/value.h"

namespace rt {

// A callable value. Its name only serves messages ("cefhx@cef_app_quit", "onLoadEnd").
class Function final : public HeapObject {
public:
    using Body = std::function<Value(std::span<const Value>)>;

    Function(std::string name, Body body)
        : HeapObject(HeapKind::Function), name_(std::move(name)), body_(std::move(body)) {}

    static Ref<Function> of(std::string name, Body body) {
        return make<Function>(std::move(name), std::move(body));
    }

    const std::string& name() const noexcept { return name_; }
    Value call(std::span<const Value> args) const { return body_(args); }

private:
    std::string name_;
    Body body_;
};

}  // namespace rt
