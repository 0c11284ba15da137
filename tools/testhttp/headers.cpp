#include "tools/testhttp/headers.h"

#include <cctype>

namespace testhttp {

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

bool hasToken(std::string_view list, std::string_view token) {
    while (!list.empty()) {
        size_t comma = list.find(',');
        std::string_view item = trimBlanks(list.substr(0, comma));
        if (equalsIgnoreCase(item, token)) return true;
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return false;
}

void Headers::add(std::string name, std::string value) {
    fields_.emplace_back(std::move(name), std::move(value));
}

std::optional<std::string> Headers::get(std::string_view name) const {
    for (const auto& [n, v] : fields_) {
        if (equalsIgnoreCase(n, name)) return v;
    }
    return std::nullopt;
}

std::vector<std::string> Headers::all(std::string_view name) const {
    std::vector<std::string> out;
    for (const auto& [n, v] : fields_) {
        if (equalsIgnoreCase(n, name)) out.push_back(v);
    }
    return out;
}

}  // namespace testhttp
