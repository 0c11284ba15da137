#include "tools/testhttp/fault_table.h"

namespace testhttp {

void FaultTable::set(std::string path, Fault fault) {
    std::lock_guard lock(mutex_);
    faults_[std::move(path)] = {std::move(fault)};
}

void FaultTable::add(std::string path, Fault fault) {
    std::lock_guard lock(mutex_);
    faults_[std::move(path)].push_back(std::move(fault));
}

void FaultTable::clear(std::string_view path) {
    std::lock_guard lock(mutex_);
    auto it = faults_.find(path);
    if (it != faults_.end()) faults_.erase(it);
}

void FaultTable::clearAll() {
    std::lock_guard lock(mutex_);
    faults_.clear();
}

std::optional<Fault> FaultTable::match(const Request& req, int number) const {
    std::lock_guard lock(mutex_);
    auto it = faults_.find(req.path);
    if (it == faults_.end()) return std::nullopt;
    for (const Fault& fault : it->second) {
        if (fault.appliesTo(req, number)) return fault;
    }
    return std::nullopt;
}

}  // namespace testhttp
