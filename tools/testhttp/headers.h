#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace testhttp {

// HTTP header fields in the order they came, with names compared without regard to case.
class Headers {
public:
    void add(std::string name, std::string value);
    // The value of the first field of that name, or nothing.
    std::optional<std::string> get(std::string_view name) const;
    bool has(std::string_view name) const { return get(name).has_value(); }
    // Every value of that name, in order.
    std::vector<std::string> all(std::string_view name) const;
    const std::vector<std::pair<std::string, std::string>>& fields() const { return fields_; }
    bool empty() const { return fields_.empty(); }

private:
    std::vector<std::pair<std::string, std::string>> fields_;
};

// The text without the spaces and tabs around it.
std::string_view trimBlanks(std::string_view s);
bool equalsIgnoreCase(std::string_view a, std::string_view b);
// True when the comma-separated list `list` holds `token` (compared without regard to case).
bool hasToken(std::string_view list, std::string_view token);

}  // namespace testhttp
