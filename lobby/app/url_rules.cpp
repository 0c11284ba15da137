#include "lobby/app/url_rules.h"

#include "lobby/app/config.h"
#include "runtime/array.h"
#include "runtime/regex.h"
#include "runtime/strings.h"
#include "runtime/trace.h"

namespace lobby {
namespace {

// Replaces every "{name}" of the first name enclosed in braces by its configuration value.
std::string withConfigValue(const std::string& text) {
    size_t open = text.find('{');
    if (open == std::string::npos) return text;
    size_t close = text.find('}');
    if (close == std::string::npos || close < open) return text;
    std::string name = text.substr(open + 1, close - open - 1);
    std::optional<std::string> value = Config::getConfigValue(name);
    if (!value) return text;
    return rt::replaceAll(text, "{" + name + "}", *value);
}

std::string textItem(const rt::Ref<rt::Array>& rule, int index) {
    if (index >= rule->size()) return {};
    rt::Value v = rule->get(index);
    if (v.isNull()) return {};
    return v.isString() ? std::string(v.str()) : v.toString();
}

}  // namespace

std::optional<UrlRule> UrlRule::firstMatch(std::string_view url, bool placeholders) {
    rt::Ref<rt::Array> rules = Config::remoteConfigs.get("urlRules").asArray();
    if (!rules || rules->size() == 0) return std::nullopt;
    for (const rt::Value& item : rules->items()) {
        rt::Ref<rt::Array> entry = item.asArray();
        if (!entry) continue;
        UrlRule rule{textItem(entry, 0), entry->size() > 1 ? entry->get(1).toInt() : 0,
                     textItem(entry, 2)};
        if (placeholders) {
            rule.pattern = withConfigValue(rule.pattern);
            if (!rule.replacement.empty()) rule.replacement = withConfigValue(rule.replacement);
        }
        try {
            if (rt::Regex(rule.pattern, "i").match(url)) return rule;
        } catch (const rt::RegexError& e) {
            RT_TRACE("address rule skipped: pattern " + rule.pattern + ": " + e.what());
        }
    }
    return std::nullopt;
}

std::optional<std::string> placeholderKey(std::string_view url) {
    if (!rt::startsWith(url, "file:///")) return std::nullopt;
    size_t at = url.find("%7B$");
    if (at == std::string_view::npos) return std::nullopt;
    size_t from = at + 4;
    if (url.size() < from + 3) return std::string();
    return std::string(url.substr(from, url.size() - 3 - from));
}

std::string UrlRule::rewrite(const std::string& url) const {
    if (replacement.empty()) return url;
    return rt::Regex(pattern, "gi").replace(url, replacement);
}

}  // namespace lobby
