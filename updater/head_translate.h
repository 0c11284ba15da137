#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace haldor {

// The byte range a 206 response says it carries.
struct ContentRange {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
};

// Reads what the client needs out of a response header (the status line and the header lines,
// up to and including the blank line). A field is found by its whole name, matched with case, at
// the start of a line; lines end with CR LF.
class CHeadTranslate {
public:
    void Set(std::string header);
    void Clear();

    // The number after the first blank of the status line (at most 14 characters), or -1.
    int StatusCode() const;
    // The value of the line that starts with "Content-Length: ", 0 when there is none or it is
    // not a decimal number of 64 bits.
    std::uint64_t ContentLength() const;
    bool HasContentLength() const;
    // The value of the line that starts with "Location: ", up to its CR LF, or nothing.
    std::optional<std::string> Location() const;
    // The line that starts with "Content-Range: bytes ", as "first-last/total".
    std::optional<ContentRange> Range() const;

    const std::string& header() const { return header_; }

private:
    std::optional<std::string> LineValue(const std::string& prefix) const;

    std::string header_;
};

}  // namespace haldor
