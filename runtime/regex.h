#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

// A pattern that cannot be compiled, an unknown option or a group that does not exist.
class RegexError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An ECMAScript regular expression over UTF-8 bytes. Options: "i" ignores ASCII letter case,
// "g" makes replace and split act on every match instead of the first.
class Regex {
public:
    Regex(std::string_view pattern, std::string_view options);
    ~Regex();
    Regex(Regex&&) noexcept;
    Regex& operator=(Regex&&) noexcept;

    // Searches the text; on success the groups of this match can be read until the next call.
    bool match(std::string_view text);
    // Text of a group of the last match (0 is the whole match); nothing for a group that took no
    // part in it. Throws RegexError without a last match or for a group the pattern lacks.
    std::optional<std::string> matched(size_t group) const;
    // Byte offset and length of the whole last match.
    size_t matchedPosition() const;
    size_t matchedLength() const;

    // Replaces the first match, or every match with "g"; `by` may name groups as "$1".."$99",
    // the whole match as "$&" and a dollar as "$$".
    std::string replace(std::string_view text, std::string_view by) const;
    // Splits at the first match, or at every match with "g"; empty parts are kept.
    std::vector<std::string> split(std::string_view text) const;

private:
    struct State;

    void requireMatch() const;

    std::unique_ptr<State> state_;
};

}  // namespace rt
