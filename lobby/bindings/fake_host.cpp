#include "lobby/bindings/fake_host.h"

#include <map>
#include <mutex>

#include "lobby/bindings/cef/init_classes.h"
#include "lobby/bindings/primitive_binder.h"
#include "lobby/bindings/syslite/init_classes.h"
#include "runtime/exception.h"
#include "runtime/function.h"

namespace bindings {

struct FakeHost::State {
    mutable std::mutex mutex;
    std::vector<Call> calls;
    std::vector<Binding> bindings;
    std::map<std::string, Answer> answers;
};

namespace {

// Runs the class initialisation of both bindings with `loader` in place.
void initialiseWith(PrimitiveLoader loader) {
    setPrimitiveLoader(std::move(loader));
    cef::initClasses();
    syslite::initClasses();
}

}  // namespace

FakeHost::FakeHost() : state_(std::make_shared<State>()) {
    std::weak_ptr<State> weak = state_;
    initialiseWith([weak](const std::string& library, const std::string& name, int argCount) {
        std::shared_ptr<State> state = weak.lock();
        if (!state) return rt::Primitive();
        {
            std::lock_guard<std::mutex> lock(state->mutex);
            state->bindings.push_back({library, name, argCount});
        }
        rt::Primitive fake;
        fake.replace(rt::Function::of(
            library + "@" + name, [weak, name, argCount](std::span<const rt::Value> args) {
                if (static_cast<int>(args.size()) != argCount) {
                    throw rt::Exception("Primitive " + name + " takes " + std::to_string(argCount) +
                                        " arguments, called with " + std::to_string(args.size()));
                }
                std::shared_ptr<State> state = weak.lock();
                if (!state) return rt::Value();
                Answer answer;
                {
                    std::lock_guard<std::mutex> lock(state->mutex);
                    state->calls.push_back({name, {args.begin(), args.end()}});
                    if (auto it = state->answers.find(name); it != state->answers.end()) {
                        answer = it->second;
                    }
                }
                return answer ? answer(args) : rt::Value();
            }));
        return fake;
    });
}

FakeHost::~FakeHost() {
    initialiseWith([](const std::string&, const std::string&, int) { return rt::Primitive(); });
    setPrimitiveLoader(nullptr);
}

void FakeHost::answer(const std::string& name, rt::Value value) {
    answer(name, [value](std::span<const rt::Value>) { return value; });
}

void FakeHost::answer(const std::string& name, Answer fn) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->answers[name] = std::move(fn);
}

std::vector<FakeHost::Call> FakeHost::calls(const std::string& name) const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    std::vector<Call> out;
    for (const Call& c : state_->calls) {
        if (c.name == name) out.push_back(c);
    }
    return out;
}

std::vector<FakeHost::Call> FakeHost::calls() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->calls;
}

int FakeHost::count(const std::string& name) const {
    return static_cast<int>(calls(name).size());
}

void FakeHost::clearCalls() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->calls.clear();
}

std::vector<FakeHost::Binding> FakeHost::bindings() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->bindings;
}

}  // namespace bindings
