#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lobby {

// One address rule of the lobby page's remote setting "urlRules": [pattern, action,
// replacement]. Patterns are regular expressions matched case-insensitively anywhere in the
// address.
struct UrlRule {
    static constexpr int32_t kAllow = 0;
    static constexpr int32_t kOutside = 1;
    static constexpr int32_t kOpenWindow = 2;

    std::string pattern;
    int32_t action = 0;
    // Empty for none.
    std::string replacement;

    // The first rule of Config::remoteConfigs "urlRules" whose pattern matches `url`. With
    // `placeholders`, a "{name}" in the pattern and the replacement is first replaced by the
    // configuration value of that name, when there is one. A rule whose pattern is no valid
    // expression matches nothing.
    static std::optional<UrlRule> firstMatch(std::string_view url, bool placeholders);

    // `url` with every match of the pattern replaced by the replacement; unchanged without one.
    std::string rewrite(const std::string& url) const;
};

// The key of a local address that names a configuration value, "file:///...%7B$key%7D": the text
// after "%7B$" without the last three characters (the encoded "}"); null for other addresses.
std::optional<std::string> placeholderKey(std::string_view url);

}  // namespace lobby
