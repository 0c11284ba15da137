#include "updater/version_number.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include <fmt/format.h>

namespace haldor {
namespace {

constexpr std::size_t kMaxDigits = 9;
constexpr long long kMaxVersion = 999999999;

bool Blank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::optional<long long> ParseVersion(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && Blank(text[first])) ++first;
    while (last > first && Blank(text[last - 1])) --last;
    if (first == last || last - first > kMaxDigits) return std::nullopt;
    long long value = 0;
    for (std::size_t i = first; i < last; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

long long LeadingVersion(const std::string& text) {
    return std::clamp(std::strtoll(text.c_str(), nullptr, 10), -kMaxVersion, kMaxVersion);
}

std::string CanonicalVersion(const std::string& text) {
    return fmt::format("{}", LeadingVersion(text));
}

}  // namespace haldor
