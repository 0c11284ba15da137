#include "updater/head_translate.h"

#include <cctype>
#include <charconv>
#include <cstdlib>

namespace haldor {
namespace {

// A decimal number that fills `text` completely and fits 64 bits.
std::optional<std::uint64_t> Number(const std::string& text) {
    std::uint64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

}  // namespace

void CHeadTranslate::Set(std::string header) {
    header_ = std::move(header);
}

void CHeadTranslate::Clear() {
    header_.clear();
}

int CHeadTranslate::StatusCode() const {
    auto line_end = header_.find("\r\n");
    auto blank = header_.find(' ');
    if (blank == std::string::npos || blank > line_end) return -1;
    std::string digits;
    for (std::size_t i = blank + 1; i < header_.size() && digits.size() < 14; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(header_[i]))) break;
        digits += header_[i];
    }
    if (digits.empty() || digits.size() > 9) return -1;
    return std::atoi(digits.c_str());
}

std::optional<std::string> CHeadTranslate::LineValue(const std::string& prefix) const {
    std::size_t start = 0;
    while (start < header_.size()) {
        auto end = header_.find("\r\n", start);
        if (end == std::string::npos) end = header_.size();
        if (header_.compare(start, prefix.size(), prefix) == 0)
            return header_.substr(start + prefix.size(), end - start - prefix.size());
        start = end + 2;
    }
    return std::nullopt;
}

bool CHeadTranslate::HasContentLength() const {
    auto value = LineValue("Content-Length: ");
    return value && Number(*value);
}

std::uint64_t CHeadTranslate::ContentLength() const {
    auto value = LineValue("Content-Length: ");
    if (!value) return 0;
    return Number(*value).value_or(0);
}

std::optional<std::string> CHeadTranslate::Location() const {
    return LineValue("Location: ");
}

std::optional<ContentRange> CHeadTranslate::Range() const {
    auto value = LineValue("Content-Range: bytes ");
    if (!value) return std::nullopt;
    auto dash = value->find('-');
    auto slash = value->find('/');
    if (dash == std::string::npos || slash == std::string::npos || slash < dash)
        return std::nullopt;
    auto first = Number(value->substr(0, dash));
    auto last = Number(value->substr(dash + 1, slash - dash - 1));
    if (!first || !last) return std::nullopt;
    return ContentRange{*first, *last};
}

}  // namespace haldor
