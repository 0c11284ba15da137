#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/testhttp/fault.h"

namespace testhttp {

// The faults in force, by exact decoded path. Thread-safe; changes apply to the next request.
class FaultTable {
public:
    void set(std::string path, Fault fault);  // replaces the path's faults
    void add(std::string path, Fault fault);  // appends to them
    void clear(std::string_view path);
    void clearAll();

    // The first of the path's faults that applies to `req`, its `number`-th request.
    std::optional<Fault> match(const Request& req, int number) const;

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::vector<Fault>, std::less<>> faults_;
};

}  // namespace testhttp
