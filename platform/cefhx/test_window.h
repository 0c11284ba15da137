// Test support: a window object that records every call the host makes on it by name, and the
// host's primitives loaded by name as the program binds them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/primitive.h"
#include "runtime/value.h"

namespace cefhx::testing {

class RecordingWindow final : public rt::Object {
    RT_CLASS(RecordingWindow)
public:
    std::string url;
    rt::Value handle;
    // "on_create", "onAfterCreated", "onLoadEnd file:///...", ... in the order they came.
    std::vector<std::string> calls;
    // The address of the calling document of each page call, as the host named it.
    std::vector<std::string> callers;
    std::vector<rt::Value> taskPayloads;
    // Answers for the calls that ask something; null answers by default.
    std::function<rt::Value(const std::string& name, const rt::Value& payload)> onEvent;
    std::function<rt::Value(const std::string& name, const rt::Ref<rt::Array>& args)> onCall;
    std::function<void(const std::string& kind, const rt::Value& a)> onSystem;
    bool allowClose = true;

    int count(const std::string& call) const;
    bool has(const std::string& call) const { return count(call) > 0; }
    // Position of the first call starting with `prefix`, or -1.
    int indexOf(const std::string& prefix) const;
};

// A primitive of libcefhx.so, bound once by name and argument count.
rt::Value callHost(const std::string& name, std::initializer_list<rt::Value> args);

// Runs the message loop until done() or the deadline (a guard against a hang, not a timing
// check); answers done().
bool pumpUntil(const std::function<bool()>& done, int deadlineMs = 20000);

// Process ids whose command line mentions `text` (the test's own profile folder).
std::vector<int> processesMentioning(const std::string& text);

}  // namespace cefhx::testing
