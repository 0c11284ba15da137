#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace rt {

// The process-wide descriptions of one kind (classes, enumerations) by name. Safe to use from
// any thread.
template <class Info>
class InfoRegistry {
public:
    // Never destroyed: objects and enumeration values may outlive static destruction order and
    // still ask for their description.
    static InfoRegistry& instance() {
        static auto* registry = new InfoRegistry;
        return *registry;
    }

    // Keeps the description under the name; null (and the description dropped) when the name
    // is taken.
    const Info* add(std::string name, std::unique_ptr<Info> info) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto [at, added] = byName_.try_emplace(std::move(name), std::move(info));
        return added ? at->second.get() : nullptr;
    }

    const Info* find(std::string_view name) const {
        std::lock_guard<std::mutex> lock(mutex_);
        auto at = byName_.find(name);
        return at == byName_.end() ? nullptr : at->second.get();
    }

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::unique_ptr<Info>, std::less<>> byName_;
};

}  // namespace rt
