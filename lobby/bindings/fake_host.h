#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "runtime/value.h"

namespace bindings {

// A recording stand-in for the native libraries "cefhx" and "syslite", for tests. While it
// lives, binding a primitive loads no library: every primitive is a fake that records its calls
// and answers what the test told it (null by default). Making a FakeHost runs the class
// initialisation of both bindings with the fakes in place; destroying it runs it again with
// unbound primitives, so nothing a test made outlives it in the statics.
class FakeHost {
public:
    struct Call {
        std::string name;
        std::vector<rt::Value> args;
    };
    struct Binding {
        std::string library;
        std::string name;
        int argCount;
    };
    using Answer = std::function<rt::Value(std::span<const rt::Value>)>;

    FakeHost();
    ~FakeHost();
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    // What the primitive `name` answers from now on: always `value`, or what `fn` computes
    // from the arguments. `fn` runs outside the host's lock and may call back into the program.
    void answer(const std::string& name, rt::Value value);
    void answer(const std::string& name, Answer fn);

    // Calls of one primitive, or of all, in the order made. Safe while other threads call.
    std::vector<Call> calls(const std::string& name) const;
    std::vector<Call> calls() const;
    int count(const std::string& name) const;
    void clearCalls();

    // Every primitive bound so far, in the order bound.
    std::vector<Binding> bindings() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace bindings
