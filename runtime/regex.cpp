#include "runtime/regex.h"

#include <iterator>

namespace rt {

Regex::Regex(std::string_view pattern, std::string_view options) : pattern_(pattern) {
    auto flags = std::regex::ECMAScript;
    for (char option : options) {
        if (option == 'i') {
            flags |= std::regex::icase;
        } else if (option == 'g') {
            global_ = true;
        } else {
            throw RegexError("Unknown regular expression option '" + std::string(1, option) +
                             "' for " + pattern_);
        }
    }
    try {
        regex_.assign(pattern_, flags);
    } catch (const std::regex_error& error) {
        throw RegexError("Invalid regular expression " + pattern_ + ": " + error.what());
    }
}

bool Regex::match(std::string_view text) {
    text_.assign(text);
    matched_ = std::regex_search(text_, last_, regex_);
    return matched_;
}

void Regex::requireMatch() const {
    if (!matched_) throw RegexError("No match to read for " + pattern_);
}

std::optional<std::string> Regex::matched(size_t group) const {
    requireMatch();
    if (group >= last_.size()) {
        throw RegexError("No group " + std::to_string(group) + " in " + pattern_);
    }
    if (!last_[group].matched) return std::nullopt;
    return last_[group].str();
}

size_t Regex::matchedPosition() const {
    requireMatch();
    return static_cast<size_t>(last_.position(0));
}

size_t Regex::matchedLength() const {
    requireMatch();
    return static_cast<size_t>(last_.length(0));
}

std::string Regex::replace(std::string_view text, std::string_view by) const {
    const auto flags =
        global_ ? std::regex_constants::format_default : std::regex_constants::format_first_only;
    std::string out;
    std::regex_replace(std::back_inserter(out), text.begin(), text.end(), regex_, std::string(by),
                       flags);
    return out;
}

std::vector<std::string> Regex::split(std::string_view text) const {
    std::vector<std::string> parts;
    auto start = text.begin();
    using Iterator = std::regex_iterator<std::string_view::const_iterator>;
    for (Iterator it(text.begin(), text.end(), regex_), end; it != end; ++it) {
        const auto& found = *it;
        // An empty match at the very start or end would only add an empty part.
        if (found.length(0) == 0 &&
            (found[0].first == text.begin() || found[0].first == text.end())) {
            continue;
        }
        parts.emplace_back(start, found[0].first);
        start = found[0].second;
        if (!global_) break;
    }
    parts.emplace_back(start, text.end());
    return parts;
}

}  // namespace rt
