#include "runtime/value_scope.h"

#include <memory>
#include <vector>

#include "runtime/ref.h"

namespace rt {
namespace {

struct Frame {
    std::vector<Ref<const HeapObject>> objects;
    std::vector<std::unique_ptr<std::string>> texts;
    std::vector<std::unique_ptr<std::u16string>> wideTexts;
};

struct ThreadScopes {
    Frame base;  // values made with no scope open
    std::vector<std::unique_ptr<Frame>> open;

    Frame& top() { return open.empty() ? base : *open.back(); }
};

ThreadScopes& scopes() {
    thread_local ThreadScopes s;
    return s;
}

}  // namespace

ValueScope::ValueScope() {
    morvick_value_scope_open();
}

ValueScope::~ValueScope() {
    morvick_value_scope_close();
}

void ValueScope::keep(const HeapObject* object) {
    if (object) scopes().top().objects.emplace_back(object);
}

const char* ValueScope::keepText(std::string text) {
    auto& texts = scopes().top().texts;
    texts.push_back(std::make_unique<std::string>(std::move(text)));
    return texts.back()->c_str();
}

const char16_t* ValueScope::keepText(std::u16string text) {
    auto& texts = scopes().top().wideTexts;
    texts.push_back(std::make_unique<std::u16string>(std::move(text)));
    return texts.back()->c_str();
}

int ValueScope::depth() {
    return static_cast<int>(scopes().open.size());
}

}  // namespace rt

extern "C" void morvick_value_scope_open(void) {
    rt::scopes().open.push_back(std::make_unique<rt::Frame>());
}

extern "C" void morvick_value_scope_close(void) {
    auto& open = rt::scopes().open;
    if (open.empty()) return;
    // Take the frame off the stack first: releasing its values may run code that uses scopes.
    std::unique_ptr<rt::Frame> frame = std::move(open.back());
    open.pop_back();
}
