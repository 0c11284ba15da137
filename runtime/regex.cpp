#include "runtime/regex.h"

// GCC 12 reports a false "may be used uninitialized" inside the standard library's regex
// compiler when building with sanitizers; the warning is about library code, not this file.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <iterator>
#include <regex>

namespace rt {

struct Regex::State {
    std::string pattern;
    std::regex regex;
    bool global = false;
    std::string text;
    std::smatch last;
    bool matched = false;
};

Regex::Regex(std::string_view pattern, std::string_view options) : state_(new State) {
    state_->pattern = pattern;
    auto flags = std::regex::ECMAScript;
    for (char option : options) {
        if (option == 'i') {
            flags |= std::regex::icase;
        } else if (option == 'g') {
            state_->global = true;
        } else {
            throw RegexError("Unknown regular expression option '" + std::string(1, option) +
                             "' for " + state_->pattern);
        }
    }
    try {
        state_->regex.assign(state_->pattern, flags);
    } catch (const std::regex_error& error) {
        throw RegexError("Invalid regular expression " + state_->pattern + ": " + error.what());
    }
}

Regex::~Regex() = default;
Regex::Regex(Regex&&) noexcept = default;
Regex& Regex::operator=(Regex&&) noexcept = default;

bool Regex::match(std::string_view text) {
    state_->text.assign(text);
    state_->matched = std::regex_search(state_->text, state_->last, state_->regex);
    return state_->matched;
}

void Regex::requireMatch() const {
    if (!state_->matched) throw RegexError("No match to read for " + state_->pattern);
}

std::optional<std::string> Regex::matched(size_t group) const {
    requireMatch();
    if (group >= state_->last.size()) {
        throw RegexError("No group " + std::to_string(group) + " in " + state_->pattern);
    }
    if (!state_->last[group].matched) return std::nullopt;
    return state_->last[group].str();
}

size_t Regex::matchedPosition() const {
    requireMatch();
    return static_cast<size_t>(state_->last.position(0));
}

size_t Regex::matchedLength() const {
    requireMatch();
    return static_cast<size_t>(state_->last.length(0));
}

std::string Regex::replace(std::string_view text, std::string_view by) const {
    const auto flags = state_->global ? std::regex_constants::format_default
                                      : std::regex_constants::format_first_only;
    std::string out;
    std::regex_replace(std::back_inserter(out), text.begin(), text.end(), state_->regex,
                       std::string(by), flags);
    return out;
}

std::vector<std::string> Regex::split(std::string_view text) const {
    std::vector<std::string> parts;
    auto start = text.begin();
    using Iterator = std::regex_iterator<std::string_view::const_iterator>;
    for (Iterator it(text.begin(), text.end(), state_->regex), end; it != end; ++it) {
        const auto& found = *it;
        // An empty match at the very start or end would only add an empty part.
        if (found.length(0) == 0 &&
            (found[0].first == text.begin() || found[0].first == text.end())) {
            continue;
        }
        parts.emplace_back(start, found[0].first);
        start = found[0].second;
        if (!state_->global) break;
    }
    parts.emplace_back(start, text.end());
    return parts;
}

}  // namespace rt
